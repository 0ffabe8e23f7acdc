// Who the client is when a reverse proxy stands in front of the host. Only
// peers named by --trusted-proxy may say so: from them, Forwarded (or else
// X-Forwarded-For) names the client and its scheme; from anyone else these
// headers are the client's own text and change nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/http/exchange.h"

namespace vant::host::http {

// An address block: "10.0.0.0/8", "fd00::/8", or one address ("127.0.0.1",
// "::1"). IPv4 blocks also hold the IPv4-mapped IPv6 form of their addresses.
struct AddressRange {
  std::array<std::uint8_t, 16> bytes{};  // IPv4 in the first four
  unsigned prefix = 0;                   // leading bits that must match
  bool v4 = false;
};

// Parses one block. False for anything but a numeric address with an
// optional prefix length that fits it.
bool ParseAddressRange(std::string_view text, AddressRange& out);

// True when address (numeric, as RequestHead holds it) lies in one of ranges.
bool InRanges(const std::vector<AddressRange>& ranges, std::string_view address);

// The loopback blocks, 127.0.0.0/8 and ::1.
const std::vector<AddressRange>& LoopbackRanges();

// When the connection's peer (head.peer) lies in trusted, sets head.remote
// to the client the proxies name and head.https from the scheme it used.
// The client is the rightmost address that is not itself a trusted proxy:
// a proxy appends the address it saw, so everything left of the first
// untrusted entry may be the client's own invention. An entry that is no
// address ("unknown", garbage) ends the walk at the hop right of it. With
// no trusted peer, or no usable entry, the head is left as it is.
void ApplyForwarded(RequestHead& head, const std::vector<AddressRange>& trusted);

}  // namespace vant::host::http
