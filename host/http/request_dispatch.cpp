#include "host/http/request_dispatch.h"

#include "host/http/error_page.h"
#include "host/http/static_file.h"
#include "host/http/url_path.h"

namespace vant::host::http {
namespace {

void Answer(Exchange& exchange, const Route& route, PageHandler& pages) {
  switch (route.kind) {
    case Route::Kind::kPage:
      return pages.Serve(exchange, route.hostPath, route.virtualPath, route.stamp);
    case Route::Kind::kStatic:
      return ServeStaticFile(exchange, route.hostPath, route.uploaded);
    case Route::Kind::kRedirect:
      return SendRedirect(exchange, route.location);
    case Route::Kind::kBadRequest:
      return SendErrorPage(exchange, Status::bad_request);
    case Route::Kind::kForbidden:
      return SendErrorPage(exchange, Status::forbidden);
    case Route::Kind::kNotFound:
      return SendErrorPage(exchange, Status::not_found);
  }
}

}  // namespace

void DispatchRequest(Exchange& exchange, const Router& router, PageHandler& pages) {
  std::string_view path;
  std::string_view query;
  SplitTarget(exchange.Request().target, path, query);
  try {
    Answer(exchange, router.Resolve(path), pages);
  } catch (...) {
    SendErrorPage(exchange, Status::internal_server_error);
  }
}

}  // namespace vant::host::http
