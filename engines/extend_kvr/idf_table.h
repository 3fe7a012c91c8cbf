// Inverse document frequencies of words: lines "word idf" (blank or tab
// separated), as in the word list of jieba's keyword extractor.
#ifndef TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_
#define TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_

#include <memory>
#include <string>
#include <string_view>

#include "table_image.h"
#include "word_table.h"

namespace ekvr {

using tarnix::WordTable;

class IdfTable {
 public:
  bool Load(const std::string& path, std::string* error);
  bool Parse(std::string_view text, std::string* error);
  // Maps a compiled image (table_image.h) and asks it in place; refuses
  // a damaged one with *error and leaves the table as it was.
  bool LoadImage(const std::string& path, std::string* error);
  // Writes the image of the table Parse read; source_size is the text's.
  bool WriteImage(const std::string& path, uint64_t source_size, std::string* error) const;

  // The word's idf, or the median idf for a word the table does not know
  // (a rare word is as informative as a typical listed one, not more).
  float Get(std::string_view word) const;
  bool Has(std::string_view word) const { return Find(word) != nullptr; }
  // Get and Has in one look-up.
  float Get(std::string_view word, bool* listed) const;
  float median() const { return median_; }
  size_t size() const { return image_ != nullptr ? mapped_.size() : idf_.size(); }

 private:
  const float* Find(std::string_view word) const { return image_ != nullptr ? mapped_.Find(word) : idf_.Find(word); }

  WordTable<float> idf_;  // read from text
  std::unique_ptr<MappedImage> image_;  // or mapped: then mapped_ asks it
  tarnix::WordTableView<float> mapped_;
  float median_ = 0.0f;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_IDF_TABLE_H_
