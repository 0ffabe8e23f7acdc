#include "host/http/detail/recorded_exchange.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <ctime>

#include "host/http/http_date.h"
#include "platform/sys/ascii.h"

namespace vant::host::http::detail {

using sys::EqualsNoCase;

RecordedExchange::RecordedExchange(RequestHead head, bool keepAlive)
    : head_(std::move(head)), keepAlive_(keepAlive), isHead_(head_.method == "HEAD") {}

RecordedExchange::~RecordedExchange() {
  if (file_ >= 0) ::close(file_);
}

bool RecordedExchange::SetStatus(std::string_view line) {
  int code = 0;
  const auto [ptr, ec] =
      std::from_chars(line.data(), line.data() + std::min<std::size_t>(3, line.size()), code);
  if (ec != std::errc{} || ptr != line.data() + 3 || code < 200 || !IsFieldText(line)) return false;
  statusLine_ = std::string(line);
  statusCode_ = code;
  return true;
}

// Only the server's own static-file code calls this, with headers it made.
bool RecordedExchange::AddHeader(std::string_view name, std::string_view value) {
  if (!IsFieldText(name) || !IsFieldText(value)) return false;
  if (EqualsNoCase(name, "Content-Length")) pageLength_ = true;
  headers_.emplace_back(name, value);
  return true;
}

bool RecordedExchange::SetContentType(std::string_view type) {
  if (!IsFieldText(type)) return false;
  contentType_ = std::string(type);
  return true;
}

bool RecordedExchange::Write(const void* data, std::size_t n) {
  body_.append(static_cast<const char*>(data), n);
  return true;
}

bool RecordedExchange::WriteFile(int fd, std::uint64_t offset, std::uint64_t length) {
  if (file_ >= 0) return false;
  file_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  fileOffset_ = offset;
  fileLength_ = length;
  return file_ >= 0;
}

bool RecordedExchange::Bodyless() const { return statusCode_ == 204 || statusCode_ == 304; }

std::string RecordedExchange::HeaderAndBody() const {
  constexpr std::string_view kCrlf = "\r\n";
  std::string block = head_.version >= 11 ? "HTTP/1.1 " : "HTTP/1.0 ";
  block.append(statusLine_).append(kCrlf);
  block.append("Date: ").append(FormatHttpDate(std::time(nullptr))).append(kCrlf);
  block.append("Server: vant-host").append(kCrlf);
  bool typed = false;
  for (const auto& [name, value] : headers_) typed = typed || EqualsNoCase(name, "Content-Type");
  if (!contentType_.empty() && !typed)
    block.append("Content-Type: ").append(contentType_).append(kCrlf);
  for (const auto& [name, value] : headers_)
    block.append(name).append(": ").append(value).append(kCrlf);
  if (!pageLength_ && !Bodyless())
    block.append("Content-Length: ").append(std::to_string(body_.size())).append(kCrlf);
  if (!keepAlive_)
    block.append("Connection: close\r\n");
  else if (head_.version < 11)
    block.append("Connection: keep-alive\r\n");
  block.append(kCrlf);
  if (!isHead_ && !Bodyless()) block.append(body_);
  return block;
}

}  // namespace vant::host::http::detail
