// Chinese term candidates from a segmented field: content words, and
// compounds made of runs of adjacent content words (most author keywords
// are compounds of dictionary words, such as 卷积 + 神经网络).
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_TERMS_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_TERMS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ekvr {

// One segment of a field: bytes [begin, end) and the segmenter's
// part-of-speech code.
struct Token {
  uint32_t begin;
  uint32_t end;
  int16_t tag;
};

// Part-of-speech codes of the segmentation dictionary (data/lexmill's
// pos_codes.tsv) and of the segments it does not know.
namespace tag {
inline constexpr int16_t kNoun = 9, kPersonName = 10, kPlaceName = 11, kOrgName = 12,
                         kProperNoun = 13, kVerb = 14, kVerbalNoun = 15, kAdjective = 16,
                         kDistinguishing = 17, kTimeWord = 19, kFixedExpression = 24, kAbbreviation = 25, kMorpheme = 26,
                         kEnglishWord = 28, kLetters = 40, kDigits = 41, kBlank = 43,
                         kUnknownChar = 44;
}

// How a tag takes part in terms.
enum class Role {
  kHead,      // may stand alone and end a compound (nouns, verbal nouns, ...)
  kVerb,      // may start and end a compound (补肾活血汤, 分离纯化); alone only when long
  kModifier,  // may start or continue a compound; alone only a long distinguishing word
  kInner,     // may only sit inside a compound (digits, a blank between letters)
  kBreak      // ends every run (function words, punctuation, ...)
};
Role TagRole(int16_t tag);

// A candidate: tokens [first, first + count) of the field.
struct Span {
  uint32_t first;
  uint32_t count;
  bool run_start = false;  // the span begins its run of content words
  bool run_end = false;    // and ends it
};

inline constexpr uint32_t kMaxCompoundWords = 4;
// Tarnix drops candidates of more than 14 bytes before merging.
inline constexpr size_t kMaxTermBytes = 14;

// Every candidate of the field, in text order: single content words of two
// or more characters, and the compounds of 2 to kMaxCompoundWords tokens of
// one run that start with a content word (not a digit or blank), end with a
// head or verb, and have at most kMaxTermBytes bytes.
std::vector<Span> ChineseCandidates(std::string_view text, const std::vector<Token>& tokens);
// The same into out (emptied first), so that a caller going through many
// fields reuses one buffer.
void ChineseCandidates(std::string_view text, const std::vector<Token>& tokens, std::vector<Span>* out);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_TERMS_H_
