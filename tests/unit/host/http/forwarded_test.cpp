#include "host/http/forwarded.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

std::vector<AddressRange> Ranges(std::initializer_list<const char*> texts) {
  std::vector<AddressRange> out;
  for (const char* text : texts) {
    AddressRange range;
    EXPECT_TRUE(ParseAddressRange(text, range)) << text;
    out.push_back(range);
  }
  return out;
}

TEST(Forwarded, AddressRanges) {
  const auto ranges = Ranges({"10.0.0.0/8", "192.0.2.7", "fd00::/8", "2001:db8::/127"});
  const struct {
    const char* address;
    bool inside;
  } rows[] = {
      {"10.200.3.4", true}, {"11.0.0.1", false},       {"192.0.2.7", true},
      {"192.0.2.8", false}, {"::ffff:10.1.1.1", true}, {"fd12::1", true},
      {"fe00::1", false},   {"2001:db8::1", true},     {"2001:db8::2", false},
      {"::1", false},       {"not an address", false}, {"", false},
  };
  for (const auto& row : rows) EXPECT_EQ(InRanges(ranges, row.address), row.inside) << row.address;
  AddressRange bad;
  for (const char* text :
       {"10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0.0/x", "host", "10.0.0.0/-1"})
    EXPECT_FALSE(ParseAddressRange(text, bad)) << text;
}

TEST(Forwarded, ClientAndSchemeFromTrustedPeersOnly) {
  const auto trusted = Ranges({"127.0.0.1", "10.0.0.0/8"});
  const struct {
    const char* what;
    const char* peer;
    std::vector<HeaderField> headers;
    const char* remote;
    bool https;
  } rows[] = {
      {"untrusted peer: headers ignored",
       "192.0.2.9",
       {{"X-Forwarded-For", "198.51.100.1"}, {"X-Forwarded-Proto", "https"}},
       "192.0.2.9",
       false},
      {"trusted peer, one hop",
       "127.0.0.1",
       {{"X-Forwarded-For", "198.51.100.1"}, {"X-Forwarded-Proto", "https"}},
       "198.51.100.1",
       true},
      {"rightmost untrusted wins over a forged left entry",
       "127.0.0.1",
       {{"X-Forwarded-For", "203.0.113.66, 198.51.100.1, 10.1.2.3"}},
       "198.51.100.1",
       false},
      {"every hop trusted: the leftmost",
       "127.0.0.1",
       {{"X-Forwarded-For", "10.0.0.5, 10.0.0.6"}},
       "10.0.0.5",
       false},
      {"garbage ends the walk at the hop right of it",
       "127.0.0.1",
       {{"X-Forwarded-For", "198.51.100.1, garbage, 10.0.0.6"}},
       "10.0.0.6",
       false},
      {"garbage at the right: the peer stays",
       "127.0.0.1",
       {{"X-Forwarded-For", "198.51.100.1, x"}},
       "127.0.0.1",
       false},
      {"repeated headers read as one list",
       "127.0.0.1",
       {{"X-Forwarded-For", "203.0.113.66"}, {"x-forwarded-for", "198.51.100.1"}},
       "198.51.100.1",
       false},
      {"the nearest proxy's scheme",
       "127.0.0.1",
       {{"X-Forwarded-For", "198.51.100.1"}, {"X-Forwarded-Proto", "https, http"}},
       "198.51.100.1",
       false},
      {"Forwarded with a quoted IPv6 node and port",
       "127.0.0.1",
       {{"Forwarded", "for=\"[2001:db8::7]:4711\";proto=https"}},
       "2001:db8::7",
       true},
      {"Forwarded is preferred, scheme of the chosen hop",
       "127.0.0.1",
       {{"Forwarded", "for=198.51.100.1;proto=https, for=10.0.0.5;proto=http"},
        {"X-Forwarded-For", "203.0.113.66"}},
       "198.51.100.1",
       true},
      {"Forwarded without for: X-Forwarded-For names the client",
       "127.0.0.1",
       {{"Forwarded", "proto=https"}, {"X-Forwarded-For", "198.51.100.1"}},
       "198.51.100.1",
       true},
      {"Forwarded for=unknown: the peer stays",
       "127.0.0.1",
       {{"Forwarded", "for=unknown"}},
       "127.0.0.1",
       false},
      {"v4-mapped peer is trusted",
       "::ffff:127.0.0.1",
       {{"X-Forwarded-For", "198.51.100.1:5000"}},
       "198.51.100.1",
       false},
  };
  for (const auto& row : rows) {
    RequestHead head;
    head.peer.address = head.remote.address = row.peer;
    head.headers = row.headers;
    ApplyForwarded(head, trusted);
    EXPECT_EQ(head.remote.address, row.remote) << row.what;
    EXPECT_EQ(head.https, row.https) << row.what;
  }
}

}  // namespace
}  // namespace vant::host::http
