// Parsing of a request's Range header against a resource of known length.
#pragma once

#include <cstdint>
#include <string_view>

namespace vant::host::http {

struct ByteRange {
  enum class Kind {
    kFull,           // no usable Range: send the whole resource with 200
    kPartial,        // send [first, last] with 206
    kUnsatisfiable,  // answer 416 with "Content-Range: bytes */length"
  };
  Kind kind = Kind::kFull;
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive
  std::uint64_t length() const { return last - first + 1; }
};

// Reads one "bytes=a-b", "bytes=a-" or "bytes=-n" range. An end past the
// resource is clamped; a start at or past the end, or a zero suffix, is
// unsatisfiable. Anything malformed, another unit, or a list of several
// ranges gives kFull: the header is ignored as HTTP permits.
ByteRange ParseRange(std::string_view header, std::uint64_t resourceLength);

}  // namespace vant::host::http
