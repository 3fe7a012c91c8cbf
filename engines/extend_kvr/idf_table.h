// Inverse document frequencies of words: lines "word idf" (blank or tab
// separated), as in the word list of jieba's keyword extractor.
#ifndef TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_
#define TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_

#include <string>
#include <string_view>

#include "word_table.h"

namespace ekvr {

using tarnix::WordTable;

class IdfTable {
 public:
  bool Load(const std::string& path, std::string* error);
  bool Parse(std::string_view text, std::string* error);

  // The word's idf, or the median idf for a word the table does not know
  // (a rare word is as informative as a typical listed one, not more).
  float Get(std::string_view word) const;
  bool Has(std::string_view word) const { return idf_.Find(word) != nullptr; }
  // Get and Has in one look-up.
  float Get(std::string_view word, bool* listed) const;
  float median() const { return median_; }
  size_t size() const { return idf_.size(); }

 private:
  WordTable<float> idf_;
  float median_ = 0.0f;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_
