// The hash of the indexes that find request-supplied names (query string and
// form fields, cookies, cookie keys). A client chooses those names, so with
// a fixed hash it could send thousands that land in one bucket and make every
// lookup a scan. The hash is keyed SipHash-2-4 with a key drawn once per
// process from the kernel's random source, so colliding names cannot be
// worked out in advance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace vant::host::intrinsics {

// SipHash-2-4 of `size` bytes at `data` under the 128-bit `key`
// (key[0] the first 8 key bytes, little-endian).
std::uint64_t SipHash24(const std::uint64_t key[2], const void* data, std::size_t size);

// Hashes the UTF-16 code units of a name under the process key.
struct NameHash {
  std::size_t operator()(const std::u16string& name) const noexcept;
};

// Maps keyed by names; callers store the names upper-cased so that
// letter case is ignored.
template <class T>
using NameMap = std::unordered_map<std::u16string, T, NameHash>;

}  // namespace vant::host::intrinsics
