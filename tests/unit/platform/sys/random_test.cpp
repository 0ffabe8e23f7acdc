#include "platform/sys/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace vant::sys {
namespace {

TEST(Random32, SpreadsOverBitsAndDiffersBetweenThreads) {
  constexpr int kDraws = 4096;
  std::set<uint32_t> seen;
  int bitCounts[32] = {};
  for (int i = 0; i < kDraws; ++i) {
    const uint32_t value = Random32();
    seen.insert(value);
    for (int bit = 0; bit < 32; ++bit) bitCounts[bit] += (value >> bit) & 1;
  }
  EXPECT_GT(seen.size(), kDraws - 5u);
  for (int bit = 0; bit < 32; ++bit) {
    EXPECT_GT(bitCounts[bit], kDraws * 4 / 10) << "bit " << bit;
    EXPECT_LT(bitCounts[bit], kDraws * 6 / 10) << "bit " << bit;
  }
  // Per-thread generators must not be seeded alike.
  uint32_t other[4] = {};
  std::thread([&] {
    for (auto& v : other) v = Random32();
  }).join();
  uint32_t mine[4] = {};
  std::thread([&] {
    for (auto& v : mine) v = Random32();
  }).join();
  EXPECT_NE(std::vector<uint32_t>(other, other + 4), std::vector<uint32_t>(mine, mine + 4));
}

TEST(NewGuidBytes, SetsVersionFourAndTheVariant) {
  std::set<std::vector<uint8_t>> seen;
  for (int i = 0; i < 256; ++i) {
    uint8_t guid[kGuidSize] = {};
    ASSERT_TRUE(NewGuidBytes(guid));
    EXPECT_EQ(guid[7] >> 4, 4) << "Data3 high nibble";
    EXPECT_EQ(guid[8] >> 6, 2) << "variant bits";
    seen.insert(std::vector<uint8_t>(guid, guid + kGuidSize));
  }
  EXPECT_EQ(seen.size(), 256u);
}

}  // namespace
}  // namespace vant::sys
