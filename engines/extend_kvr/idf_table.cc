#include "idf_table.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "class_scheme.h"

namespace ekvr {

bool IdfTable::Load(const std::string& path, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    *error = "cannot read " + path;
    return false;
  }
  return Parse(text, error);
}

bool IdfTable::Parse(std::string_view text, std::string* error) {
  idf_.clear();
  idf_.reserve(text.size() / 16);
  std::vector<float> values;
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t sep = line.find_last_of(" \t");
    char* end = nullptr;
    const std::string number(sep == std::string_view::npos ? std::string_view() : line.substr(sep + 1));
    const float idf = std::strtof(number.c_str(), &end);
    if (sep == 0 || sep == std::string_view::npos || number.empty() || *end != '\0' ||
        !(idf >= 0.0f && idf < 1000.0f)) {
      *error = "idf line " + std::to_string(line_no) + " is malformed";
      return false;
    }
    idf_.Set(line.substr(0, sep), idf);
    values.push_back(idf);
  }
  if (values.empty()) {
    *error = "idf table is empty";
    return false;
  }
  idf_.BuildFilter();  // most compounds of an article are not listed
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  median_ = values[values.size() / 2];
  return true;
}

float IdfTable::Get(std::string_view word) const {
  const float* idf = idf_.Find(word);
  return idf == nullptr ? median_ : *idf;
}

float IdfTable::Get(std::string_view word, bool* listed) const {
  const float* idf = idf_.Find(word);
  *listed = idf != nullptr;
  return *listed ? *idf : median_;
}

}  // namespace ekvr
