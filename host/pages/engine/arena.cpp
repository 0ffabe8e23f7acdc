#include "host/pages/engine/arena.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/sys/memory_return.h"

namespace vant::host::pages::engine {

// A small block is an 8-byte size word followed by the payload; blocks are
// carved at 8 past a 16-byte boundary so every payload is 16-aligned, as
// malloc's are.
struct Arena::Chunk {
  Chunk* next;
  std::size_t pad;
};

// A large block carries its neighbours, so the arena can free what the
// engine never gave back; its size word sits right before the payload too.
struct Arena::Large {
  Large* next;
  Large* prev;
  std::size_t pad;
  std::size_t size;
};

namespace {

constexpr std::size_t kSizeWord = sizeof(std::size_t);
// The first block starts past the chunk header, 8 bytes off the 16-byte grid.
constexpr std::size_t kFirstBlock = sizeof(void*) * 2 + kSizeWord;

// Chunks a thread keeps for its next heaps: enough for a minimal page's
// heap, so a steady stream of small requests never goes to the system.
constexpr std::size_t kCachedChunksPerThread = 4;

class ChunkCache {
 public:
  ChunkCache() = default;
  ChunkCache(const ChunkCache&) = delete;
  ChunkCache& operator=(const ChunkCache&) = delete;
  ~ChunkCache() {
    for (std::size_t i = 0; i < count_; ++i) std::free(chunks_[i]);
  }

  void* Take() {
    if (count_ > 0) return chunks_[--count_];
    return std::malloc(Arena::kChunkBytes);
  }

  void Give(void* chunk) {
    if (count_ < kCachedChunksPerThread) {
      chunks_[count_++] = chunk;
      return;
    }
    std::free(chunk);
  }

 private:
  void* chunks_[kCachedChunksPerThread] = {};
  std::size_t count_ = 0;
};

thread_local ChunkCache t_chunks;

// Header plus payload rounded up to the 16-byte grid; 0 when too large for
// a small block.
std::size_t SmallTotal(std::size_t size) {
  if (size > Arena::kMaxSmallBlock) return 0;
  const std::size_t total = (size + kSizeWord + 15) & ~std::size_t{15};
  return total <= Arena::kMaxSmallBlock ? total : 0;
}

std::size_t& SizeWord(void* payload) {
  return *reinterpret_cast<std::size_t*>(static_cast<char*>(payload) - kSizeWord);
}

}  // namespace

Arena::Arena(std::size_t footprintLimit) : footprintLimit_(footprintLimit) {}

Arena::~Arena() {
  while (large_ != nullptr) {
    Large* next = large_->next;
    std::free(large_);
    large_ = next;
  }
  while (chunks_ != nullptr) {
    Chunk* next = chunks_->next;
    t_chunks.Give(chunks_);
    chunks_ = next;
  }
  // malloc keeps freed blocks in the thread's pool, where the chunks it
  // still caches (or any live block) pin them: without this, eight
  // concurrent pages at the heap cap left gigabytes resident.
  if (taken_ >= kReturnAfterBytes) sys::ReturnFreeMemory();
}

std::size_t Arena::SizeOf(const void* ptr) { return SizeWord(const_cast<void*>(ptr)); }

bool Arena::Admit(std::size_t more) const {
  return more <= footprintLimit_ && footprint_ <= footprintLimit_ - more;
}

bool Arena::AddChunk() {
  if (!Admit(kChunkBytes)) return false;
  void* memory = t_chunks.Take();
  if (memory == nullptr) return false;
  auto* chunk = static_cast<Chunk*>(memory);
  chunk->next = chunks_;
  chunks_ = chunk;
  cursor_ = static_cast<char*>(memory) + kFirstBlock;
  end_ = static_cast<char*>(memory) + kChunkBytes;
  footprint_ += kChunkBytes;
  taken_ += kChunkBytes;
  return true;
}

void* Arena::AllocateSmall(std::size_t size, std::size_t total) {
  const std::size_t cls = total / kGranule - 1;
  void* payload = nullptr;
  if (FreeBlock* block = free_[cls]) {
    free_[cls] = block->next;
    payload = block;
  } else {
    // The tail of the current chunk is dropped when the block does not
    // fit: at most one small block's worth per 64 KB.
    if (static_cast<std::size_t>(end_ - cursor_) < total && !AddChunk()) return nullptr;
    payload = cursor_ + kSizeWord;
    cursor_ += total;
  }
  SizeWord(payload) = size;
  return payload;
}

void* Arena::AllocateLarge(std::size_t size) {
  if (size > SIZE_MAX - sizeof(Large) || !Admit(size + sizeof(Large))) return nullptr;
  auto* block = static_cast<Large*>(std::malloc(sizeof(Large) + size));
  if (block == nullptr) return nullptr;
  block->size = size;
  block->prev = nullptr;
  block->next = large_;
  if (large_ != nullptr) large_->prev = block;
  large_ = block;
  footprint_ += sizeof(Large) + size;
  taken_ += sizeof(Large) + size;
  return block + 1;
}

void* Arena::Allocate(std::size_t size) {
  if (const std::size_t total = SmallTotal(size)) return AllocateSmall(size, total);
  return AllocateLarge(size);
}

void Arena::ReleaseLarge(Large* block) {
  if (block->prev != nullptr) block->prev->next = block->next;
  if (block->next != nullptr) block->next->prev = block->prev;
  if (large_ == block) large_ = block->next;
  footprint_ -= sizeof(Large) + block->size;
  std::free(block);
}

void Arena::Release(void* ptr) {
  if (ptr == nullptr) return;
  const std::size_t total = SmallTotal(SizeOf(ptr));
  if (total == 0) {
    ReleaseLarge(static_cast<Large*>(ptr) - 1);
    return;
  }
  auto* block = static_cast<FreeBlock*>(ptr);
  const std::size_t cls = total / kGranule - 1;
  block->next = free_[cls];
  free_[cls] = block;
}

void* Arena::Reallocate(void* ptr, std::size_t size) {
  if (ptr == nullptr) return Allocate(size);
  if (size == 0) {
    Release(ptr);
    return nullptr;
  }
  const std::size_t old = SizeOf(ptr);
  const std::size_t oldTotal = SmallTotal(old);
  const std::size_t newTotal = SmallTotal(size);
  if (oldTotal != 0 && oldTotal == newTotal) {
    SizeWord(ptr) = size;  // same block on the grid: nothing moves
    return ptr;
  }
  if (oldTotal == 0 && newTotal == 0) {
    // Large to large: let malloc move it, then relink its neighbours.
    Large* block = static_cast<Large*>(ptr) - 1;
    if (size > SIZE_MAX - sizeof(Large)) return nullptr;
    if (size > old && !Admit(size - old)) return nullptr;
    const Large links = *block;
    const bool first = large_ == block;
    auto* moved = static_cast<Large*>(std::realloc(block, sizeof(Large) + size));
    if (moved == nullptr) return nullptr;
    if (links.prev != nullptr) links.prev->next = moved;
    if (links.next != nullptr) links.next->prev = moved;
    if (first) large_ = moved;
    footprint_ = footprint_ - old + size;
    if (size > old) taken_ += size - old;
    moved->size = size;
    return moved + 1;
  }
  void* fresh = Allocate(size);
  if (fresh == nullptr) return nullptr;
  std::memcpy(fresh, ptr, std::min(old, size));
  Release(ptr);
  return fresh;
}

}  // namespace vant::host::pages::engine
