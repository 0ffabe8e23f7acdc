#include "http_connection.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <cctype>
#include <optional>

namespace soak {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// Larger than any file the soak sends or fetches.
constexpr std::uint64_t kBodyLimit = 256ull * 1024 * 1024;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

http::request<http::string_body> ToBeast(const Request& request, const std::string& host) {
  http::request<http::string_body> out{http::string_to_verb(request.method), request.target, 11};
  out.set(http::field::host, host);
  out.set(http::field::user_agent, "vant-soak");
  for (const auto& [name, value] : request.headers) out.set(name, value);
  out.body() = request.body;
  if (request.method != "GET" || !request.body.empty()) out.prepare_payload();
  return out;
}

}  // namespace

std::string Response::Header(const std::string& lowerName) const {
  const auto found = headers.find(lowerName);
  return found == headers.end() ? std::string() : found->second;
}

struct HttpConnection::Impl {
  std::string host;
  std::uint16_t port;
  asio::io_context io;
  std::optional<tcp::socket> socket;
  beast::flat_buffer buffer;
  bool reused = false;  // the socket already carried a response

  void Close() {
    beast::error_code ignored;
    if (socket) socket->close(ignored);
    socket.reset();
    buffer.clear();
    reused = false;
  }

  bool Open(std::string& error) {
    socket.emplace(io);
    beast::error_code ec;
    const tcp::endpoint endpoint(asio::ip::make_address(host, ec), port);
    if (!ec) socket->connect(endpoint, ec);
    if (!ec) return true;
    error = "connect: " + ec.message();
    Close();
    return false;
  }

  // One exchange on the open socket; sets `stale` when the server had closed
  // the kept-alive connection before reading anything of this request.
  Response Exchange(const http::request<http::string_body>& request, bool& stale) {
    Response out;
    beast::error_code ec;
    http::write(*socket, request, ec);
    http::response_parser<http::string_body> parser;
    parser.body_limit(kBodyLimit);
    if (!ec) http::read(*socket, buffer, parser, ec);
    if (ec) {
      stale = reused && !parser.got_some() &&
              (ec == http::error::end_of_stream || ec == asio::error::connection_reset ||
               ec == asio::error::broken_pipe || ec == asio::error::eof);
      out.error = ec.message();
      Close();
      return out;
    }
    const auto& message = parser.get();
    out.ok = true;
    out.status = static_cast<int>(message.result_int());
    for (const auto& field : message)
      out.headers[Lower(std::string(field.name_string()))] = std::string(field.value());
    out.body = message.body();
    if (!message.keep_alive())
      Close();
    else
      reused = true;
    return out;
  }
};

HttpConnection::HttpConnection(std::string host, std::uint16_t port)
    : impl_(std::make_unique<Impl>()) {
  impl_->host = std::move(host);
  impl_->port = port;
}

HttpConnection::~HttpConnection() { impl_->Close(); }

Response HttpConnection::Send(const Request& request) {
  const auto beastRequest = ToBeast(request, impl_->host + ":" + std::to_string(impl_->port));
  for (int attempt = 0; attempt < 2; ++attempt) {
    Response failed;
    if (!impl_->socket && !impl_->Open(failed.error)) return failed;
    bool stale = false;
    Response response = impl_->Exchange(beastRequest, stale);
    if (response.ok || !stale) return response;
  }
  Response failed;
  failed.error = "connection closed twice before the request was read";
  return failed;
}

}  // namespace soak
