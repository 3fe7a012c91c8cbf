#include "weight_sort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "test_dictionaries.h"
#include "test_support.h"

namespace tarnix {
namespace {

using tarnix_testing::Keyword;

std::vector<std::string> Texts(const std::vector<KeywordEntry>& keywords, size_t count) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < count; ++i) texts.push_back(keywords[i].keyword_text);
  return texts;
}

std::vector<double> Weights(const std::vector<KeywordEntry>& keywords, size_t count) {
  std::vector<double> weights;
  for (size_t i = 0; i < count; ++i) weights.push_back(keywords[i].weight);
  return weights;
}

TEST(MaoPaoSortTest, DescendingWithTheExchangeOrderForTies) {
  std::vector<KeywordEntry> k = {Keyword("A", 3), Keyword("B", 5), Keyword("C", 4)};
  ASSERT_TRUE(MaoPaoSort(k.data(), 3));
  EXPECT_EQ(Weights(k, 3), (std::vector<double>{5, 4, 3}));

  k = {Keyword("A", 1), Keyword("B", 1), Keyword("C", 2)};
  ASSERT_TRUE(MaoPaoSort(k.data(), 3));
  EXPECT_EQ(Texts(k, 3), (std::vector<std::string>{"C", "B", "A"}));

  k = {Keyword("A", 1), Keyword("B", 2), Keyword("C", 1), Keyword("D", 2), Keyword("E", 1)};
  ASSERT_TRUE(MaoPaoSort(k.data(), 5));
  EXPECT_EQ(Texts(k, 5), (std::vector<std::string>{"B", "D", "C", "A", "E"}));
}

TEST(MaoPaoSortTest, RecordsMoveWholeButTheReservedBytesStay) {
  std::vector<KeywordEntry> k = {Keyword("light", 1, "TP1", 3), Keyword("heavy", 9, "TP22", 7)};
  std::strcpy(k[0].second_text, "second light");
  std::memcpy(k[0].reserved, "RSV0", 4);
  std::memcpy(k[1].reserved, "RSV1", 4);
  ASSERT_TRUE(MaoPaoSort(k.data(), 2));
  EXPECT_STREQ(k[0].keyword_text, "heavy");
  EXPECT_STREQ(k[0].second_text, "");
  EXPECT_STREQ(k[0].class_code, "TP22");
  EXPECT_EQ(k[0].frequency, 7);
  EXPECT_STREQ(k[1].keyword_text, "light");
  EXPECT_STREQ(k[1].second_text, "second light");
  EXPECT_STREQ(k[1].class_code, "TP1");
  EXPECT_EQ(k[1].frequency, 3);
  EXPECT_EQ(std::memcmp(k[0].reserved, "RSV0", 4), 0);
  EXPECT_EQ(std::memcmp(k[1].reserved, "RSV1", 4), 0);
}

TEST(MaoPaoSortTest, CountsAndNaN) {
  std::vector<KeywordEntry> k = {Keyword("A", 1), Keyword("B", 2)};
  EXPECT_TRUE(MaoPaoSort(k.data(), 1));
  EXPECT_TRUE(MaoPaoSort(k.data(), 0));
  EXPECT_TRUE(MaoPaoSort(nullptr, 0));
  EXPECT_EQ(Texts(k, 2), (std::vector<std::string>{"A", "B"}));
  EXPECT_FALSE(MaoPaoSort(k.data(), -1));
  EXPECT_FALSE(MaoPaoSort(nullptr, 2));

  k = {Keyword("A", 1), Keyword("N", std::nan("")), Keyword("B", 2)};
  ASSERT_TRUE(MaoPaoSort(k.data(), 3));
  // NaN compares with nothing, so it keeps its slot between the two.
  EXPECT_EQ(Texts(k, 3), (std::vector<std::string>{"B", "N", "A"}));
}

class WordValueChangTest : public tarnix_testing::ScriptedTest {};

TEST_F(WordValueChangTest, CandidateClassesDoubleAndTheArticleClassIsAdded) {
  ClassScoreMap classes{{"TP3", 0.7}};
  std::vector<KeywordEntry> k = {Keyword("a", 10, "X1"), Keyword("b", 4, "TP3"),
                                 Keyword("c", 3, "TP391"), Keyword("d", 6, "")};
  int32_t count = 4;
  ASSERT_TRUE(WordValueChang(classes, "TP391", k.data(), &count));
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Texts(k, 4), (std::vector<std::string>{"b", "c", "a", "d"}));
  EXPECT_EQ(Weights(k, 4), (std::vector<double>{8, 6, 5, 3}));
  EXPECT_EQ(classes, (ClassScoreMap{{"TP3", 0.7}, {"TP391", 0.0}}));

  // An existing score is kept, and the empty class is a class like others.
  classes = {{"", 0.25}, {"TP391", 0.5}};
  k = {Keyword("a", 1, ""), Keyword("b", 1, "Z")};
  count = 2;
  ASSERT_TRUE(WordValueChang(classes, "TP391", k.data(), &count));
  EXPECT_EQ(Weights(k, 2), (std::vector<double>{2, 0.5}));
  EXPECT_EQ(classes.at("TP391"), 0.5);
}

TEST_F(WordValueChangTest, TrailingZerosAreTrimmed) {
  ClassScoreMap classes;
  std::vector<KeywordEntry> k = {Keyword("a", 0, "Q"), Keyword("b", 8, "Q"), Keyword("c", 0, "Q")};
  int32_t count = 3;
  ASSERT_TRUE(WordValueChang(classes, "TP", k.data(), &count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(k[0].weight, 4.0);

  k = {Keyword("a", 0, "Q"), Keyword("b", 0, "Q")};
  count = 2;
  ASSERT_TRUE(WordValueChang(classes, "TP", k.data(), &count));
  EXPECT_EQ(count, 0);

  // A negative weight sorts behind the zeros and is no zero itself.
  k = {Keyword("a", 2, "Q"), Keyword("b", -2, "Q"), Keyword("c", 0, "Q")};
  count = 3;
  ASSERT_TRUE(WordValueChang(classes, "TP", k.data(), &count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Weights(k, 3), (std::vector<double>{1, 0, -1}));
}

TEST_F(WordValueChangTest, EmptyAndBadArguments) {
  ClassScoreMap classes;
  std::vector<KeywordEntry> k = {Keyword("a", 4, "Q")};
  int32_t count = 0;
  EXPECT_TRUE(WordValueChang(classes, nullptr, nullptr, &count));
  EXPECT_TRUE(classes.empty());
  count = 1;
  EXPECT_FALSE(WordValueChang(classes, nullptr, k.data(), &count));
  EXPECT_FALSE(WordValueChang(classes, "TP", nullptr, &count));
  EXPECT_FALSE(WordValueChang(classes, "TP", k.data(), nullptr));
  count = -1;
  EXPECT_FALSE(WordValueChang(classes, "TP", k.data(), &count));
  EXPECT_EQ(k[0].weight, 4.0);
  EXPECT_EQ(count, -1);
}

// The exchange sort as written out on the records themselves, the host's
// reserved bytes staying with their slots.
void ReferenceExchangeSort(std::vector<KeywordEntry>& k) {
  for (size_t i = 0; i + 1 < k.size(); ++i) {
    for (size_t j = i + 1; j < k.size(); ++j) {
      if (k[i].weight < k[j].weight) {
        KeywordEntry t = k[i];
        std::memcpy(&k[i], &k[j], offsetof(KeywordEntry, reserved));
        k[i].weight = k[j].weight;
        std::memcpy(&k[j], &t, offsetof(KeywordEntry, reserved));
        k[j].weight = t.weight;
      }
    }
  }
}

TEST(MaoPaoSortTest, RandomListsMatchTheExchangeSortOnRecords) {
  std::mt19937 rng(11);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const size_t n = 1 + rng() % 300;
    std::vector<KeywordEntry> k(n);
    for (size_t i = 0; i < n; ++i) {
      // Few distinct weights, so that ties are common; now and then a NaN,
      // which no weight is heavier than and which is heavier than none, the
      // infinities, and a negative zero, which ties with zero.
      const unsigned pick = rng() % 15;
      const double inf = std::numeric_limits<double>::infinity();
      const double weight = pick == 11   ? std::nan("")
                            : pick == 12 ? inf
                            : pick == 13 ? -inf
                            : pick == 14 ? -0.0
                                         : static_cast<double>(pick % 6);
      k[i] = Keyword(std::to_string(i).c_str(), weight);
      std::memset(k[i].reserved, static_cast<int>(i % 251), sizeof k[i].reserved);
    }
    // Mostly ranked lists as well as shuffled ones.
    if (round % 3 == 0) ReferenceExchangeSort(k);
    if (round % 3 == 1) std::swap(k.front(), k.back());
    std::vector<KeywordEntry> expected = k;
    ReferenceExchangeSort(expected);
    ASSERT_TRUE(MaoPaoSort(k.data(), static_cast<int32_t>(n)));
    EXPECT_EQ(Texts(k, n), Texts(expected, n));
    for (size_t i = 0; i < n; ++i) {
      EXPECT_EQ(std::memcmp(k[i].reserved, expected[i].reserved, sizeof k[i].reserved), 0) << i;
    }
  }
}

}  // namespace
}  // namespace tarnix
