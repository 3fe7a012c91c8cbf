#include "gbk.h"

namespace lexmill {

namespace {

bool InRange(uint16_t unit, uint16_t first, uint16_t last) { return unit >= first && unit <= last; }

}  // namespace

CharKind KindOfDouble(uint16_t unit) {
  if (unit == 0xA1A1) return CharKind::kBlank;  // ideographic space
  if (InRange(unit, 0xA3B0, 0xA3B9)) return CharKind::kFullDigit;
  if (InRange(unit, 0xA3C1, 0xA3DA) || InRange(unit, 0xA3E1, 0xA3FA)) return CharKind::kFullLetter;
  if (IsGbkPunctuation(unit)) return CharKind::kPunct;
  return CharKind::kHanzi;
}

bool IsGbkPunctuation(uint16_t unit) {
  // Row A1 holds the CJK punctuation and general symbols, row A2 the list
  // numbering (①, ⑴, Ⅰ), row A3 the full-width ASCII forms (their letters
  // and digits excepted), and the A6/A8/A9 ranges the vertical and small
  // presentation forms and the box drawing characters.
  if (InRange(unit, 0xA1A2, 0xA1FE)) return true;
  if (InRange(unit, 0xA2A1, 0xA2FE)) return true;
  if (InRange(unit, 0xA3A1, 0xA3FE)) {
    return !(InRange(unit, 0xA3B0, 0xA3B9) || InRange(unit, 0xA3C1, 0xA3DA) ||
             InRange(unit, 0xA3E1, 0xA3FA));
  }
  return InRange(unit, 0xA6E0, 0xA6F5) || InRange(unit, 0xA840, 0xA895) ||
         InRange(unit, 0xA940, 0xA995) || InRange(unit, 0xA9A4, 0xA9EF);
}

}  // namespace lexmill
