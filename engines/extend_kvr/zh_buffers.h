// The buffers of one Chinese article's reading, kept by the engine from
// article to article: a long article's tables, allocated afresh for each,
// cost the heap two system calls and a page fault for every 4 KB of them,
// as much as the reading itself.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_BUFFERS_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_BUFFERS_H_

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "classifier.h"
#include "nesting.h"
#include "short_key_table.h"
#include "zh_terms.h"

namespace ekvr {

struct WordValues {
  float idf;
  bool listed;  // in the idf list (else idf is its median)
  const WordClassStats* stats;
};
using WordCache = ShortKeyTable<WordValues>;

// The values of the tokens of one segmented text, as TokenValues found them.
struct TokenTable {
  std::vector<float> idf;
  std::vector<uint8_t> listed;
  std::vector<const WordClassStats*> stats;
};

// The classifier's features of the article: its distinct words of two or
// more characters (letter words in lower case), in the order they first
// occur, with their statistics.
struct ClassifierFeatures {
  std::unordered_set<std::string> seen;  // the keys of letter words and blanks
  std::vector<const WordClassStats*> stats;
};

struct ChineseBuffers {
  std::vector<Token> tokens;
  ClassifierFeatures features;
  WordCache cache;
  TokenTable values;
  std::vector<Span> spans;        // the candidates of one field
  std::vector<uint32_t> pending;  // phrases of the body text, described at the end
  std::vector<int> total;         // each term's occurrences, for the weighing
  Nesting nesting{0};

  // Empties every buffer and keeps its memory for the next article.
  void Clear() {
    tokens.clear();
    features.seen.clear();
    features.stats.clear();
    cache.clear();
    spans.clear();
    pending.clear();
    total.clear();
    nesting.Reset(0);
  }
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_BUFFERS_H_
