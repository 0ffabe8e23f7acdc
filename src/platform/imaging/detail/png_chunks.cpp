#include "platform/imaging/detail/png_chunks.h"

#include <fstream>
#include <istream>
#include <string_view>

namespace vant::imaging {
namespace {

constexpr std::string_view kSignature{"\x89PNG\r\n\x1a\n", 8};
constexpr std::uint32_t kIhdrBytes = 13;
constexpr std::uint32_t kPhysBytes = 9;
constexpr std::uint8_t kUnitMetre = 1;
// A chunk longer than this is not read into memory (only eXIf is read).
constexpr std::uint32_t kMaxExifBytes = 1 << 20;
constexpr std::uint32_t kCrcBytes = 4;

std::uint32_t BigEndian32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t{u[0]} << 24 | std::uint32_t{u[1]} << 16 | std::uint32_t{u[2]} << 8 | u[3];
}

bool ReadBytes(std::istream& in, std::uint32_t size, std::string* out) {
  out->assign(size, '\0');
  in.read(out->data(), size);
  return in.gcount() == static_cast<std::streamsize>(size);
}

void TakeChunk(std::string_view type, const std::string& data, PngChunks* png) {
  if (type == "pHYs" && static_cast<std::uint8_t>(data[8]) == kUnitMetre) {
    png->xPixelsPerMetre = BigEndian32(data.data());
    png->yPixelsPerMetre = BigEndian32(data.data() + 4);
  }
  if (type == "eXIf" && png->exif.empty()) png->exif = data;
}

}  // namespace

std::optional<PngChunks> ReadPngChunks(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  return ReadPngChunks(in);
}

std::optional<PngChunks> ReadPngChunks(std::istream& in) {
  std::string head;
  if (!in || !ReadBytes(in, kSignature.size() + 8 + kIhdrBytes, &head)) return std::nullopt;
  if (!head.starts_with(kSignature) || head.substr(12, 4) != "IHDR") return std::nullopt;
  PngChunks png;
  png.bitDepth = static_cast<std::uint8_t>(head[24]);
  png.colourType = static_cast<std::uint8_t>(head[25]);
  in.seekg(kCrcBytes, std::ios::cur);
  std::string header;
  while (ReadBytes(in, 8, &header)) {
    const std::uint32_t length = BigEndian32(header.data());
    const std::string type = header.substr(4, 4);
    if (type == "IEND") break;
    // Its presence is all that counts of a transparency chunk.
    if (type == "tRNS") png.hasTransparency = true;
    // Only chunks of a sane declared length are read into memory: the
    // length is the file's word, and a few bytes could claim 4 GB.
    const bool wanted =
        (type == "pHYs" && length == kPhysBytes) || (type == "eXIf" && length <= kMaxExifBytes);
    std::string data;
    if (wanted) {
      if (!ReadBytes(in, length, &data)) break;
      TakeChunk(type, data, &png);
      in.seekg(kCrcBytes, std::ios::cur);
    } else {
      in.seekg(std::streamoff{length} + kCrcBytes, std::ios::cur);
    }
    if (!in) break;
  }
  return png;
}

}  // namespace vant::imaging
