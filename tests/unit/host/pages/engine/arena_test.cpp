#include "host/pages/engine/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vant::host::pages::engine {
namespace {

constexpr std::size_t kNoLimit = std::size_t{1} << 30;

bool Aligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 16 == 0; }

void Fill(void* p, std::size_t size, unsigned char seed) {
  auto* bytes = static_cast<unsigned char*>(p);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i);
}

bool Holds(const void* p, std::size_t size, unsigned char seed) {
  const auto* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] != static_cast<unsigned char>(seed + i)) return false;
  return true;
}

// Sizes around every boundary: the grid, the small-block limit, a chunk.
const std::size_t kSizes[] = {0,    1,    7,    8,    9,    24,   100,   1000,
                              1015, 1016, 1017, 1024, 1025, 4096, 65536, 1 << 20};

TEST(ArenaTest, BlocksAreAlignedSizedAndDisjoint) {
  Arena arena(kNoLimit);
  std::vector<void*> blocks;
  unsigned char seed = 0;
  for (const std::size_t size : kSizes) {
    void* p = arena.Allocate(size);
    ASSERT_NE(p, nullptr) << "size " << size;
    EXPECT_TRUE(Aligned(p)) << "size " << size;
    EXPECT_EQ(Arena::SizeOf(p), size);
    Fill(p, size, ++seed);
    blocks.push_back(p);
  }
  // Every block still holds its own bytes: none overlapped another.
  seed = 0;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_TRUE(Holds(blocks[i], kSizes[i], ++seed)) << "size " << kSizes[i];
    arena.Release(blocks[i]);
  }
}

TEST(ArenaTest, ReallocateKeepsTheContents) {
  struct Row {
    std::size_t from, to;
  };
  const Row rows[] = {
      {10, 12},       // same grid cell
      {10, 200},      // to a larger class
      {200, 10},      // to a smaller class
      {500, 5000},    // small to large
      {5000, 70000},  // large to large
      {70000, 3000},  // large shrinks
      {5000, 40},     // large to small
  };
  for (const Row& row : rows) {
    Arena arena(kNoLimit);
    void* neighbour = arena.Allocate(row.from);  // a live block the move must not touch
    Fill(neighbour, row.from, 7);
    void* p = arena.Allocate(row.from);
    Fill(p, row.from, 3);
    void* q = arena.Reallocate(p, row.to);
    ASSERT_NE(q, nullptr) << row.from << " -> " << row.to;
    EXPECT_TRUE(Aligned(q));
    EXPECT_EQ(Arena::SizeOf(q), row.to);
    EXPECT_TRUE(Holds(q, std::min(row.from, row.to), 3)) << row.from << " -> " << row.to;
    EXPECT_TRUE(Holds(neighbour, row.from, 7)) << row.from << " -> " << row.to;
    arena.Release(q);
    arena.Release(neighbour);
    EXPECT_EQ(arena.Reallocate(arena.Allocate(row.to), 0), nullptr);  // 0 frees
  }
}

// A long page frees as it goes: freed blocks are reused, so the arena does
// not keep growing.
TEST(ArenaTest, FreedBlocksAreReused) {
  Arena arena(kNoLimit);
  std::vector<void*> live(64, nullptr);
  for (std::size_t round = 0; round < 200000; ++round) {
    void*& slot = live[round % live.size()];
    arena.Release(slot);
    slot = arena.Allocate(16 + (round * 37) % 2000);
    ASSERT_NE(slot, nullptr);
  }
  for (void* p : live) arena.Release(p);
  // 64 live blocks of at most 2 KB need a couple of chunks, never hundreds.
  EXPECT_LE(arena.Footprint(), 4 * Arena::kChunkBytes + 64 * 2100);
}

TEST(ArenaTest, FootprintLimitRefusesAndLeavesBlocksIntact) {
  const std::size_t limit = 2 * Arena::kChunkBytes;
  Arena arena(limit);
  std::vector<void*> blocks;
  while (void* p = arena.Allocate(100)) blocks.push_back(p);
  EXPECT_LE(blocks.size() * 100, limit);
  EXPECT_GT(blocks.size() * 128, limit - Arena::kChunkBytes / 8);
  EXPECT_EQ(arena.Allocate(limit), nullptr);  // a large block past the limit
  // A refused resize keeps the block as it was.
  Fill(blocks[0], 100, 9);
  EXPECT_EQ(arena.Reallocate(blocks[0], 5000), nullptr);
  EXPECT_EQ(Arena::SizeOf(blocks[0]), 100u);
  EXPECT_TRUE(Holds(blocks[0], 100, 9));
  // Once freed, the memory serves again.
  for (void* p : blocks) arena.Release(p);
  EXPECT_NE(arena.Allocate(100), nullptr);
}

// Whatever the engine did not give back goes with the arena (the leak
// checker of the sanitizer build watches this), and a new arena on the
// thread starts clean on the cached chunks.
TEST(ArenaTest, DestructionReclaimsEverything) {
  for (int i = 0; i < 3; ++i) {
    Arena arena(kNoLimit);
    for (const std::size_t size : kSizes) ASSERT_NE(arena.Allocate(size), nullptr);
    EXPECT_GT(arena.Footprint(), 0u);
  }
  Arena fresh(kNoLimit);
  EXPECT_EQ(fresh.Footprint(), 0u);
}

}  // namespace
}  // namespace vant::host::pages::engine
