#include "host/http/exchange.h"

#include "platform/sys/ascii.h"

namespace vant::host::http {

bool IsFieldText(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return false;
  }
  return true;
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
