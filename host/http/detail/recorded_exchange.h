// An Exchange that records the response instead of sending it, so the I/O
// threads can answer a request for a file of the site without a worker:
// the static-file code decides status, headers and the file range here,
// and the connection then sends them asynchronously.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/http/exchange.h"

namespace vant::host::http::detail {

class RecordedExchange final : public Exchange {
 public:
  // The request carries no body. keepAlive: the connection may stay open.
  RecordedExchange(RequestHead head, bool keepAlive);
  ~RecordedExchange() override;
  RecordedExchange(const RecordedExchange&) = delete;
  RecordedExchange& operator=(const RecordedExchange&) = delete;

  const RequestHead& Request() const override { return head_; }
  std::uint64_t TotalBytes() const override { return 0; }
  bool BodyIsChunked() const override { return false; }
  std::size_t ReadBody(std::uint8_t*, std::size_t) override { return 0; }
  bool BodyFailed() const override { return false; }
  bool IsClientConnected() const override { return true; }
  bool SetStatus(std::string_view statusLine) override;
  bool AddHeader(std::string_view name, std::string_view value) override;
  bool SetContentType(std::string_view type) override;
  bool SetBuffered(bool) override { return true; }
  bool IsBuffered() const override { return true; }
  bool Write(const void* data, std::size_t n) override;
  using Exchange::Write;
  // Keeps a duplicate of fd; the range is sent after the header block.
  bool WriteFile(int fd, std::uint64_t offset, std::uint64_t length) override;
  bool Flush() override { return true; }
  void Clear() override { body_.clear(); }
  bool Finish() override { return true; }
  bool HeadersSent() const override { return false; }
  void AppendToLog(std::string_view text) override { logNote_.append(text); }

  // What goes on the wire: the header block and the buffered body (empty
  // for HEAD and bodyless statuses), then the file range, if any.
  std::string HeaderAndBody() const;
  bool HasFile() const { return file_ >= 0 && !isHead_ && !Bodyless(); }
  int File() const { return file_; }
  std::uint64_t FileOffset() const { return fileOffset_; }
  std::uint64_t FileLength() const { return fileLength_; }
  bool KeepAlive() const { return keepAlive_; }
  int StatusCode() const { return statusCode_; }
  std::uint64_t BodyBytes() const { return isHead_ || Bodyless() ? 0 : body_.size(); }
  const std::string& LogNote() const { return logNote_; }

 private:
  bool Bodyless() const;

  RequestHead head_;
  bool keepAlive_;
  bool isHead_ = false;  // a HEAD request
  std::string statusLine_ = "200 OK";
  int statusCode_ = 200;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::string contentType_ = "text/html";
  bool pageLength_ = false;
  std::string body_;
  int file_ = -1;
  std::uint64_t fileOffset_ = 0;
  std::uint64_t fileLength_ = 0;
  std::string logNote_;
};

}  // namespace vant::host::http::detail
