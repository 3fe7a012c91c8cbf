// Test helpers: dictionaries the scripted segmentation engine holds as
// loaded, and keyword slots.
#ifndef TARNIX_OUTPUT_TEST_DICTIONARIES_H_
#define TARNIX_OUTPUT_TEST_DICTIONARIES_H_

#include <cstring>
#include <map>
#include <string>

#include "tarnix/records.h"
#include "scripted_engines.h"

namespace tarnix_testing {

// Makes `name` a loaded dictionary with these word -> information entries.
inline void LoadDictionary(const std::string& name,
                           const scripted::Entries& entries) {
  scripted::Lexmill().dictionaries[name].entries = entries;
  scripted::Lexmill().loaded.insert(name);
}

// A dictionary that Dict_Load_New can load but that is not loaded yet.
inline void OfferDictionary(const std::string& name,
                            const scripted::Entries& entries) {
  scripted::Lexmill().dictionaries[name].entries = entries;
}

inline KeywordEntry Keyword(const std::string& text, double weight,
                            const std::string& class_code = "", int frequency = 0) {
  KeywordEntry k;
  std::memset(&k, 0, sizeof k);
  std::strncpy(k.keyword_text, text.c_str(), sizeof k.keyword_text - 1);
  std::strncpy(k.class_code, class_code.c_str(), sizeof k.class_code - 1);
  k.weight = weight;
  k.frequency = frequency;
  return k;
}

}  // namespace tarnix_testing

#endif  // TARNIX_OUTPUT_TEST_DICTIONARIES_H_
