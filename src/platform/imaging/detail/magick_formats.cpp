#include "platform/imaging/detail/magick_formats.h"

#include <array>
#include <fstream>

#include "platform/imaging/detail/raw_format.h"

namespace vant::imaging {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;  // the oldest info header: no resolution
constexpr std::uint32_t kInfoHeaderBytes = 40;
// Info header sizes the BMP writers of note have used.
constexpr std::array<std::uint32_t, 7> kInfoHeaderSizes{12, 16, 40, 52, 56, 64, 108};
constexpr std::uint32_t kV5HeaderBytes = 124;
constexpr std::uint32_t kAlphaMaskHeaderBytes = 56;
constexpr std::uint32_t kBitfields = 3;
constexpr std::uint32_t kAlphaBitfields = 6;
constexpr std::uint32_t kGreenMask565 = 0x07E0;

constexpr std::string_view kPlaceableWmf{"\xD7\xCD\xC6\x9A", 4};
constexpr std::uint16_t kWmfHeaderWords = 9;
constexpr std::uint16_t kWmfVersion1 = 0x0100;
constexpr std::uint16_t kWmfVersion3 = 0x0300;

std::uint16_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
  return std::uint32_t{Le16(b, at)} | std::uint32_t{Le16(b, at + 2)} << 16;
}

bool KnownInfoSize(std::uint32_t size) {
  if (size == kV5HeaderBytes) return true;
  for (const std::uint32_t known : kInfoHeaderSizes) {
    if (known == size) return true;
  }
  return false;
}

bool IsBmp(std::string_view head) {
  return head.size() >= kFileHeaderBytes + 4 && head.starts_with("BM") &&
         KnownInfoSize(Le32(head, kFileHeaderBytes));
}

// Reserved 0, type 1 (icon), at least one image.
bool IsIcon(std::string_view head) {
  return head.size() >= 6 && Le16(head, 0) == 0 && Le16(head, 2) == 1 && Le16(head, 4) > 0;
}

// A placeable header, or a plain one: type 1 (memory) or 2 (disk), nine
// header words, version 1 or 3.
bool IsWmf(std::string_view head) {
  if (head.starts_with(kPlaceableWmf)) return true;
  if (head.size() < 6) return false;
  const std::uint16_t type = Le16(head, 0);
  const std::uint16_t version = Le16(head, 4);
  return (type == 1 || type == 2) && Le16(head, 2) == kWmfHeaderWords &&
         (version == kWmfVersion1 || version == kWmfVersion3);
}

PixelFormat SixteenBit(std::uint32_t green, std::uint32_t alpha) {
  if (alpha != 0) return PixelFormat::k16bppArgb1555;
  return green == kGreenMask565 ? PixelFormat::k16bppRgb565 : PixelFormat::k16bppRgb555;
}

PixelFormat BmpPixelFormat(std::uint16_t bits, std::uint32_t green, std::uint32_t alpha) {
  switch (bits) {
    case 1:
      return PixelFormat::k1bppIndexed;
    case 4:
      return PixelFormat::k4bppIndexed;
    case 8:
      return PixelFormat::k8bppIndexed;
    case 16:
      return SixteenBit(green, alpha);
    case 24:
      return PixelFormat::k24bppRgb;
    case 32:
      return alpha != 0 ? PixelFormat::k32bppArgb : PixelFormat::k32bppRgb;
    default:
      return PixelFormat::kUndefined;
  }
}

}  // namespace

std::optional<GUID> SniffMagickFormat(std::string_view head) {
  if (IsBmp(head)) return kRawFormatBmp;
  if (IsWmf(head)) return kRawFormatWmf;
  if (IsIcon(head)) return kRawFormatIcon;
  return std::nullopt;
}

std::optional<BmpHeader> ReadBmpHeader(std::string_view head) {
  if (!IsBmp(head)) return std::nullopt;
  const std::uint32_t infoSize = Le32(head, kFileHeaderBytes);
  const std::size_t info = kFileHeaderBytes;
  if (infoSize == kCoreHeaderBytes) {
    if (head.size() < info + kCoreHeaderBytes) return std::nullopt;
    return BmpHeader{BmpPixelFormat(Le16(head, info + 10), 0, 0), 0, 0};
  }
  if (head.size() < info + kInfoHeaderBytes) return std::nullopt;
  const std::uint16_t bits = Le16(head, info + 14);
  const std::uint32_t compression = Le32(head, info + 16);
  // Masks count only with bit-field compression. They follow a 40-byte
  // header and sit inside longer ones, in both cases right after byte 40.
  const std::size_t masks = info + kInfoHeaderBytes;
  const bool hasMasks = compression == kBitfields || compression == kAlphaBitfields;
  const bool hasAlphaMask =
      hasMasks && (infoSize >= kAlphaMaskHeaderBytes || compression == kAlphaBitfields);
  const std::uint32_t green = hasMasks && head.size() >= masks + 8 ? Le32(head, masks + 4) : 0;
  const std::uint32_t alpha =
      hasAlphaMask && head.size() >= masks + 16 ? Le32(head, masks + 12) : 0;
  return BmpHeader{BmpPixelFormat(bits, green, alpha), Le32(head, info + 24),
                   Le32(head, info + 28)};
}

std::string ReadFileHead(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return {};
  std::string head(kSniffBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

}  // namespace vant::imaging
