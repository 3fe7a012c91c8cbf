#include "node_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "term_maps.h"

namespace tarnix {
namespace {

// The arena must hand out aligned, disjoint room, also for a request larger
// than its blocks.
TEST(NodeArenaTest, AllocationsAreAlignedAndDisjoint) {
  NodeArena arena;
  std::vector<std::pair<char*, size_t>> taken;
  std::mt19937 rng(1);
  for (int i = 0; i < 3000; ++i) {
    const size_t align = size_t{1} << (rng() % 4);  // 1 to 8
    const size_t bytes = i == 1000 ? 200000 : 1 + rng() % 120;
    char* p = static_cast<char*>(arena.Allocate(bytes, align));
    ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % align, 0u);
    std::memset(p, i & 0xFF, bytes);
    taken.emplace_back(p, bytes);
  }
  // Every allocation still holds what was written to it: none overlapped.
  for (size_t i = 0; i < taken.size(); ++i) {
    for (size_t b = 0; b < taken[i].second; ++b) {
      ASSERT_EQ(static_cast<unsigned char>(taken[i].first[b]), i & 0xFF) << i;
    }
  }
}

// A map drawing on an arena behaves as one on the heap through inserts,
// erasures, moves and swaps between maps of the same arena.
TEST(NodeArenaTest, AMapOnAnArenaMatchesAMapOnTheHeap) {
  NodeArena arena;
  TermIndexMap a{TermIndexMap::allocator_type(&arena)};
  TermIndexMap b{TermIndexMap::allocator_type(&arena)};
  TermIndexMap heap;
  std::mt19937 rng(2);
  for (int i = 0; i < 4000; ++i) {
    std::string key(1 + rng() % 20, 'a');
    for (char& c : key) c = static_cast<char>(0xB0 + rng() % 3);
    if (rng() % 4 == 0 && !a.empty()) {
      auto victim = a.lower_bound(key);
      if (victim == a.end()) continue;
      auto twin = heap.lower_bound(victim->first);
      while (twin->second != victim->second) ++twin;
      heap.erase(twin);
      a.erase(victim);
    } else {
      a.emplace(key, i);
      heap.emplace(key, i);
    }
  }
  b = std::move(a);
  a.swap(b);
  std::vector<std::pair<std::string, int32_t>> on_arena(a.begin(), a.end());
  std::vector<std::pair<std::string, int32_t>> on_heap(heap.begin(), heap.end());
  EXPECT_EQ(on_arena, on_heap);
  EXPECT_EQ(a.get_allocator().arena(), &arena);
  EXPECT_EQ(heap.get_allocator().arena(), nullptr);
}

}  // namespace
}  // namespace tarnix
