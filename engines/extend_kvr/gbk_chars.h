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
// at the very end).
size_t CharBytes(std::string_view text, size_t at);

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

// Number of characters (double-byte ones counting once).
size_t CharCount(std::string_view text);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_GBK_CHARS_H_
