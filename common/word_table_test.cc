#include "word_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <unordered_map>

namespace tarnix {
namespace {

TEST(WordTable, FindsWhatWasSetAndNothingElse) {
  WordTable<float> t;
  EXPECT_EQ(t.Find("absent"), nullptr);  // nothing allocated yet
  t.Set("\xBC\xC6\xCB\xE3", 1.5f);         // a short GBK word, held in its slot
  t.Set("\xBC\xC6\xCB\xE3\xBB\xFA\xBF\xC6\xD1\xA7\xBC\xBC\xCA\xF5", 7.0f);  // longer than a slot holds
  t.Set("", 3.0f);
  ASSERT_NE(t.Find("\xBC\xC6\xCB\xE3"), nullptr);
  EXPECT_EQ(*t.Find("\xBC\xC6\xCB\xE3"), 1.5f);
  EXPECT_EQ(*t.Find("\xBC\xC6\xCB\xE3\xBB\xFA\xBF\xC6\xD1\xA7\xBC\xBC\xCA\xF5"), 7.0f);
  EXPECT_EQ(*t.Find(""), 3.0f);
  // A prefix or an extension of a word is another word.
  EXPECT_EQ(t.Find("\xBC\xC6"), nullptr);
  EXPECT_EQ(t.Find("\xBC\xC6\xCB\xE3\xBB\xFA\xBF\xC6\xD1\xA7\xBC\xBC\xCA"), nullptr);
  EXPECT_EQ(t.Find(std::string("\xBC\xC6\xCB\xE3", 4) + std::string(1, '\0')), nullptr);
  EXPECT_EQ(t.size(), 3u);
}

TEST(WordTable, ALaterValueReplacesAndKeysOfTwelveBytesStayWhole) {
  WordTable<int> t;
  t.Set("twelve bytes", 1);   // exactly the inline size
  t.Set("thirteen byte", 2);  // one more, in the pool
  t.Set("twelve bytes", 3);
  t.Set("thirteen byte", 4);
  EXPECT_EQ(t.size(), 2u);
  EXPECT_EQ(*t.Find("twelve bytes"), 3);
  EXPECT_EQ(*t.Find("thirteen byte"), 4);
  EXPECT_EQ(t.Find("twelve byte"), nullptr);
  EXPECT_EQ(t.Find("thirteen bytes"), nullptr);
}

// The comparison of short keys by overlapping loads, on its own (in the
// table a mismatch is nearly always caught by the hash tag first).
TEST(WordTable, ShortKeysDifferingInAnyByteCompareUnequal) {
  char a[16], b[16];
  for (size_t n = 0; n <= 16; ++n) {
    std::memset(a, 0xB0, sizeof a);
    std::memset(b, 0xB0, sizeof b);
    EXPECT_TRUE(SameShortKey(a, b, n)) << n;
    b[n < 16 ? n : 15] = 0x01;  // beyond the compared bytes, or the last
    EXPECT_EQ(SameShortKey(a, b, n), n != 16) << n;
    for (size_t at = 0; at < n; ++at) {
      std::memcpy(b, a, sizeof b);
      b[at] = static_cast<char>(0xB1);
      EXPECT_FALSE(SameShortKey(a, b, n)) << n << " " << at;
      if (n >= 1 && n <= 7) {
        EXPECT_NE(Load4To7Or3(a, n), Load4To7Or3(b, n))
            << n << " " << at;
      }
    }
  }
}

// Keys are compared and hashed by fixed-size loads that overlap: for every
// length, words that differ in a single byte, wherever it lies, must stay
// apart, and a copy of a word held elsewhere must find it.
TEST(WordTable, WordsDifferingInOneByteStayApartAtEveryLength) {
  for (size_t length = 1; length <= 30; ++length) {
    WordTable<int> t;
    const std::string base(length, '\xB0');
    t.Set(base, -1);
    for (size_t at = 0; at < length; ++at) {
      std::string w = base;
      w[at] = '\xB1';
      t.Set(w, static_cast<int>(at));
    }
    ASSERT_EQ(t.size(), length + 1) << length;
    const std::string copy(base.data(), base.size());
    EXPECT_EQ(*t.Find(copy), -1) << length;
    for (size_t at = 0; at < length; ++at) {
      std::string w = base;
      w[at] = '\xB1';
      ASSERT_NE(t.Find(w), nullptr) << length << " " << at;
      EXPECT_EQ(*t.Find(w), static_cast<int>(at)) << length << " " << at;
      w[at] = '\xB2';
      EXPECT_EQ(t.Find(w), nullptr) << length << " " << at;
    }
  }
}

// Insert keeps the first value, as try_emplace does, and its result points
// at the live value even when the insertion made the table grow.
TEST(WordTable, InsertKeepsTheFirstValueAndPointsAtIt) {
  std::mt19937 rng(3);
  std::unordered_map<std::string, int> expected;
  WordTable<int> t;
  for (int i = 0; i < 5000; ++i) {
    std::string w(1 + rng() % 16, 'a');
    for (char& c : w) c = static_cast<char>('a' + rng() % 3);
    const int v = i;
    auto [value, added] = t.Insert(w, v);
    const bool fresh = expected.emplace(w, v).second;
    ASSERT_EQ(added, fresh) << w;
    ASSERT_EQ(*value, expected[w]) << w;
    ASSERT_EQ(value, t.Find(w)) << w;
    if (!added) *value += 1000000;  // written through, as a caller would
    if (!fresh) expected[w] += 1000000;
  }
  ASSERT_EQ(t.size(), expected.size());
  for (const auto& [w, v] : expected) EXPECT_EQ(*t.Find(w), v) << w;
}

// Growth moves every slot: after many insertions of mixed lengths, with
// and without a reservation, the table must agree with a std map.
TEST(WordTable, AgreesWithAStandardMapThroughGrowth) {
  for (const bool reserve : {false, true}) {
    std::mt19937 rng(reserve ? 7 : 11);
    std::unordered_map<std::string, int> expected;
    WordTable<int> t;
    if (reserve) t.reserve(5000);
    for (int i = 0; i < 20000; ++i) {
      std::string w(1 + rng() % 24, 'a');
      for (char& c : w) c = static_cast<char>('a' + rng() % 4);  // many shared prefixes
      const int v = static_cast<int>(rng());
      t.Set(w, v);
      expected[w] = v;
    }
    ASSERT_EQ(t.size(), expected.size());
    for (const auto& [w, v] : expected) {
      const int* found = t.Find(w);
      ASSERT_NE(found, nullptr) << w;
      EXPECT_EQ(*found, v) << w;
    }
    for (int i = 0; i < 2000; ++i) {
      std::string w(25 + rng() % 4, 'a');  // longer than any word set
      EXPECT_EQ(t.Find(w), nullptr);
    }
    // The filter must never hide a word: not the ones it was built from,
    // nor one set after it.
    t.BuildFilter();
    for (const auto& [w, v] : expected) ASSERT_NE(t.Find(w), nullptr) << w;
    t.Set("set after the filter", 5);
    ASSERT_NE(t.Find("set after the filter"), nullptr);
    EXPECT_EQ(*t.Find("set after the filter"), 5);
    EXPECT_EQ(t.Find("not set after the filter"), nullptr);
    t.clear();
    EXPECT_EQ(t.Find(expected.begin()->first), nullptr);
    EXPECT_TRUE(t.empty());
  }
}

}  // namespace
}  // namespace tarnix
