// Sorting helpers for the stages that order thousands of items per call:
// a stable radix sort by a 64-bit key, and keys for byte-wise text order
// and for descending weights. A comparison sort of thousands of items
// spends most of its time on mispredicted branches.
#ifndef TARNIX_COMMON_SORT_KEYS_H_
#define TARNIX_COMMON_SORT_KEYS_H_

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace tarnix {

// Sorts items by key_of(item), a uint64_t, ascending; items of equal keys
// keep their order. Least significant byte first, skipping the bytes that
// every key shares; a few hundred items cost less to merge than to count.
template <typename T, typename KeyOf>
void StableRadixSort(std::vector<T>& items, KeyOf key_of) {
  constexpr size_t kFewItems = 256;
  if (items.size() < kFewItems) {
    std::stable_sort(items.begin(), items.end(),
                     [&](const T& x, const T& y) { return key_of(x) < key_of(y); });
    return;
  }
  std::vector<T> scratch(items.size());
  for (int shift = 0; shift < 64; shift += 8) {
    size_t counts[256] = {};
    for (const T& item : items) ++counts[key_of(item) >> shift & 0xFF];
    if (counts[key_of(items.front()) >> shift & 0xFF] == items.size()) continue;
    size_t at = 0;
    for (size_t& c : counts) {
      const size_t n = c;
      c = at;
      at += n;
    }
    for (const T& item : items) scratch[counts[key_of(item) >> shift & 0xFF]++] = item;
    items.swap(scratch);
  }
}

// A key that puts heavier weights first: ascending keys give descending
// weights, with -0.0 equal to 0.0 and every NaN equal to every other NaN
// and after all numbers, as a comparison that lets a NaN be heavier than
// nothing and nothing heavier than a NaN would place them.
inline uint64_t DescendingWeightKey(double weight) {
  if (std::isnan(weight)) return ~uint64_t{0};
  if (weight == 0.0) weight = 0.0;
  uint64_t bits;
  std::memcpy(&bits, &weight, sizeof bits);
  // Ascending order of the doubles as unsigned integers, then reversed;
  // the largest, for minus infinity, stays below the NaN key.
  const uint64_t ascending = bits >> 63 ? ~bits : bits | uint64_t{1} << 63;
  return ~ascending;
}

// An item to sort by its text in byte-wise order (std::string's): the
// first eight bytes of the text ride along big-endian, zero-padded, with
// its length, so that most comparisons need not reach texts lying all over
// the records. For texts without NUL bytes, a smaller prefix means a
// smaller text; under equal prefixes a text held whole is a prefix of any
// longer one.
struct ByteOrderKey {
  uint64_t prefix;
  int32_t item;
  uint32_t length;

  static ByteOrderKey Of(std::string_view text, int32_t item) {
    uint64_t p = 0;
    for (size_t i = 0; i < 8; ++i) {
      p = p << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    }
    return {p, item, static_cast<uint32_t>(text.size())};
  }
};

// Sorts keys by their texts, equal texts by item, which is what a stable
// sort by text gives when items number the keys in order. text_of(item) is
// the item's text, read only when two texts share their first eight bytes
// and both go on.
//
// The prefixes are radix sorted (the tail of short texts is zero padding,
// which the sort skips); only runs of equal prefixes are then sorted by
// comparison.
template <typename TextOf>
void SortByteOrder(std::vector<ByteOrderKey>& keys, TextOf text_of) {
  StableRadixSort(keys, [](const ByteOrderKey& k) { return k.prefix; });
  auto less = [&](const ByteOrderKey& x, const ByteOrderKey& y) {
    if (x.length > 8 && y.length > 8) {
      const int c = std::string_view(text_of(x.item)).substr(8).compare(
          std::string_view(text_of(y.item)).substr(8));
      if (c != 0) return c < 0;
    } else if (x.length != y.length) {
      return x.length < y.length;
    }
    return x.item < y.item;
  };
  for (size_t begin = 0; begin < keys.size();) {
    size_t end = begin + 1;
    while (end < keys.size() && keys[end].prefix == keys[begin].prefix) ++end;
    if (end - begin > 1) std::sort(keys.begin() + begin, keys.begin() + end, less);
    begin = end;
  }
}

}  // namespace tarnix

#endif  // TARNIX_COMMON_SORT_KEYS_H_
