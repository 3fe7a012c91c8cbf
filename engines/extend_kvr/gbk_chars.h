// GBK character boundaries, so that nothing the engine writes ends in half
// a double-byte character.
#ifndef TARNIX_ENGINES_EXTEND_KVR_GBK_CHARS_H_
#define TARNIX_ENGINES_EXTEND_KVR_GBK_CHARS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace ekvr {

// Bytes of the character that starts at text[at]: 2 for a GBK lead byte
// followed by a valid trail byte, else 1 (ASCII, stray bytes, a lead byte
// at the very end). Inline: term features count the characters of every
// candidate, and a call per byte cost more than the test.
inline size_t CharBytes(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x81 || lead > 0xFE || at + 1 >= text.size()) return 1;
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

// The longest prefix of text of at most max_bytes that ends on a character
// boundary.
size_t CutLength(std::string_view text, size_t max_bytes);

// Copies text into a field of `capacity` bytes, cut at a character
// boundary, always NUL-terminated.
void CopyCut(char* field, size_t capacity, std::string_view text);

template <size_t N>
void SetCut(char (&field)[N], std::string_view text) {
  CopyCut(field, N, text);
}

inline bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
inline bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// ASCII letters lower-cased; double-byte characters untouched.
std::string LowerAscii(std::string_view text);

// Whether LowerAscii would change text: a capital ASCII letter that is a
// character of its own (not the trail byte of a double-byte one). Lets the
// many words without one be looked up as they are, with no copy.
inline bool HasAsciiCapital(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t n = CharBytes(text, at);
    if (n == 1 && text[at] >= 'A' && text[at] <= 'Z') return true;
    at += n;
  }
  return false;
}

// Number of characters (double-byte ones counting once).
inline size_t CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); at += CharBytes(text, at)) ++count;
  return count;
}

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_GBK_CHARS_H_
