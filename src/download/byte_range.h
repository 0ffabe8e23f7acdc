// The byte range a resuming client asks for, read from its Range header.
// Downloads answer from the first range's start to the end of the content;
// the range's end and any further ranges are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vant::download {

// The start of "bytes=START-…" (unit name in any letter case). nullopt for
// anything else: a value shorter than "bytes=0-", another unit, a suffix
// range ("bytes=-500"), a sign, blanks, or digits not followed by "-". A
// start too large for 64 bits reads as the largest value, so it is past any
// content.
std::optional<std::int64_t> ParseRangeStart(std::u16string_view value);

// How a download answers a range with start `start` of content of `length`
// bytes.
enum class RangeAnswer : std::uint8_t {
  kPartial,        // 206 from start to the end
  kUnsatisfiable,  // 416 with "bytes */length", no body
};
RangeAnswer AnswerRange(std::int64_t start, std::int64_t length);

}  // namespace vant::download
