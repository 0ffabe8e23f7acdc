#include "host/http/forwarded.h"

#include <boost/asio/ip/address.hpp>
#include <charconv>
#include <optional>
#include <string>

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

namespace ip = boost::asio::ip;
using sys::EqualsNoCase;
using sys::TrimSpace;

// The address as the ranges store it; a v4-mapped IPv6 address counts as
// the IPv4 one, which is how a dual-stack socket reports IPv4 peers.
std::optional<AddressRange> ToRange(std::string_view text) {
  boost::system::error_code ec;
  const ip::address parsed = ip::make_address(std::string(text), ec);
  if (ec) return std::nullopt;
  AddressRange r;
  if (parsed.is_v6() && parsed.to_v6().is_v4_mapped()) {
    const auto v4 = ip::make_address_v4(ip::v4_mapped, parsed.to_v6()).to_bytes();
    std::copy(v4.begin(), v4.end(), r.bytes.begin());
    r.v4 = true;
  } else if (parsed.is_v4()) {
    const auto v4 = parsed.to_v4().to_bytes();
    std::copy(v4.begin(), v4.end(), r.bytes.begin());
    r.v4 = true;
  } else {
    r.bytes = parsed.to_v6().to_bytes();
  }
  r.prefix = r.v4 ? 32 : 128;
  return r;
}

bool Matches(const AddressRange& range, const AddressRange& address) {
  if (range.v4 != address.v4) return false;
  const unsigned whole = range.prefix / 8;
  for (unsigned i = 0; i < whole; ++i)
    if (range.bytes[i] != address.bytes[i]) return false;
  const unsigned rest = range.prefix % 8;
  if (rest == 0) return true;
  const auto mask = static_cast<std::uint8_t>(0xFF << (8 - rest));
  return (range.bytes[whole] & mask) == (address.bytes[whole] & mask);
}

// One hop a proxy recorded: the address it saw (empty when the entry is no
// address) and the scheme that hop came in by, when given.
struct Hop {
  std::string address;
  std::uint16_t port = 0;
  std::string proto;
};

// A node as Forwarded writes it: "192.0.2.7", "192.0.2.7:4711",
// "[2001:db8::7]", "[2001:db8::7]:4711". X-Forwarded-For entries take the
// same forms. "unknown" and "_hidden" leave the address empty.
void ParseNode(std::string_view node, Hop& hop) {
  node = TrimSpace(node);
  std::string_view host = node;
  std::string_view port;
  if (node.starts_with('[')) {
    const auto close = node.find(']');
    if (close == std::string_view::npos) return;
    host = node.substr(1, close - 1);
    if (node.size() > close + 1) {
      if (node[close + 1] != ':') return;
      port = node.substr(close + 2);
    }
  } else if (const auto colon = node.find(':');
             colon != std::string_view::npos &&
             node.find(':', colon + 1) == std::string_view::npos) {
    host = node.substr(0, colon);
    port = node.substr(colon + 1);
  }
  if (!ToRange(host)) return;
  unsigned value = 0;
  if (!port.empty()) {
    const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc{} || ptr != port.data() + port.size() || value > 65535) value = 0;
  }
  hop.address = std::string(host);
  hop.port = static_cast<std::uint16_t>(value);
}

// Splits on sep outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && quoted) {
      ++i;
    } else if (text[i] == '"') {
      quoted = !quoted;
    } else if (text[i] == sep && !quoted) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Unquote(std::string_view value) {
  value = TrimSpace(value);
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
  std::string out;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] == '\\' && i + 2 < value.size()) ++i;
    out.push_back(value[i]);
  }
  return out;
}

// "for=192.0.2.7;proto=https, for=\"[2001:db8::7]\"": one hop per element.
std::vector<Hop> ForwardedHops(std::string_view header, bool& namesClients) {
  std::vector<Hop> hops;
  for (const std::string_view element : SplitOutsideQuotes(header, ',')) {
    Hop& hop = hops.emplace_back();
    for (const std::string_view pair : SplitOutsideQuotes(element, ';')) {
      const auto eq = pair.find('=');
      if (eq == std::string_view::npos) continue;
      const std::string_view name = TrimSpace(pair.substr(0, eq));
      if (EqualsNoCase(name, "for")) {
        namesClients = true;
        ParseNode(Unquote(pair.substr(eq + 1)), hop);
      } else if (EqualsNoCase(name, "proto")) {
        hop.proto = Unquote(pair.substr(eq + 1));
      }
    }
  }
  return hops;
}

std::vector<Hop> ForwardedForHops(std::string_view header) {
  std::vector<Hop> hops;
  for (const std::string_view entry : SplitOutsideQuotes(header, ','))
    ParseNode(Unquote(entry), hops.emplace_back());
  return hops;
}

// The nearest proxy's word: the last of a list such as "https, http".
std::string LastEntry(std::string_view list) {
  const auto comma = list.rfind(',');
  return std::string(TrimSpace(comma == std::string_view::npos ? list : list.substr(comma + 1)));
}

}  // namespace

bool ParseAddressRange(std::string_view text, AddressRange& out) {
  std::string_view address = text;
  std::optional<unsigned> prefix;
  if (const auto slash = text.find('/'); slash != std::string_view::npos) {
    address = text.substr(0, slash);
    const std::string_view bits = text.substr(slash + 1);
    unsigned value = 0;
    const auto [ptr, ec] = std::from_chars(bits.data(), bits.data() + bits.size(), value);
    if (bits.empty() || ec != std::errc{} || ptr != bits.data() + bits.size()) return false;
    prefix = value;
  }
  const auto range = ToRange(address);
  if (!range) return false;
  const unsigned most = range->v4 ? 32 : 128;
  if (prefix && *prefix > most) return false;
  out = *range;
  out.prefix = prefix.value_or(most);
  return true;
}

bool InRanges(const std::vector<AddressRange>& ranges, std::string_view address) {
  const auto parsed = ToRange(address);
  if (!parsed) return false;
  for (const AddressRange& range : ranges)
    if (Matches(range, *parsed)) return true;
  return false;
}

const std::vector<AddressRange>& LoopbackRanges() {
  static const std::vector<AddressRange> ranges = [] {
    std::vector<AddressRange> out(2);
    ParseAddressRange("127.0.0.0/8", out[0]);
    ParseAddressRange("::1", out[1]);
    return out;
  }();
  return ranges;
}

void ApplyForwarded(RequestHead& head, const std::vector<AddressRange>& trusted) {
  if (trusted.empty() || !InRanges(trusted, head.peer.address)) return;
  bool namesClients = false;
  std::vector<Hop> hops;
  if (const auto forwarded = head.Header("Forwarded"))
    hops = ForwardedHops(*forwarded, namesClients);
  if (!namesClients) {
    const auto xff = head.Header("X-Forwarded-For");
    const std::vector<Hop> viaXff = xff ? ForwardedForHops(*xff) : std::vector<Hop>{};
    std::string proto;
    if (const auto xfp = head.Header("X-Forwarded-Proto"))
      proto = LastEntry(*xfp);
    else if (!hops.empty())
      proto = hops.back().proto;
    hops = viaXff.empty() ? std::vector<Hop>{Hop{}} : viaXff;
    for (Hop& hop : hops) hop.proto = proto;
  }
  const Hop* client = nullptr;
  for (auto it = hops.rbegin(); it != hops.rend() && !it->address.empty(); ++it) {
    client = &*it;
    if (!InRanges(trusted, it->address)) break;
  }
  if (client != nullptr) head.remote = {client->address, client->port};
  const std::string& proto = client != nullptr ? client->proto : hops.back().proto;
  head.https = EqualsNoCase(TrimSpace(proto), "https");
}

}  // namespace vant::host::http
