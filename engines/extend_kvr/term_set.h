// The terms of one article, counted per field, and how they are written
// into ArticleTerm tables.
#ifndef TARNIX_ENGINES_EXTEND_KVR_TERM_SET_H_
#define TARNIX_ENGINES_EXTEND_KVR_TERM_SET_H_

#include <string>
#include <string_view>
#include <vector>

#include "positions.h"
#include "tarnix/records.h"
#include "short_key_table.h"
#include "word_table.h"

namespace ekvr {

using tarnix::WordTable;

struct WordClassStats;

struct Term {
  std::string word;    // as first found in the article
  std::string second;  // see positions.h
  std::string class_code;
  int parts = 1;       // words in the term
  float idf = 0.0f;
  bool keep = true;    // false: counted, but not delivered
  bool author_keyword = false;  // the text of a whole author keyword
  int freq[kPositionCount] = {};
  int first_offset[kPositionCount] = {-1, -1, -1, -1, -1, -1};
  float weight[kPositionCount] = {};
  double total = 0.0;  // sum of weight[]
  // Chinese: how the term stands in the segmented text.
  int run_start = 0, run_end = 0;  // occurrences that begin / end a run of content words
  bool title_whole = false;        // an occurrence is a whole run of the title
  int abs_whole = 0;               // occurrences that are a whole run of the abstract
  bool first_single = false, last_single = false;  // first / last word one character
  int16_t last_tag = -1;           // part of speech of the last word
  // Chinese: what the dictionaries say of the term and its words, looked up
  // once per term.
  float own_idf = 0.0f;            // idf of the whole text (the median when unlisted)
  bool listed = false;             // the idf list holds the whole text
  float part_idf_mean = 0.0f, part_idf_min = 0.0f;
  const WordClassStats* own_stats = nullptr;   // the classifier's, of the whole text
  const WordClassStats* part_stats = nullptr;  // the strongest associated of its words

  // Inline: features, weights and orderings ask for these many times per
  // term.
  int Fields() const {
    int n = 0;
    for (int f : freq) n += f > 0;
    return n;
  }
  int TotalFrequency() const {
    int n = 0;
    for (int f : freq) n += f;
    return n;
  }
};

// The words of a term's second text, blank-separated, into a reused vector.
void SplitWords(std::string_view second, std::vector<std::string_view>* words);

class TermSet {
 public:
  // Counts one occurrence of the term with this key (the text terms are
  // told apart by) in field pos at byte offset; the first occurrence fixes
  // the term's word, second text and number of parts.
  Term& Add(std::string_view key, std::string_view word, std::string_view second, int parts,
            Position pos, size_t offset);

  Term* Find(std::string_view key);
  // Room for n terms: a long article has thousands, and growing the index
  // step by step hashes every key again at each step.
  void Reserve(size_t n);
  std::vector<Term>& terms() { return terms_; }
  const std::vector<Term>& terms() const { return terms_; }
  void Clear();

 private:
  ShortKeyTable<uint32_t> index_;  // key -> its term of terms_
  std::vector<Term> terms_;
};

// Writes one record completely: every text cut at a character boundary to
// fit its field, reserved fields as positions.h describes.
void FillRecord(ArticleTerm* record, const Term& term, Position pos, float weight, int frequency);

// An author keyword as kind 2 delivers it.
struct AuthorKeyword {
  std::string word;
  std::string second;
  std::string class_code;
  float weight = 0.0f;
  int frequency = 1;
};

// Kind 1: one record per kept term and field it occurs in, heaviest first,
// at most capacity records. Returns the number written.
int WriteFullText(const TermSet& terms, ArticleTerm* table, int capacity);

// Kind 1 of an English article: one record per kept term, heaviest
// (total) first, at most capacity records: at the first of title,
// abstract, body and keywords the term occurs in, with its occurrences in
// all four as its frequency, so that Tarnix's frequency totals come out
// whole. Returns the number written.
int WriteWholeTerms(const TermSet& terms, ArticleTerm* table, int capacity);

// Kind 2: the author keywords first, then at most abstract_terms kept terms
// that occur in the abstract, heaviest (over the whole article) first; at
// most capacity and at most kAbstractLimit records. Returns the number written.
inline constexpr int kAbstractLimit = 50;
int WriteAbstract(const std::vector<AuthorKeyword>& keywords, const TermSet& terms,
                  ArticleTerm* table, int capacity, int abstract_terms = kAbstractLimit);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TERM_SET_H_
