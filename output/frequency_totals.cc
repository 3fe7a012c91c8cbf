#include "frequency_totals.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

constexpr int32_t kCountedPositions = 4;  // positions 0 to 3 carry a frequency

// The records of one table ordered by text, equal texts by record index.
// A keyword uses up every record of its text at once, so a record is either
// used or all records of its text are still there.
class TextIndex {
 public:
  TextIndex(const ArticleTerm* table, int32_t count) : table_(table) {
    entries_.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int32_t i = 0; i < count; ++i) entries_.push_back({FieldView(table[i].word), i});
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
      return a.text != b.text ? a.text < b.text : a.index < b.index;
    });
    used_.assign(entries_.size(), false);
  }

  // Adds to total the frequency of the first record of each position not
  // yet marked, among the unused records with text, and uses them up.
  // False when no unused record has that text.
  bool Take(std::string_view text, bool (&marks)[kCountedPositions], int64_t& total) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), text,
                               [](const Entry& e, std::string_view t) { return e.text < t; });
    if (it == entries_.end() || it->text != text || used_[it - entries_.begin()]) return false;
    for (; it != entries_.end() && it->text == text; ++it) {
      used_[it - entries_.begin()] = true;
      const ArticleTerm& record = table_[it->index];
      if (record.position >= 0 && record.position < kCountedPositions && !marks[record.position]) {
        marks[record.position] = true;
        total += record.frequency;
      }
    }
    return true;
  }

 private:
  struct Entry {
    std::string_view text;
    int32_t index;
  };
  const ArticleTerm* table_;
  std::vector<Entry> entries_;
  std::vector<bool> used_;
};

// A total beyond 32 bits stays at the nearest bound instead of wrapping.
int32_t Saturate(int64_t total) {
  return static_cast<int32_t>(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool SortByPos(ArticleTerm* info_map, int32_t* n, ArticleTerm* info_map1, int32_t* m,
               KeywordEntry* word_buffer, int32_t* buffer_size) {
  try {
    if (n == nullptr || buffer_size == nullptr) return false;
    const int32_t count = *n;
    const int32_t keywords = *buffer_size;
    if (keywords == 0 || count == 0) return true;
    if (info_map == nullptr || word_buffer == nullptr || count < 0 || keywords < 0) return false;
    // The abstract table may be empty, but not missing while it has records.
    if (m == nullptr || (info_map1 == nullptr && *m > 0)) return false;

    TextIndex full_text(info_map, count);
    TextIndex abstract_terms(info_map1, info_map1 ? *m : 0);
    for (int32_t k = 0; k < keywords; ++k) {
      KeywordEntry& slot = word_buffer[k];
      const std::string_view text = FieldView(slot.keyword_text);
      bool marks[kCountedPositions] = {};
      int64_t total = 0;
      if (!full_text.Take(text, marks, total)) abstract_terms.Take(text, marks, total);
      slot.frequency = Saturate(total);
    }
    return true;
  } catch (...) {
    WriteLog("SortByPos Error!");
    return false;
  }
}

}  // namespace tarnix
