#include <cstring>
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

}  // namespace
}  // namespace tarnix
