// The files the soak site serves: their names and sizes. The contents are
// ContentBytes(SeedOf(name), ...), written by `vant_soak make-files`.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace soak {

struct KnownFile {
  std::string_view name;
  std::uint64_t size;
};

// /files: read from disk by every download. Sizes straddle the 16 KB and
// 64 KB buffer sizes and reach a few MB.
inline constexpr std::array<KnownFile, 5> kDiskFiles{{{"d_1.bin", 1},
                                                      {"d_16k.bin", 16384},
                                                      {"d_300k.bin", 300001},
                                                      {"d_1m.bin", 1048576},
                                                      {"d_4m.bin", 4194311}}};

// /cache: added to and removed from the file cache while they are downloaded.
inline constexpr std::array<KnownFile, 3> kCacheFiles{
    {{"c_small.bin", 70000}, {"c_mid.bin", 900001}, {"c_big.bin", 2500000}}};

// /img: small JPEG sources of the thumbnails, copied from the shared test data.
inline constexpr std::array<std::string_view, 3> kImages{
    {"canon_40d.jpg", "panasonic_dmc-fz30.jpg", "kodak_dc210.jpg"}};

}  // namespace soak
