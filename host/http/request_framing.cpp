#include "host/http/request_framing.h"

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

using sys::EqualsNoCase;
using sys::TrimSpace;

// Every header of that name counts: "Transfer-Encoding: gzip" followed by
// "Transfer-Encoding: chunked" is the list "gzip, chunked".
bool OnlyChunked(const RequestHead& request) {
  unsigned codings = 0;
  bool chunked = false;
  for (const auto& field : request.headers) {
    if (!EqualsNoCase(field.name, "Transfer-Encoding")) continue;
    std::string_view rest = field.value;
    while (true) {
      const auto comma = rest.find(',');
      const std::string_view coding = TrimSpace(rest.substr(0, comma));
      if (!coding.empty()) {
        ++codings;
        chunked = EqualsNoCase(coding, "chunked");
      }
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return codings == 1 && chunked;
}

unsigned CountOf(const RequestHead& request, std::string_view name) {
  unsigned count = 0;
  for (const auto& field : request.headers)
    if (EqualsNoCase(field.name, name)) ++count;
  return count;
}

}  // namespace

std::string_view FramingProblem(const RequestHead& request) {
  const unsigned hosts = CountOf(request, "Host");
  if (hosts > 1) return "more than one Host header";
  if (hosts == 0 && request.version >= 11) return "no Host header";
  if (CountOf(request, "Transfer-Encoding") == 0) return {};
  if (request.version < 11) return "Transfer-Encoding on HTTP/1.0";
  if (CountOf(request, "Content-Length") > 0) return "Transfer-Encoding with Content-Length";
  if (!OnlyChunked(request)) return "Transfer-Encoding other than chunked";
  return {};
}

}  // namespace vant::host::http
