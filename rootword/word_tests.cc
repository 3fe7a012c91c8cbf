#include "word_tests.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "config.h"
#include "dictionary_lookup.h"
#include "lexmill.h"
#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

// Longest text ContraWord reverses: the engine's work buffer is 128 bytes.
constexpr size_t kContraBufferSize = 128;
// Character-end array handed to Code_Determine; a little larger than the
// work buffer so that an engine writing one past the count cannot overrun.
constexpr int kContraEndsSize = 135;

constexpr size_t kSimilarKeySize = 256;
constexpr int kSimilarInfoSize = 1024;
constexpr int kGeneralInfoSize = 256;

constexpr double kSimilarityNone = 0.0;

int DigitValue(char c) { return static_cast<int>(static_cast<unsigned char>(c)) - '0'; }

// The number that follows "b:" in an information text of entries
// "word:number;", or 0.0 when there is none.
double SimilarityIn(std::string_view info, const char* b) {
  std::string pattern(b);
  pattern += ':';
  size_t at = info.find(pattern);
  if (at == std::string_view::npos) return kSimilarityNone;
  size_t start = at + pattern.size();
  size_t end = info.find(';', start);
  if (end == std::string_view::npos) return kSimilarityNone;
  return NumStrValue(std::string(info.substr(start, end - start)));
}

// Auxiliary words that make an English phrase general when they lead or end
// it, in the order they are tested.
bool HasGeneralPhrasePart(const char* word) {
  static const char* const kAuxiliaries[] = {"was", "are", "is", "were", "has", "have", "also"};
  if (SameTail(word, " to")) return true;
  for (const char* aux : kAuxiliaries) {
    std::string head = std::string(aux) + " ";
    std::string tail = " " + std::string(aux);
    if (SameHead(word, head.c_str()) || SameTail(word, tail.c_str())) return true;
  }
  return false;
}

}  // namespace

bool ContraWord(std::string& text) {
  try {
    if (text.empty() || text.size() >= kContraBufferSize) return false;
    char work[kContraBufferSize];
    CopyText(work, sizeof work, text);
    const int length = static_cast<int>(text.size());
    // Only the entries a text of this length can use are cleared: the
    // whole arrays, cleared for every key of two merging passes, cost a
    // seventh of the reversal. No more than `length` ends are read below.
    int ends[kContraEndsSize];
    char kinds[kContraBufferSize];
    std::fill_n(ends, length + 1, 0);
    std::fill_n(kinds, length + 1, '\0');
    int count = -1;
    if (!Code_Determine(work, ends, kinds, length, &count, 0, 0)) return false;

    // The engine's boundaries must cut the whole text into non-empty
    // characters; anything else would drop or repeat bytes.
    if (count < 1 || count > length) return false;
    int previous = 0;
    for (int i = 0; i < count; ++i) {
      if (ends[i] <= previous || ends[i] > length) return false;
      previous = ends[i];
    }
    if (previous != length) return false;
    if (count == 1) return true;

    // The characters go into the work buffer back to front; the text
    // itself still holds them in reading order. Characters are a byte or
    // two: a plain loop beats a library copy per character.
    char* out = work;
    const char* in = text.data();
    for (int i = count - 1; i >= 0; --i) {
      for (int b = i == 0 ? 0 : ends[i - 1]; b < ends[i]; ++b) *out++ = in[b];
    }
    text.assign(work, static_cast<size_t>(length));
    return true;
  } catch (...) {
    WriteLog("ContraWord Error!");
    return false;
  }
}

double GetSimlarity(const char* a, const char* b) {
  try {
    if (a == nullptr || b == nullptr) return kSimilarityNone;
    if (std::strcmp(a, b) == 0) return 1.0;
    DictHandle dict(SimilarDictName());
    return GetSimlarityIn(dict.get(), a, b);
  } catch (...) {
    WriteLog("GetSimlarity Error!");
    return kSimilarityNone;
  }
}

double GetSimlarityIn(int dict, const char* a, const char* b) {
  try {
    if (a == nullptr || b == nullptr) return kSimilarityNone;
    if (std::strcmp(a, b) == 0) return 1.0;
    if (dict == -1) {
      WriteLog("GetSimlarity function: can not Getdict QOVA_SIM_CHN_DICT!");
      return kSimilarityNone;
    }
    // A word too long for the key buffer cannot be looked up whole, and a
    // cut key would ask about a different word.
    if (std::strlen(a) >= kSimilarKeySize) return kSimilarityNone;
    char key[kSimilarKeySize];
    CopyText(key, sizeof key, a);
    char info[kSimilarInfoSize] = {};
    if (Dict_Search_Get_Info(key, dict, info, kSimilarInfoSize) != 1) return kSimilarityNone;
    return SimilarityIn(std::string_view(info, BoundedLength(info, sizeof info)), b);
  } catch (...) {
    WriteLog("GetSimlarity Error!");
    return kSimilarityNone;
  }
}

double NumStrValue(std::string text) {
  // Floating point throughout: a long run of digits grows towards infinity
  // instead of overflowing an integer.
  double value = 0.0;
  size_t i = 0;
  while (i < text.size() && text[i] != '.') {
    value = value * 10.0 + DigitValue(text[i]);
    ++i;
  }
  if (text.size() - i <= 1) return value;  // nothing left, or a lone "."
  const size_t first = i + 1;
  double fraction = 0.0;
  for (size_t j = text.size(); j > first; --j) {
    fraction = (fraction + DigitValue(text[j - 1])) * 0.1;
  }
  return value + fraction;
}

bool IsNumStr(const char* text) {
  try {
    if (text == nullptr) return false;
    for (const char* p = text; *p; ++p) {
      if (*p < '0' || *p > '9') return false;
    }
    return true;
  } catch (...) {
    WriteLog("IsNumStr Error!");
    return false;
  }
}

bool HaveCapital(const char* text) {
  try {
    if (text == nullptr) return false;
    for (const char* p = text; *p; ++p) {
      if (*p >= 'A' && *p <= 'Z') return true;
    }
    return false;
  } catch (...) {
    WriteLog("HaveCapital Error!");
    return false;
  }
}

bool SameHead(const char* text, const char* pattern) {
  if (text == nullptr || pattern == nullptr) return false;
  size_t a = std::strlen(text), b = std::strlen(pattern);
  if (a == b) return false;
  return std::memcmp(text, pattern, a < b ? a : b) == 0;
}

bool SameTail(const char* text, const char* pattern) {
  if (text == nullptr || pattern == nullptr) return false;
  size_t a = std::strlen(text), b = std::strlen(pattern);
  if (a == b) return false;
  size_t n = a < b ? a : b;
  return std::memcmp(text + (a - n), pattern + (b - n), n) == 0;
}

bool IsGeneralEnglish(const char* word) {
  try {
    if (word == nullptr || *word == '\0') return false;
    if (IsNumStr(word)) return true;
    if (HasGeneralPhrasePart(word)) return true;
    if (std::strcmp(word, "during") == 0) return true;
    if (!HaveCapital(word) && std::strlen(word) < 4) return true;

    DictHandle dict(EnglishGeneralDictName());
    if (!dict.valid()) return false;
    char info[kGeneralInfoSize] = {};
    return Dict_Search_Get_Info(word, dict.get(), info, kGeneralInfoSize - 1) == 1;
  } catch (...) {
    WriteLog("IsGeneralEnglish Error!");
    return false;
  }
}

}  // namespace tarnix
