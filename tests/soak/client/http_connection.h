// A kept-alive HTTP/1.1 connection of one soak worker to vant-host, on
// Boost.Beast's synchronous calls.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace soak {

struct Response {
  bool ok = false;  // false: no complete response arrived (error says why)
  std::string error;
  int status = 0;
  std::map<std::string, std::string> headers;  // names lower-cased
  std::string body;

  // The header's value, or "" when it was not sent.
  std::string Header(const std::string& lowerName) const;
};

struct Request {
  std::string method = "GET";
  std::string target;                          // path and query
  std::map<std::string, std::string> headers;  // extra request headers
  std::string body;
};

class HttpConnection {
 public:
  HttpConnection(std::string host, std::uint16_t port);
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  // Sends the request and reads the whole response. A connection the server
  // closed while it sat idle is opened again and the request sent once more
  // (nothing of it was processed); any other failure gives ok = false and
  // drops the connection, so the next call starts on a fresh one.
  Response Send(const Request& request);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace soak
