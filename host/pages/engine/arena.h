// The memory of one script heap: small blocks come from 64 KB chunks with a
// free list per size class, larger ones from malloc. A fresh heap allocates
// a few thousand small objects and frees them all again when it dies; doing
// that through malloc cost more than building the heap itself. The chunks
// go back to a per-thread cache when the arena dies, so the next request's
// heap starts on memory that is already mapped. An arena that took much
// more than that hands the C library's free pages back to the system when
// it dies, so a page that used hundreds of megabytes leaves none of them
// resident after it ends.
#pragma once

#include <cstddef>

namespace vant::host::pages::engine {

class Arena {
 public:
  // Blocks up to this size (header included) come from the chunks.
  static constexpr std::size_t kMaxSmallBlock = 1024;
  static constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
  // What an arena may take from malloc over its life before its death
  // returns free memory to the system (which costs a walk of the C
  // library's free lists: too much for every small page).
  static constexpr std::size_t kReturnAfterBytes = std::size_t{8} << 20;

  // footprintLimit bounds the chunks and large blocks held at once (what
  // the arena takes from the system, free lists included).
  explicit Arena(std::size_t footprintLimit);
  // Frees large blocks still held and gives the chunks back to the
  // thread's cache (or to the system past the cache's bound); returns the
  // freed pages to the system when the arena took kReturnAfterBytes or more.
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // A block of at least size bytes, aligned like malloc's; nullptr when
  // the footprint limit or the system refuses. size 0 gives a valid block.
  void* Allocate(std::size_t size);
  // Resizes ptr (nullptr: allocates). size 0 frees it and returns nullptr.
  // On failure returns nullptr and ptr stays valid and unchanged.
  void* Reallocate(void* ptr, std::size_t size);
  // Frees ptr (nullptr: nothing).
  void Release(void* ptr);

  // The size ptr was last allocated or resized to.
  static std::size_t SizeOf(const void* ptr);
  // Bytes taken from the system: chunks plus large blocks.
  std::size_t Footprint() const { return footprint_; }

 private:
  static constexpr std::size_t kGranule = 16;
  static constexpr std::size_t kClasses = kMaxSmallBlock / kGranule;

  struct Chunk;
  struct Large;
  struct FreeBlock {
    FreeBlock* next;
  };

  void* AllocateSmall(std::size_t size, std::size_t total);
  void* AllocateLarge(std::size_t size);
  bool AddChunk();
  void ReleaseLarge(Large* block);
  bool Admit(std::size_t more) const;

  std::size_t footprintLimit_;
  std::size_t footprint_ = 0;
  std::size_t taken_ = 0;    // bytes of every chunk and large block ever added
  Chunk* chunks_ = nullptr;  // newest first; the bump area is the newest's tail
  char* cursor_ = nullptr;
  char* end_ = nullptr;
  Large* large_ = nullptr;  // every large block held, for the destructor
  FreeBlock* free_[kClasses] = {};
};

}  // namespace vant::host::pages::engine
