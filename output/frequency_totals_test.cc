#include "frequency_totals.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "scripted_engines.h"
#include "test_dictionaries.h"

namespace tarnix {
namespace {

using scripted::Term;
using tarnix_testing::Keyword;

struct Tables {
  std::vector<ArticleTerm> full;
  std::vector<ArticleTerm> abstract_terms;
  std::vector<KeywordEntry> keywords;

  bool Run() {
    int32_t n = static_cast<int32_t>(full.size());
    int32_t m = static_cast<int32_t>(abstract_terms.size());
    int32_t k = static_cast<int32_t>(keywords.size());
    return SortByPos(full.data(), &n, abstract_terms.data(), &m, keywords.data(), &k);
  }
  int32_t Frequency(size_t slot) const { return keywords[slot].frequency; }
};

TEST(SortByPosTest, FirstRecordOfEachPositionCounts) {
  Tables t;
  t.full = {Term("a", 1, 1, "", "", 4), Term("b", 1, 0, "", "", 100), Term("a", 1, 1, "", "", 9),
            Term("a", 1, 3, "", "", 2), Term("a", 1, 0, "", "", 7), Term("a", 1, 2, "", "", 1)};
  t.keywords = {Keyword("a", 1.0, "", -5)};
  ASSERT_TRUE(t.Run());
  EXPECT_EQ(t.Frequency(0), 4 + 2 + 7 + 1);
}

TEST(SortByPosTest, OtherPositionsAddNothingButAreUsedUp) {
  Tables t;
  t.full = {Term("a", 1, 4, "", "", 5), Term("a", 1, 5, "", "", 6), Term("a", 1, -1, "", "", 6)};
  t.abstract_terms = {Term("a", 1, 0, "", "", 8)};
  t.keywords = {Keyword("a", 1.0, "", 99), Keyword("a", 1.0, "", 99), Keyword("a", 1.0, "", 99)};
  ASSERT_TRUE(t.Run());
  EXPECT_EQ(t.Frequency(0), 0);
  EXPECT_EQ(t.Frequency(1), 8);  // the full text is used up, the abstract is next
  EXPECT_EQ(t.Frequency(2), 0);
}

TEST(SortByPosTest, TheAbstractTableIsOnlyAFallback) {
  Tables t;
  t.full = {Term("a", 1, 1, "", "", 3), Term("x", 1, 1, "", "", 50)};
  t.abstract_terms = {Term("b", 1, 0, "", "", 5), Term("a", 1, 0, "", "", 40),
                      Term("b", 1, 0, "", "", 7), Term("b", 1, 1, "", "", 2)};
  t.keywords = {Keyword("a", 1.0), Keyword("b", 1.0), Keyword("a", 1.0), Keyword("a", 1.0),
                Keyword("c", 1.0, "", 11)};
  ASSERT_TRUE(t.Run());
  EXPECT_EQ(t.Frequency(0), 3);
  EXPECT_EQ(t.Frequency(1), 5 + 2);
  EXPECT_EQ(t.Frequency(2), 40);
  EXPECT_EQ(t.Frequency(3), 0);
  EXPECT_EQ(t.Frequency(4), 0);  // a keyword without records gets 0
}

TEST(SortByPosTest, TotalsStayWithinThirtyTwoBits) {
  Tables t;
  t.full = {Term("a", 1, 0, "", "", INT_MAX), Term("a", 1, 1, "", "", INT_MAX),
            Term("b", 1, 0, "", "", INT_MIN), Term("b", 1, 1, "", "", -1),
            Term("c", 1, 0, "", "", INT_MAX), Term("c", 1, 1, "", "", INT_MIN)};
  t.keywords = {Keyword("a", 1.0), Keyword("b", 1.0), Keyword("c", 1.0)};
  ASSERT_TRUE(t.Run());
  EXPECT_EQ(t.Frequency(0), INT_MAX);
  EXPECT_EQ(t.Frequency(1), INT_MIN);
  EXPECT_EQ(t.Frequency(2), -1);
}

TEST(SortByPosTest, EmptyCountsAndBadArguments) {
  Tables t;
  t.keywords = {Keyword("a", 1.0, "", 13)};
  t.full = {Term("a", 1, 0, "", "", 2)};
  int32_t n = 0, m = 0, k = 1;
  EXPECT_TRUE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), &k));
  EXPECT_EQ(t.Frequency(0), 13);
  n = 1;
  k = 0;
  EXPECT_TRUE(SortByPos(nullptr, &n, nullptr, &m, nullptr, &k));
  k = 1;
  EXPECT_FALSE(SortByPos(nullptr, &n, nullptr, &m, t.keywords.data(), &k));
  EXPECT_FALSE(SortByPos(t.full.data(), &n, nullptr, &m, nullptr, &k));
  n = -1;
  EXPECT_FALSE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), &k));
  n = 1;
  k = -1;
  EXPECT_FALSE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), &k));
  k = 1;
  m = 2;  // a missing abstract table that claims records
  EXPECT_FALSE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), &k));
  EXPECT_FALSE(SortByPos(t.full.data(), nullptr, nullptr, &m, t.keywords.data(), &k));
  EXPECT_FALSE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), nullptr));
  m = 0;
  EXPECT_TRUE(SortByPos(t.full.data(), &n, nullptr, &m, t.keywords.data(), &k));
  EXPECT_EQ(t.Frequency(0), 2);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(k, 1);
}

// The totals against a plain reading of the rule: random texts of 0 to 3
// bytes over a few byte values (so that many share their first bytes),
// full 100-byte words, repeated keywords and records in both tables.
TEST(SortByPosTest, AgreesWithAPlainWalkOnRandomTables) {
  std::mt19937 rng(9);
  auto text = [&rng]() {
    if (rng() % 10 == 0) return std::string(100, static_cast<char>(0xB0 + rng() % 2));
    std::string t(rng() % 4, 'a');
    for (char& c : t) c = "a\xB0\xB1"[rng() % 3];
    return t;
  };
  for (int round = 0; round < 200; ++round) {
    Tables t;
    for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
      t.full.push_back(Term(text(), 1, static_cast<int>(rng() % 6) - 1, "", "",
                            static_cast<int>(rng() % 50)));
    }
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) {
      t.abstract_terms.push_back(Term(text(), 1, static_cast<int>(rng() % 5), "", "",
                                      static_cast<int>(rng() % 50)));
    }
    for (int i = 1 + static_cast<int>(rng() % 12); i > 0; --i) t.keywords.push_back(Keyword(text(), 1.0));
    if (t.full.empty()) continue;  // no records: the keywords keep their frequencies

    std::vector<int32_t> expected;
    std::set<std::string> used_full, used_abstract;
    for (const KeywordEntry& k : t.keywords) {
      const std::string word = k.keyword_text;
      int32_t total = 0;
      for (auto [table, used] : {std::pair{&t.full, &used_full}, std::pair{&t.abstract_terms, &used_abstract}}) {
        bool found = false, marks[4] = {};
        for (const ArticleTerm& r : *table) {
          if (r.word != word || used->count(word)) continue;
          found = true;
          if (r.position >= 0 && r.position < 4 && !marks[r.position]) {
            marks[r.position] = true;
            total += r.frequency;
          }
        }
        if (found) {
          used->insert(word);
          break;
        }
      }
      expected.push_back(total);
    }
    ASSERT_TRUE(t.Run());
    for (size_t k = 0; k < expected.size(); ++k) {
      ASSERT_EQ(t.Frequency(k), expected[k]) << "round " << round << ", keyword " << k;
    }
  }
}

}  // namespace
}  // namespace tarnix
