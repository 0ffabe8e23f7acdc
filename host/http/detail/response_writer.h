// The response side of an exchange: status, headers, buffering and the
// framing of the body on the wire (Content-Length, chunked, or ended by
// closing the connection).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/http/detail/tracked_stream.h"

namespace vant::host::http::detail {

enum class Framing { kNone, kLength, kChunked, kClose };

class ResponseWriter {
 public:
  // version: 10 or 11; head: a HEAD request (headers only); keepAlive: the
  // client allows the connection to stay open.
  ResponseWriter(TrackedStream& stream, unsigned version, bool head, bool keepAlive);

  bool SetStatus(std::string_view line);
  bool AddHeader(std::string_view name, std::string_view value);
  bool SetContentType(std::string_view type);
  bool SetBuffered(bool buffered);
  bool Buffered() const { return buffered_; }
  bool Write(const void* data, std::size_t n);
  bool WriteFile(int fd, std::uint64_t offset, std::uint64_t length);
  bool Flush();
  void Clear() { buffer_.clear(); }
  bool Finish();
  bool HeadersSent() const { return headersSent_; }
  bool Failed() const { return failed_; }

  // Asks for "Connection: close" (server stopping, body left unread).
  void ForceClose() { keepAlive_ = false; }
  // Whether the connection may carry another request after Finish().
  bool KeepAlive() const;
  int StatusCode() const { return statusCode_; }
  std::uint64_t BodyBytesSent() const { return bodySent_; }

 private:
  std::string StartHeaders(bool final);
  bool SendHeaders(bool final);
  Framing ChooseFraming(bool final) const;
  std::string HeaderBlock() const;
  std::size_t BodyRoom(std::size_t n);
  bool SendBody(const void* data, std::size_t n, std::string_view headers = {});
  bool SendHeadersBeforeFile();
  bool SendFileRaw(int fd, std::uint64_t offset, std::uint64_t length);
  bool SendFilePieces(int socketFd, int fd, std::uint64_t offset, std::uint64_t length);
  bool SendRaw(std::span<const boost::asio::const_buffer> pieces);
  bool SendRaw(boost::asio::const_buffer piece) { return SendRaw(std::span(&piece, 1)); }

  TrackedStream& stream_;
  unsigned version_;
  bool head_;
  bool keepAlive_;
  std::string statusLine_ = "200 OK";
  int statusCode_ = 200;
  // The page's headers as they go on the wire, "Name: value" and CRLF each:
  // one growing string rather than two strings per header.
  std::string headerLines_;
  std::string contentType_ = "text/html";
  std::optional<std::uint64_t> pageLength_;  // a Content-Length the page added
  bool pageContentType_ = false;             // the page added a Content-Type
  bool buffered_ = true;
  std::string buffer_;
  bool headersSent_ = false;
  bool finished_ = false;
  bool failed_ = false;
  bool lengthMismatch_ = false;
  Framing framing_ = Framing::kNone;
  std::uint64_t bodySent_ = 0;
};

}  // namespace vant::host::http::detail
