#include "platform/sys/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "support/scripted_random.h"

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

// Every kind of draw reads the kernel source's bytes in order, with nothing
// in between that could be seeded once and then solved from its outputs;
// one source call serves many small draws.
TEST(RandomBytes, EveryDrawReadsTheKernelSourceInOrder) {
  // A period of 251 makes the stream's bytes 256.. differ from its first ones.
  test::ScriptedRandom source(251);
  EXPECT_EQ(Random32(), 0x03020100u);
  uint8_t five[5] = {};
  ASSERT_TRUE(RandomBytes(five, sizeof five));
  EXPECT_EQ(std::vector<uint8_t>(five, five + 5), (std::vector<uint8_t>{4, 5, 6, 7, 8}));
  uint8_t guid[kGuidSize] = {};
  ASSERT_TRUE(NewGuidBytes(guid));
  EXPECT_EQ(guid[0], 9);
  EXPECT_EQ(guid[15], 24);
  uint32_t other = 0;
  std::thread([&] { other = Random32(); }).join();
  // The first thread's call took stream bytes 0..255 (0..250, 0..4); this
  // thread's takes the next 256, which start 5, 6, 7, 8.
  EXPECT_EQ(other, 0x08070605u) << "a new thread draws the source's next bytes";
  EXPECT_EQ(source.Calls(), 2);
  for (int i = 0; i < 1000; ++i) (void)Random32();
  EXPECT_LE(source.Calls(), 25) << "draws are buffered, not one kernel call each";
}

}  // namespace
}  // namespace vant::sys
