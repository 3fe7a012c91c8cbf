// The training dumps: with an environment variable naming a file, the
// engine appends each candidate's texts and features to it, the input of
// the training scripts (data/extend_kvr/train_term_model.py for
// EKVR_FEATURE_DUMP, train_en_model.py for EKVR_EN_FEATURE_DUMP). Without
// the variable nothing is opened or written.
#ifndef TARNIX_ENGINES_EXTEND_KVR_FEATURE_DUMP_H_
#define TARNIX_ENGINES_EXTEND_KVR_FEATURE_DUMP_H_

#include <cstdio>
#include <initializer_list>

namespace ekvr {

class FeatureDump {
 public:
  // Opens the file the variable names for appending, when it is set and
  // the file can be opened.
  explicit FeatureDump(const char* variable);
  ~FeatureDump();
  FeatureDump(const FeatureDump&) = delete;
  FeatureDump& operator=(const FeatureDump&) = delete;

  bool on() const { return file_ != nullptr; }
  // One line: the texts, tab-separated, then a tab and each feature.
  void Write(std::initializer_list<const char*> texts, const float* features, int count);
  // A line of its own, such as the mark before each article.
  void Mark(const char* line);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_FEATURE_DUMP_H_
