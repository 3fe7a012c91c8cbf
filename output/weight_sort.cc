#include "weight_sort.h"

#include <cstddef>
#include <cstring>
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

}  // namespace

bool MaoPaoSort(KeywordEntry* word_buffer, int32_t n) {
  if (n == 0) return true;
  if (word_buffer == nullptr || n < 0) return false;
  // The exchanges are played out on the weights alone, packed together, and
  // the records are then moved once to where the exchanges took them: the
  // same order, equal weights included, without dragging 528-byte records
  // through a quadratic walk.
  struct Slot {
    double weight;
    int32_t from;
  };
  std::vector<Slot> slots(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) slots[i] = {word_buffer[i].weight, i};
  for (int32_t i = 0; i + 1 < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      if (slots[i].weight < slots[j].weight) std::swap(slots[i], slots[j]);
    }
  }
  std::vector<KeywordEntry> moved(word_buffer, word_buffer + n);
  for (int32_t i = 0; i < n; ++i) {
    if (slots[i].from != i) MoveKeyword(moved[slots[i].from], word_buffer[i]);
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
