#include "host/http/detail/socket_exchange.h"

#include <iterator>

#include "host/http/detail/socket_ops.h"
#include "host/http/url_path.h"
#include "platform/sys/ascii.h"

namespace vant::host::http::detail {

using sys::EqualsNoCase;
using sys::TrimSpace;
namespace {

bool WantsContinue(const RequestHead& head) {
  const auto expect = head.Header("Expect");
  return head.version >= 11 && expect && EqualsNoCase(TrimSpace(*expect), "100-continue");
}

}  // namespace

RequestHead MakeRequestHead(const RequestParser& parser, Endpoint remote, Endpoint local) {
  const auto& message = parser.get();
  RequestHead head;
  head.method = std::string(message.method_string());
  head.target = std::string(message.target());
  head.version = message.version() >= 11 ? 11 : 10;
  // One allocation for the list rather than a doubling per few fields.
  head.headers.reserve(static_cast<std::size_t>(std::distance(message.begin(), message.end())));
  for (const auto& field : message)
    head.headers.push_back({std::string(field.name_string()), std::string(field.value())});
  std::string_view path;
  std::string_view query;
  SplitTarget(head.target, path, query);
  head.queryString = std::string(query);
  const DecodedPath decoded = DecodeRequestPath(path);
  head.path = decoded.error == DecodedPath::Error::kNone ? decoded.path : std::string(path);
  head.peer = remote;
  head.remote = std::move(remote);
  head.local = std::move(local);
  return head;
}

SocketExchange::SocketExchange(TrackedStream& stream, boost::beast::flat_buffer& buffer,
                               RequestParser& parser, RequestHead head)
    : stream_(stream),
      head_(std::move(head)),
      body_(stream, buffer, parser, WantsContinue(head_)),
      response_(stream, head_.version, EqualsNoCase(head_.method, "HEAD"),
                parser.get().keep_alive()) {}

std::uint64_t SocketExchange::TotalBytes() const {
  return body_.Chunked() ? body_.BytesRead() : body_.DeclaredLength();
}

std::size_t SocketExchange::ReadBody(std::uint8_t* dst, std::size_t n) {
  return body_.Read(dst, n, !response_.HeadersSent());
}

std::size_t SocketExchange::ReadBodySome(std::uint8_t* dst, std::size_t minimum, std::size_t n) {
  return body_.Read(dst, n, !response_.HeadersSent(), minimum);
}

bool SocketExchange::IsClientConnected() const {
  if (response_.Failed() || stream_.clock().WasCut()) return false;
  return PeerConnected(stream_.socket().native_handle());
}

}  // namespace vant::host::http::detail
