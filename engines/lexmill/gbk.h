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

// Classes of whole characters, by their unit.
bool IsGbkPunctuation(uint16_t unit);
inline bool IsAsciiPunctuation(uint8_t b) {
  return (b >= 0x21 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60) ||
         (b >= 0x7B && b <= 0x7E);
}

// The kind of a one-byte character.
inline CharKind KindOfAscii(uint8_t b) {
  if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) return CharKind::kLetter;
  if (b >= '0' && b <= '9') return CharKind::kDigit;
  if (b == ' ' || (b >= '\t' && b <= '\r')) return CharKind::kBlank;
  if (IsAsciiPunctuation(b)) return CharKind::kPunct;
  return CharKind::kControl;
}

// The kind of a valid double-byte character, by the full rules.
CharKind KindOfDouble(uint16_t unit);

// Classifies the character that starts at text (remaining > 0 bytes left).
// Inline, as segmentation reads every character of a text through it. Only
// rows A1, A2, A3, A6, A8 and A9 hold anything but ideographs (blanks,
// punctuation, full-width letters and digits), so the other lead bytes
// skip the full rules.
inline CharInfo ReadChar(const unsigned char* text, size_t remaining) {
  const uint8_t b = text[0];
  if (b < 0x80) return CharInfo{1, KindOfAscii(b), b};
  if (!IsLeadByte(b) || remaining < 2 || !IsTrailByte(text[1])) {
    return CharInfo{1, CharKind::kInvalid, b};
  }
  const uint16_t unit = static_cast<uint16_t>(b << 8 | text[1]);
  const bool special_row = b >= 0xA1 && b <= 0xA9 && b != 0xA4 && b != 0xA5 && b != 0xA7;
  return CharInfo{2, special_row ? KindOfDouble(unit) : CharKind::kHanzi, unit};
}

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_GBK_H_
