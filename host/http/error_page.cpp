#include "host/http/error_page.h"

#include <cctype>

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

// The query as a Location may carry it: bytes a URI never holds raw
// (space, '"', '<', '>', '\\', '^', '`', '{', '|', '}', controls, non-ASCII)
// are %-escaped; '%' stays, as it starts the client's own escapes.
std::string LocationQuery(std::string_view query) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kUnsafe = " \"<>\\^`{|}";
  std::string out;
  for (const char c : query) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F && kUnsafe.find(c) == std::string_view::npos) {
      out.push_back(c);
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0xF]);
  }
  return out;
}

bool IsLoopback(std::string_view address) {
  return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

constexpr std::string_view kProxyHeaders[] = {"Forwarded", "X-Forwarded-For", "X-Real-IP", "Via"};

// True when a Host header names this machine by a loopback name: "localhost",
// "127.0.0.1:8080", "[::1]". A proxy on the same machine passes the public
// name (or its upstream's name) instead, even when it adds no proxy header.
bool NamesLoopbackHost(std::string_view host) {
  std::string_view name = host;
  if (name.starts_with('[')) {
    const auto close = name.find(']');
    if (close == std::string_view::npos) return false;
    name = name.substr(1, close - 1);
  } else if (const auto colon = name.find(':'); colon != std::string_view::npos) {
    name = name.substr(0, colon);
  }
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "localhost" || IsLoopback(lower);
}

}  // namespace

std::string StatusLine(Status status) {
  return std::to_string(static_cast<unsigned>(status)) + " " +
         std::string(boost::beast::http::obsolete_reason(status));
}

void SendErrorPage(Exchange& exchange, Status status) {
  if (exchange.HeadersSent()) return;
  exchange.Clear();
  const std::string line = StatusLine(status);
  exchange.SetStatus(line);
  exchange.SetContentType("text/html; charset=utf-8");
  exchange.Write("<html><head><title>" + line + "</title></head><body><h1>" + line +
                 "</h1></body></html>\n");
  exchange.Finish();
}

void SendRedirect(Exchange& exchange, const std::string& location) {
  const auto& query = exchange.Request().queryString;
  const std::string target = query.empty() ? location : location + "?" + LocationQuery(query);
  exchange.SetStatus(StatusLine(Status::moved_permanently));
  exchange.AddHeader("Location", target);
  exchange.SetContentType("text/html; charset=utf-8");
  // The query is the client's text: raw in the body it could open a tag.
  const std::string link = sys::EscapeHtml(target);
  exchange.Write("<html><body>Moved to <a href=\"" + link + "\">" + link + "</a>.</body></html>\n");
  exchange.Finish();
}

bool ShowsErrorDetails(DetailedErrors setting, const RequestHead& request) {
  if (setting != DetailedErrors::kLocal) return setting == DetailedErrors::kOn;
  if (!IsLoopback(request.remote.address)) return false;
  for (const std::string_view name : kProxyHeaders)
    if (request.Header(name)) return false;
  const auto host = request.Header("Host");
  return host && NamesLoopbackHost(*host);
}

}  // namespace vant::host::http
