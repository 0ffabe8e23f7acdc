// The Exchange the server hands to handlers: one request read from a TCP
// connection and the response written back to it.
#pragma once

#include <string>

#include "host/http/detail/body_reader.h"
#include "host/http/detail/response_writer.h"
#include "host/http/exchange.h"

namespace vant::host::http::detail {

class SocketExchange final : public Exchange {
 public:
  // The parser holds a request whose header has been read.
  SocketExchange(TrackedStream& stream, boost::beast::flat_buffer& buffer, RequestParser& parser,
                 RequestHead head);

  const RequestHead& Request() const override { return head_; }
  std::uint64_t TotalBytes() const override;
  bool BodyIsChunked() const override { return body_.Chunked(); }
  std::size_t ReadBody(std::uint8_t* dst, std::size_t n) override;
  std::size_t ReadBodySome(std::uint8_t* dst, std::size_t minimum, std::size_t n) override;
  bool BodyFailed() const override { return body_.Failed(); }
  bool IsClientConnected() const override;

  bool SetStatus(std::string_view line) override { return response_.SetStatus(line); }
  bool AddHeader(std::string_view name, std::string_view value) override {
    return response_.AddHeader(name, value);
  }
  bool SetContentType(std::string_view type) override { return response_.SetContentType(type); }
  bool SetBuffered(bool buffered) override { return response_.SetBuffered(buffered); }
  bool IsBuffered() const override { return response_.Buffered(); }
  bool Write(const void* data, std::size_t n) override { return response_.Write(data, n); }
  using Exchange::Write;
  bool WriteFile(int fd, std::uint64_t offset, std::uint64_t length) override {
    return response_.WriteFile(fd, offset, length);
  }
  bool Flush() override { return response_.Flush(); }
  void Clear() override { response_.Clear(); }
  bool Finish() override { return response_.Finish(); }
  bool HeadersSent() const override { return response_.HeadersSent(); }
  void AppendToLog(std::string_view text) override { logNote_.append(text); }

  // Server side, after the handler returned.
  ResponseWriter& Response() { return response_; }
  BodyReader& Body() { return body_; }
  const std::string& LogNote() const { return logNote_; }

 private:
  TrackedStream& stream_;
  RequestHead head_;
  BodyReader body_;
  ResponseWriter response_;
  std::string logNote_;
};

// Builds the request head from a parsed header and the connection's ends.
RequestHead MakeRequestHead(const RequestParser& parser, Endpoint remote, Endpoint local);

}  // namespace vant::host::http::detail
