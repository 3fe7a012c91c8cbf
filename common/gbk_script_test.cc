#include "gbk_script.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tarnix {
namespace {

// GBK bytes, written as escapes: the source is UTF-8.
const std::string kTraditional = "\xB7\x65\xC9\xF1\xBD\x9B\xBE\x57\xBD\x6A\xD4\x93\xB7\xBD\xB7\xA8";  // 積神經網絡該方法
const std::string kSimplified = "\xBB\xFD\xC9\xF1\xBE\xAD\xCD\xF8\xC2\xE7\xB8\xC3\xB7\xBD\xB7\xA8";   // 积神经网络该方法
const std::string kQianlong = "\xC7\xAC\xC2\xA1\xD6\xF8\xEC\xB6";     // 乾隆著於: Simplified texts write these too

TEST(GbkScript, SimplifiesCharacterByCharacterKeepingOffsets) {
  std::string text = "CNN " + kTraditional + " (2024)";
  EXPECT_EQ(SimplifyGbk(&text), 5u);  // 積 經 網 絡 該
  EXPECT_EQ(text, "CNN " + kSimplified + " (2024)");
  std::string simple = kSimplified;
  EXPECT_EQ(SimplifyGbk(&simple), 0u);
  EXPECT_EQ(simple, kSimplified);
}

// Up to max_pieces of the pieces, one in stray_one_in of them a random
// byte instead: characters of both scripts, ASCII, stray and cut bytes.
std::string RandomText(std::mt19937* rng, const std::vector<std::string>& pieces, unsigned max_pieces,
                       unsigned stray_one_in) {
  std::string text;
  const unsigned length = (*rng)() % max_pieces;
  for (unsigned k = 0; k < length; ++k) {
    if ((*rng)() % stray_one_in == 0) {
      text += static_cast<char>((*rng)() % 256);
    } else {
      text += pieces[(*rng)() % pieces.size()];
    }
  }
  return text;
}

// Random GBK, ASCII, stray and cut bytes with Traditional characters here
// and there: the quick question answers as the count does.
TEST(GbkScript, HasTraditionalOnlyCharsWhenTheCountSaysSo) {
  std::mt19937 rng(3);
  const std::vector<std::string> pieces = {kTraditional.substr(0, 2), kTraditional.substr(4, 2),
                                           kSimplified.substr(0, 2),  kQianlong.substr(0, 2),
                                           "a", " ", "\x80", "\xFF", "\xA1", "\x81\x40"};
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(&rng, pieces, 12, 4);
    ASSERT_EQ(HasTraditionalOnlyChars(text), TraditionalOnlyChars(text) > 0) << round;
  }
  EXPECT_TRUE(HasTraditionalOnlyChars(kTraditional));
  EXPECT_FALSE(HasTraditionalOnlyChars(kSimplified + kQianlong));
}

// The whole count against one made character by character: Chinese are
// the double-byte characters outside the symbol rows A1-A9, Traditional
// those HasTraditionalOnlyChars names alone.
TEST(GbkScript, CountsAsCharacterByCharacter) {
  std::mt19937 rng(5);
  const std::vector<std::string> pieces = {kTraditional.substr(0, 2), kTraditional.substr(2, 2),
                                           kSimplified.substr(0, 2),  kQianlong.substr(0, 2),
                                           "\xA1\xA3", "\xA3\xAC", "a", " ", "\xFF", "\x81\x40"};
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(&rng, pieces, 40, 5);
    size_t traditional = 0, chinese = 0;
    for (size_t i = 0; i < text.size();) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
      if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
        chinese += !(lead >= 0xA1 && lead <= 0xA9);
        traditional += HasTraditionalOnlyChars(text.substr(i, 2));
        i += 2;
      } else {
        ++i;
      }
    }
    ASSERT_EQ(TraditionalOnlyChars(text), traditional) << round;
    ASSERT_EQ(LooksTraditional(text), traditional >= 3 && traditional * 20 >= chinese) << round;
  }
}

TEST(GbkScript, TellsTraditionalFromSimplifiedText) {
  EXPECT_EQ(TraditionalOnlyChars(kTraditional), 5u);
  EXPECT_TRUE(LooksTraditional(kTraditional));
  EXPECT_FALSE(LooksTraditional(kSimplified));
  // Characters of both scripts count for neither.
  EXPECT_EQ(TraditionalOnlyChars(kQianlong), 0u);
  EXPECT_FALSE(LooksTraditional(kQianlong + kQianlong));
  // A few Traditional names in a long Simplified text do not make it one.
  std::string mixed = kTraditional;
  for (int i = 0; i < 20; ++i) mixed += kSimplified;
  EXPECT_FALSE(LooksTraditional(mixed));
}

TEST(GbkScript, TextsCutFromTheCopyGetTheArticlesCharactersBack) {
  // The article writes 發 in 發展 three times and 髮 once (both are 发).
  const std::string article = "\xB0\x6C\xD5\xB9\xB0\x6C\xD5\xB9\xB0\x6C\xD5\xB9\xEE\x5E\xF3\x8C";  // 發展發展發展頭髮
  std::string copy = article;
  SimplifyGbk(&copy);
  ScriptRestorer restorer;
  EXPECT_TRUE(restorer.empty());
  restorer.Learn(article, copy);
  ASSERT_FALSE(restorer.empty());
  std::string word = "\xB7\xA2\xD5\xB9";  // 发展 cut from the copy
  restorer.Restore(&word);
  EXPECT_EQ(word, "\xB0\x6C\xD5\xB9");  // 發展: the article's commonest form of 发
  std::string other = "\xCD\xF8\xC2\xE7 (x)";  // 网络: not in the article, stays
  restorer.Restore(&other);
  EXPECT_EQ(other, "\xCD\xF8\xC2\xE7 (x)");
  restorer.Learn("ab", "abc");  // texts of different lengths teach nothing
  std::string again = "\xB7\xA2\xD5\xB9";
  restorer.Restore(&again);
  EXPECT_EQ(again, "\xB0\x6C\xD5\xB9");
}

TEST(GbkScript, BrokenBytesStayAsTheyAre) {
  // A lead byte at the end, a lead byte before ASCII, 0x7F as a trail.
  std::string text = std::string("a\xB7") + "b\x81\x7F" + "\xD4";
  const std::string before = text;
  EXPECT_EQ(SimplifyGbk(&text), 0u);
  EXPECT_EQ(text, before);
  EXPECT_EQ(TraditionalOnlyChars(text), 0u);
}

}  // namespace
}  // namespace tarnix
