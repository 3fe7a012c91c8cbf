// Bounded access to the fixed-size text fields of the binary records.
//
// An engine may fill a field to its last byte without a terminating NUL;
// such a field is read as if cut at its last byte, never beyond.
#ifndef TARNIX_COMMON_TEXT_H_
#define TARNIX_COMMON_TEXT_H_

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

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

}  // namespace tarnix

#endif  // TARNIX_COMMON_TEXT_H_
