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

}  // namespace
}  // namespace tarnix
