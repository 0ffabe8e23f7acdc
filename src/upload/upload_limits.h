// Sizes, defaults and names the upload engine shares between its parts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vant::upload {

// The implementation class name that every report of the upload carries.
inline constexpr char16_t kFileUploadClass[] = u"CFileUpload";

// The body is read through Request.BinaryRead in pieces of this size.
inline constexpr std::int32_t kChunkSize = 0x4000;
// A host that reads into a caller's buffer fills a block of this many
// chunks at a time; the parser still takes it chunk by chunk.
inline constexpr std::int32_t kBodyBlockSize = 16 * kChunkSize;
// A header line that crosses a chunk edge is joined in a buffer this big.
inline constexpr std::size_t kLineBufferSize = 2048;
// Delimiter: CR LF "--" boundary, 6 to 126 bytes.
inline constexpr std::size_t kMinDelimiterLength = 6;
inline constexpr std::size_t kMaxDelimiterLength = 126;
// The tail of one chunk and the head of the next, searched for a delimiter
// that straddles them.
inline constexpr std::size_t kCarryBufferSize = 2 * kMaxDelimiterLength;
// File data of a part is written to its temporary file in pieces of up to
// this size: sixteen body chunks per write instead of two writes per chunk.
inline constexpr std::size_t kTempWriteBufferSize = 256 * 1024;
// A piece at least this large is written to the file directly, not copied
// into the buffer first.
inline constexpr std::size_t kTempDirectWriteSize = 64 * 1024;

// Defaults and ceilings of the settings.
inline constexpr std::int32_t kLargestLength = 0x7FE00000;   // MaxFileLen, TotalLen
inline constexpr std::int32_t kDefaultUploadTimeout = 3600;  // seconds
inline constexpr std::int32_t kUnsetCodePage = -1;           // until OnStartPage
inline constexpr std::size_t kMaxDefaultPathLength = 1023;   // characters

// Bytes "reading the whole body" has left before parsing starts.
inline constexpr std::int32_t kBodyNotStarted = -1;
// _GetCookieItem: no id in the cookie, and a fault while reading it.
inline constexpr std::int32_t kNoProgressId = -1;
inline constexpr std::int32_t kCookieFault = -2;

inline constexpr char16_t kVersionText[] = u"VANTUpload Professional ver 3.1";

}  // namespace vant::upload
