#include "progress/monitor_cookie.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace vant::progress {
namespace {

// The characters the C library's wide white-space test accepts in the "C"
// locale: blank, tab, line feed, vertical tab, form feed, carriage return.
bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Request.Cookies(kMonitorCookieName)(kMonitorCookieKey) as the host gives it.
std::optional<Variant> ReadCookieItem(const frame::PageContext& context) {
  if (context.Request() == nullptr) return std::nullopt;
  ComPtr<host::IRequestDictionary> cookies;
  if (Failed(context.Request()->get_Cookies(cookies.Receive())) || !cookies) return std::nullopt;
  Variant item;
  if (Failed(cookies->get_Item(Variant::String(Bstr(kMonitorCookieName)), &item))) {
    return std::nullopt;
  }
  const Variant& object = item.Deref();
  if (object.vt() != VT_DISPATCH && object.vt() != VT_UNKNOWN) return std::nullopt;
  if (object.unknown() == nullptr) return std::nullopt;
  ComPtr<host::IReadCookie> cookie;
  if (Failed(object.unknown()->QueryInterface(host::IReadCookie::kIid, cookie.ReceiveVoid())) ||
      !cookie) {
    return std::nullopt;
  }
  Variant value;
  if (Failed(cookie->get_Item(Variant::String(Bstr(kMonitorCookieKey)), &value))) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::int32_t ParseProgressIdText(std::u16string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
    negative = text[at] == u'-';
    ++at;
  }
  // Accumulated as a magnitude with a ceiling, so long inputs cannot overflow.
  constexpr std::int64_t kCeiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    magnitude = std::min(kCeiling, magnitude * 10 + (text[at] - u'0'));
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

std::int32_t ReadMonitorCookie(const frame::PageContext& context) {
  const std::optional<Variant> value = ReadCookieItem(context);
  // The host answers an absent cookie or key with an empty value: no id was
  // issued to this browser, which must not pick record 0.
  if (!value || value->Deref().IsEmpty()) return kNoProgressId;
  Bstr text;
  if (Failed(VariantToBstr(*value, &text))) return kNoProgressId;
  return ParseProgressIdText(text.view());
}

HRESULT WriteMonitorCookie(const frame::PageContext& context, std::int32_t id) {
  const std::u16string digits = Utf8ToUtf16(std::to_string(id));
  return frame::SetResponseCookie(context, kMonitorCookieName, kMonitorCookieKey, Bstr(digits));
}

}  // namespace vant::progress
