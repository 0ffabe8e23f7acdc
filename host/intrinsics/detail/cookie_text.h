// Cookies on the wire: the Cookie request header read into names, values
// and keys, and Set-Cookie header values written from Response.Cookies.
//
// A cookie value "k1=v1&k2=v2" is a keyed cookie. Names, values and keys
// are %-escaped ('+' for a space) in the response code page, the way
// Server.URLEncode escapes them, and decoded the same way on the way in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/http/exchange.h"
#include "host/intrinsics/detail/url_encoded.h"
#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

struct RequestCookie {
  std::u16string name;
  // Decoded for a plain cookie; for a keyed one the text as sent.
  std::u16string value;
  KeyedValues keys;  // empty for a plain cookie
  bool HasKeys() const { return !keys.Empty(); }
};

// The request's cookies in the order sent, found by name (letter case
// ignored) through a keyed hash index.
class RequestCookies {
 public:
  const std::vector<RequestCookie>& List() const { return list_; }
  // The cookie named `name`, nullptr when absent.
  const RequestCookie* Find(std::u16string_view name) const;
  // Appends `cookie`; its name must not be in the list yet.
  void Add(RequestCookie cookie);

 private:
  std::vector<RequestCookie> list_;
  NameMap<std::size_t> index_;  // position in list_ by the upper-cased name
};

// Every cookie of every Cookie header, in order. When a name repeats the
// first wins (the browser sends the most specific path first). The host's
// session cookie is left out: it is none of the page's business. nullopt
// when the headers hold more than `maxCookies` cookies (a repeated name
// counted each time) or a keyed cookie has more keys than that; reading
// stops there, so the work is bounded by the limit.
std::optional<RequestCookies> ParseRequestCookies(const http::RequestHead& head,
                                                  std::uint32_t codePage, std::size_t maxCookies);

struct ResponseCookie {
  std::u16string name;
  std::u16string value;  // used when keys is empty
  std::vector<std::pair<std::u16string, std::u16string>> keys;
  std::optional<Date> expires;
  std::u16string domain;
  std::u16string path = u"/";
  bool secure = false;

  // Sets key `key` (letter case ignored), replacing a plain value.
  void SetKey(std::u16string_view key, std::u16string value);
  // The value as it will be sent, before escaping: "a=1&b=2" or the value.
  std::u16string Joined() const;
};

// True when `text` may be a cookie's Domain or Path: no ';' (which would
// start another attribute), ',', space or control character. Names and
// values need no such rule: they are %-escaped.
bool IsCookieAttributeText(std::u16string_view text);

// "name=value; expires=Wdy, DD-Mon-YYYY HH:MM:SS GMT; domain=d; path=/; secure",
// each attribute only when set (path always).
std::string FormatSetCookie(const ResponseCookie& cookie, std::uint32_t codePage);

// An automation date (read as UTC) as seconds since 1970-01-01.
std::int64_t DateToUnixSeconds(Date when);
// "Wdy, DD-Mon-YYYY HH:MM:SS GMT", the form browsers read in cookies.
std::string FormatCookieDate(Date when);

}  // namespace vant::host::intrinsics
