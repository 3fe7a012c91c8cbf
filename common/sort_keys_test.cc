#include "sort_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarnix {
namespace {

// Keys of few distinct bytes in every position and many duplicates: the
// radix sort must agree with a stable comparison sort, equal keys in their
// order on entry.
TEST(StableRadixSortTest, AgreesWithAStableSort) {
  std::mt19937_64 rng(4);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::pair<uint64_t, int>> items;
    const int n = static_cast<int>(rng() % 600);  // below and above the radix threshold
    for (int i = 0; i < n; ++i) {
      uint64_t key = 0;
      for (int b = 0; b < 8; ++b) key = key << 8 | (round % 3 == 0 ? 0x80 : rng() % 3 * 0x7F);
      items.emplace_back(key, i);
    }
    auto expected = items;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    StableRadixSort(items, [](const std::pair<uint64_t, int>& p) { return p.first; });
    ASSERT_EQ(items, expected) << "round " << round;
  }
}

// Heavier first, as a stable sort by a comparison that puts NaN last and
// takes -0.0 for 0.0: infinities, subnormals, both zeros, NaNs of either
// sign and ties.
TEST(DescendingWeightKeyTest, OrdersAsADescendingStableSort) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double pool[] = {inf, -inf, nan, -nan, 0.0, -0.0, 1.0, -1.0, 2.5, -2.5, 1e300, -1e300,
                         std::numeric_limits<double>::denorm_min(),
                         -std::numeric_limits<double>::denorm_min(), 3.0, 100.0f, 0.1f};
  auto heavier = [](double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a > b;
  };
  std::mt19937 rng(8);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::pair<double, int>> items;
    const int n = round % 2 ? 100 : 1000;
    for (int i = 0; i < n; ++i) items.emplace_back(pool[rng() % (sizeof pool / sizeof pool[0])], i);
    auto expected = items;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const auto& x, const auto& y) { return heavier(x.first, y.first); });
    StableRadixSort(items, [](const std::pair<double, int>& p) { return DescendingWeightKey(p.first); });
    for (size_t i = 0; i < items.size(); ++i) {
      ASSERT_EQ(items[i].second, expected[i].second) << "round " << round << ", slot " << i;
    }
  }
}

// Sorting by ByteOrderKey must give what a stable sort of the texts gives:
// texts shorter and longer than the eight-byte prefix, texts sharing it,
// bytes of 0x80 and above (which a signed char compare would misplace),
// the empty text and duplicates.
TEST(ByteOrderKeyTest, SortsAsAStableSortOfTheTextsWould) {
  std::mt19937 rng(5);
  const char alphabet[] = {'a', 'b', '\x7F', '\x80', '\xB0', '\xFE', '\xFF'};
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> texts;
    for (int i = 0; i < (round % 4 < 2 ? 300 : 100); ++i) {  // both ways of sorting
      std::string t(rng() % 20, 'a');
      // Odd rounds draw on two bytes only, so that many texts share their
      // first eight bytes and go on.
      for (char& c : t) c = round % 2 ? "a\xB0"[rng() % 2] : alphabet[rng() % sizeof alphabet];
      texts.push_back(t);
    }
    std::vector<ByteOrderKey> keys;
    for (size_t i = 0; i < texts.size(); ++i) {
      keys.push_back(ByteOrderKey::Of(texts[i], static_cast<int32_t>(i)));
    }
    std::shuffle(keys.begin(), keys.end(), rng);  // the order on entry does not matter
    SortByteOrder(keys, [&texts](int32_t i) -> const std::string& { return texts[i]; });
    std::vector<int32_t> expected(texts.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int32_t>(i);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int32_t x, int32_t y) { return texts[x] < texts[y]; });
    std::vector<int32_t> got;
    for (const ByteOrderKey& k : keys) got.push_back(k.item);
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnix
