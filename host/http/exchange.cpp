#include "host/http/exchange.h"

#include <array>

#include "platform/sys/ascii.h"

namespace vant::host::http {

namespace {

// The bytes IsFieldText refuses, looked up rather than compared: every
// header a page adds passes through it.
constexpr std::array<bool, 256> kRefusedFieldBytes = [] {
  std::array<bool, 256> refused{};
  for (int byte = 0; byte < 0x20; ++byte) refused[byte] = byte != '\t';
  refused[0x7F] = true;
  return refused;
}();

}  // namespace

bool IsFieldText(std::string_view text) {
  bool refused = false;
  for (const char c : text) refused |= kRefusedFieldBytes[static_cast<unsigned char>(c)];
  return !refused;
}

std::optional<std::string> RequestHead::Header(std::string_view name) const {
  std::optional<std::string> joined;
  for (const auto& field : headers) {
    if (!sys::EqualsNoCase(field.name, name)) continue;
    if (joined)
      joined->append(", ").append(field.value);
    else
      joined = field.value;
  }
  return joined;
}

bool RequestHead::CameOverHttps() const {
  if (https) return true;
  const auto proto = Header("X-Forwarded-Proto");
  return proto && sys::EqualsNoCase(sys::TrimSpace(*proto), "https");
}

std::string RequestHead::Protocol() const { return version == 10 ? "HTTP/1.0" : "HTTP/1.1"; }

}  // namespace vant::host::http
