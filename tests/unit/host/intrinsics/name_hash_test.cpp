// The name index hash: SipHash-2-4 as published (so its strength is the
// published one), under a key that changes the result.
#include "host/intrinsics/detail/name_hash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vant::host::intrinsics {
namespace {

TEST(NameHash, SipHashMatchesTheReferenceVectors) {
  // Key 00 01 … 0f, message 00 01 … (length - 1): the reference test vectors.
  const std::uint64_t key[2] = {0x0706050403020100ULL, 0x0F0E0D0C0B0A0908ULL};
  struct Row {
    std::size_t length;
    std::uint64_t hash;
  };
  const Row rows[] = {
      {0, 0x726fdb47dd0e0e31ULL},
      {1, 0x74f839c593dc67fdULL},
      {8, 0x93f5f5799a932462ULL},
      {15, 0xa129ca6149be45e5ULL},
  };
  std::vector<unsigned char> message(64);
  for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<unsigned char>(i);
  for (const Row& row : rows) {
    EXPECT_EQ(SipHash24(key, message.data(), row.length), row.hash) << row.length;
  }
  const std::uint64_t other[2] = {key[0] ^ 1, key[1]};
  EXPECT_NE(SipHash24(other, message.data(), 15), SipHash24(key, message.data(), 15));
}

}  // namespace
}  // namespace vant::host::intrinsics
