// A small reader of TIFF directories (IFD0 and the EXIF IFD it points to),
// for TIFF files, whose tags the pixel library does not hand out, and for
// files larger than the EXIF library accepts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/imaging/detail/property_item.h"

namespace vant::imaging {

// Reads `size` bytes at `offset` of the TIFF stream into *out; false when
// the stream is shorter.
using TiffReader = std::function<bool(std::uint64_t offset, std::uint32_t size, std::string* out)>;

// The items of IFD0, then of the EXIF IFD (tag 0x8769), in file order.
// Entries whose value lies outside the stream are skipped; a bad header
// gives no items. A value is cut at 1 MiB, and once the values read reach
// 4 MiB in all, later entries with values stored apart are skipped, so a
// crafted file cannot make the reader copy one value thousands of times.
// Never throws on malformed input.
PropertyItems ReadTiffItems(const TiffReader& read);

// The same over a TIFF stream held in memory (an EXIF block after its
// "Exif\0\0" prefix, for instance).
PropertyItems ReadTiffItems(const std::string& bytes);

// The same over a TIFF file on disk; no items when it cannot be opened.
PropertyItems ReadTiffFileItems(const std::string& hostPath);

}  // namespace vant::imaging
