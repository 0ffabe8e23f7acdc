#include "host/http/detail/response_writer.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <boost/asio/write.hpp>
#include <charconv>
#include <ctime>

#include "host/http/detail/socket_ops.h"
#include "host/http/exchange.h"
#include "host/http/http_date.h"
#include "platform/sys/ascii.h"

namespace vant::host::http::detail {

using sys::EqualsNoCase;
using sys::TrimSpace;
namespace {

constexpr std::string_view kServerName = "vant-host";
constexpr std::string_view kCrlf = "\r\n";
constexpr std::string_view kLastChunk = "0\r\n\r\n";
constexpr std::size_t kFilePiece = 64 * 1024;
// Most one sendfile is asked to move: a small file in one call, a large
// one in calls between which a write fault or the watchdog can step in.
constexpr std::uint64_t kSendFilePiece = 256 * 1024;
constexpr int kFirstFinalStatus = 200;
// Room for a typical page's headers, so they do not grow the string twice.
constexpr std::size_t kHeaderLinesRoom = 256;
// The header block's own lines besides the page's: status, Date, Server,
// Content-Type, framing and Connection.
constexpr std::size_t kHeaderBlockRoom = 192;

// The bytes of an HTTP token: letters, digits and !#$%&'*+-.^_`|~.
constexpr std::array<bool, 256> kTokenBytes = [] {
  std::array<bool, 256> token{};
  for (int c = '0'; c <= '9'; ++c) token[c] = true;
  for (int c = 'a'; c <= 'z'; ++c) token[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) token[c] = true;
  for (const char c : std::string_view("!#$%&'*+-.^_`|~"))
    token[static_cast<unsigned char>(c)] = true;
  return token;
}();

bool IsToken(std::string_view s) {
  bool token = !s.empty();
  for (const char c : s) token &= kTokenBytes[static_cast<unsigned char>(c)];
  return token;
}

bool ParseLength(std::string_view s, std::uint64_t& out) {
  s = TrimSpace(s);
  const auto* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, out);
  return !s.empty() && ec == std::errc{} && ptr == end;
}

// Statuses whose responses never carry a body.
bool IsBodyless(int code) { return code == 204 || code == 304 || code < kFirstFinalStatus; }

}  // namespace

ResponseWriter::ResponseWriter(TrackedStream& stream, unsigned version, bool head, bool keepAlive)
    : stream_(stream), version_(version), head_(head), keepAlive_(keepAlive) {}

bool ResponseWriter::SetStatus(std::string_view line) {
  if (headersSent_ || !IsFieldText(line) || line.size() < 3) return false;
  int code = 0;
  auto [ptr, ec] = std::from_chars(line.data(), line.data() + 3, code);
  if (ec != std::errc{} || ptr != line.data() + 3 || code < kFirstFinalStatus) return false;
  if (line.size() > 3 && line[3] != ' ') return false;
  statusLine_ = std::string(line);
  statusCode_ = code;
  return true;
}

bool ResponseWriter::AddHeader(std::string_view name, std::string_view value) {
  if (headersSent_ || !IsToken(name) || !IsFieldText(value)) return false;
  if (EqualsNoCase(name, "Transfer-Encoding") || EqualsNoCase(name, "Connection")) return false;
  if (EqualsNoCase(name, "Content-Length")) {
    std::uint64_t length = 0;
    if (pageLength_ || !ParseLength(value, length)) return false;
    pageLength_ = length;
  }
  // Remembered here rather than looked for in the block when it is built.
  if (EqualsNoCase(name, "Content-Type")) pageContentType_ = true;
  if (headerLines_.empty()) headerLines_.reserve(kHeaderLinesRoom);
  // "Name: value" CRLF, copied in one step rather than four appends.
  const std::size_t at = headerLines_.size();
  headerLines_.resize(at + name.size() + value.size() + 4);
  char* p = headerLines_.data() + at;
  p = std::copy(name.begin(), name.end(), p);
  *p++ = ':';
  *p++ = ' ';
  p = std::copy(value.begin(), value.end(), p);
  *p++ = '\r';
  *p = '\n';
  return true;
}

bool ResponseWriter::SetContentType(std::string_view type) {
  if (headersSent_ || !IsFieldText(type)) return false;
  contentType_.assign(type);
  return true;
}

bool ResponseWriter::SetBuffered(bool buffered) {
  if (buffered == buffered_) return true;
  if (headersSent_ || !buffer_.empty()) return false;
  buffered_ = buffered;
  return true;
}

bool ResponseWriter::KeepAlive() const {
  return keepAlive_ && !failed_ && !lengthMismatch_ && framing_ != Framing::kClose &&
         !stream_.clock().WasCut();
}

Framing ResponseWriter::ChooseFraming(bool final) const {
  if (IsBodyless(statusCode_)) return Framing::kNone;
  if (pageLength_) return Framing::kLength;
  if (final) return Framing::kLength;
  return version_ >= 11 ? Framing::kChunked : Framing::kClose;
}

std::string ResponseWriter::HeaderBlock() const {
  std::string block;
  block.reserve(kHeaderBlockRoom + statusLine_.size() + contentType_.size() + headerLines_.size());
  block.append(version_ >= 11 ? "HTTP/1.1 " : "HTTP/1.0 ");
  block.append(statusLine_).append(kCrlf);
  block.append("Date: ").append(HttpDateView(std::time(nullptr))).append(kCrlf);
  block.append("Server: ").append(kServerName).append(kCrlf);
  if (!contentType_.empty() && !pageContentType_)
    block.append("Content-Type: ").append(contentType_).append(kCrlf);
  block.append(headerLines_);
  if (framing_ == Framing::kLength && !pageLength_)
    block.append("Content-Length: ").append(std::to_string(buffer_.size())).append(kCrlf);
  if (framing_ == Framing::kChunked) block.append("Transfer-Encoding: chunked\r\n");
  if (!keepAlive_ || framing_ == Framing::kClose)
    block.append("Connection: close\r\n");
  else if (version_ < 11)
    block.append("Connection: keep-alive\r\n");
  block.append(kCrlf);
  return block;
}

bool ResponseWriter::SendRaw(std::span<const boost::asio::const_buffer> pieces) {
  if (failed_) return false;
  boost::system::error_code ec;
  boost::asio::write(stream_, pieces, ec);
  if (ec) failed_ = true;
  return !failed_;
}

// final: the response ends with this send, so a buffered body's length is known.
std::string ResponseWriter::StartHeaders(bool final) {
  framing_ = ChooseFraming(final);
  headersSent_ = true;
  return HeaderBlock();
}

bool ResponseWriter::SendHeaders(bool final) {
  const std::string block = StartHeaders(final);
  return SendRaw(boost::asio::buffer(block));
}

// How many of n body bytes may go out: none for HEAD or a bodyless status,
// and never more than an announced Content-Length, whose surplus would
// corrupt the next response on the connection.
std::size_t ResponseWriter::BodyRoom(std::size_t n) {
  if (head_ || framing_ == Framing::kNone) return 0;
  if (framing_ == Framing::kLength && pageLength_) {
    const std::uint64_t room = *pageLength_ - std::min(*pageLength_, bodySent_);
    if (n > room) lengthMismatch_ = true;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, room));
  }
  return n;
}

// The header block, when given, goes out in the same write as the first
// body bytes: one system call and no lone small segment ahead of the body.
bool ResponseWriter::SendBody(const void* data, std::size_t n, std::string_view headers) {
  // At most: headers, chunk size, CRLF, data, CRLF; on the stack, not the heap.
  std::array<boost::asio::const_buffer, 5> pieces;
  std::size_t count = 0;
  if (!headers.empty()) pieces[count++] = boost::asio::buffer(headers.data(), headers.size());
  n = BodyRoom(n);
  char size[20];
  if (n > 0 && framing_ == Framing::kChunked) {
    const auto [end, ec] = std::to_chars(size, size + sizeof size - 2, n, 16);
    (void)ec;
    pieces[count++] = boost::asio::buffer(size, static_cast<std::size_t>(end - size));
    pieces[count++] = boost::asio::buffer(kCrlf.data(), kCrlf.size());
  }
  if (n > 0) pieces[count++] = boost::asio::buffer(data, n);
  if (n > 0 && framing_ == Framing::kChunked) {
    pieces[count++] = boost::asio::buffer(kCrlf.data(), kCrlf.size());
  }
  if (count == 0) return !failed_;
  if (!SendRaw(std::span(pieces.data(), count))) return false;
  bodySent_ += n;
  return true;
}

bool ResponseWriter::Write(const void* data, std::size_t n) {
  if (finished_ || failed_) return false;
  if (buffered_) {
    buffer_.append(static_cast<const char*>(data), n);
    return true;
  }
  if (headersSent_) return SendBody(data, n);
  const std::string block = StartHeaders(false);
  return SendBody(data, n, block);
}

// A file may be of any size, so it is never held in the buffer: what the
// page buffered goes out first (with the headers), then the file follows
// straight to the socket, and later writes are buffered again.
bool ResponseWriter::WriteFile(int fd, std::uint64_t offset, std::uint64_t length) {
  if (finished_ || failed_) return false;
  if (!headersSent_ && buffer_.empty() && pageLength_ > 0 && length > 0 && !head_) {
    if (!SendHeadersBeforeFile()) return false;
  } else if (buffered_ ? !Flush() : !headersSent_ && !SendHeaders(false)) {
    return false;
  }
  if (head_ || framing_ == Framing::kNone) return true;
  if (framing_ != Framing::kChunked) return SendFileRaw(fd, offset, length);
  std::string piece(kFilePiece, '\0');
  while (length > 0) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length, kFilePiece));
    const ssize_t got = ::pread(fd, piece.data(), want, static_cast<off_t>(offset));
    if (got < 0) return false;
    if (got == 0) return true;  // the file ended early; Finish checks the length
    if (!SendBody(piece.data(), static_cast<std::size_t>(got))) return false;
    offset += static_cast<std::uint64_t>(got);
    length -= static_cast<std::uint64_t>(got);
  }
  return true;
}

// Headers that only a file of announced length follows are held back by
// the kernel until the file's first bytes join them: one segment, not a
// small one of headers ahead of the body.
bool ResponseWriter::SendHeadersBeforeFile() {
  const std::string block = StartHeaders(false);
  if (framing_ != Framing::kLength) return SendRaw(boost::asio::buffer(block));
  std::string_view rest = block;
  while (!rest.empty()) {
    boost::system::error_code ec;
    const std::size_t n = stream_.write_some_more(boost::asio::buffer(rest), ec);
    if (ec) {
      failed_ = true;
      return false;
    }
    rest.remove_prefix(n);
  }
  return true;
}

// The body goes out unframed, so the kernel can copy file to socket itself.
// Each call sends what the socket takes, and progress is marked between.
bool ResponseWriter::SendFileRaw(int fd, std::uint64_t offset, std::uint64_t length) {
  if (pageLength_) {
    const std::uint64_t room = *pageLength_ - std::min(*pageLength_, bodySent_);
    if (length > room) lengthMismatch_ = true;
    length = std::min(length, room);
  }
  const int socketFd = stream_.socket().native_handle();
  // A file of more than one piece is held to full segments until its last
  // piece is handed over; a smaller one goes out as one call anyway.
  const bool hold = length > kSendFilePiece;
  if (hold) HoldPartialSegments(socketFd, true);
  const bool sentAll = SendFilePieces(socketFd, fd, offset, length);
  if (hold) HoldPartialSegments(socketFd, false);
  return sentAll;
}

bool ResponseWriter::SendFilePieces(int socketFd, int fd, std::uint64_t offset,
                                    std::uint64_t length) {
  while (length > 0) {
    const auto piece = std::min(length, kSendFilePiece);
    const auto sent = SendFilePiece(socketFd, fd, offset, piece);
    if (sent < 0) {
      failed_ = true;
      return false;
    }
    if (sent == 0) return true;  // the file ended early; Finish checks the length
    stream_.clock().Touch();
    const auto count = static_cast<std::uint64_t>(sent);
    bodySent_ += count;
    offset += count;
    length -= count;
  }
  return true;
}

bool ResponseWriter::Flush() {
  if (finished_ || failed_) return false;
  if (!buffered_) return true;
  const std::string block = headersSent_ ? std::string() : StartHeaders(false);
  const bool ok = SendBody(buffer_.data(), buffer_.size(), block);
  buffer_.clear();
  return ok;
}

bool ResponseWriter::Finish() {
  if (finished_) return !failed_;
  const std::string block = headersSent_ ? std::string() : StartHeaders(true);
  finished_ = true;
  SendBody(buffer_.data(), buffer_.size(), block);
  buffer_.clear();
  if (framing_ == Framing::kChunked && !head_)
    SendRaw(boost::asio::buffer(kLastChunk.data(), kLastChunk.size()));
  if (framing_ == Framing::kLength && pageLength_ && !head_ && bodySent_ != *pageLength_)
    lengthMismatch_ = true;
  return !failed_;
}

}  // namespace vant::host::http::detail
