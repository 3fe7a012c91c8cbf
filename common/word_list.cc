#include "word_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "config.h"
#include "platform.h"

namespace tarnix {
namespace {

struct TagCode {
  const char* tag;
  int code;
};
// The tags of pos_codes.tsv, the table the dictionaries were compiled with,
// so that a jieba user dictionary can be given as it is.
constexpr TagCode kTags[] = {
    {"m", 1},   {"mq", 1},  {"mg", 1},  {"r", 2},   {"rr", 2},  {"rg", 2},  {"rz", 8},  {"p", 3},
    {"c", 3},   {"u", 3},   {"uj", 3},  {"ul", 3},  {"uz", 3},  {"ug", 3},  {"uv", 3},  {"ud", 3},
    {"y", 3},   {"e", 3},   {"o", 3},   {"n", 9},   {"ng", 9},  {"nr", 10}, {"nrfg", 10}, {"nrt", 10},
    {"ns", 11}, {"nt", 12}, {"nz", 13}, {"v", 14},  {"vd", 14}, {"vg", 14}, {"vi", 14}, {"vq", 14},
    {"vn", 15}, {"a", 16},  {"ag", 16}, {"an", 16}, {"b", 17},  {"z", 18},  {"zg", 18}, {"t", 19},
    {"tg", 19}, {"q", 20},  {"s", 21},  {"d", 22},  {"dg", 22}, {"df", 22}, {"ad", 22}, {"i", 23},
    {"l", 24},  {"j", 25},  {"g", 26},  {"h", 26},  {"k", 26},  {"x", 27},  {"eng", 28}, {"f", 38},
};

// The length of the valid UTF-8 sequence at s[0..n), or 0.
size_t Utf8Length(const unsigned char* s, size_t n) {
  const unsigned char b = s[0];
  size_t length;
  uint32_t min;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) length = 2, min = 0x80;
  else if (b >= 0xE0 && b <= 0xEF) length = 3, min = 0x800;
  else if (b >= 0xF0 && b <= 0xF4) length = 4, min = 0x10000;
  else return 0;
  if (n < length) return 0;
  uint32_t cp = b & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (s[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool ValidUtf8(const std::string& s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  for (size_t at = 0; at < s.size();) {
    const size_t n = Utf8Length(p + at, s.size() - at);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  for (size_t at = 0; at < line.size();) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    const size_t begin = at;
    while (at < line.size() && !IsBlank(line[at])) ++at;
    if (at > begin) fields.push_back(line.substr(begin, at - begin));
  }
  return fields;
}

bool ParseCount(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

// Calls take(line_number, fields) for each line that holds anything; a
// line that is too long or not UTF-8 is reported here.
template <typename Take>
bool ReadLines(const std::string& path, std::vector<std::string>* warnings, std::string* error, Take take) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  long number = 0;
  bool eof = false;
  while (!eof) {
    line.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') {
      // The rest of a runaway line is read but not kept.
      if (line.size() <= kMaxWordListLine) line.push_back(static_cast<char>(c));
    }
    eof = c == EOF;
    if (eof && line.empty()) break;
    ++number;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    // A byte-order mark is no part of the first word.
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    if (line.size() > kMaxWordListLine) {
      warnings->push_back(where + "line longer than " + std::to_string(kMaxWordListLine) + " bytes, skipped");
      continue;
    }
    if (!ValidUtf8(line)) {
      warnings->push_back(where + "not UTF-8, skipped");
      continue;
    }
    const std::vector<std::string> fields = Fields(line);
    if (fields.empty() || fields[0][0] == '#') continue;
    std::string gbk;
    if (!Utf8ToGbkText(fields[0], &gbk)) {
      warnings->push_back(where + "\"" + fields[0] + "\" has a character GBK cannot hold, skipped");
      continue;
    }
    if (gbk.size() > kMaxUserWordBytes) {
      warnings->push_back(where + "word longer than " + std::to_string(kMaxUserWordBytes) +
                          " bytes in GBK, skipped");
      continue;
    }
    take(where, fields, gbk);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    *error = "cannot read " + path;
    return false;
  }
  return true;
}

}  // namespace

int PosCodeOfTag(const std::string& tag) {
  for (const TagCode& t : kTags) {
    if (tag == t.tag) return t.code;
  }
  return -1;
}

bool ReadUserDictionary(const std::string& path, std::vector<UserWord>* words,
                        std::vector<std::string>* warnings, std::string* error) {
  words->clear();
  std::set<std::string> seen;
  return ReadLines(path, warnings, error,
                   [&](const std::string& where, const std::vector<std::string>& fields, const std::string& gbk) {
                     UserWord w;
                     w.word = gbk;
                     w.frequency = kDefaultUserFrequency;
                     w.tag = kDefaultUserTag;
                     size_t next = 1;
                     // The frequency is optional: with three fields the
                     // second is one, with two it is one when it starts
                     // with a digit; either way it must be a count.
                     const bool digit = fields.size() > 1 && fields[1][0] >= '0' && fields[1][0] <= '9';
                     if (fields.size() > 2 || digit) {
                       if (!ParseCount(fields[next], &w.frequency)) {
                         warnings->push_back(where + "frequency \"" + fields[next] + "\" is not a count, skipped");
                         return;
                       }
                       ++next;
                     }
                     if (next < fields.size()) w.tag = fields[next++];
                     const int code = PosCodeOfTag(w.tag);
                     if (code < 0) {
                       warnings->push_back(where + "unknown part-of-speech tag \"" + w.tag +
                                           "\" (the tags of data/lexmill/pos_codes.tsv), skipped");
                       return;
                     }
                     if (next < fields.size()) {
                       warnings->push_back(where + "more than word, frequency and tag, skipped");
                       return;
                     }
                     w.code = static_cast<uint16_t>(code);
                     if (seen.insert(gbk).second) words->push_back(std::move(w));
                   });
}

bool ReadStopWords(const std::string& path, std::vector<std::string>* words,
                   std::vector<std::string>* warnings, std::string* error) {
  words->clear();
  return ReadLines(path, warnings, error,
                   [&](const std::string& where, const std::vector<std::string>& fields, const std::string& gbk) {
                     // A stop phrase keeps its inner blanks (English terms).
                     if (fields.size() > 1) {
                       std::string phrase;
                       for (const std::string& f : fields) phrase += (phrase.empty() ? "" : " ") + f;
                       std::string phrase_gbk;
                       if (!Utf8ToGbkText(phrase, &phrase_gbk) || phrase_gbk.size() > kMaxUserWordBytes) {
                         warnings->push_back(where + "phrase cannot be held, skipped");
                         return;
                       }
                       words->push_back(phrase_gbk);
                       return;
                     }
                     words->push_back(gbk);
                   });
}

namespace {

std::string FoldAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

StopWords::StopWords(const std::vector<std::string>& words) {
  for (const std::string& w : words) words_.insert(FoldAscii(w));
}

bool StopWords::Contains(const char* text) const {
  if (text == nullptr || *text == '\0' || words_.empty()) return false;
  const std::string folded = FoldAscii(text);
  if (words_.count(folded) != 0) return true;
  // Blanks stand only between GBK words, never inside a double-byte
  // character, so they can be dropped byte by byte.
  std::string joined;
  for (size_t i = 0; i < folded.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(folded[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < folded.size()) {
      joined += folded.substr(i, 2);
      ++i;
    } else if (b != ' ') {
      joined += folded[i];
    }
  }
  return joined != folded && folded.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos &&
         words_.count(joined) != 0;
}

std::shared_ptr<const StopWords> LoadConfiguredStopWords(const char* who, std::string* error) {
  char path[4096];
  ReadProfileString(kDictInfoSection, kStopWordsKey, "", path, sizeof path, kEkvrIni);
  if (path[0] == '\0') return nullptr;
  std::vector<std::string> words, warnings;
  if (!ReadStopWords(path, &words, &warnings, error)) return nullptr;
  if (who != nullptr) {
    for (const std::string& w : warnings) std::fprintf(stderr, "%s: %s\n", who, w.c_str());
  }
  return std::make_shared<const StopWords>(words);
}

}  // namespace tarnix
