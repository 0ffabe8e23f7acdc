// The request body as Request reads it: BinaryRead takes it piece by piece,
// Form takes an urlencoded body whole. Each read is bounded by what is left
// of a declared length, so no call ever waits for bytes the client will
// not send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/http/exchange.h"
#include "platform/automation/safearray.h"

namespace vant::host::intrinsics {

class RequestBody {
 public:
  explicit RequestBody(http::Exchange& exchange) : exchange_(exchange) {}

  // True for an application/x-www-form-urlencoded body: the one kind that
  // Request.Form reads.
  bool IsFormEncoded() const;

  // Bytes a read may still return: what is left of the Content-Length, or
  // "unknown" (SIZE_MAX) for a chunked body.
  std::size_t Remaining() const;

  // Reads up to `count` bytes. Returns what arrived; *failed is set when the
  // client failed before delivering them (gone, timed out, malformed).
  std::vector<std::uint8_t> Read(std::size_t count, bool* failed);

  // The same, straight into the byte array BinaryRead hands out: one copy
  // from the connection's buffer, no staging vector and no second copy.
  // The array starts at the bytes a read may return (at most 1 MiB when
  // that is unknown or larger) and doubles while bytes keep arriving, so a
  // large count never allocates ahead of the body. Null when memory runs
  // out; *failed as for Read.
  std::unique_ptr<SafeArray> ReadArray(std::size_t count, bool* failed);

  // Reads into [dst, dst + capacity): waits for `minimum` bytes, then takes
  // what has arrived (see Exchange::ReadBodySome). Returns the count;
  // *failed as for Read.
  std::size_t ReadSome(std::uint8_t* dst, std::size_t minimum, std::size_t capacity, bool* failed);

  // Reads the rest of the body into *out. False when it is longer than
  // `limit` (nothing is read then) or the client failed.
  bool ReadAll(std::size_t limit, std::string* out);

 private:
  // Fills [dst, dst + n) as far as the body goes; returns the count.
  std::size_t ReadInto(std::uint8_t* dst, std::size_t n, bool* failed);

  http::Exchange& exchange_;
  std::uint64_t consumed_ = 0;
};

}  // namespace vant::host::intrinsics
