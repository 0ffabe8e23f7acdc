// Fuzz target: the TIFF directory reader over an in-memory stream (the
// shape of an uploaded TIFF file or of an EXIF block after its prefix).
// Offsets, counts and types all come from the input; the reader must skip
// what lies outside, never loop, and never allocate without bound.
#include <cstdint>
#include <string>

#include "platform/imaging/detail/tiff_ifd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vant::imaging::PropertyItems items = vant::imaging::ReadTiffItems(bytes);
  // Text values are cut to the input's size: nothing is invented.
  for (const auto& item : items) {
    if (item.text.size() > size) __builtin_trap();
  }
  return 0;
}
