#include "term_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/text.h"

namespace ekvr {
namespace {

TermSet ThreeTerms() {
  TermSet s;
  const char* words[] = {"alpha", "beta", "gamma"};
  for (int i = 0; i < 3; ++i) {
    Term& t = s.Add(words[i], words[i], words[i], 1, kPosAbstract, 0);
    s.Add(words[i], words[i], words[i], 1, kPosTitle, 0);
    t.weight[kPosAbstract] = static_cast<float>(i + 1);
    t.weight[kPosTitle] = static_cast<float>(10 * (i + 1));
    t.total = 11.0 * (i + 1);
  }
  return s;
}

TEST(TermSet, FullTextIsOneRecordPerFieldHeaviestFirstWithinCapacity) {
  const TermSet s = ThreeTerms();
  std::vector<ArticleTerm> table(7);
  std::memset(table.data(), 0x5A, table.size() * sizeof(ArticleTerm));
  EXPECT_EQ(WriteFullText(s, table.data(), 6), 6);
  EXPECT_STREQ(table[0].word, "gamma");
  EXPECT_EQ(table[0].position, kPosTitle);
  EXPECT_FLOAT_EQ(table[0].weight, 30.0f);
  EXPECT_EQ(table[0].frequency, 1);
  EXPECT_EQ(table[5].position, kPosAbstract);
  EXPECT_EQ(static_cast<unsigned char>(table[6].word[0]), 0x5A);  // beyond the count: untouched
  EXPECT_EQ(WriteFullText(s, table.data(), 2), 2);
  EXPECT_EQ(WriteFullText(s, table.data(), 0), 0);
}

TEST(TermSet, WholeTermsAreOneRecordAtTheirFirstFieldWithEveryOccurrence) {
  TermSet s = ThreeTerms();
  s.Add("beta", "beta", "beta", 1, kPosBody, 0);
  s.Add("beta", "beta", "beta", 1, kPosBody, 0);
  s.Add("beta", "beta", "beta", 1, kPosJournal, 0);  // not the article's own text
  Term& body_only = s.Add("delta", "delta", "delta", 1, kPosBody, 0);
  body_only.total = 100.0;
  s.Find("alpha")->keep = false;
  std::vector<ArticleTerm> table(5);
  std::memset(table.data(), 0x5A, table.size() * sizeof(ArticleTerm));
  ASSERT_EQ(WriteWholeTerms(s, table.data(), 5), 3);
  EXPECT_STREQ(table[0].word, "delta");
  EXPECT_EQ(table[0].position, kPosBody);
  EXPECT_STREQ(table[1].word, "gamma");
  EXPECT_STREQ(table[2].word, "beta");
  EXPECT_EQ(table[2].position, kPosTitle);
  EXPECT_EQ(table[2].frequency, 4);  // title, abstract and body twice; the journal not
  EXPECT_FLOAT_EQ(table[2].weight, 22.0f);
  EXPECT_EQ(static_cast<unsigned char>(table[3].word[0]), 0x5A);
  EXPECT_EQ(WriteWholeTerms(s, table.data(), 1), 1);
  EXPECT_STREQ(table[0].word, "delta");
  EXPECT_EQ(WriteWholeTerms(s, table.data(), 0), 0);
}

TEST(TermSet, FullTextOrderIsTheFullSortOrderAtEveryCapacity) {
  // Few distinct weights, so that ties between terms and between the fields
  // of one term decide most places.
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    TermSet s;
    const int terms = 1 + static_cast<int>(rng() % 60);
    struct Expected {
      float weight;
      int term;
      int pos;
    };
    std::vector<Expected> expected;
    for (int i = 0; i < terms; ++i) {
      const std::string w = "t" + std::to_string(i);
      Term* t = nullptr;
      for (int p = 0; p < kPositionCount; ++p) {
        if (rng() % 2 == 0) continue;
        t = &s.Add(w, w, w, 1, static_cast<Position>(p), 0);
      }
      if (t == nullptr) t = &s.Add(w, w, w, 1, kPosBody, 0);
      t->keep = rng() % 5 != 0;
      for (int p = 0; p < kPositionCount; ++p) {
        t->weight[p] = static_cast<float>(rng() % 4);
        if (t->keep && t->freq[p] > 0) expected.push_back({t->weight[p], i, p});
      }
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const Expected& a, const Expected& b) { return a.weight > b.weight; });
    for (int capacity : {0, 1, 2, 7, static_cast<int>(expected.size()) / 2,
                         static_cast<int>(expected.size()), static_cast<int>(expected.size()) + 3}) {
      std::vector<ArticleTerm> table(static_cast<size_t>(std::max(capacity, 1)));
      const int n = WriteFullText(s, table.data(), capacity);
      ASSERT_EQ(n, std::min<int>(capacity, static_cast<int>(expected.size())));
      for (int k = 0; k < n; ++k) {
        EXPECT_EQ(std::string(table[k].word), "t" + std::to_string(expected[k].term)) << round << " " << k;
        EXPECT_EQ(table[k].position, expected[k].pos);
        EXPECT_EQ(table[k].weight, expected[k].weight);
      }
    }
  }
}

TEST(TermSet, AbstractListPutsAuthorKeywordsFirstAndStopsAtFifty) {
  TermSet s;
  for (int i = 0; i < 60; ++i) {
    const std::string w = "w" + std::to_string(i);
    Term& t = s.Add(w, w, w, 1, kPosAbstract, 0);
    t.total = i;
  }
  std::vector<AuthorKeyword> keywords(2);
  keywords[0].word = "k0";
  keywords[1].word = "k1";
  std::vector<ArticleTerm> table(60);
  EXPECT_EQ(WriteAbstract(keywords, s, table.data(), 60), kAbstractLimit);
  EXPECT_STREQ(table[0].word, "k0");
  EXPECT_EQ(table[0].position, kPosKeywords);
  EXPECT_STREQ(table[2].word, "w59");
  EXPECT_EQ(table[2].position, kPosAbstract);
  EXPECT_EQ(WriteAbstract(keywords, s, table.data(), 1), 1);
}

TEST(TermSet, LongTextsAreCutAtACharacterBoundary) {
  // 'a' followed by 60 double-byte characters: 121 bytes.
  std::string word = "a";
  for (int i = 0; i < 60; ++i) word += "\xD6\xD0";
  Term t;
  t.word = t.second = t.class_code = word;
  t.freq[kPosBody] = 1;
  ArticleTerm r;
  FillRecord(&r, t, kPosBody, 1.0f, 1);
  EXPECT_EQ(tarnix::FieldLength(r.word), 99u);         // 100 would split a character
  EXPECT_EQ(tarnix::FieldLength(r.class_code), 101u);  // 102 would too
  EXPECT_EQ(tarnix::FieldLength(r.second_word), 103u);
  EXPECT_EQ(r.position, kPosBody);
  EXPECT_EQ(r.reserved3, 1);
}

// Every blank separates two words, so the words and blanks give back the
// text: empty words stand where blanks meet or end the text.
TEST(SplitWords, EveryBlankSeparatesTwoWords) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"", {""}},
      {"\xD0\xA1\xB2\xA8", {"\xD0\xA1\xB2\xA8"}},
      {"\xD0\xA1\xB2\xA8 \xB1\xE4\xBB\xBB", {"\xD0\xA1\xB2\xA8", "\xB1\xE4\xBB\xBB"}},
      {"deep  learning ", {"deep", "", "learning", ""}},
      {" a", {"", "a"}},
  };
  std::vector<std::string_view> words = {"left over"};
  for (const auto& [text, want] : cases) {
    SplitWords(text, &words);
    EXPECT_EQ(std::vector<std::string>(words.begin(), words.end()), want) << text;
  }
}

}  // namespace
}  // namespace ekvr
