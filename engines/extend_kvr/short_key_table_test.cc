#include "short_key_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace ekvr {
namespace {

// Keys that differ in one byte only, anywhere, at every length around the
// 4-, 8- and 16-byte loads, and keys that are prefixes of each other.
std::vector<std::string> TrickyKeys() {
  std::vector<std::string> keys = {""};
  for (size_t n = 1; n <= 40; ++n) {
    const std::string base(n, '\xB5');
    keys.push_back(base);
    for (size_t at = 0; at < n; ++at) {
      std::string k = base;
      k[at] = '\0';  // a zero byte must not read as padding
      keys.push_back(k);
      k[at] = 'A';
      keys.push_back(k);
    }
  }
  return keys;
}

TEST(ShortKeyTable, AgreesWithAStandardMapOnTrickyKeys) {
  ShortKeyTable<uint32_t> table;
  std::unordered_map<std::string, uint32_t> reference;
  const std::vector<std::string> keys = TrickyKeys();
  for (size_t i = 0; i < keys.size(); i += 2) {
    table.Set(keys[i], static_cast<uint32_t>(i));
    reference[keys[i]] = static_cast<uint32_t>(i);
  }
  EXPECT_EQ(table.size(), reference.size());
  for (const std::string& k : keys) {
    const uint32_t* got = table.Find(k);
    const auto want = reference.find(k);
    ASSERT_EQ(got != nullptr, want != reference.end()) << k.size();
    if (got != nullptr) {
      EXPECT_EQ(*got, want->second);
    }
  }
}

TEST(ShortKeyTable, SetAndInsertAgreeWithAStandardMapOnRandomGbkLikeKeys) {
  std::mt19937 rng(5);
  const char pool[] = {'\x81', '\xB0', '\xD6', '\xFE', '\x40', '\x7F', 'a', 'Z', ' ', '\0'};
  ShortKeyTable<uint32_t> table;
  std::unordered_map<std::string, uint32_t> reference;
  for (int round = 0; round < 60000; ++round) {
    std::string k(rng() % 5 == 0 ? rng() % 41 : rng() % 9, '\0');
    for (char& c : k) c = pool[rng() % sizeof pool];
    if (rng() % 3 != 0) {
      const uint32_t v = static_cast<uint32_t>(rng());
      if (rng() % 2 == 0) {
        table.Set(k, v);  // a repeated key takes the later value
        reference[k] = v;
      } else {
        // A repeated key keeps the value it had.
        const auto [slot, added] = table.Insert(k, v);
        ASSERT_EQ(added, reference.count(k) == 0) << round;
        if (added) reference[k] = v;
        ASSERT_EQ(*slot, reference[k]) << round;
      }
    }
    const uint32_t* got = table.Find(k);
    const auto want = reference.find(k);
    ASSERT_EQ(got != nullptr, want != reference.end()) << round;
    if (got != nullptr) {
      ASSERT_EQ(*got, want->second) << round;
    }
  }
  EXPECT_EQ(table.size(), reference.size());
  for (const auto& [k, v] : reference) {
    const uint32_t* got = table.Find(k);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(*got, v);
  }
}

TEST(ShortKeyTable, ReserveAndClearKeepItUsable) {
  ShortKeyTable<int> table;
  EXPECT_EQ(table.Find("x"), nullptr);  // empty: nothing to probe
  table.reserve(1000);
  for (int i = 0; i < 3000; ++i) table.Set("key" + std::to_string(i), i);  // grows past the reserve
  EXPECT_EQ(table.size(), 3000u);
  EXPECT_EQ(*table.Find("key2999"), 2999);
  EXPECT_EQ(table.Find("key3000"), nullptr);
  *table.Find("key7") = -7;
  EXPECT_EQ(*table.Find("key7"), -7);
  table.clear();
  EXPECT_EQ(table.size(), 0u);
  EXPECT_EQ(table.Find("key7"), nullptr);
  table.Set("a phrase longer than sixteen bytes", 1);
  table.Set("a phrase longer than sixteen bytez", 2);
  EXPECT_EQ(*table.Find("a phrase longer than sixteen bytes"), 1);
  EXPECT_EQ(*table.Find("a phrase longer than sixteen bytez"), 2);
  EXPECT_EQ(table.Find("a phrase longer than sixteen byte"), nullptr);
}

// The table keeps its memory through clear() and growth: article after
// article of different sizes, no key of an earlier article may survive and
// every key of the current one must be found.
TEST(ShortKeyTable, RoundsOfDifferentSizesSeeOnlyTheirOwnKeys) {
  ShortKeyTable<int> table;
  const int sizes[] = {5000, 40, 3000, 0, 7000, 16};
  for (int round = 0; round < 6; ++round) {
    table.clear();
    if (round % 2 == 0) table.reserve(static_cast<size_t>(sizes[round]) / 3);
    for (int i = 0; i < sizes[round]; ++i) table.Set(std::to_string(round) + "/" + std::to_string(i), i);
    ASSERT_EQ(table.size(), static_cast<size_t>(sizes[round]));
    for (int i = 0; i < sizes[round]; ++i) {
      const int* got = table.Find(std::to_string(round) + "/" + std::to_string(i));
      ASSERT_NE(got, nullptr) << round << " " << i;
      EXPECT_EQ(*got, i);
    }
    for (int earlier = 0; earlier < round; ++earlier) {
      EXPECT_EQ(table.Find(std::to_string(earlier) + "/0"), nullptr) << round;
      EXPECT_EQ(table.Find(std::to_string(earlier) + "/15"), nullptr) << round;
    }
  }
}

}  // namespace
}  // namespace ekvr
