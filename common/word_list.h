// The word lists a user gives the engines without compiling anything: a
// user dictionary (one word a line, optionally its frequency and its
// part-of-speech tag) and a stop-word list (one word a line). Both are
// UTF-8 files, read into GBK, the engines' encoding. A line that cannot be
// used is reported as "FILE:LINE: why" and skipped; only a file that cannot
// be read at all fails.
#ifndef TARNIX_COMMON_WORD_LIST_H_
#define TARNIX_COMMON_WORD_LIST_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tarnix {

// Longest line and longest word (in GBK bytes) accepted: a word longer than
// this is no word of an article, and the segmenters bound theirs too.
inline constexpr size_t kMaxWordListLine = 1024;
inline constexpr size_t kMaxUserWordBytes = 64;

struct UserWord {
  std::string word;       // GBK
  uint32_t frequency = 0;
  uint16_t code = 0;      // the numeric part-of-speech code
  std::string tag;        // the tag as written ("n" when none was)
};

// The default tag of a user word: the words users add are names of things.
inline constexpr const char* kDefaultUserTag = "n";
// The frequency of a user word that gives none.
inline constexpr uint32_t kDefaultUserFrequency = 1;

// The numeric code of a part-of-speech tag of the Chinese dictionaries
// (data/lexmill/pos_codes.tsv), or -1 for a tag they do not use.
int PosCodeOfTag(const std::string& tag);

// Reads a user dictionary: "word [frequency] [tag]", whitespace-separated;
// blank lines and lines starting with '#' are skipped. A word listed twice
// keeps its first line. False (with *error) only when the file cannot be
// read; every skipped line adds a message to *warnings.
bool ReadUserDictionary(const std::string& path, std::vector<UserWord>* words,
                        std::vector<std::string>* warnings, std::string* error);

// Reads a stop-word list: one word a line (surrounding blanks dropped),
// blank lines and '#' lines skipped. The words in GBK.
bool ReadStopWords(const std::string& path, std::vector<std::string>* words,
                   std::vector<std::string>* warnings, std::string* error);

// A stop-word list as the engines consult it. English words match whatever
// their case; a term matches when its text or its blank-separated words
// joined without blanks is listed (a Chinese term's second text is its
// words cut apart).
class StopWords {
 public:
  explicit StopWords(const std::vector<std::string>& words);
  bool Contains(const char* text) const;
  size_t size() const { return words_.size(); }

 private:
  std::set<std::string> words_;
};

// Key "stop_words" of section [DictInfo] in EKVR.ini names the list; read
// by Extend_KVR, which proposes no listed term. The tarnix command, which
// writes the key, also drops a listed keyword from the library's list,
// whatever it came from (a title word Tarnix took on its own).
inline constexpr const char* kStopWordsKey = "stop_words";

// The stop words EKVR.ini names in the current directory: null when it
// names none; null with *error when the file cannot be read. Each bad line
// is reported on standard error, led by who, unless who is null.
std::shared_ptr<const StopWords> LoadConfiguredStopWords(const char* who, std::string* error);

}  // namespace tarnix

#endif  // TARNIX_COMMON_WORD_LIST_H_
