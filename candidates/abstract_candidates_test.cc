#include "abstract_candidates.h"

#include <gtest/gtest.h>

#include "candidates_test_support.h"
#include "test_support.h"

namespace {

using candidates_testing::Entries;
using candidates_testing::EntriesOf;
using candidates_testing::Tables;
using scripted::Term;

class AbstractCandidatesTest : public tarnix_testing::ScriptedTest {};

TEST_F(AbstractCandidatesTest, OnlyAbstractPositionsEnterTheMap) {
  Tables t(tarnix::kInfoMap1Capacity, 100.0f);
  t.Set(0, Term("b", 100.0f, 0));
  t.Set(1, Term("keyword", 100.0f, 2));
  t.Set(2, Term("a", 100.0f, 0));
  t.Set(3, Term("title", 100.0f, 1));
  t.Set(4, Term("b", 100.0f, 0));
  tarnix::TermIndexMap abstword;
  ASSERT_TRUE(tarnix::EraseAbstword(abstword, t.info_map(), 5));
  EXPECT_EQ(EntriesOf(abstword), (Entries{{"a", 2}, {"b", 0}, {"b", 4}}));

  tarnix::TermIndexMap none;
  EXPECT_TRUE(tarnix::EraseAbstword(none, t.info_map(), 0));
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(tarnix::EraseAbstword(none, nullptr, 1));
  EXPECT_FALSE(tarnix::EraseAbstword(none, t.info_map(), tarnix::kInfoMap1Capacity + 1));
}

TEST_F(AbstractCandidatesTest, SelectWordKeepsTheHeaviestAndTheEarliestOnTies) {
  Tables t(8, 100.0f);
  const float weights[] = {100.0f, 100.0f, 1.0f, 2.0f, 5.0f, 1.0f, 7.0f, 3.0f};
  for (int i = 0; i < 8; ++i) t.Set(i, Term("w", weights[i], 0));
  tarnix::TermIndexMap abstword{{"tie", 0}, {"tie", 1}, {"up", 2}, {"up", 3},
                                {"run", 4}, {"run", 5}, {"run", 6}, {"solo", 7}};
  ASSERT_TRUE(tarnix::SelectWord(abstword, t.info_map()));
  EXPECT_EQ(EntriesOf(abstword), (Entries{{"run", 6}, {"solo", 7}, {"tie", 0}, {"up", 3}}));
  EXPECT_FALSE(tarnix::SelectWord(abstword, nullptr));
}

TEST_F(AbstractCandidatesTest, LongwordKeepsTheLastFullTextCandidate) {
  const std::string long16(16, 'x');
  tarnix::TermIndexMap fileword{{long16, 0}};
  EXPECT_TRUE(tarnix::Erase_Longword(fileword, tarnix::kLongwordFileword));
  EXPECT_EQ(EntriesOf(fileword), (Entries{{long16, 0}}));

  tarnix::TermIndexMap abstword{{long16, 0}};
  EXPECT_TRUE(tarnix::Erase_Longword(abstword, tarnix::kLongwordAbstword));
  EXPECT_TRUE(abstword.empty());

  const std::string first(16, 'a'), second(16, 'b');
  tarnix::TermIndexMap two{{first, 0}, {second, 1}};
  EXPECT_TRUE(tarnix::Erase_Longword(two, tarnix::kLongwordFileword));
  EXPECT_EQ(EntriesOf(two), (Entries{{second, 1}}));
}

TEST_F(AbstractCandidatesTest, LongwordCountsBytes) {
  // Seven double-byte characters stay; a fifteenth byte is too many.
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += "\xCD\xF8";
  const std::string fifteen = seven + "a";
  tarnix::TermIndexMap map{{fifteen, 0}, {"short", 1}, {seven, 2}, {fifteen, 3}};
  EXPECT_TRUE(tarnix::Erase_Longword(map, tarnix::kLongwordAbstword));
  EXPECT_EQ(EntriesOf(map), (Entries{{"short", 1}, {seven, 2}}));
}

}  // namespace
