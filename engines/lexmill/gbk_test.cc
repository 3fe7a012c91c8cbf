#include "gbk.h"

#include <gtest/gtest.h>

#include "test_dicts.h"

namespace lexmill {
namespace {

CharInfo Read(const char* text, size_t n) {
  return ReadChar(reinterpret_cast<const unsigned char*>(text), n);
}

TEST(GbkTest, AsciiKinds) {
  EXPECT_EQ(Read("a", 1).kind, CharKind::kLetter);
  EXPECT_EQ(Read("Z", 1).kind, CharKind::kLetter);
  EXPECT_EQ(Read("7", 1).kind, CharKind::kDigit);
  EXPECT_EQ(Read(" ", 1).kind, CharKind::kBlank);
  EXPECT_EQ(Read("\n", 1).kind, CharKind::kBlank);
  EXPECT_EQ(Read("(", 1).kind, CharKind::kPunct);
  EXPECT_EQ(Read("~", 1).kind, CharKind::kPunct);
  EXPECT_EQ(Read("\x01", 1).kind, CharKind::kControl);
  EXPECT_EQ(Read("a", 1).length, 1);
}

TEST(GbkTest, DoubleByteCharacters) {
  const CharInfo de = Read(lexmill_test::kDe, 2);
  EXPECT_EQ(de.length, 2);
  EXPECT_EQ(de.kind, CharKind::kHanzi);
  EXPECT_EQ(de.unit, 0xB5C4);
  EXPECT_EQ(Read(lexmill_test::kJuhao, 2).kind, CharKind::kPunct);
  EXPECT_EQ(Read(lexmill_test::kDouhao, 2).kind, CharKind::kPunct);
  EXPECT_EQ(Read("\xA3\xA8", 2).kind, CharKind::kPunct);      // full-width (
  EXPECT_EQ(Read("\xA3\xB5", 2).kind, CharKind::kFullDigit);  // full-width 5
  EXPECT_EQ(Read("\xA3\xC1", 2).kind, CharKind::kFullLetter); // full-width A
  EXPECT_EQ(Read("\xA1\xA1", 2).kind, CharKind::kBlank);      // ideographic space
  EXPECT_EQ(Read("\xA6\xC1", 2).kind, CharKind::kHanzi);      // Greek alpha stays a word character
  EXPECT_EQ(Read("\xBD\x59", 2).length, 2);                   // trail byte below 0x80
}

TEST(GbkTest, MalformedBytesAreSingleInvalidCharacters) {
  // A lead byte with nothing after it within the count: never read beyond.
  const CharInfo end = Read("\xD1\xD0", 1);
  EXPECT_EQ(end.length, 1);
  EXPECT_EQ(end.kind, CharKind::kInvalid);
  // A lead byte followed by a byte that cannot be a trail byte.
  EXPECT_EQ(Read("\xD1\x20", 2).kind, CharKind::kInvalid);
  EXPECT_EQ(Read("\xD1\x7F", 2).kind, CharKind::kInvalid);
  EXPECT_EQ(Read("\x80", 1).kind, CharKind::kInvalid);
  EXPECT_EQ(Read("\xFF\xA1", 2).kind, CharKind::kInvalid);
  EXPECT_EQ(Read("\xFF\xA1", 2).length, 1);
}

TEST(GbkTest, ReadCharAgreesWithTheFullRulesOnEveryPairOfBytes) {
  // Its shortcut skips the full rules for most lead bytes: every pair
  // checks that nothing but an ideograph is behind one it skips.
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      const unsigned char text[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      const CharInfo c = ReadChar(text, 2);
      if (lead < 0x80) {
        EXPECT_EQ(c.length, 1);
        EXPECT_EQ(c.kind, KindOfAscii(static_cast<uint8_t>(lead)));
      } else if (IsLeadByte(static_cast<uint8_t>(lead)) && IsTrailByte(static_cast<uint8_t>(trail))) {
        const auto unit = static_cast<uint16_t>(lead << 8 | trail);
        EXPECT_EQ(c.length, 2);
        EXPECT_EQ(c.unit, unit);
        ASSERT_EQ(c.kind, KindOfDouble(unit)) << std::hex << unit;
      } else {
        EXPECT_EQ(c.length, 1);
        EXPECT_EQ(c.kind, CharKind::kInvalid);
      }
      // With one byte left a lead byte never pairs.
      const CharInfo last = ReadChar(text, 1);
      EXPECT_EQ(last.length, 1);
      if (lead >= 0x80) {
        EXPECT_EQ(last.kind, CharKind::kInvalid);
      }
    }
  }
}

}  // namespace
}  // namespace lexmill
