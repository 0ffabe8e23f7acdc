#include "host/http/connection.h"

#include <boost/beast/http/read.hpp>
#include <chrono>

#include "host/http/detail/socket_exchange.h"
#include "host/http/detail/socket_ops.h"
#include "host/http/error_page.h"
#include "host/http/request_dispatch.h"
#include "host/http/request_framing.h"

namespace vant::host::http {
namespace {

namespace http = boost::beast::http;
using detail::RequestParser;
using detail::SocketExchange;
using detail::TrackedStream;

constexpr std::uint32_t kHeaderLimit = 64 * 1024;
// Unread body bytes discarded to keep a connection open; past this, close.
constexpr std::uint64_t kDrainLimit = 1 << 20;

Endpoint EndpointOf(const boost::asio::ip::tcp::endpoint& e) {
  return {e.address().to_string(), e.port()};
}

struct Ends {
  Endpoint remote;
  Endpoint local;
};

Ends EndsOf(boost::asio::ip::tcp::socket& socket) {
  boost::system::error_code ec;
  Ends ends;
  if (const auto r = socket.remote_endpoint(ec); !ec) ends.remote = EndpointOf(r);
  if (const auto l = socket.local_endpoint(ec); !ec) ends.local = EndpointOf(l);
  return ends;
}

Status HeaderErrorStatus(const boost::system::error_code& ec) {
  if (ec == http::error::body_limit) return Status::payload_too_large;
  if (ec == http::error::header_limit) return Status::request_header_fields_too_large;
  return Status::bad_request;
}

void Log(const ConnectionContext& ctx, SocketExchange& ex, std::int64_t startMs) {
  const RequestHead& head = ex.Request();
  AccessRecord record;
  record.time = std::time(nullptr);
  record.remote = head.remote.address;
  record.method = head.method.empty() ? "-" : head.method;
  record.target = head.target.empty() ? "-" : head.target;
  record.status = ex.Response().StatusCode();
  record.bytes = ex.Response().BodyBytesSent();
  record.milliseconds = SteadyMillis() - startMs;
  record.note = ex.LogNote();
  ctx.log.Write(record);
}

// Serves one request; true when the connection may carry another.
bool ServeRequest(TrackedStream& stream, boost::beast::flat_buffer& buffer, const Ends& ends,
                  const ConnectionContext& ctx) {
  stream.clock().EndRequest();
  RequestParser parser;
  parser.header_limit(kHeaderLimit);
  parser.body_limit(ctx.options.maxBody);
  boost::system::error_code ec;
  http::read_header(stream, buffer, parser, ec);
  if (ec && (ec == http::error::end_of_stream || !parser.got_some())) return false;

  const auto startMs = SteadyMillis();
  stream.clock().BeginRequest();
  SocketExchange ex(stream, buffer, parser,
                    detail::MakeRequestHead(parser, ends.remote, ends.local));
  // A body whose end this server and a proxy in front could disagree on is
  // never read: the connection closes after the 400.
  const std::string_view framing = ec ? std::string_view() : FramingProblem(ex.Request());
  const bool refused = ec || !framing.empty();
  if (refused || ctx.stopping.load()) ex.Response().ForceClose();
  if (ec) {
    SendErrorPage(ex, HeaderErrorStatus(ec));
  } else if (!framing.empty()) {
    ex.AppendToLog(framing);
    SendErrorPage(ex, Status::bad_request);
  } else {
    DispatchRequest(ex, ctx.router, ctx.pages);
  }
  ex.Finish();
  bool keep = !refused && ex.Response().KeepAlive() && !ctx.stopping.load();
  if (keep) keep = ex.Body().Drain(kDrainLimit);
  Log(ctx, ex, startMs);
  return keep && !stream.clock().WasCut();
}

}  // namespace

constexpr std::size_t kReadBufferBytes = 64 * 1024;

void ServeConnection(boost::asio::ip::tcp::socket socket, const ConnectionContext& ctx) {
  try {
    ConnectionClock clock;
    {
      // The registration ends before the socket closes (see Watchdog).
      Watchdog::Registration watch(ctx.watchdog, clock, socket.native_handle());
      TrackedStream stream(socket, clock);
      boost::beast::flat_buffer buffer;
      // Beast sizes each socket read by the buffer's free capacity (at least
      // 512 bytes); a roomy buffer keeps request bodies to few, large reads.
      buffer.reserve(kReadBufferBytes);
      const Ends ends = EndsOf(socket);
      while (ServeRequest(stream, buffer, ends, ctx)) {
      }
    }
    detail::LingeringClose(socket.native_handle());
  } catch (...) {
    // Nothing may escape a worker thread; the socket closes below.
  }
  boost::system::error_code ignored;
  socket.close(ignored);
}

}  // namespace vant::host::http
