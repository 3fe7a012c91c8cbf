// The user's own words, laid over a compiled dictionary without touching
// it: segmentation cuts them whole and look-ups find them, with their own
// part-of-speech code and an information text shaped like the dictionary's
// ("tag frequency"). A word kept here and in the image is the user's.
//
// Named by key "user_dict" of section [Lexmill] in Lexmill.ini (a UTF-8
// file, see data/lexmill/README.md) and laid over the dictionary named by
// "user_dict_target" there, QOVA_CLA_CHN_DICT by default: the segmentation
// dictionary. The general-word dictionary never gets them, since a general
// word can never be a keyword.
#ifndef TARNIX_ENGINES_LEXMILL_USER_WORDS_H_
#define TARNIX_ENGINES_LEXMILL_USER_WORDS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word_list.h"

namespace lexmill {

inline constexpr const char* kUserDictKey = "user_dict";
inline constexpr const char* kUserDictTargetKey = "user_dict_target";
inline constexpr const char* kUserDictTargetDefault = "QOVA_CLA_CHN_DICT";

class UserWords {
 public:
  struct Word {
    std::string text;  // GBK
    uint16_t code;
    std::string info;
  };
  explicit UserWords(const std::vector<tarnix::UserWord>& words);

  // The word of length bytes, or null.
  const Word* Find(const char* word, size_t length) const;
  // The words that text[at..length) starts with.
  template <typename Take>
  void ForEachAt(const unsigned char* text, size_t at, size_t length, Take take) const {
    const auto& candidates = by_first_byte_[text[at]];
    for (const uint32_t index : candidates) {
      const Word& w = words_[index];
      if (w.text.size() <= length - at && w.text.compare(0, w.text.size(), reinterpret_cast<const char*>(text) + at,
                                                         w.text.size()) == 0) {
        take(w, at + w.text.size());
      }
    }
  }
  size_t size() const { return words_.size(); }

 private:
  std::vector<Word> words_;
  std::unordered_map<std::string_view, uint32_t> index_;
  std::vector<uint32_t> by_first_byte_[256];
};

// Reads the user dictionary Lexmill.ini names for the dictionary called
// name. Null without an error when there is none to read; null with *error
// when the file cannot be read. Bad lines are reported on standard error
// and skipped.
std::shared_ptr<const UserWords> LoadUserWordsFor(const std::string& name, std::string* error);

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_USER_WORDS_H_
