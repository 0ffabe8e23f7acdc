// The request body as Request reads it: BinaryRead takes it piece by piece,
// Form takes an urlencoded body whole. Each read is bounded by what is left
// of a declared length, so no call ever waits for bytes the client will
// not send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/http/exchange.h"

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

  // Reads the rest of the body into *out. False when it is longer than
  // `limit` (nothing is read then) or the client failed.
  bool ReadAll(std::size_t limit, std::string* out);

 private:
  http::Exchange& exchange_;
  std::uint64_t consumed_ = 0;
};

}  // namespace vant::host::intrinsics
