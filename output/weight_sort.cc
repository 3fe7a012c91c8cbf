#include "weight_sort.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

// Everything of a keyword moves except the reserved bytes, which belong to
// the host and stay with the slot.
void MoveKeyword(const KeywordEntry& from, KeywordEntry& to) {
  std::memcpy(&to, &from, offsetof(KeywordEntry, reserved));
  to.weight = from.weight;
}

// Finds the first slot at or after a given one whose weight is strictly
// greater than a given weight (a NaN is never greater, and nothing is
// greater than a NaN, as with the comparison the exchange sort makes). The
// slots are read in blocks, and a block whose maximum is not greater is
// skipped whole. An exchange only ever lowers the weight of a slot still to
// be searched, so a block's recorded maximum stays an upper bound without
// being kept up to date; a block found to hold nothing greater has its
// maximum brought down to what it holds.
class HeavierFinder {
 public:
  explicit HeavierFinder(const std::vector<double>& weights)
      : w_(weights), n_(static_cast<int32_t>(weights.size())) {
    block_max_.assign(static_cast<size_t>((n_ + kBlock - 1) / kBlock), kNone);
    for (int32_t j = 0; j < n_; ++j) {
      double& m = block_max_[static_cast<size_t>(j / kBlock)];
      if (w_[j] > m) m = w_[j];
    }
  }

  // The first slot j >= from with held < weight(j), or n.
  int32_t First(int32_t from, double held) {
    if (from >= n_) return n_;
    int32_t block = from / kBlock;
    const int32_t first_end = std::min(n_, (block + 1) * kBlock);
    for (int32_t j = from; j < first_end; ++j) {
      if (held < w_[j]) return j;
    }
    const int32_t blocks = static_cast<int32_t>(block_max_.size());
    for (++block; block < blocks; ++block) {
      double& m = block_max_[static_cast<size_t>(block)];
      if (!(held < m)) continue;
      const int32_t begin = block * kBlock, end = std::min(n_, begin + kBlock);
      double actual = kNone;
      for (int32_t j = begin; j < end; ++j) {
        if (held < w_[j]) return j;
        if (w_[j] > actual) actual = w_[j];
      }
      m = actual;
    }
    return n_;
  }

 private:
  static constexpr int32_t kBlock = 32;
  static constexpr double kNone = -std::numeric_limits<double>::infinity();

  const std::vector<double>& w_;
  int32_t n_;
  std::vector<double> block_max_;
};

}  // namespace

bool MaoPaoSort(KeywordEntry* word_buffer, int32_t n) {
  if (n == 0) return true;
  if (word_buffer == nullptr || n < 0) return false;
  // The exchanges are played out on the weights alone, packed together, and
  // the records are then moved once to where the exchanges took them: the
  // same order, equal weights included, without dragging 528-byte records
  // through a quadratic walk.
  std::vector<double> weights(static_cast<size_t>(n));
  std::vector<int32_t> from(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    weights[i] = word_buffer[i].weight;
    from[i] = i;
  }
  // Slot i's occupant is held through its pass; a heavier one met on the
  // way changes places with it, as the exchange would. The finder skips
  // the blocks of slots that hold nothing heavier: most passes meet few
  // heavier weights, and they lie close.
  HeavierFinder finder(weights);
  for (int32_t i = 0; i + 1 < n; ++i) {
    double held = weights[i];
    int32_t held_from = from[i];
    for (int32_t j = finder.First(i + 1, held); j < n; j = finder.First(j + 1, held)) {
      std::swap(held, weights[j]);
      std::swap(held_from, from[j]);
    }
    weights[i] = held;
    from[i] = held_from;
  }
  // Slot i takes the record that was in slot from[i]: follow each cycle of
  // that permutation with one record set aside.
  std::vector<bool> placed(static_cast<size_t>(n), false);
  KeywordEntry aside;
  for (int32_t start = 0; start < n; ++start) {
    if (placed[start] || from[start] == start) continue;
    std::memcpy(&aside, &word_buffer[start], sizeof aside);
    int32_t i = start;
    while (from[i] != start) {
      MoveKeyword(word_buffer[from[i]], word_buffer[i]);
      placed[i] = true;
      i = from[i];
    }
    MoveKeyword(aside, word_buffer[i]);
    placed[i] = true;
  }
  return true;
}

int32_t TrimTrailingZeros(const KeywordEntry* word_buffer, int32_t count) {
  while (count > 0 && word_buffer[count - 1].weight == 0.0) --count;
  return count;
}

bool WordValueChang(ClassScoreMap& class_map, const char* article_class,
                    KeywordEntry* word_buffer, int32_t* buffer_size) {
  try {
    if (buffer_size == nullptr) return false;
    const int32_t count = *buffer_size;
    if (count == 0) return true;
    if (word_buffer == nullptr || count < 0 || article_class == nullptr) return false;

    // A keyword of the article's own class always counts as matching.
    class_map.emplace(std::string(article_class, strnlen(article_class, kArticleClassSize - 1)),
                      0.0);
    std::string code;
    for (int32_t k = 0; k < count; ++k) {
      code.assign(FieldView(word_buffer[k].class_code));
      word_buffer[k].weight *= class_map.count(code) ? 2.0 : 0.5;
    }
    MaoPaoSort(word_buffer, count);
    *buffer_size = TrimTrailingZeros(word_buffer, count);
    return true;
  } catch (...) {
    WriteLog("WordValueChang Error!");
    return false;
  }
}

}  // namespace tarnix
