// A read-only WordTable over arrays it does not own: a table compiled at
// build time and mapped from its file, so that a process asks the pages
// the file already holds instead of reading and rebuilding the table, and
// every process mapping the file shares them.
//
// The arrays are a WordTable's own (its slots, filter and pool, byte for
// byte), so a word is found in the same slot by the same probes. Nothing
// in them is trusted: Check refuses arrays whose sizes do not fit
// together, and Find never leaves them, whatever the slots hold (a long
// word's pool range is checked where it is read, and a probe stops after
// one pass over the slots even when none is free).
#ifndef TARNIX_COMMON_WORD_TABLE_VIEW_H_
#define TARNIX_COMMON_WORD_TABLE_VIEW_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "key_bytes.h"
#include "word_table.h"

namespace tarnix {

template <typename V>
class WordTableView {
  using Table = WordTable<V>;

 public:
  // Bytes of one slot: the compiled files state it, and a build whose
  // slots differ refuses them.
  static constexpr size_t kSlotBytes = sizeof(typename Table::Slot);

  WordTableView() = default;

  // The arrays of a table built in memory, as a compiler writes them; valid
  // while the table lives unchanged.
  static WordTableView Of(const Table& t) {
    WordTableView v;
    v.slots_ = reinterpret_cast<const unsigned char*>(t.slots_.data());
    v.slot_count_ = t.slots_.size();
    v.filter_ = t.filter_.data();
    v.filter_words_ = t.filter_.size();
    v.pool_ = t.pool_.data();
    v.pool_size_ = t.pool_.size();
    v.count_ = t.count_;
    return v;
  }

  // Arrays read from elsewhere: slot_count slots (a power of two, at least
  // 16, or none for an empty table), filter_words 64-bit filter words (a
  // power of two, or none), the pool of long words. slots and filter must
  // be aligned for their types. False with *error when they do not fit.
  static bool Check(const void* slots, uint64_t slot_count, const void* filter, uint64_t filter_words,
                    const char* pool, uint64_t pool_size, uint64_t count, WordTableView* out,
                    std::string* error) {
    auto power_of_two = [](uint64_t n) { return n != 0 && (n & (n - 1)) == 0; };
    if (slot_count != 0 && (!power_of_two(slot_count) || slot_count < 16)) {
      *error = "slot count " + std::to_string(slot_count) + " is not a power of two from 16";
      return false;
    }
    if (count > slot_count) {
      *error = "word count " + std::to_string(count) + " does not fit " + std::to_string(slot_count) + " slots";
      return false;
    }
    if (filter_words != 0 && !power_of_two(filter_words)) {
      *error = "filter of " + std::to_string(filter_words) + " words is not a power of two";
      return false;
    }
    if (pool_size >= Table::kEmpty || slot_count > SIZE_MAX / kSlotBytes) {
      *error = "pool or slots too large";
      return false;
    }
    if ((slot_count != 0 && reinterpret_cast<uintptr_t>(slots) % alignof(typename Table::Slot) != 0) ||
        (filter_words != 0 && reinterpret_cast<uintptr_t>(filter) % alignof(uint64_t) != 0)) {
      *error = "slots or filter misaligned";
      return false;
    }
    out->slots_ = static_cast<const unsigned char*>(slots);
    out->slot_count_ = static_cast<size_t>(slot_count);
    out->filter_ = static_cast<const uint64_t*>(filter);
    out->filter_words_ = static_cast<size_t>(filter_words);
    out->pool_ = pool;
    out->pool_size_ = static_cast<size_t>(pool_size);
    out->count_ = static_cast<size_t>(count);
    return true;
  }

  size_t size() const { return count_; }
  const void* slots() const { return slots_; }
  size_t slot_count() const { return slot_count_; }
  const uint64_t* filter() const { return filter_; }
  size_t filter_words() const { return filter_words_; }
  const char* pool() const { return pool_; }
  size_t pool_size() const { return pool_size_; }

  // The word's value, or null; the table's own Find, probe for probe.
  const V* Find(std::string_view word) const {
    if (count_ == 0) return nullptr;
    const uint64_t h = Table::Hash(word);
    if (filter_words_ != 0) {
      const uint64_t bits = Table::FilterBits(h);
      if ((filter_[Table::FilterWordOf(h, filter_words_ - 1)] & bits) != bits) return nullptr;
    }
    const uint32_t tag = Table::Tag(h);
    const size_t mask = slot_count_ - 1;
    for (size_t i = h & mask, probes = 0; probes < slot_count_; i = (i + 1) & mask, ++probes) {
      const auto& s = *reinterpret_cast<const typename Table::Slot*>(slots_ + i * kSlotBytes);
      if (s.length == Table::kEmpty) return nullptr;
      if (s.tag != tag || s.length != word.size()) continue;
      if (word.size() <= Table::kInline) {
        if (SameShortKey(s.key, word.data(), word.size())) return &s.value;
        continue;
      }
      uint32_t offset = 0;
      std::memcpy(&offset, s.key, sizeof offset);
      if (offset > pool_size_ || word.size() > pool_size_ - offset) return nullptr;  // a damaged slot
      if (std::memcmp(pool_ + offset, word.data(), word.size()) == 0) return &s.value;
    }
    return nullptr;
  }

 private:
  const unsigned char* slots_ = nullptr;
  size_t slot_count_ = 0;
  const uint64_t* filter_ = nullptr;
  size_t filter_words_ = 0;
  const char* pool_ = nullptr;
  size_t pool_size_ = 0;
  size_t count_ = 0;
};

}  // namespace tarnix

#endif  // TARNIX_COMMON_WORD_TABLE_VIEW_H_
