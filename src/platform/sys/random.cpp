#include "platform/sys/random.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace vant::sys {
namespace {

// Reads exactly `size` bytes from /dev/urandom: the fallback for a kernel
// without getrandom.
bool ReadUrandom(uint8_t* bytes, size_t size) {
  const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, bytes + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  ::close(fd);
  return done == size;
}

// Reads exactly `size` bytes from the kernel's random source, retrying on
// interruption and short reads.
bool KernelFill(void* buffer, size_t size) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = getrandom(bytes + done, size - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == ENOSYS) return ReadUrandom(bytes + done, size - done);
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

std::atomic<KernelRandomSource> gSource{&KernelFill};
// Counts source replacements, so buffers filled from an older source are
// dropped instead of served.
std::atomic<std::uint64_t> gSourceGeneration{0};

// A forked child must not serve the bytes its parent buffered.
[[maybe_unused]] const int kForkHandler = pthread_atfork(
    nullptr, nullptr, [] { gSourceGeneration.fetch_add(1, std::memory_order_release); });

// Bytes of one kernel call, handed out front to back. 256 bytes serve about
// eight session cookies per system call.
struct ThreadBuffer {
  static constexpr size_t kSize = 256;
  uint8_t bytes[kSize];
  size_t next = kSize;  // empty
  std::uint64_t generation = 0;

  bool Refill() {
    next = kSize;
    generation = gSourceGeneration.load(std::memory_order_acquire);
    if (!gSource.load(std::memory_order_acquire)(bytes, kSize)) return false;
    next = 0;
    return true;
  }

  ~ThreadBuffer() { std::memset(bytes, 0, sizeof bytes); }
};

ThreadBuffer& Buffer() {
  thread_local ThreadBuffer buffer;
  return buffer;
}

constexpr int kVersionByte = 7;
constexpr int kVariantByte = 8;
constexpr uint8_t kVersion4 = 0x40;
constexpr uint8_t kVariantRfc4122 = 0x80;

}  // namespace

bool RandomBytes(void* out, std::size_t size) {
  ThreadBuffer& buffer = Buffer();
  if (buffer.generation != gSourceGeneration.load(std::memory_order_acquire))
    buffer.next = buffer.kSize;
  auto* bytes = static_cast<uint8_t*>(out);
  while (size > 0) {
    if (buffer.next == buffer.kSize && !buffer.Refill()) return false;
    const size_t take = std::min(size, buffer.kSize - buffer.next);
    std::memcpy(bytes, buffer.bytes + buffer.next, take);
    // A byte handed out is never handed out again, nor left readable.
    std::memset(buffer.bytes + buffer.next, 0, take);
    buffer.next += take;
    bytes += take;
    size -= take;
  }
  return true;
}

bool TryRandom32(uint32_t* value) { return RandomBytes(value, sizeof *value); }

uint32_t Random32() {
  uint32_t value = 0;
  if (!TryRandom32(&value)) {
    throw std::system_error(errno, std::generic_category(), "kernel random source");
  }
  return value;
}

bool NewGuidBytes(uint8_t out[kGuidSize]) {
  uint8_t bytes[kGuidSize];
  if (!RandomBytes(bytes, sizeof bytes)) return false;
  // Data3 is stored little-endian, so its high nibble is in byte 7.
  bytes[kVersionByte] = static_cast<uint8_t>((bytes[kVersionByte] & 0x0F) | kVersion4);
  bytes[kVariantByte] = static_cast<uint8_t>((bytes[kVariantByte] & 0x3F) | kVariantRfc4122);
  std::memcpy(out, bytes, sizeof bytes);
  return true;
}

KernelRandomSource ReplaceKernelRandomSource(KernelRandomSource source) {
  const KernelRandomSource previous = gSource.exchange(source != nullptr ? source : &KernelFill);
  gSourceGeneration.fetch_add(1, std::memory_order_release);
  return previous == &KernelFill ? nullptr : previous;
}

}  // namespace vant::sys
