#include "user_words.h"

#include <cstdio>

#include "data_folder.h"
#include "platform.h"

namespace lexmill {

UserWords::UserWords(const std::vector<tarnix::UserWord>& words) {
  words_.reserve(words.size());
  for (const tarnix::UserWord& w : words) {
    if (w.word.empty()) continue;
    words_.push_back(Word{w.word, w.code, w.tag + " " + std::to_string(w.frequency)});
  }
  for (size_t i = 0; i < words_.size(); ++i) {
    index_.emplace(words_[i].text, static_cast<uint32_t>(i));
    by_first_byte_[static_cast<unsigned char>(words_[i].text[0])].push_back(static_cast<uint32_t>(i));
  }
}

const UserWords::Word* UserWords::Find(const char* word, size_t length) const {
  const auto it = index_.find(std::string_view(word, length));
  return it == index_.end() ? nullptr : &words_[it->second];
}

std::shared_ptr<const UserWords> LoadUserWordsFor(const std::string& name, std::string* error) {
  char target[256];
  tarnix::ReadProfileString("Lexmill", kUserDictTargetKey, kUserDictTargetDefault, target, sizeof target,
                            kConfigFile);
  if (name != target) return nullptr;
  char path[4096];
  tarnix::ReadProfileString("Lexmill", kUserDictKey, "", path, sizeof path, kConfigFile);
  if (path[0] == '\0') return nullptr;
  std::vector<tarnix::UserWord> words;
  std::vector<std::string> warnings;
  if (!tarnix::ReadUserDictionary(path, &words, &warnings, error)) return nullptr;
  for (const std::string& w : warnings) std::fprintf(stderr, "Lexmill: %s\n", w.c_str());
  return std::make_shared<const UserWords>(words);
}

}  // namespace lexmill
