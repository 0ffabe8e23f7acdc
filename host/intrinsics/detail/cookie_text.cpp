#include "host/intrinsics/detail/cookie_text.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "host/intrinsics/detail/text_encode.h"
#include "host/intrinsics/text_codec.h"
#include "host/session/session_store.h"

namespace vant::host::intrinsics {

namespace {

constexpr double kUnixEpochAsDate = 25569.0;  // 1970-01-01 in automation days
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsSessionCookie(std::string_view name) {
  return name.size() >= session::kSessionCookiePrefix.size() &&
         EqualsNoCase(DecodeUtf8(name.substr(0, session::kSessionCookiePrefix.size())),
                      DecodeUtf8(session::kSessionCookiePrefix));
}

// The cookies read so far; their index finds a repeated name without
// comparing it with every earlier one.
struct CookieList {
  RequestCookies cookies;
  std::size_t pairs = 0;
};

// False when the header holds more cookies than `maxCookies` (repeated
// names counted each time) or a keyed cookie more keys than that.
bool AddCookie(CookieList& out, std::string_view pair, std::uint32_t codePage,
               std::size_t maxCookies) {
  const std::size_t eq = pair.find('=');
  const std::string_view rawName = Trim(pair.substr(0, eq));
  const std::string_view rawValue =
      eq == std::string_view::npos ? std::string_view() : Trim(pair.substr(eq + 1));
  if (rawName.empty() || IsSessionCookie(rawName)) return true;
  if (out.pairs++ == maxCookies) return false;
  RequestCookie cookie;
  cookie.name = DecodeText(codePage, PercentDecode(rawName, true));
  if (out.cookies.Find(cookie.name) != nullptr) return true;
  if (rawValue.find('=') != std::string_view::npos) {
    std::optional<KeyedValues> keys = ParseUrlEncoded(rawValue, codePage, maxCookies);
    if (!keys) return false;
    cookie.keys = std::move(*keys);
    cookie.value = DecodeText(codePage, rawValue);
  } else {
    cookie.value = DecodeText(codePage, PercentDecode(rawValue, true));
  }
  out.cookies.Add(std::move(cookie));
  return true;
}

}  // namespace

const RequestCookie* RequestCookies::Find(std::u16string_view name) const {
  const auto hit = index_.find(ToUpperAscii(name));
  return hit == index_.end() ? nullptr : &list_[hit->second];
}

void RequestCookies::Add(RequestCookie cookie) {
  index_.emplace(ToUpperAscii(cookie.name), list_.size());
  list_.push_back(std::move(cookie));
}

std::optional<RequestCookies> ParseRequestCookies(const http::RequestHead& head,
                                                  std::uint32_t codePage, std::size_t maxCookies) {
  CookieList list;
  for (const auto& field : head.headers) {
    if (!EqualsNoCase(DecodeUtf8(field.name), u"Cookie")) continue;
    std::string_view rest = field.value;
    while (!rest.empty()) {
      const std::size_t end = rest.find(';');
      if (!AddCookie(list, rest.substr(0, end), codePage, maxCookies)) return std::nullopt;
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
  }
  return std::move(list.cookies);
}

void ResponseCookie::SetKey(std::u16string_view key, std::u16string text) {
  value.clear();
  for (auto& [k, v] : keys) {
    if (!EqualsNoCase(k, key)) continue;
    v = std::move(text);
    return;
  }
  keys.emplace_back(std::u16string(key), std::move(text));
}

std::u16string ResponseCookie::Joined() const {
  if (keys.empty()) return value;
  std::u16string out;
  for (const auto& [k, v] : keys) {
    if (!out.empty()) out.push_back(u'&');
    out.append(k).append(u"=").append(v);
  }
  return out;
}

bool IsCookieAttributeText(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c <= u' ' || c == 0x7F || c == u';' || c == u',') return false;
  }
  return true;
}

std::string FormatSetCookie(const ResponseCookie& cookie, std::uint32_t codePage) {
  std::u16string text = UrlEncode(cookie.name, codePage) + u"=";
  if (cookie.keys.empty()) {
    text += UrlEncode(cookie.value, codePage);
  } else {
    for (std::size_t i = 0; i < cookie.keys.size(); ++i) {
      if (i > 0) text.push_back(u'&');
      text += UrlEncode(cookie.keys[i].first, codePage) + u"=" +
              UrlEncode(cookie.keys[i].second, codePage);
    }
  }
  std::string out = Narrow(text);
  if (cookie.expires) out.append("; expires=").append(FormatCookieDate(*cookie.expires));
  if (!cookie.domain.empty()) out.append("; domain=").append(Narrow(cookie.domain));
  out.append("; path=").append(Narrow(cookie.path.empty() ? u"/" : cookie.path));
  if (cookie.secure) out.append("; secure");
  return out;
}

std::int64_t DateToUnixSeconds(Date when) {
  return static_cast<std::int64_t>(std::llround((when.value - kUnixEpochAsDate) * kSecondsPerDay));
}

std::string FormatCookieDate(Date when) {
  using namespace std::chrono;
  const sys_seconds t{seconds(DateToUnixSeconds(when))};
  const sys_days day = floor<days>(t);
  const year_month_day ymd{day};
  const hh_mm_ss hms{t - day};
  const weekday wd{day};
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02u-%s-%04d %02d:%02d:%02d GMT",
                kWeekdays[wd.c_encoding()], static_cast<unsigned>(ymd.day()),
                kMonths[static_cast<unsigned>(ymd.month()) - 1], static_cast<int>(ymd.year()),
                static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                static_cast<int>(hms.seconds().count()));
  return text;
}

}  // namespace vant::host::intrinsics
