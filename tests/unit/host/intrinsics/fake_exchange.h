// An in-memory HTTP exchange for the intrinsic objects' tests: a request
// with a body that is read in recorded pieces, and a response whose status,
// headers and body (buffered and sent) can be inspected.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/http/exchange.h"

namespace vant::test {

class FakeExchange : public host::http::Exchange {
 public:
  host::http::RequestHead head;
  std::string body;
  bool chunked = false;
  bool connected = true;
  // The body ends early here, as when the client goes away (npos: never).
  std::size_t failAt = std::string::npos;

  std::vector<std::size_t> reads;  // the size asked for by each ReadBody
  std::string status = "200 OK";
  std::string contentType = "text/html";
  std::vector<host::http::HeaderField> headers;
  bool buffered = true;
  std::string pending;  // written, not yet sent
  std::string sent;     // body bytes that went out
  bool headersSent = false;
  bool finished = false;
  int flushes = 0;
  std::string log;

  FakeExchange() {
    head.method = "GET";
    head.path = "/dir/page.asp";
    head.remote = {"192.0.2.7", 51000};
    head.local = {"127.0.0.1", 8080};
  }
  void SetHeader(std::string name, std::string value) {
    head.headers.push_back({std::move(name), std::move(value)});
  }
  // Values of response header `name`, in order.
  std::vector<std::string> Header(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& h : headers) {
      if (h.name == name) values.push_back(h.value);
    }
    return values;
  }

  const host::http::RequestHead& Request() const override { return head; }
  std::uint64_t TotalBytes() const override { return chunked ? consumed_ : body.size(); }
  bool BodyIsChunked() const override { return chunked; }
  std::size_t ReadBody(std::uint8_t* dst, std::size_t n) override {
    reads.push_back(n);
    const std::size_t end = std::min(body.size(), failAt);
    const std::size_t got = std::min(n, end - std::min(end, consumed_));
    std::memcpy(dst, body.data() + consumed_, got);
    consumed_ += got;
    return got;
  }
  bool BodyFailed() const override { return consumed_ >= failAt && failAt < body.size(); }
  bool IsClientConnected() const override { return connected; }
  bool SetStatus(std::string_view line) override {
    if (headersSent || line.size() < 3 || line.find_first_of("\r\n") != std::string_view::npos)
      return false;
    status = line;
    return true;
  }
  bool AddHeader(std::string_view name, std::string_view value) override {
    // As the exchange promises: no control character in a name or value.
    if (headersSent || name.empty() || !host::http::IsFieldText(name) ||
        !host::http::IsFieldText(value)) {
      return false;
    }
    headers.push_back({std::string(name), std::string(value)});
    return true;
  }
  bool SetContentType(std::string_view type) override {
    if (headersSent) return false;
    contentType = type;
    return true;
  }
  bool SetBuffered(bool on) override {
    if (!on && (headersSent || !pending.empty())) return on == buffered;
    buffered = on;
    return true;
  }
  bool IsBuffered() const override { return buffered; }
  bool Write(const void* data, std::size_t n) override {
    if (finished) return false;
    (buffered ? pending : sent).append(static_cast<const char*>(data), n);
    if (!buffered) headersSent = true;
    return connected;
  }
  bool WriteFile(int, std::uint64_t, std::uint64_t) override { return false; }
  bool Flush() override {
    if (!buffered) return true;
    ++flushes;
    headersSent = true;
    sent += pending;
    pending.clear();
    return true;
  }
  void Clear() override { pending.clear(); }
  bool Finish() override {
    if (finished) return true;
    headersSent = true;
    sent += pending;
    pending.clear();
    finished = true;
    return true;
  }
  bool HeadersSent() const override { return headersSent; }
  void AppendToLog(std::string_view text) override { log += text; }

 private:
  std::size_t consumed_ = 0;
};

}  // namespace vant::test
