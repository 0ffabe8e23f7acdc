#include "host/http/error_page.h"

namespace vant::host::http {

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
  const std::string target = query.empty() ? location : location + "?" + query;
  exchange.SetStatus(StatusLine(Status::moved_permanently));
  exchange.AddHeader("Location", target);
  exchange.SetContentType("text/html; charset=utf-8");
  exchange.Write("<html><body>Moved to <a href=\"" + target + "\">" + target +
                 "</a>.</body></html>\n");
  exchange.Finish();
}

}  // namespace vant::host::http
