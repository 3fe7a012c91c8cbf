#include "frequency_totals.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "run_log.h"
#include "text.h"
#include "word_table.h"

namespace tarnix {
namespace {

constexpr int32_t kCountedPositions = 4;  // positions 0 to 3 carry a frequency

// The records of one table grouped by text, each group in record order,
// for the keyword texts only: hashing the few keyword texts and looking
// every record up costs less than grouping every record. A keyword uses up
// every record of its text at once, so a group is either used or all its
// records are still there.
class TextIndex {
 public:
  TextIndex(const ArticleTerm* table, int32_t count, const KeywordEntry* keywords,
            int32_t keyword_count)
      : table_(table) {
    groups_.reserve(static_cast<size_t>(std::max(keyword_count, 0)));
    for (int32_t k = 0; k < keyword_count; ++k) {
      const std::string_view text = FieldView(keywords[k].keyword_text);
      groups_.Insert(text, Group{kNone, kNone, false});
      const uint32_t start = StartOf(text);
      starts_[start / 64] |= uint64_t{1} << (start % 64);
    }
    groups_.BuildFilter();  // most records are not keywords
    next_.assign(count > 0 ? static_cast<size_t>(count) : 0, kNone);
    for (int32_t i = 0; i < count; ++i) {
      const uint32_t start = StartOf(table[i].word);
      if (!(starts_[start / 64] >> (start % 64) & 1)) continue;
      Group* group = groups_.Find(FieldView(table[i].word));
      if (group == nullptr) continue;
      Group& g = *group;
      (g.first == kNone ? g.first : next_[g.last]) = i;
      g.last = i;
    }
  }

  // Adds to total the frequency of the first record of each position not
  // yet marked, among the records with text, and uses them up. False when
  // no unused record has that text.
  bool Take(std::string_view text, bool (&marks)[kCountedPositions], int64_t& total) {
    Group* found = groups_.Find(text);
    if (found == nullptr || found->used || found->first == kNone) return false;
    found->used = true;
    for (int32_t i = found->first; i != kNone; i = next_[i]) {
      const ArticleTerm& record = table_[i];
      if (record.position >= 0 && record.position < kCountedPositions && !marks[record.position]) {
        marks[record.position] = true;
        total += record.frequency;
      }
    }
    return true;
  }

 private:
  static constexpr int32_t kNone = -1;
  struct Group {
    int32_t first = kNone;
    int32_t last = kNone;
    bool used = false;
  };
  // The first two bytes of a text (0 for those it lacks): most records
  // start unlike every keyword, and a bit of these tells so without
  // measuring and hashing their texts. A field's first two bytes give the
  // same as its text's, as the text ends at the first NUL.
  static uint32_t StartOf(std::string_view text) {
    const auto b0 = text.size() > 0 ? static_cast<unsigned char>(text[0]) : 0u;
    const auto b1 = text.size() > 1 ? static_cast<unsigned char>(text[1]) : 0u;
    return b0 << 8 | b1;
  }
  template <size_t N>
  static uint32_t StartOf(const char (&field)[N]) {
    static_assert(N >= 2, "a field of two bytes at least");
    const auto b0 = static_cast<unsigned char>(field[0]);
    const auto b1 = b0 != 0 ? static_cast<unsigned char>(field[1]) : 0u;
    return b0 << 8 | b1;
  }

  const ArticleTerm* table_;
  std::vector<uint64_t> starts_ = std::vector<uint64_t>(65536 / 64, 0);
  WordTable<Group> groups_;
  std::vector<int32_t> next_;  // the next record of the same text
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

    TextIndex full_text(info_map, count, word_buffer, keywords);
    TextIndex abstract_terms(info_map1, info_map1 ? *m : 0, word_buffer, keywords);
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
