// GBK character boundaries and character classes.
//
// Every function here takes an explicit byte count and never looks at a
// byte past it: a lead byte at the end of the text, or a lead byte whose
// follower is not a valid trail byte, is reported as a one-byte character
// of kind kInvalid, so malformed text still advances byte by byte.
#ifndef TARNIX_ENGINES_LEXMILL_GBK_H_
#define TARNIX_ENGINES_LEXMILL_GBK_H_

#include <cstddef>
#include <cstdint>

namespace lexmill {

enum class CharKind : uint8_t {
  kLetter = 1,       // ASCII letter
  kDigit = 2,        // ASCII digit
  kBlank = 3,        // ASCII white space
  kPunct = 4,        // ASCII punctuation or GBK punctuation / symbol
  kHanzi = 5,        // any other double-byte GBK character
  kFullLetter = 6,   // full-width Latin letter
  kFullDigit = 7,    // full-width digit
  kControl = 8,      // other ASCII control byte
  kInvalid = 9,      // byte that does not start a valid GBK character
};

struct CharInfo {
  uint8_t length;    // 1 or 2
  CharKind kind;
  uint16_t unit;     // the byte for one-byte characters, lead << 8 | trail otherwise
};

inline bool IsLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Classifies the character that starts at text (remaining > 0 bytes left).
CharInfo ReadChar(const unsigned char* text, size_t remaining);

// Classes of whole characters, by their unit.
bool IsGbkPunctuation(uint16_t unit);
bool IsAsciiPunctuation(uint8_t b);

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_GBK_H_
