// Shared by the host/http tests: a temporary site folder, an in-process
// server on a loopback port, and a raw-socket client that shows exactly what
// went over the wire.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/http/access_log.h"
#include "host/http/server.h"
#include "platform/sys/ascii.h"

namespace vant::host::http::testing {

namespace fs = std::filesystem;

class TempSite {
 public:
  TempSite() {
    char pattern[] = "/tmp/vant-http-test-XXXXXX";
    root_ = ::mkdtemp(pattern);
  }
  ~TempSite() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Add(const std::string& relative, const std::string& content) const {
    const fs::path path = fs::path(root_) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  void AddFolder(const std::string& relative) const {
    fs::create_directories(fs::path(root_) / relative);
  }
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
};

// A page handler that runs whatever the test gives it.
class LambdaPages final : public PageHandler {
 public:
  using Body = std::function<void(Exchange&, const std::string&, const std::string&)>;
  Body body = [](Exchange& ex, const std::string&, const std::string& path) {
    ex.Write("page " + path);
  };
  int calls = 0;
  void Serve(Exchange& ex, const std::string& host, const std::string& path,
             std::optional<std::int64_t>) override {
    ++calls;
    body(ex, host, path);
  }
};

struct Response {
  int status = 0;
  std::string statusLine;  // "206 Partial Content"
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool chunked = false;
  bool closeDelimited = false;
  std::optional<std::string> Header(std::string_view name) const {
    for (const auto& [n, v] : headers)
      if (sys::EqualsNoCase(n, name)) return v;
    return std::nullopt;
  }
};

class RawClient {
 public:
  explicit RawClient(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval tv{5, 0};  // a hung server fails the test instead of the run
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~RawClient() { ::close(fd_); }
  bool Connected() const { return connected_; }
  int fd() const { return fd_; }

  bool Send(std::string_view data) {
    while (!data.empty()) {
      const ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  // Bytes until the connection ends or nothing arrives for timeoutMs.
  std::string ReadFor(int timeoutMs) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string out = std::move(pending_);
    pending_.clear();
    char buf[16384];
    for (;;) {
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) break;
      out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
  }
  // True when the server closes the connection within waitMs (recv sees end
  // of stream); false when data arrives or the connection stays quiet.
  bool ServerClosed(int waitMs = 1000) {
    if (!pending_.empty()) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    char c;
    return ::recv(fd_, &c, 1, MSG_DONTWAIT) == 0;
  }
  // Reads one response; for HEAD pass head=true (no body follows).
  std::optional<Response> Read(bool head = false) {
    Response r;
    const auto end = ReadUntil("\r\n\r\n");
    if (!end) return std::nullopt;
    std::string head_text = pending_.substr(0, *end);
    pending_.erase(0, *end + 4);
    if (!ParseHead(head_text, r)) return std::nullopt;
    if (head || r.status == 304 || r.status == 204 || r.status < 200) return r;
    if (const auto te = r.Header("Transfer-Encoding"); te && *te == "chunked") {
      r.chunked = true;
      return ReadChunks(r) ? std::optional(r) : std::nullopt;
    }
    if (const auto cl = r.Header("Content-Length")) {
      const std::size_t n = std::stoull(*cl);
      if (!Fill(n)) return std::nullopt;
      r.body = pending_.substr(0, n);
      pending_.erase(0, n);
      return r;
    }
    r.closeDelimited = true;
    r.body = ReadFor(5000);
    return r;
  }
  std::optional<Response> Request(std::string_view raw, bool head = false) {
    if (!Send(raw)) return std::nullopt;
    return Read(head);
  }

 private:
  bool Fill(std::size_t n) {
    char buf[65536];
    while (pending_.size() < n) {
      const ssize_t got = ::recv(fd_, buf, sizeof buf, 0);
      if (got <= 0) return false;
      pending_.append(buf, static_cast<std::size_t>(got));
    }
    return true;
  }
  std::optional<std::size_t> ReadUntil(std::string_view mark) {
    char buf[65536];
    for (;;) {
      if (const auto at = pending_.find(mark); at != std::string::npos) return at;
      const ssize_t got = ::recv(fd_, buf, sizeof buf, 0);
      if (got <= 0) return std::nullopt;
      pending_.append(buf, static_cast<std::size_t>(got));
    }
  }
  static bool ParseHead(const std::string& text, Response& r) {
    const auto lineEnd = text.find("\r\n");
    const std::string first = text.substr(0, lineEnd);
    if (first.size() < 12 || first.compare(0, 5, "HTTP/") != 0) return false;
    r.statusLine = first.substr(9);
    r.status = std::stoi(first.substr(9, 3));
    std::size_t at = lineEnd == std::string::npos ? text.size() : lineEnd + 2;
    while (at < text.size()) {
      auto next = text.find("\r\n", at);
      if (next == std::string::npos) next = text.size();
      const std::string line = text.substr(at, next - at);
      const auto colon = line.find(':');
      if (colon != std::string::npos)
        r.headers.emplace_back(line.substr(0, colon),
                               std::string(sys::TrimSpace(line.substr(colon + 1))));
      at = next + 2;
    }
    return true;
  }
  bool ReadChunks(Response& r) {
    for (;;) {
      const auto end = ReadUntil("\r\n");
      if (!end) return false;
      const std::size_t size = std::stoull(pending_.substr(0, *end), nullptr, 16);
      pending_.erase(0, *end + 2);
      if (!Fill(size + 2)) return false;
      r.body += pending_.substr(0, size);
      pending_.erase(0, size + 2);
      if (size == 0) return true;  // no trailers are sent
    }
  }

  int fd_ = -1;
  bool connected_ = false;
  std::string pending_;
};

// A server on 127.0.0.1 with an ephemeral port and short deadlines.
class TestServer {
 public:
  explicit TestServer(const TempSite& site, std::function<void(HostOptions&)> tune = {})
      : logPath_(site.Root() + ".log") {
    HostOptions options;
    options.site = site.Root();
    options.port = 0;
    options.threads = 4;
    options.idleTimeout = std::chrono::milliseconds(1500);
    if (tune) tune(options);
    log_ = std::make_unique<AccessLog>(logPath_);
    server_ = std::make_unique<Server>(options, pages, *log_);
    std::string error;
    started_ = server_->Start(error);
  }
  ~TestServer() {
    server_.reset();
    std::error_code ec;
    fs::remove(logPath_, ec);
  }
  bool Started() const { return started_; }
  std::uint16_t Port() const { return server_->Port(); }
  Server& server() { return *server_; }
  std::string LogText() const {
    std::ifstream in(logPath_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::optional<Response> Get(const std::string& target, const std::string& extra = "") {
    RawClient client(Port());
    return client.Request("GET " + target + " HTTP/1.1\r\nHost: t\r\n" + extra +
                          "Connection: close\r\n\r\n");
  }

  LambdaPages pages;

 private:
  std::string logPath_;
  std::unique_ptr<AccessLog> log_;
  std::unique_ptr<Server> server_;
  bool started_ = false;
};

}  // namespace vant::host::http::testing
