// The features of a Chinese term candidate, as the term model reads them
// (term_model.h lists them).
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_FEATURES_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_FEATURES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "article_terms.h"

namespace ekvr {

// Occurrences of word in text that start at a character boundary.
size_t CountOccurrences(std::string_view text, std::string_view word);

// The pairs of adjacent bytes of a text: a word with a pair the text lacks
// cannot occur in it, which spares most terms of a long article a scan of
// the abstract and the title.
class BytePairs {
 public:
  explicit BytePairs(std::string_view text) : bits_(kWords, 0) {
    for (size_t i = 0; i + 1 < text.size(); ++i) Mark(Pair(text[i], text[i + 1]));
    for (char c : text) single_[static_cast<unsigned char>(c) >> 6] |= uint64_t{1} << (static_cast<unsigned char>(c) & 63);
  }
  bool MayContain(std::string_view word) const {
    if (word.size() == 1) {
      const auto c = static_cast<unsigned char>(word[0]);
      return (single_[c >> 6] >> (c & 63) & 1) != 0;
    }
    for (size_t i = 0; i + 1 < word.size(); ++i) {
      const uint32_t p = Pair(word[i], word[i + 1]);
      if ((bits_[p >> 6] >> (p & 63) & 1) == 0) return false;
    }
    return true;
  }

 private:
  static constexpr size_t kWords = 65536 / 64;
  static uint32_t Pair(char a, char b) {
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) << 8 | static_cast<unsigned char>(b);
  }
  void Mark(uint32_t p) { bits_[p >> 6] |= uint64_t{1} << (p & 63); }
  std::vector<uint64_t> bits_;
  uint64_t single_[4] = {};
};

// The character starts of a text grouped by their first two bytes: every
// candidate of an article is counted in its abstract, and comparing a word
// only where its first character starts costs a fraction of scanning the
// abstract for it each time.
class CharStarts {
 public:
  explicit CharStarts(std::string_view text);
  // What CountOccurrences(text, word) gives.
  size_t Count(std::string_view word) const;

 private:
  static uint32_t Key(std::string_view text, size_t at) {
    const auto high = static_cast<unsigned char>(text[at]);
    const auto low = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0u;
    return static_cast<uint32_t>(high) << 8 | low;
  }
  std::string_view text_;
  std::vector<uint64_t> starts_;  // key << 32 | offset, ascending
};

// What a term's features read of the article besides the term.
struct FeatureContext {
  FeatureContext(const ArticleText& a, std::string top)
      : article(a),
        top_code(std::move(top)),
        abstract_pairs(a.field[kPosAbstract]),
        title_pairs(a.field[kPosTitle]),
        abstract_starts(a.field[kPosAbstract]) {}
  const ArticleText& article;
  std::string top_code;  // the article's best class, empty when none
  BytePairs abstract_pairs;
  BytePairs title_pairs;
  CharStarts abstract_starts;
};

// How a term nests with the others (see Nesting): the occurrences of the
// longer terms holding it, of the commonest of them, and of its commonest
// piece.
struct NestCounts {
  int sum;
  int max;
  int sub_max;
};

// Writes the kTermFeatures features of term t to f.
void TermFeatures(const FeatureContext& context, const Term& t, NestCounts nest, float* f);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_FEATURES_H_
