// A map from words to small values, for tables asked thousands of times
// per article: the classification engine's idf lists, classifier and
// English tagger (every distinct word and compound of an article), and
// the keys of the pipeline's class filter and frequency totals.
//
// std::unordered_map spends about three cache misses on each of those
// look-ups (the bucket, the node before the first of the bucket, the
// node), in tables of several hundred thousand words spread over tens of
// megabytes: that was a third of an article's analysis time. Here the
// slots sit in one array with the value and a word of up to 12 bytes (six
// GBK characters) inline, longer words in one pool, so a look-up reads one
// slot, and the pool only for a long word whose hash tag matches.
#ifndef TARNIX_COMMON_WORD_TABLE_H_
#define TARNIX_COMMON_WORD_TABLE_H_

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "key_bytes.h"

namespace tarnix {

template <typename V>
class WordTableView;

template <typename V>
class WordTable {
 public:
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  void clear() {
    slots_.clear();
    filter_.clear();
    pool_.clear();
    mask_ = 0;
    count_ = 0;
  }

  // Adds a filter of about 16 bits a word that answers most look-ups of
  // absent words without touching the slots: the filter of a big table
  // stays in the cache, its slots do not. For a table filled once and then
  // mostly asked for words it does not hold, such as compounds of an
  // article in the idf list.
  void BuildFilter() {
    size_t words = 1;
    while (words * 4 < count_) words *= 2;  // 4 words a 64-bit filter word
    filter_.assign(words, 0);
    filter_mask_ = words - 1;
    for (const Slot& s : slots_) {
      if (s.length != kEmpty) Mark(Hash(KeyOf(s)));
    }
  }

  // Room for n words without growing.
  void reserve(size_t n) {
    if (SlotsFor(n) > slots_.size()) Rehash(SlotsFor(n));
  }

  // Sets the word's value; a later value for a word replaces the earlier.
  void Set(std::string_view word, const V& value) {
    auto [slot, added] = Insert(word, value);
    if (!added) *slot = value;
  }

  // The word's value, and true when the word was not there before and now
  // has `value`; false leaves the value it had. One look-up for a caller
  // that would otherwise Find and then Set.
  std::pair<V*, bool> Insert(std::string_view word, const V& value) {
    if (!Fits(count_ + 1, slots_.size())) Rehash(SlotsFor(count_ + 1));
    const uint64_t h = Hash(word);
    const uint32_t tag = Tag(h);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.length == kEmpty) {
        if (pool_.size() + word.size() > kEmpty - 1 || word.size() >= kEmpty) {
          throw std::length_error("word table pool is full");
        }
        if (!filter_.empty()) Mark(h);
        s.tag = tag;
        s.length = static_cast<uint32_t>(word.size());
        s.value = value;
        if (word.size() <= kInline) {
          if (!word.empty()) std::memcpy(s.key, word.data(), word.size());
        } else {
          const auto offset = static_cast<uint32_t>(pool_.size());
          std::memcpy(s.key, &offset, sizeof offset);
          pool_.append(word.data(), word.size());
        }
        ++count_;
        return {&s.value, true};
      }
      if (Matches(s, tag, word)) return {&s.value, false};
    }
  }

  // The word's value, or null.
  V* Find(std::string_view word) { return const_cast<V*>(static_cast<const WordTable&>(*this).Find(word)); }
  const V* Find(std::string_view word) const {
    if (count_ == 0) return nullptr;
    const uint64_t h = Hash(word);
    if (!filter_.empty()) {
      const uint64_t bits = FilterBits(h);
      if ((filter_[FilterWord(h)] & bits) != bits) return nullptr;
    }
    const uint32_t tag = Tag(h);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.length == kEmpty) return nullptr;
      if (Matches(s, tag, word)) return &s.value;
    }
  }

 private:
  // The view reads a table's arrays where they lie (a compiled image
  // mapped from its file) with this table's slots and hash.
  friend class WordTableView<V>;
  static constexpr size_t kInline = 12;
  struct Slot {
    uint32_t tag = 0;
    uint32_t length = kEmpty;  // kEmpty: a free slot
    char key[kInline] = {};    // the word, or where it starts in pool_
    V value{};
  };
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

  std::string_view KeyOf(const Slot& s) const {
    if (s.length <= kInline) return std::string_view(s.key, s.length);
    uint32_t offset = 0;
    std::memcpy(&offset, s.key, sizeof offset);
    return std::string_view(pool_.data() + offset, s.length);
  }

  // Eight bytes at a time with multiply-and-fold mixing: the words are
  // short, and this costs a third of the standard library's byte-wise
  // hash on them, in 32-bit builds too.
  static uint64_t Hash(std::string_view word) {
    constexpr uint64_t kMul1 = 0xBF58476D1CE4E5B9ull, kMul2 = 0x94D049BB133111EBull;
    uint64_t h = 0x9E3779B97F4A7C15ull ^ (word.size() * kMul2);
    const char* p = word.data();
    size_t left = word.size();
    for (; left >= 8; p += 8, left -= 8) {
      uint64_t k;
      std::memcpy(&k, p, 8);
      h = (h ^ (k * kMul1)) * kMul2;
      h ^= h >> 31;
    }
    if (left > 0) {
      // The last bytes by fixed-size loads, overlapping bytes already
      // mixed in when that keeps them inside the word: a copy of a
      // variable length is a library call on every look-up.
      uint64_t k;
      if (word.size() >= 8) {
        std::memcpy(&k, word.data() + word.size() - 8, 8);
      } else {
        k = Load4To7Or3(p, left);
      }
      h = (h ^ (k * kMul1)) * kMul2;
    }
    h ^= h >> 29;
    h *= kMul1;
    return h ^ (h >> 32);
  }
  // The slot index takes the low bits of the hash, the tag the high ones.
  static uint32_t Tag(uint64_t h) { return static_cast<uint32_t>(h >> 32); }

  // Three bits of a 64-bit word, both chosen by bits of the hash that the
  // slot index and the tag use less.
  size_t FilterWord(uint64_t h) const { return FilterWordOf(h, filter_mask_); }
  static size_t FilterWordOf(uint64_t h, size_t mask) { return static_cast<size_t>((h >> 16) ^ (h >> 40)) & mask; }
  static uint64_t FilterBits(uint64_t h) {
    return uint64_t{1} << (h >> 24 & 63) | uint64_t{1} << (h >> 30 & 63) | uint64_t{1} << (h >> 58 & 63);
  }
  void Mark(uint64_t h) { filter_[FilterWord(h)] |= FilterBits(h); }

  // A power of two with n filling at most 70 % of it: probe runs stay
  // short, and a big table stays small enough for the TLB.
  static size_t SlotsFor(size_t n) {
    size_t slots = 16;
    while (!Fits(n, slots)) slots *= 2;
    return slots;
  }
  static bool Fits(size_t n, size_t slots) { return n * 10 <= slots * 7; }

  bool Matches(const Slot& s, uint32_t tag, std::string_view word) const {
    if (s.tag != tag || s.length != word.size()) return false;
    if (word.size() > kInline) return KeyOf(s) == word;
    return SameShortKey(s.key, word.data(), word.size());
  }

  void Rehash(size_t slot_count) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(slot_count, Slot());
    mask_ = slot_count - 1;
    for (const Slot& s : old) {
      if (s.length == kEmpty) continue;
      const uint64_t h = Hash(KeyOf(s));
      size_t i = h & mask_;
      while (slots_[i].length != kEmpty) i = (i + 1) & mask_;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::vector<uint64_t> filter_;  // empty: no filter
  size_t filter_mask_ = 0;
  std::string pool_;
  size_t mask_ = 0;
  size_t count_ = 0;
};

}  // namespace tarnix

#endif  // TARNIX_COMMON_WORD_TABLE_H_
