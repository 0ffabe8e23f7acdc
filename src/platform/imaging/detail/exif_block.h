// Decoding an EXIF block (as JPEG APP1 or PNG eXIf carries it) into
// property items, through the EXIF library.
#pragma once

#include <string>

#include "platform/imaging/detail/property_item.h"

namespace vant::imaging {

// The items of IFD0 and the EXIF IFD of `block`. The block may start with
// "Exif\0\0" or directly with the TIFF header. The library's own repairs
// (made-up entries, dropped unknown tags) are switched off, so the items are
// what the file holds. An empty or unreadable block gives no items.
PropertyItems DecodeExifBlock(const std::string& block);

}  // namespace vant::imaging
