#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "term_maps.h"
#include "text.h"
#include "test_support.h"

namespace tarnix {
namespace {

TEST(TermIndexMapTest, OrdersByBytesAndKeepsDuplicatesInInsertionOrder) {
  TermIndexMap map;
  map.emplace("b", 0);
  map.emplace("ab", 1);
  map.emplace("a", 2);
  map.emplace("ab", 3);
  std::vector<std::pair<std::string, int32_t>> walked(map.begin(), map.end());
  EXPECT_EQ(walked, (std::vector<std::pair<std::string, int32_t>>{
                        {"a", 2}, {"ab", 1}, {"ab", 3}, {"b", 0}}));
}

TEST(TermIndexMapTest, GbkKeysSortAfterEveryAsciiKey) {
  TermIndexMap map;
  map.emplace("\xB0\xA1", 0);  // a GBK character
  map.emplace("\x7F", 1);
  map.emplace("zzz", 2);
  EXPECT_EQ(map.rbegin()->second, 0);
  EXPECT_EQ(map.begin()->second, 2);
}

TEST(ClassScoreMapTest, TheFirstScoreOfACodeStays) {
  ClassScoreMap map;
  map.emplace("TP391", 0.5);
  map.emplace("TP391", 0.0);
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map["TP391"], 0.5);
}

TEST(RecordFieldsTest, AFullWordFitsAndUnterminatedFieldsStopAtTheirLastByte) {
  ArticleTerm term;
  std::memset(&term, 'x', sizeof term);
  EXPECT_EQ(FieldLength(term.word), 100u);
  TerminateTextFields(term);
  EXPECT_EQ(std::strlen(term.word), 100u);
  EXPECT_EQ(std::strlen(term.class_code), 102u);
  EXPECT_EQ(std::strlen(term.second_word), 103u);

  TermClassMatch match;
  EXPECT_EQ(SetField(match.word, FieldView(term.word)), 100u);
  EXPECT_EQ(std::string(match.word), std::string(100, 'x'));

  char small[4];
  EXPECT_EQ(CopyText(small, sizeof small, "abcdef"), 3u);
  EXPECT_STREQ(small, "abc");
}

TEST(RecordFieldsTest, InitialStateBeforeTheEngineFillsATable) {
  ArticleTerm term;
  std::memset(&term, 'x', sizeof term);
  InitArticleTerm(term, 100.0f);
  EXPECT_EQ(term.word[0], '\0');
  EXPECT_EQ(term.class_code[0], '\0');
  EXPECT_EQ(term.second_word[0], '\0');
  EXPECT_EQ(term.weight, 100.0f);
  EXPECT_EQ(term.reserved1, 0);
  EXPECT_EQ(term.frequency, 0);
  EXPECT_EQ(term.reserved2, -1);
  EXPECT_EQ(term.reserved3, -1);
  EXPECT_EQ(term.position, -1);
}

// Sorting by ByteOrderKey must give what a stable sort of the texts gives:
// texts shorter and longer than the eight-byte prefix, texts sharing it,
// bytes of 0x80 and above (which a signed char compare would misplace),
// the empty text and duplicates.
TEST(ByteOrderKeyTest, SortsAsAStableSortOfTheTextsWould) {
  std::mt19937 rng(5);
  const char alphabet[] = {'a', 'b', '\x7F', '\x80', '\xB0', '\xFE', '\xFF'};
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
      std::string t(rng() % 20, 'a');
      // Odd rounds draw on two bytes only, so that many texts share their
      // first eight bytes and go on.
      for (char& c : t) c = round % 2 ? "a\xB0"[rng() % 2] : alphabet[rng() % sizeof alphabet];
      texts.push_back(t);
    }
    std::vector<ByteOrderKey> keys;
    for (size_t i = 0; i < texts.size(); ++i) {
      keys.push_back(ByteOrderKey::Of(texts[i], static_cast<int32_t>(i)));
    }
    std::shuffle(keys.begin(), keys.end(), rng);  // the order on entry does not matter
    SortByteOrder(keys, [&texts](int32_t i) -> const std::string& { return texts[i]; });
    std::vector<int32_t> expected(texts.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int32_t>(i);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int32_t x, int32_t y) { return texts[x] < texts[y]; });
    std::vector<int32_t> got;
    for (const ByteOrderKey& k : keys) got.push_back(k.item);
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnix
