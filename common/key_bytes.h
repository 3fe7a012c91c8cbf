// Short keys read by fixed-size loads. The look-up tables hash and compare
// words of a few bytes thousands of times an article; a copy or compare of
// variable length is a library call each time, loads of 8 or 4 bytes that
// overlap within the key are not.
#ifndef TARNIX_COMMON_KEY_BYTES_H_
#define TARNIX_COMMON_KEY_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarnix {

inline uint64_t Load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Up to 7 bytes as one number, by loads of fixed size (for 4 to 7 bytes
// two overlapping 4-byte loads, for 1 to 3 the first, middle and last
// byte): two texts of the same length give the same number only when
// they are equal.
inline uint64_t Load4To7Or3(const char* p, size_t n) {
  if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + n - 4, 4);
    return a | uint64_t{b} << 32;
  }
  return static_cast<unsigned char>(p[0]) | uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 |
         uint64_t{static_cast<unsigned char>(p[n - 1])} << 16;
}

// Whether the first n bytes (n at most 16) of a and b agree, compared by
// fixed-size loads that together cover every byte.
inline bool SameShortKey(const char* a, const char* b, size_t n) {
  if (n == 0) return true;
  if (n >= 8) {
    return Load8(a) == Load8(b) && Load8(a + n - 8) == Load8(b + n - 8);
  }
  return Load4To7Or3(a, n) == Load4To7Or3(b, n);
}

}  // namespace tarnix

#endif  // TARNIX_COMMON_KEY_BYTES_H_
