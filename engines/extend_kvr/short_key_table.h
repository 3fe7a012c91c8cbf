// A map from texts to small values for the engine's per-article tables:
// the term set's index and the cache of word values. Their keys are words
// and compounds of a few GBK characters (a term has at most 14 bytes), and
// an article asks them tens of thousands of times.
//
// A key of up to 16 bytes is held in the slot as two 64-bit words read
// with fixed-size loads: together with the length they determine every
// byte, so two such keys are equal exactly when the length and both words
// are, with no byte-wise compare and no call. Longer keys (English
// phrases) go to a pool and are compared there.
#ifndef TARNIX_ENGINES_EXTEND_KVR_SHORT_KEY_TABLE_H_
#define TARNIX_ENGINES_EXTEND_KVR_SHORT_KEY_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "key_bytes.h"

namespace ekvr {

using tarnix::Load4To7Or3;
using tarnix::Load8;

template <typename V>
class ShortKeyTable {
 public:
  size_t size() const { return count_; }

  // Keeps the memory: the tables live as long as their engine, and a long
  // article's table freshly allocated for each article cost a page fault
  // for every 4 KB of it.
  void clear() {
    slots_.clear();
    pool_.clear();
    mask_ = 0;
    count_ = 0;
  }

  // Room for n keys without growing.
  void reserve(size_t n) {
    if (SlotsFor(n) > slots_.size()) Rehash(SlotsFor(n));
  }

  // The key's value, or null.
  const V* Find(std::string_view key) const {
    if (count_ == 0) return nullptr;
    const Key k = Split(key);
    for (size_t i = k.hash & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.length == kEmpty) return nullptr;
      if (Matches(s, k, key)) return &s.value;
    }
  }
  V* Find(std::string_view key) { return const_cast<V*>(static_cast<const ShortKeyTable&>(*this).Find(key)); }

  // Sets the key's value; a later value for a key replaces the earlier.
  void Set(std::string_view key, const V& value) {
    auto [slot, added] = Insert(key, value);
    if (!added) *slot = value;
  }

  // The key's value, and true when the key was not there before and now
  // has `value`; false leaves the value it had. One probe for a caller
  // that would otherwise Find and then Set.
  std::pair<V*, bool> Insert(std::string_view key, const V& value) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();  // SlotsFor's bound
    const Key k = Split(key);
    for (size_t i = k.hash & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.length == kEmpty) {
        s.head = k.head;
        s.tail = k.tail;
        s.hash = k.hash;
        if (key.size() > kInline) {
          AddLongKey(key, &s);
        } else {
          s.length = static_cast<uint32_t>(key.size());
        }
        s.value = value;
        ++count_;
        return {&s.value, true};
      }
      if (Matches(s, k, key)) return {&s.value, false};
    }
  }

 private:
  static constexpr size_t kInline = 16;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

  struct Key {
    uint64_t head;  // bytes [0, 8) of the key, or all of a shorter one
    uint64_t tail;  // bytes [length - 8, length) when it has more than 8
    uint32_t hash;  // its low bits pick the slot, all of it tells slots apart
  };
  struct Slot {
    uint64_t head = 0;
    uint64_t tail = 0;
    uint32_t hash = 0;
    uint32_t length = kEmpty;  // kEmpty: a free slot
    uint32_t offset = 0;       // where a long key starts in pool_
    V value{};
  };

  // Overlapping fixed-size loads that stay within the key: with the
  // length known, head and tail say every byte of a key of up to 16.
  static Key Split(std::string_view key) {
    const char* p = key.data();
    const size_t n = key.size();
    uint64_t head = 0, tail = 0;
    if (n >= 8) {
      head = Load8(p);
      tail = Load8(p + n - 8);
    } else if (n > 0) {
      head = Load4To7Or3(p, n);
    }
    constexpr uint64_t kMul1 = 0xBF58476D1CE4E5B9ull, kMul2 = 0x94D049BB133111EBull;
    uint64_t h = (head ^ (n * kMul2)) * kMul1;
    h = (h ^ (h >> 31) ^ tail) * kMul2;
    // The middle of a long key counts too, so that phrases that share
    // their ends do not share a probe run.
    for (size_t at = 8; at + 16 <= n; at += 8) h = (h ^ (h >> 29) ^ Load8(p + at)) * kMul1;
    return Key{head, tail, static_cast<uint32_t>(h ^ (h >> 32))};
  }

  bool Matches(const Slot& s, const Key& k, std::string_view key) const {
    if (s.hash != k.hash || s.length != key.size() || s.head != k.head || s.tail != k.tail) return false;
    return key.size() <= kInline || std::memcmp(pool_.data() + s.offset, key.data(), key.size()) == 0;
  }

  // A power of two with the keys filling at most half of it: many
  // look-ups miss (a term's first occurrence, pieces of compounds that are
  // no term), and a miss walks its probe run to the end.
  static size_t SlotsFor(size_t n) {
    size_t slots = 16;
    while (slots < n * 2) slots *= 2;
    return slots;
  }

  // Out of line, as is AddLongKey: the look-ups of short keys, nearly all
  // of them, then keep their few registers.
#if defined(__GNUC__)
  __attribute__((noinline))
#endif
  void Grow() {
    Rehash(SlotsFor(count_ + 1));
  }

  // A key longer than kInline, into the pool.
#if defined(__GNUC__)
  __attribute__((noinline))
#endif
  void AddLongKey(std::string_view key, Slot* s) {
    if (key.size() >= kEmpty || pool_.size() > UINT32_MAX - key.size()) {
      throw std::length_error("short key table: key or pool too long");
    }
    s->length = static_cast<uint32_t>(key.size());
    s->offset = static_cast<uint32_t>(pool_.size());
    pool_.append(key.data(), key.size());
  }

  // The slots move through spare_, whose memory the next growth reuses.
  void Rehash(size_t slot_count) {
    spare_.swap(slots_);
    slots_.assign(slot_count, Slot());
    mask_ = slot_count - 1;
    for (const Slot& s : spare_) {
      if (s.length == kEmpty) continue;
      size_t i = s.hash & mask_;
      while (slots_[i].length != kEmpty) i = (i + 1) & mask_;
      slots_[i] = s;
    }
    spare_.clear();
  }

  std::vector<Slot> slots_;
  std::vector<Slot> spare_;  // empty; holds memory for the next Rehash
  std::string pool_;
  size_t mask_ = 0;
  size_t count_ = 0;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_SHORT_KEY_TABLE_H_
