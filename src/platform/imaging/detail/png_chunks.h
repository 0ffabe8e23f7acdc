// What the chunks of a PNG file say beyond the pixels: header fields, the
// physical pixel size and the EXIF block, wherever it sits (the pixel
// library misses an eXIf chunk that follows the image data).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace vant::imaging {

struct PngChunks {
  std::uint8_t bitDepth = 0;
  std::uint8_t colourType = 0;
  bool hasTransparency = false;                  // a tRNS chunk
  std::optional<std::uint32_t> xPixelsPerMetre;  // pHYs in metres only
  std::optional<std::uint32_t> yPixelsPerMetre;
  std::string exif;  // the first eXIf chunk's data
};

// Walks the chunks of the PNG file up to IEND; nullopt when it is not a PNG
// or its header chunk is unreadable.
std::optional<PngChunks> ReadPngChunks(const std::string& hostPath);

// The same over a stream positioned at the PNG signature. Chunk lengths are
// not trusted: a length past the end stops the walk, and only chunks that
// are used are read into memory.
std::optional<PngChunks> ReadPngChunks(std::istream& in);

}  // namespace vant::imaging
