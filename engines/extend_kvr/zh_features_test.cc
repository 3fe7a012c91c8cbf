#include "zh_features.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace ekvr {
namespace {

// 中 and 国 in GBK. In 中国, the bytes D0 B9 straddle the two characters:
// a word of those bytes (another character) does not occur there.
const std::string kZhong = "\xD6\xD0";
const std::string kGuo = "\xB9\xFA";

TEST(CharStarts, CountsWhatTheScanCountsOnHandPickedTexts) {
  const struct {
    std::string text, word;
    size_t expected;
  } cases[] = {
      {kZhong + kGuo + kZhong + kGuo, kZhong + kGuo, 2},
      {"a" + kZhong + kGuo, kZhong, 1},
      // A match that starts on a trail byte does not count.
      {kZhong + kGuo, "\xD0\xB9", 0},
      {"aaaa", "aa", 2},  // no overlaps: left to right
      {"abab", "ba", 1},
      {"", "ab", 0},
      {"ab", "", 0},
      {"xyz", "x", 1},  // one byte: the scan's own path
      {"ab\xD6", "b\xD6", 1},  // a lone lead byte at the end is a character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CountOccurrences(c.text, c.word), c.expected) << c.text << " / " << c.word;
    EXPECT_EQ(CharStarts(c.text).Count(c.word), c.expected) << c.text << " / " << c.word;
  }
}

TEST(CharStarts, AgreesWithTheScanOnRandomGbkTexts) {
  // Few distinct bytes, so that words recur, overlap and straddle
  // characters: lead bytes that are also trail bytes, and ASCII.
  const char alphabet[] = {'\xB9', '\xD6', '\xD0', '\xFA', 'a', 'b', ' '};
  std::mt19937 rng(7);
  std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (size_t n = rng() % 200; n > 0; --n) text += alphabet[pick(rng)];
    const CharStarts starts(text);
    for (int w = 0; w < 20; ++w) {
      std::string word;
      if (!text.empty() && w % 2 == 0) {  // a piece of the text itself
        const size_t at = rng() % text.size();
        word = text.substr(at, 1 + rng() % 6);
      } else {
        for (size_t n = 1 + rng() % 4; n > 0; --n) word += alphabet[pick(rng)];
      }
      ASSERT_EQ(starts.Count(word), CountOccurrences(text, word)) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace ekvr
