#include "full_text_selection.h"

#include <gtest/gtest.h>

#include "candidates_test_support.h"
#include "test_support.h"

namespace {

using candidates_testing::Entries;
using candidates_testing::EntriesOf;
using candidates_testing::Tables;
using scripted::Term;

class SelectFileWordTest : public tarnix_testing::ScriptedTest {};

TEST_F(SelectFileWordTest, DepthThenWeightThenEarliestSurvives) {
  Tables t(7);
  t.Set(0, Term("k", 9.0f, 0), 1);
  t.Set(1, Term("k", 2.0f, 0), 3);
  t.Set(2, Term("k", 2.0f, 0), 3);
  t.Set(3, Term("j", 1.0f, 0), 2);
  t.Set(4, Term("j", 1.5f, 0), 2);
  t.Set(5, Term("m", 4.0f, 0), 5);
  t.Set(6, Term("m", 8.0f, 0), 4);
  tarnix::TermIndexMap map{{"k", 0}, {"k", 1}, {"k", 2}, {"j", 3}, {"j", 4},
                           {"m", 5}, {"m", 6}, {"alone", 2}};
  ASSERT_TRUE(tarnix::SelectFileWord(map, t.info_map(), t.info_map_class()));
  EXPECT_EQ(EntriesOf(map), (Entries{{"alone", 2}, {"j", 4}, {"k", 1}, {"m", 5}}));
  // Dropped entries leave their records alone.
  EXPECT_FLOAT_EQ(t.terms[0].weight, 9.0f);
  EXPECT_FLOAT_EQ(t.terms[6].weight, 8.0f);
}

TEST_F(SelectFileWordTest, MapsWithoutRepeatsStayAsTheyAre) {
  Tables t(2);
  tarnix::TermIndexMap map{{"a", 0}, {"ab", 1}};
  ASSERT_TRUE(tarnix::SelectFileWord(map, t.info_map(), t.info_map_class()));
  EXPECT_EQ(EntriesOf(map), (Entries{{"a", 0}, {"ab", 1}}));

  tarnix::TermIndexMap empty;
  EXPECT_TRUE(tarnix::SelectFileWord(empty, nullptr, nullptr));
  EXPECT_FALSE(tarnix::SelectFileWord(map, nullptr, t.info_map_class()));
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(SelectFileWordTest, IndexOutsideTheTableIsReportedNotRead) {
  Tables t(1);
  tarnix::TermIndexMap map{{"k", 0}, {"k", -4}};
  EXPECT_FALSE(tarnix::SelectFileWord(map, t.info_map(), t.info_map_class()));
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"SelectFileWord Error!"});
}

}  // namespace
