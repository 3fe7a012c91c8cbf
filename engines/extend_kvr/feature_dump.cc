#include "feature_dump.h"

#include <cstdlib>

namespace ekvr {

FeatureDump::FeatureDump(const char* variable) {
  const char* path = std::getenv(variable);
  if (path != nullptr) file_ = std::fopen(path, "a");
}

FeatureDump::~FeatureDump() {
  if (file_ != nullptr) std::fclose(file_);
}

void FeatureDump::Write(std::initializer_list<const char*> texts, const float* features, int count) {
  if (file_ == nullptr) return;
  bool first = true;
  for (const char* text : texts) {
    std::fprintf(file_, first ? "%s" : "\t%s", text);
    first = false;
  }
  // Exact values: a tree's thresholds fall between the values seen.
  for (int k = 0; k < count; ++k) std::fprintf(file_, "\t%.9g", static_cast<double>(features[k]));
  std::fprintf(file_, "\n");
}

void FeatureDump::Mark(const char* line) {
  if (file_ == nullptr) return;
  std::fputs(line, file_);
  std::fputc('\n', file_);
}

}  // namespace ekvr
