#include "class_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

namespace {

// The filter as the plain walk it stands for: each record looks for its
// keeper among the map's entries under its key, in order, and joins the
// map when it finds none. Gives the absorbed records.
std::vector<bool> ReferenceFilter(tarnix::TermIndexMap& map, const std::vector<ArticleTerm>& terms,
                                  int32_t n) {
  std::vector<bool> absorbed(terms.size(), false);
  for (int32_t a = 0; a < n; ++a) {
    auto range = map.equal_range(terms[a].word);
    bool kept = false;
    for (auto it = range.first; it != range.second && !kept; ++it) {
      kept = std::string(terms[it->second].class_code) == terms[a].class_code;
    }
    if (kept) {
      absorbed[a] = true;
    } else {
      map.emplace(terms[a].word, a);
    }
  }
  return absorbed;
}

TEST_F(ClassFilterTest, RandomTablesMatchThePlainWalk) {
  std::mt19937 rng(7);
  // Short keys, and long ones that share their first eight bytes or
  // differ only beyond them, with bytes on both sides of 0x80.
  const char* const keys[] = {"a",
                              "b",
                              "ab",
                              "ba",
                              "abc",
                              "\xB0\xA1",
                              "\xB0\xA1\xB0\xA2",
                              "\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA4",
                              "\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA4\xB0\xA5",
                              "\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA4\x41",
                              "\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA4\xB0\xA5\xB0",
                              "\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA5"};
  constexpr unsigned kKeys = sizeof keys / sizeof keys[0];
  const char* const codes[] = {"", "T", "TP", "TP3"};
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    Tables t(tarnix::kInfoMapCapacity);
    const int32_t n = 50 + static_cast<int32_t>(rng() % 400);
    for (int32_t i = 0; i < n; ++i) {
      t.Set(i, Term(keys[rng() % kKeys], static_cast<float>(1 + rng() % 9), static_cast<int>(rng() % 3),
                    codes[rng() % 4]),
            static_cast<int>(rng() % 3));
    }
    // Entries already in the map, standing for records beyond the count.
    tarnix::TermIndexMap fileword, reference;
    for (int32_t e = 0; e < 5; ++e) {
      const int32_t i = 9000 + e;
      t.Set(i, Term(keys[rng() % kKeys], 1.0f, 0, codes[rng() % 4]));
      fileword.emplace(t.terms[i].word, i);
    }
    reference = fileword;
    const std::vector<bool> absorbed = ReferenceFilter(reference, t.terms, n);

    ASSERT_TRUE(tarnix::EraseFileClass(fileword, t.info_map(), n, t.info_map_class()));
    EXPECT_EQ(EntriesOf(fileword), EntriesOf(reference));
    for (int32_t i = 0; i < n; ++i) EXPECT_EQ(t.terms[i].weight == -1.0f, absorbed[i]) << i;
  }
}

}  // namespace
