// The platform layer's large blocks: every byte asked for is there, the
// block starts on a huge-page boundary where there are huge pages, and a
// size that cannot be had gives null instead of a short block.
#include "platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tarnix {
namespace {

TEST(LargeBlockTest, EveryByteAskedForIsThere) {
  constexpr size_t kMiB = size_t{1} << 20;
  for (size_t bytes : {size_t{1}, size_t{4096}, 2 * kMiB - 1, 2 * kMiB, 2 * kMiB + 1, 4 * kMiB + 400 * 1024}) {
    auto* block = static_cast<unsigned char*>(AllocateLargeBlock(bytes));
    ASSERT_NE(block, nullptr) << bytes;
#ifndef _WIN32
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % (2 * kMiB), 0u) << bytes;
#endif
    // A byte in every page, and the last one, written and read back.
    for (size_t at = 0; at < bytes; at += 4096) block[at] = static_cast<unsigned char>(at / 4096 + 1);
    block[bytes - 1] = 0xA5;
    for (size_t at = 0; at + 1 < bytes; at += 4096) {
      ASSERT_EQ(block[at], static_cast<unsigned char>(at / 4096 + 1)) << bytes << " at " << at;
    }
    EXPECT_EQ(block[bytes - 1], 0xA5) << bytes;
    FreeLargeBlock(block, bytes);
  }
}

TEST(LargeBlockTest, ASizeThatCannotBeHadGivesNull) {
  for (size_t bytes : {std::numeric_limits<size_t>::max(), std::numeric_limits<size_t>::max() - 4096,
                       std::numeric_limits<size_t>::max() / 2 + 1}) {
    void* block = AllocateLargeBlock(bytes);
    EXPECT_EQ(block, nullptr) << bytes;
    FreeLargeBlock(block, bytes);  // null is let go of quietly
  }
}

}  // namespace
}  // namespace tarnix
