// The Chinese candidates of a field counted into the article's term set,
// and each term described once: the idf and class statistics of its text
// and of its words.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_CANDIDATE_TERMS_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_CANDIDATE_TERMS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "article_terms.h"
#include "zh_words.h"

namespace ekvr {

// A phrase seen once, in the body text only, is counted (it still holds
// its words for the nesting features) but neither described, weighed nor
// delivered: in a long article two thirds of the candidates are such
// phrases, and they are almost never keywords (data/extend_kvr/README.md).
inline bool OnceInBodyPhrase(const Term& t) {
  return t.parts > 1 && t.freq[kPosBody] == 1 && t.TotalFrequency() == 1;
}

// Looks up what the term's texts say. part_idf and part_stats hold the
// values of its words, in order; own_listed says whether a term of one
// token is in the idf list (null: look it up).
void Describe(const Resources& res, const std::vector<float>& part_idf,
              const std::vector<const WordClassStats*>& part_stats, const bool* own_listed, Term* t);

// Counts the candidates of one segmented text of field pos, whose first
// byte stands at base in the field, and describes each new one. whole, when
// given, says whether one candidate is the whole text. With pending given,
// a new phrase is described later, by DescribePending, and its index goes
// there. spans is a buffer reused from text to text.
void AddChineseSpans(std::string_view text, const std::vector<Token>& tokens, const TokenTable& values,
                     Position pos, size_t base, const Resources& res, TermSet* terms, bool* whole,
                     std::vector<Span>* spans, std::vector<uint32_t>* pending);

// Describes the phrases first found in the body text, once the whole
// article has been read and only those that will be weighed: looking up
// the others' texts in the big tables would cost a cache miss or two
// each. Their words' values are the cache's.
void DescribePending(const Resources& res, const std::vector<uint32_t>& pending, const WordCache& cache,
                     TermSet* terms);

// An author keyword is a term of its own, even when it is no candidate of
// its words (whole false): then it is added and described here. Returns
// its words, blank-separated.
std::string AddKeywordTerm(std::string_view kw, const std::vector<Token>& tokens, size_t base, bool whole,
                           const Resources& res, TermSet* terms);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_CANDIDATE_TERMS_H_
