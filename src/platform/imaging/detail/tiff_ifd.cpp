#include "platform/imaging/detail/tiff_ifd.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <set>

namespace vant::imaging {
namespace {

constexpr std::uint16_t kExifIfdPointer = 0x8769;
constexpr std::uint32_t kEntryBytes = 12;
// A directory with more entries than this is corrupt, not large.
constexpr std::uint16_t kMaxEntries = 4096;
// Text values beyond this are cut; no descriptive tag needs more.
constexpr std::uint32_t kMaxValueBytes = 1 << 20;
// All values of one file together: many entries may name the same large
// value, and each would otherwise be copied again.
constexpr std::uint64_t kMaxTotalValueBytes = 4 << 20;

class Walker {
 public:
  explicit Walker(const TiffReader& read) : read_(read) {}

  PropertyItems Run() {
    std::string header;
    if (!read_(0, 8, &header)) return {};
    if (header.starts_with("II")) {
      little_ = true;
    } else if (!header.starts_with("MM")) {
      return {};
    }
    if (U16(header, 2) != 42) return {};
    PropertyItems items;
    const std::uint32_t exif = ReadIfd(U32(header, 4), &items);
    if (exif != 0) ReadIfd(exif, &items);
    return items;
  }

 private:
  std::uint16_t U16(const std::string& b, std::size_t at) const {
    const auto x = static_cast<unsigned char>(b[at]);
    const auto y = static_cast<unsigned char>(b[at + 1]);
    return static_cast<std::uint16_t>(little_ ? (y << 8 | x) : (x << 8 | y));
  }
  std::uint32_t U32(const std::string& b, std::size_t at) const {
    const std::uint32_t hi = U16(b, at + (little_ ? 2 : 0));
    const std::uint32_t lo = U16(b, at + (little_ ? 0 : 2));
    return hi << 16 | lo;
  }

  static std::uint32_t TypeBytes(std::uint16_t type) {
    // Index: TIFF type; FLOAT 11, DOUBLE 12 and IFD 13 (an offset) included.
    static constexpr std::array<std::uint32_t, 14> kBytes{0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < kBytes.size() ? kBytes[type] : 0;
  }

  // Reads one directory into `items`; returns the EXIF IFD offset it names
  // (0 when none). Each offset is visited once, so loops end.
  std::uint32_t ReadIfd(std::uint32_t offset, PropertyItems* items) {
    if (offset == 0 || !visited_.insert(offset).second) return 0;
    std::string count;
    if (!read_(offset, 2, &count)) return 0;
    const std::uint16_t n = U16(count, 0);
    if (n > kMaxEntries) return 0;
    std::string entries;
    if (!read_(offset + 2ULL, n * kEntryBytes, &entries)) return 0;
    std::uint32_t exif = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      auto item = ReadEntry(entries.substr(i * kEntryBytes, kEntryBytes));
      if (!item) continue;
      if (item->tag == kExifIfdPointer) {
        exif = item->first;
        continue;
      }
      items->push_back(std::move(*item));
    }
    return exif;
  }

  std::optional<PropertyItem> ReadEntry(const std::string& entry) {
    PropertyItem item;
    item.tag = U16(entry, 0);
    const std::uint16_t type = U16(entry, 2);
    const std::uint64_t total = std::uint64_t{TypeBytes(type)} * U32(entry, 4);
    if (total == 0) return std::nullopt;
    std::string value;
    if (total <= 4) {
      value = entry.substr(8, static_cast<std::size_t>(total));
    } else {
      const auto size = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kMaxValueBytes));
      if (size > budget_) return std::nullopt;
      budget_ -= size;
      if (!read_(U32(entry, 8), size, &value)) return std::nullopt;
    }
    Decode(static_cast<TiffType>(type), value, &item);
    return item;
  }

  void Decode(TiffType type, const std::string& value, PropertyItem* item) const {
    switch (type) {
      case TiffType::kShort:
      case TiffType::kSShort:
        item->first = U16(value, 0);
        return;
      case TiffType::kLong:
      case TiffType::kSLong:
      case TiffType::kIfd:
        item->first = U32(value, 0);
        return;
      case TiffType::kRational:
      case TiffType::kSRational:
        item->first = U32(value, 0);
        item->second = U32(value, 4);
        return;
      default:
        item->text = value;
        return;
    }
  }

  const TiffReader& read_;
  bool little_ = false;
  std::set<std::uint32_t> visited_;
  std::uint64_t budget_ = kMaxTotalValueBytes;
};

}  // namespace

PropertyItems ReadTiffItems(const TiffReader& read) {
  try {
    return Walker(read).Run();
  } catch (const std::exception&) {
    return {};
  }
}

PropertyItems ReadTiffItems(const std::string& bytes) {
  return ReadTiffItems([&](std::uint64_t offset, std::uint32_t size, std::string* out) {
    if (offset > bytes.size() || bytes.size() - offset < size) return false;
    *out = bytes.substr(static_cast<std::size_t>(offset), size);
    return true;
  });
}

PropertyItems ReadTiffFileItems(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return {};
  return ReadTiffItems([&](std::uint64_t offset, std::uint32_t size, std::string* out) {
    out->assign(size, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(out->data(), size);
    return in.gcount() == static_cast<std::streamsize>(size);
  });
}

}  // namespace vant::imaging
