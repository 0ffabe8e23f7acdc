// The image processor's writes: thumbnail, conversion, image and text
// watermarks. Each decodes the source afresh, refuses any source, mark or
// result over the pixel limit before pixel work, and writes the target in
// one go. Paths are host paths. Every function returns true only when the
// target was written; false otherwise (the library's text is dropped).
// Never throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::imaging {

// The source scaled to exactly width × height (aspect not kept) as a
// 24-bit colour JPEG. False for a size that is not positive or over the limit.
bool SaveThumbnail(const std::string& source, std::int32_t width, std::int32_t height,
                   const std::string& target);

// The source re-encoded by MIME type, matched exactly: image/bmp (24-bit,
// no resolution stored), image/jpeg, image/png, image/gif, image/tiff.
// False for any other type.
bool SaveConverted(const std::string& source, std::string_view mimeType, const std::string& target);

// True when SaveConverted knows `mimeType`.
bool IsKnownMimeType(std::string_view mimeType);

// Where a mark of `markSize` goes on an edge of `baseSize`: `pos` from the
// left or top edge when ≥ 1, otherwise from the right or bottom edge (0 =
// flush, −10 = ten pixels in).
std::int64_t MarkOffset(std::int64_t baseSize, std::int64_t markSize, std::int64_t pos);

// The source with the mark drawn unscaled at (posX, posY) (MarkOffset), its
// alpha at 80 %, saved as JPEG. Parts outside the source are cut off.
bool SaveWithImageMark(const std::string& source, const std::string& mark, std::int32_t posX,
                       std::int32_t posY, const std::string& target);

// The source with `utf8Text` drawn in bold sans-serif of `fontPoints`
// points (at the source's resolution), white at 60 % over a black shadow
// one pixel down and right, placed by MarkOffset, saved as JPEG. A font
// size whose text would exceed the pixel limit is lowered until it fits.
bool SaveWithTextMark(const std::string& source, std::string_view utf8Text, std::int32_t fontPoints,
                      std::int32_t posX, std::int32_t posY, std::int32_t dpi,
                      const std::string& target);

}  // namespace vant::imaging
