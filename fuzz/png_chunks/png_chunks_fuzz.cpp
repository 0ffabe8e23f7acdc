// Fuzz target: the PNG chunk walk and the BMP / icon / metafile sniffers,
// all of which read headers of uploaded files before any decoder runs.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/imaging/detail/magick_formats.h"
#include "platform/imaging/detail/png_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  const auto png = vant::imaging::ReadPngChunks(in);
  // The EXIF block is a copy of input bytes, so never longer than the input.
  if (png && png->exif.size() > size) __builtin_trap();
  const std::string_view head = std::string_view(bytes).substr(0, vant::imaging::kSniffBytes);
  vant::imaging::SniffMagickFormat(head);
  vant::imaging::ReadBmpHeader(head);
  return 0;
}
