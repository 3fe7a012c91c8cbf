#include "general_words.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "config.h"
#include "dictionary_lookup.h"
#include "lexmill.h"
#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

constexpr size_t kMaxGeneralWord = 8;       // longer words are never general
constexpr size_t kGeneralInfoSize = 64;
constexpr size_t kMaxStructureWord = 13;    // the segmentation buffers below hold this much
constexpr size_t kStructureTextSize = 16;
constexpr size_t kStructureEndsCount = 14;
constexpr size_t kStructureInfoSize = 64;
constexpr int kStructureInfoCapacity = 63;
constexpr int kStructureMaxWord = 2048;
constexpr int32_t kStructureThreshold = 16;
constexpr size_t kEnglishInfoSize = 256;
constexpr int kEnglishInfoCapacity = 255;

struct CodeThreshold {
  int32_t code;
  int32_t threshold;
};

// The dictionary's part-of-speech codes (data/lexmill/pos_codes.tsv).
constexpr int32_t kNumeral = 1, kPronoun = 2, kFunctionWord = 3, kDemonstrative = 8, kVerb = 14,
                  kMeasureWord = 20, kAdverb = 22, kLocalityWord = 38;

// Tried in this order; the first row that holds decides. A word is general
// when the dictionary gives it one of these classes with at least the
// frequency class shown; a title is held to higher classes (the strict
// rows), so that fewer of its words are dropped: a title names what the
// article is about. Numerals are general at any frequency; verbs only when
// very frequent (进行, 提出). The words every discipline uses alike carry
// the adverb class too (data/lexmill/README.md): at 14, general outside a
// title; at 20, in a title as well.
constexpr CodeThreshold kLenientRows[] = {{kMeasureWord, 16}, {kLocalityWord, 16}, {kNumeral, 1},
                                          {kFunctionWord, 16}, {kAdverb, 14},      {kVerb, 25}};
constexpr CodeThreshold kStrictRows[] = {{kMeasureWord, 20}, {kLocalityWord, 20}, {kNumeral, 1},
                                         {kFunctionWord, 20}, {kAdverb, 20},      {kVerb, 25}};

// The parts of a two-part structure that is no term: numeral + measure word
// (三 个), demonstrative + locality word, pronoun + locality word (其 上).
constexpr std::pair<int32_t, int32_t> kStructurePatterns[] = {
    {kNumeral, kMeasureWord}, {kDemonstrative, kLocalityWord}, {kPronoun, kLocalityWord}};

struct EnglishRow {
  const char* first_letters;
  int32_t first_count;
  const char* second_letters;
  int32_t second_count;
};

constexpr EnglishRow kEnglishStructures[] = {
    {"m", 1, "v", 1},         {"a", 1, "m", 1},         {"r", 50, "n", 10},
    {"n", 4000, "n", 4000},   {"n", 10000, "n", 2000},  {"a", 4600, "n", 4600},
    {"a", 10000, "n", 100},   {"v", 2100, "n", 2500},   {"v", 1900, "a", 1300},
    {"a", 800, "a", 1350},    {"d", 400, "n", 400},     {"n", 1, "d", 1},
    {"d", 200, "v", 50},      {"a", 1, "d", 1},
};

// The dictionaries write their numbers without sign or blanks and nothing
// checks the bytes, so every byte counts as a digit. A number too large for
// 32 bits stays at the nearest bound instead of wrapping round.
int32_t ReadDecimal(std::string_view text) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (char c : text) value = std::clamp<int64_t>(value * 10 + (c - '0'), kMin, kMax);
  return static_cast<int32_t>(value);
}

template <size_t N>
bool IsGeneralByRows(int dict, const char* word, const CodeThreshold (&rows)[N]) {
  if (word == nullptr) return false;
  const size_t length = strnlen(word, kMaxGeneralWord + 1);
  if (length == 0 || length > kMaxGeneralWord) return false;
  if (dict == -1) return false;
  char info[kGeneralInfoSize];
  if (!LookUpInfo(word, dict, info, sizeof info, static_cast<int>(sizeof info))) {
    return false;
  }
  for (const CodeThreshold& row : rows) {
    if (PosAndFre(info, row.code, row.threshold)) return true;
  }
  return false;
}

}  // namespace

bool PosAndFre(const char* info, int32_t code, int32_t threshold) {
  try {
    if (info == nullptr || info[0] == '\0') return false;
    std::string_view rest(info);
    const size_t first_space = rest.find(' ');
    if (first_space == std::string_view::npos) return false;
    rest.remove_prefix(first_space + 1);
    for (;;) {
      const size_t key_end = rest.find(' ');
      if (key_end == std::string_view::npos) return false;
      const std::string_view key = rest.substr(0, key_end);
      rest.remove_prefix(key_end + 1);
      const size_t value_end = rest.find(' ');
      const std::string_view value = rest.substr(0, value_end);
      if (ReadDecimal(key) == code) return ReadDecimal(value) >= threshold;
      if (value_end == std::string_view::npos) return false;
      rest.remove_prefix(value_end + 1);
    }
  } catch (...) {
    WriteLog("PosAndFre Error!");
    return false;
  }
}

bool PosAndFreEnglish(const char* info, const char* letters, int32_t threshold) {
  try {
    if (info == nullptr || info[0] == '\0' || letters == nullptr) return false;
    const std::string_view wanted(letters);
    std::string_view rest(info);
    while (!rest.empty()) {
      // The cut is searched from the second byte on, so a doubled ";" opens
      // the next record instead of making an empty one.
      const size_t cut = rest.find(';', 1);
      const std::string_view record = rest.substr(0, cut);
      rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
      const size_t first_comma = record.find(',');
      const size_t last_comma = record.rfind(',');
      if (first_comma == std::string_view::npos || first_comma == last_comma || first_comma == 0) {
        return false;
      }
      const std::string_view found = record.substr(first_comma + 1, last_comma - first_comma - 1);
      if (found == wanted && ReadDecimal(record.substr(last_comma + 1)) >= threshold) return true;
    }
    return false;
  } catch (...) {
    WriteLog("PosAndFreEnglish Error!");
    return false;
  }
}

bool IsGeneralChineseIn(int dict, const char* word) {
  try {
    return IsGeneralByRows(dict, word, kLenientRows);
  } catch (...) {
    WriteLog("IsGeneralChinese Error!");
    return false;
  }
}

bool IsGeneralChineseStrictIn(int dict, const char* word) {
  try {
    return IsGeneralByRows(dict, word, kStrictRows);
  } catch (...) {
    WriteLog("IsGeneralChineseStrict Error!");
    return false;
  }
}

bool IsGeneralChinese(const char* word) {
  try {
    DictHandle dict(SysGeneralDictName());
    return IsGeneralByRows(dict.get(), word, kLenientRows);
  } catch (...) {
    WriteLog("IsGeneralChinese Error!");
    return false;
  }
}

bool IsGeneralChineseStrict(const char* word) {
  try {
    DictHandle dict(SysGeneralDictName());
    return IsGeneralByRows(dict.get(), word, kStrictRows);
  } catch (...) {
    WriteLog("IsGeneralChineseStrict Error!");
    return false;
  }
}

int32_t HighFreStructure(const char* word) {
  try {
    DictHandle dict(SysGeneralDictName());
    return HighFreStructureIn(dict.get(), word);
  } catch (...) {
    WriteLog("HighFreStructure Error!");
    return kHighFreNoWord;
  }
}

int32_t HighFreStructureIn(int dict, const char* word) {
  try {
    if (word == nullptr) return kHighFreNoWord;
    const size_t length = strnlen(word, kMaxStructureWord + 1);
    if (length > kMaxStructureWord) return kHighFreNoWord;
    if (dict == -1) return kHighFreNoDictionary;

    char text[kStructureTextSize] = {};
    std::memcpy(text, word, length);
    int ends[kStructureEndsCount] = {};
    if (!QX_Word_Sect(text, ends, static_cast<int>(length), dict, 0, nullptr,
                      kStructureMaxWord, 0, 0, 0)) {
      return kHighFreNotSegmented;
    }
    if (ends[1] == 0 || ends[2] != 0) return kHighFreNotTwoParts;
    // Boundaries outside the word cannot describe two parts of it.
    if (ends[0] < 0 || ends[1] < ends[0] || ends[1] > static_cast<int>(length)) {
      return kHighFreNotTwoParts;
    }

    const std::string first(text, static_cast<size_t>(ends[0]));
    const std::string second(text + ends[0], static_cast<size_t>(ends[1] - ends[0]));
    char first_info[kStructureInfoSize];
    char second_info[kStructureInfoSize];
    const bool first_found =
        LookUpInfo(first.c_str(), dict, first_info, sizeof first_info, kStructureInfoCapacity);
    const bool second_found = LookUpInfo(second.c_str(), dict, second_info,
                                         sizeof second_info, kStructureInfoCapacity);
    if (!first_found || !second_found) return kHighFrePartUnknown;

    for (const auto& pattern : kStructurePatterns) {
      if (PosAndFre(first_info, pattern.first, kStructureThreshold) &&
          PosAndFre(second_info, pattern.second, kStructureThreshold)) {
        return kHighFreStructure;
      }
    }
    return kHighFreNoPattern;
  } catch (...) {
    WriteLog("HighFreStructure Error!");
    return kHighFreNoWord;
  }
}

bool IsGeneralStructEnglish(const ArticleTerm* term) {
  try {
    if (term == nullptr) return false;
    const std::string_view word = FieldView(term->word);
    if (word.size() < 2) return false;
    const size_t space = word.find(' ');
    if (space == std::string_view::npos || space == 0) return false;

    DictHandle dict(EnglishGeneralDictName());
    if (!dict.valid()) return false;
    const std::string first(word.substr(0, space));
    const std::string second(word.substr(space + 1));
    char first_info[kEnglishInfoSize];
    char second_info[kEnglishInfoSize];
    if (!LookUpInfo(first.c_str(), dict.get(), first_info, sizeof first_info,
                    kEnglishInfoCapacity)) {
      return false;
    }
    const bool second_found = LookUpInfo(second.c_str(), dict.get(), second_info,
                                         sizeof second_info, kEnglishInfoCapacity);
    dict.Release();
    if (!second_found) return false;

    for (const EnglishRow& row : kEnglishStructures) {
      if (PosAndFreEnglish(first_info, row.first_letters, row.first_count) &&
          PosAndFreEnglish(second_info, row.second_letters, row.second_count)) {
        return true;
      }
    }
    return false;
  } catch (...) {
    WriteLog("IsGeneralStructEnglish Error!");
    return false;
  }
}

void General_Abstword(TermIndexMap& abstword) {
  try {
    DictHandle dict(SysGeneralDictName());
    for (auto it = abstword.begin(); it != abstword.end();) {
      const auto current = it++;
      if (IsGeneralChineseIn(dict.get(), current->first.c_str())) abstword.erase(current);
    }
  } catch (...) {
    WriteLog("General_Abstword Error!");
  }
}

}  // namespace tarnix
