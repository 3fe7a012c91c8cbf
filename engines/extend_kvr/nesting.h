// How the terms of an article nest: for every term, the longer terms that
// hold it as a run of whole words. A piece that never stands alone, or a
// phrase most of whose occurrences are those of a piece, says something
// about both, and the term models read it as features.
#ifndef TARNIX_ENGINES_EXTEND_KVR_NESTING_H_
#define TARNIX_ENGINES_EXTEND_KVR_NESTING_H_

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace ekvr {

struct Nesting {
  explicit Nesting(size_t terms) : sum(terms, 0), max(terms, 0), sub_max(terms, 0) {}

  // Empty again, for the given number of terms, keeping the memory.
  void Reset(size_t terms) {
    sum.assign(terms, 0);
    max.assign(terms, 0);
    sub_max.assign(terms, 0);
    pairs.clear();
  }

  // Counts piece as held by longer, with the occurrences of each.
  void Add(size_t piece, size_t longer, int piece_count, int longer_count) {
    pairs.emplace_back(piece, longer);
    sum[piece] += longer_count;
    max[piece] = std::max(max[piece], longer_count);
    sub_max[longer] = std::max(sub_max[longer], piece_count);
  }

  std::vector<int> sum;      // occurrences of the longer terms holding each term
  std::vector<int> max;      // occurrences of the commonest of them
  std::vector<int> sub_max;  // occurrences of each term's commonest piece
  std::vector<std::pair<size_t, size_t>> pairs;  // (piece, longer term holding it)
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_NESTING_H_
