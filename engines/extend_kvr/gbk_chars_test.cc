#include "gbk_chars.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace ekvr {
namespace {

// "中文" in GBK, then ASCII.
const std::string kMixed = "\xD6\xD0\xCE\xC4" "ab";

TEST(GbkChars, CutsOnlyAtCharacterBoundaries) {
  EXPECT_EQ(CutLength(kMixed, 3), 2u);  // never half of 文
  EXPECT_EQ(CutLength(kMixed, 4), 4u);
  EXPECT_EQ(CutLength(kMixed, 5), 5u);
  EXPECT_EQ(CutLength(kMixed, 100), kMixed.size());
  // A lead byte at the very end is a character of its own.
  EXPECT_EQ(CutLength(std::string("a\xD6"), 2), 2u);
  EXPECT_EQ(CharBytes(std::string("\xD6"), 0), 1u);
}

TEST(GbkChars, CopyCutFitsTheFieldAndTerminates) {
  char field[4];
  std::memset(field, 'x', sizeof field);
  CopyCut(field, sizeof field, kMixed);
  EXPECT_STREQ(field, "\xD6\xD0");
  char one[1] = {'x'};
  CopyCut(one, 1, kMixed);
  EXPECT_EQ(one[0], '\0');
}

TEST(GbkChars, LowerAsciiLeavesDoubleByteCharactersAlone) {
  // 0xC4 0x41 is one character whose trail byte looks like 'A'.
  EXPECT_EQ(LowerAscii("SVM\xC4\x41X"), "svm\xC4\x41x");
  EXPECT_EQ(CharCount(kMixed), 4u);
}

TEST(GbkChars, HasAsciiCapitalTellsExactlyWhenLowerAsciiChangesAText) {
  EXPECT_FALSE(HasAsciiCapital(""));
  EXPECT_FALSE(HasAsciiCapital("\xC4\x41"));  // the trail byte of one character
  EXPECT_TRUE(HasAsciiCapital("\xC4\x41Z"));
  EXPECT_FALSE(HasAsciiCapital("x\xC4"));       // a lead byte at the end stands alone
  EXPECT_TRUE(HasAsciiCapital("\xC4\x7F" "A"));  // so does one before an invalid trail byte
  // Random texts over the bytes that matter: capitals, lower case, lead
  // and trail bytes, invalid trails, high bytes.
  const unsigned char pool[] = {'A', 'M', 'Z', 'a', 'z', '@', '[', '0', ' ', 0x40, 0x7F,
                                0x80, 0x81, 0xA1, 0xC4, 0xD6, 0xFE, 0xFF};
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    std::string s(rng() % 9, '\0');
    for (char& c : s) c = static_cast<char>(pool[rng() % sizeof pool]);
    EXPECT_EQ(HasAsciiCapital(s), LowerAscii(s) != s) << round;
  }
}

}  // namespace
}  // namespace ekvr
