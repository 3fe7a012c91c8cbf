// Bounded access to the fixed-size text fields of the binary records.
//
// An engine may fill a field to its last byte without a terminating NUL;
// such a field is read as if cut at its last byte, never beyond.
#ifndef TARNIX_COMMON_TEXT_H_
#define TARNIX_COMMON_TEXT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

// Length of the text in a buffer of `capacity` bytes: up to the first NUL,
// and at most capacity - 1.
inline size_t BoundedLength(const char* text, size_t capacity) {
  if (capacity == 0) return 0;
  const void* nul = std::memchr(text, '\0', capacity - 1);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : capacity - 1;
}

template <size_t N>
size_t FieldLength(const char (&field)[N]) {
  return BoundedLength(field, N);
}

template <size_t N>
std::string_view FieldView(const char (&field)[N]) {
  return std::string_view(field, FieldLength(field));
}

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(FieldView(field));
}

// Copies text into a buffer of `capacity` bytes, cut to capacity - 1 bytes,
// always NUL-terminated. Returns the number of bytes copied.
inline size_t CopyText(char* dest, size_t capacity, std::string_view text) {
  if (capacity == 0) return 0;
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  if (n) std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
  return n;
}

template <size_t N>
size_t SetField(char (&field)[N], std::string_view text) {
  return CopyText(field, N, text);
}

// Makes the field end at its last byte at the latest, so that it can be
// read as a C string afterwards.
template <size_t N>
void TerminateField(char (&field)[N]) {
  field[N - 1] = '\0';
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
// The prefixes are sorted by a stable byte-wise radix sort, least
// significant byte first and skipping bytes that all keys share (the tail
// of short texts is zero padding); only runs of equal prefixes are then
// sorted by comparison. A comparison sort of thousands of keys spends most
// of its time on mispredicted branches.
template <typename TextOf>
void SortByteOrder(std::vector<ByteOrderKey>& keys, TextOf text_of) {
  std::vector<ByteOrderKey> scratch(keys.size());
  for (int shift = 0; shift < 64; shift += 8) {
    size_t counts[256] = {};
    for (const ByteOrderKey& k : keys) ++counts[k.prefix >> shift & 0xFF];
    if (!keys.empty() && counts[keys.front().prefix >> shift & 0xFF] == keys.size()) continue;
    size_t at = 0;
    for (size_t& c : counts) {
      const size_t n = c;
      c = at;
      at += n;
    }
    for (const ByteOrderKey& k : keys) scratch[counts[k.prefix >> shift & 0xFF]++] = k;
    keys.swap(scratch);
  }
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

#endif  // TARNIX_COMMON_TEXT_H_
