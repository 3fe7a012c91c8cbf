#include "class_filter.h"

#include <gtest/gtest.h>

#include "candidates_test_support.h"
#include "test_support.h"

namespace {

using candidates_testing::Entries;
using candidates_testing::EntriesOf;
using candidates_testing::Tables;
using scripted::Term;

class ClassFilterTest : public tarnix_testing::ScriptedTest {};

struct AbsorptionCase {
  int keeper_position;
  int absorbed_position;
  float keeper_weight;
  int keeper_position_after;
};

TEST_F(ClassFilterTest, AbsorptionScalesTheSideNotInTheTitle) {
  const AbsorptionCase cases[] = {
      {0, 0, 5.0f, 0},   // 2 + 3
      {0, 1, 11.0f, 1},  // 2 * 4 + 3
      {1, 0, 14.0f, 1},  // 2 + 3 * 4
      {1, 1, 5.0f, 1},   // 2 + 3
  };
  for (const AbsorptionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.keeper_position << "/" << c.absorbed_position);
    Tables t(2);
    t.Set(0, Term("net", 2.0f, c.keeper_position, "TP3"));
    t.Set(1, Term("net", 3.0f, c.absorbed_position, "TP3"));
    tarnix::TermIndexMap fileword;
    ASSERT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), 2, t.info_map_class()));
    EXPECT_EQ(EntriesOf(fileword), (Entries{{"net", 0}}));
    EXPECT_FLOAT_EQ(t.terms[0].weight, c.keeper_weight);
    EXPECT_EQ(t.terms[0].position, c.keeper_position_after);
    EXPECT_FLOAT_EQ(t.terms[1].weight, -1.0f);
    EXPECT_EQ(t.terms[1].position, c.absorbed_position);
  }
}

TEST_F(ClassFilterTest, ClassAndTitleBoostsNeedAgreement) {
  Tables t(4);
  t.Set(0, Term("a", 1.0f, 1), 2);  // 1 * 3 * 4
  t.Set(1, Term("b", 1.0f, 1), 0);  // no agreement: unchanged even in the title
  t.Set(2, Term("c", 1.5f, 0), 1);  // 1.5 * 2
  t.Set(3, Term("d", 2.0f, 0), -3);
  tarnix::TermIndexMap fileword;
  ASSERT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), 4, t.info_map_class()));
  EXPECT_FLOAT_EQ(t.terms[0].weight, 12.0f);
  EXPECT_FLOAT_EQ(t.terms[1].weight, 1.0f);
  EXPECT_FLOAT_EQ(t.terms[2].weight, 3.0f);
  EXPECT_FLOAT_EQ(t.terms[3].weight, 2.0f);
  EXPECT_EQ(fileword.size(), 4u);
}

TEST_F(ClassFilterTest, BoostsComeBeforeAbsorption) {
  Tables t(2);
  t.Set(0, Term("net", 2.0f, 0, "TP3"), 1);  // boosted to 4
  t.Set(1, Term("net", 1.0f, 1, "TP3"), 1);  // boosted to 1 * 2 * 4 = 8
  tarnix::TermIndexMap fileword;
  ASSERT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), 2, t.info_map_class()));
  EXPECT_FLOAT_EQ(t.terms[0].weight, 4.0f * 4.0f + 8.0f);
  EXPECT_EQ(t.terms[0].position, 1);
}

TEST_F(ClassFilterTest, EachClassCodeKeepsItsOwnFirstRecord) {
  Tables t(5);
  t.Set(0, Term("x", 1.0f, 0, "A"));
  t.Set(1, Term("x", 2.0f, 0, "B"));
  t.Set(2, Term("x", 3.0f, 0, "A"));
  t.Set(3, Term("x", 4.0f, 0, "B"));
  t.Set(4, Term("x", 5.0f, 0, "A"));
  tarnix::TermIndexMap fileword;
  ASSERT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), 5, t.info_map_class()));
  EXPECT_EQ(EntriesOf(fileword), (Entries{{"x", 0}, {"x", 1}}));
  EXPECT_FLOAT_EQ(t.terms[0].weight, 9.0f);
  EXPECT_FLOAT_EQ(t.terms[1].weight, 6.0f);
  for (int i : {2, 3, 4}) EXPECT_FLOAT_EQ(t.terms[i].weight, -1.0f) << i;
}

TEST_F(ClassFilterTest, EnglishVariantKeysBySecondWord) {
  Tables t(4);
  t.Set(0, Term("networks", 1.0f, 0, "TP", "network"));
  t.Set(1, Term("Network", 2.0f, 0, "TP", "network"));
  t.Set(2, Term("model", 1.0f, 0, "TP", "model"));
  t.Set(3, Term("model", 1.0f, 0, "TP", "models"));
  tarnix::TermIndexMap english;
  ASSERT_TRUE(tarnix::EraseFileClass_English(english, t.info_map(), 4, t.info_map_class()));
  EXPECT_EQ(EntriesOf(english), (Entries{{"model", 2}, {"models", 3}, {"network", 0}}));
  EXPECT_FLOAT_EQ(t.terms[0].weight, 3.0f);
  EXPECT_FLOAT_EQ(t.terms[1].weight, -1.0f);

  // The Chinese variant sees the same records by word.
  Tables u(2);
  u.Set(0, Term("networks", 1.0f, 0, "TP", "network"));
  u.Set(1, Term("Network", 2.0f, 0, "TP", "network"));
  tarnix::TermIndexMap fileword;
  ASSERT_TRUE(tarnix::EraseFileClass(fileword, u.info_map(), 2, u.info_map_class()));
  EXPECT_EQ(fileword.size(), 2u);
}

TEST_F(ClassFilterTest, MissingTablesAndCounts) {
  Tables t(1);
  t.Set(0, Term("x", 1.0f, 0));
  tarnix::TermIndexMap fileword;
  EXPECT_FALSE(tarnix::EraseFileClass(fileword, nullptr, 1, t.info_map_class()));
  EXPECT_FALSE(tarnix::EraseFileClass_English(fileword, t.info_map(), 1, nullptr));
  EXPECT_FALSE(tarnix::EraseFileClass(fileword, t.info_map(), -1, t.info_map_class()));
  EXPECT_FALSE(tarnix::EraseFileClass(fileword, t.info_map(), tarnix::kInfoMapCapacity + 1,
                                      t.info_map_class()));
  EXPECT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), 0, t.info_map_class()));
  EXPECT_TRUE(fileword.empty());
  EXPECT_TRUE(LogMessages().empty());
}

}  // namespace
