#include "host/http/exchange.h"

#include "host/http/detail/ascii.h"

namespace vant::host::http {

std::optional<std::string> RequestHead::Header(std::string_view name) const {
  std::optional<std::string> joined;
  for (const auto& field : headers) {
    if (!detail::EqualsNoCase(field.name, name)) continue;
    if (joined) joined->append(", ").append(field.value);
    else joined = field.value;
  }
  return joined;
}

std::string RequestHead::Protocol() const {
  return version == 10 ? "HTTP/1.0" : "HTTP/1.1";
}

}  // namespace vant::host::http
