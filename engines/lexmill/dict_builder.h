// Writes the compiled dictionary form that DictImage reads.
#ifndef TARNIX_ENGINES_LEXMILL_DICT_BUILDER_H_
#define TARNIX_ENGINES_LEXMILL_DICT_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace lexmill {

struct SourceEntry {
  std::string word;  // GBK
  uint32_t freq = 0;
  uint16_t code = 0;
  std::string info;  // GBK
};

struct BuildStats {
  size_t written = 0;
  size_t duplicates = 0;     // later entries of a word already seen
  size_t invalid_words = 0;  // empty words or words that are not valid GBK
};

// Writes entries to path; the first entry of a word wins. False with
// *error set when the file cannot be written.
bool WriteDictionary(std::vector<SourceEntry> entries, const std::string& path,
                     BuildStats* stats, std::string* error);

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DICT_BUILDER_H_
