#include "english_terms.h"

#include "dictionary_lookup.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>

#include "config.h"
#include "lexmill.h"
#include "run_log.h"
#include "term_access.h"
#include "term_maps.h"
#include "text.h"

namespace tarnix {
namespace {


constexpr size_t kSegmentTitleLimit = 1024;  // GetEngLishWord: at most this many bytes
constexpr size_t kAddTitleLimit = 512;       // AddEngLishWord: fewer than this many bytes
constexpr size_t kClassCodeLimit = 50;       // fewer than this many bytes
constexpr int kSegmentMaxWord = 1024;

// Stands in for punctuation and for dropped number-led pieces, so that no
// join crosses it; it never passes the term test.
constexpr char kSeparator[] = "\xB5\xC4";  // 的

constexpr int32_t kAddedPosition = 0;
constexpr int32_t kAddedFrequency = 50;
constexpr int32_t kTitlePosition = 1;
constexpr double kAddedWeightShare = 0.8;

// Code_Determine's kind buffer; the text handed to it must stay shorter.
constexpr size_t kCharacterKindsSize = 128;

using CharacterTest = bool(LEXMILL_CALL*)(const char*, int);

// The engine judges single bytes as one-byte texts.
bool ByteIs(CharacterTest test, char byte) {
  const char text[2] = {byte, '\0'};
  return test(text, 0);
}

// Segments are never empty, so front() is a real byte.
bool LedByLetter(const std::string& piece) { return ByteIs(IsEnglishLetter, piece.front()); }
bool LedByNumber(const std::string& piece) { return ByteIs(IsNumber, piece.front()); }
bool LedByLetterOrNumber(const std::string& piece) {
  return LedByLetter(piece) || LedByNumber(piece);
}

bool PassesTermTest(const std::string& piece) {
  return LedByLetter(piece) && piece.size() > 1 && !IsPunctuation(piece.c_str(), 0) &&
         !ByteIs(IsPunctuation, piece.back());
}

void KeepTerms(std::vector<std::string>& pieces) {
  pieces.erase(std::remove_if(pieces.begin(), pieces.end(),
                              [](const std::string& p) { return !PassesTermTest(p); }),
               pieces.end());
}


// Cuts the title at the word ends the engine reported. Ends beyond the
// title are held to it, and an end that does not advance gives no segment,
// so a confused engine cannot make us read outside the title.
std::vector<std::string> CutAtEnds(const std::string& title, const std::vector<int>& ends) {
  std::vector<std::string> pieces;
  const int len = static_cast<int>(title.size());
  int start = 0;
  for (int i = 0; i < len && (i == 0 || ends[i] != 0); ++i) {
    const int end = std::min(ends[i], len);
    if (end <= start) continue;
    pieces.push_back(title.substr(start, end - start));
    start = end;
  }
  return pieces;
}

void MarkSeparators(std::vector<std::string>& pieces) {
  // A single pass does what restarting after every replacement would: the
  // separator itself never qualifies again.
  for (std::string& piece : pieces) {
    if ((piece.size() > 1 && IsPunctuation(piece.c_str(), 0)) || piece == "(") {
      piece = kSeparator;
    }
  }
}

void JoinRuns(std::vector<std::string>& pieces) {
  size_t r = 0;
  while (r + 1 < pieces.size()) {
    const std::string& r1 = pieces[r + 1];
    const bool has_r2 = r + 2 < pieces.size();
    if (LedByLetter(pieces[r]) &&
        (LedByLetterOrNumber(r1) ||
         (has_r2 && r1.size() == 1 && LedByLetterOrNumber(pieces[r + 2])))) {
      pieces[r] += r1;  // a one-byte separator such as a blank stays inside the term
    } else if (LedByNumber(pieces[r]) && (LedByLetterOrNumber(r1) || r1.size() == 1)) {
      pieces[r] = kSeparator;
    } else {
      ++r;
      continue;
    }
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(r) + 1);
    // The walk goes on at r, where walking again from the first piece would
    // arrive with the same outcome: a change needs r led by a letter or a
    // number, and a piece before r that could join or drop with that would
    // already have done so. Staying keeps the walk linear.
  }
}

// Length of the longest prefix of text of at most limit bytes that ends at
// a character boundary. The engine reports the boundaries; when it cannot,
// the text is read as GBK (a byte of 0x81 or more leads a two-byte
// character).
size_t FittingLength(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  // One byte past the limit shows whether the character at the limit ends there.
  const size_t probe = std::min(limit + 1, kCharacterKindsSize - 1);
  std::vector<int> char_ends(probe + 1, 0);
  char kinds[kCharacterKindsSize] = {};
  int count = -1;
  if (Code_Determine(text.c_str(), char_ends.data(), kinds, static_cast<int>(probe), &count, 0,
                     0) &&
      count > 0) {
    size_t fit = 0;
    for (size_t k = 0; k < static_cast<size_t>(count) && k < probe; ++k) {
      if (char_ends[k] <= 0 || static_cast<size_t>(char_ends[k]) <= fit ||
          static_cast<size_t>(char_ends[k]) > limit) {
        break;
      }
      fit = static_cast<size_t>(char_ends[k]);
    }
    return fit;
  }
  size_t fit = 0;
  while (fit < text.size()) {
    const size_t step = static_cast<unsigned char>(text[fit]) >= 0x81 ? 2 : 1;
    if (fit + step > limit) break;
    fit += step;
  }
  return fit;
}

bool HasEnglishLetter(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (ByteIs(IsEnglishLetter, *p)) return true;
  }
  return false;
}

// 0.8 of the heaviest title term; 0.0 when no title term weighs anything.
float AddedWeight(const ArticleTerm* info_map, int32_t n) {
  float heaviest = 0.0f;
  for (int32_t i = 0; i < n; ++i) {
    if (info_map[i].position == kTitlePosition && info_map[i].weight > heaviest) {
      heaviest = info_map[i].weight;
    }
  }
  return static_cast<float>(kAddedWeightShare * heaviest);
}

}  // namespace

bool GetEngLishWord(std::vector<std::string>& terms, const char* title) {
  terms.clear();
  if (!title || strnlen(title, kSegmentTitleLimit + 1) > kSegmentTitleLimit) return false;
  DictHandle dict(ClassifyChnDictName());
  if (dict.get() < 0) {
    WriteLog("DictGet failled in GetEngLishWord");
    return false;
  }
  std::string copy;
  std::vector<int> ends;
  std::vector<int16_t> tags;
  try {
    copy = title;
    ends.assign(copy.size() + 1, 0);
    tags.assign(copy.size() + 1, -1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (copy.empty()) return false;
  const int len = static_cast<int>(copy.size());
  if (!QX_Word_Sect(copy.c_str(), ends.data(), len, dict.get(), 1, tags.data(), kSegmentMaxWord,
                    1, 0, 0)) {
    WriteLog("Segment this line failed in GetEngLishWord");
    return false;
  }
  dict.Release();

  terms = CutAtEnds(copy, ends);
  bool has_english = false;
  int led = 0;
  for (const std::string& piece : terms) {
    if (LedByLetter(piece)) {
      has_english = true;
      ++led;
    } else if (LedByNumber(piece)) {
      ++led;
    }
  }
  if (!has_english) {
    terms.clear();
    return false;
  }
  // A lone English piece has nothing to join with.
  if (led >= 2) {
    MarkSeparators(terms);
    JoinRuns(terms);
  }
  KeepTerms(terms);
  return true;
}

bool AddEngLishWord(ArticleTerm* info_map, int32_t n, ArticleTerm* info_map1, int32_t* m,
                    const char* title, const char* article_class) {
  try {
    if (!info_map || !info_map1 || !m || !title || !article_class) return false;
    if (!CountFits(n, kInfoMapCapacity) || !CountFits(*m, kInfoMap1Capacity)) return false;
    if (title[0] == '\0' || strnlen(title, kAddTitleLimit) >= kAddTitleLimit ||
        strnlen(article_class, kClassCodeLimit) >= kClassCodeLimit) {
      return true;
    }
    if (!HasEnglishLetter(title)) return true;
    std::vector<std::string> terms;
    if (!GetEngLishWord(terms, title)) return true;
    const float weight = AddedWeight(info_map, n);
    for (const std::string& term : terms) {
      if (*m >= kInfoMap1Capacity) break;
      const size_t fit = FittingLength(term, sizeof(ArticleTerm::word) - 1);
      if (fit == 0) continue;  // no whole character fits the field
      ArticleTerm& record = info_map1[*m];
      SetField(record.word, std::string_view(term.data(), fit));
      SetField(record.class_code, article_class);
      record.position = kAddedPosition;
      record.frequency = kAddedFrequency;
      record.weight = weight;
      ++*m;
    }
    return true;
  } catch (...) {
    WriteLog("AddEngLishWord Error!");
    return false;
  }
}

}  // namespace tarnix
