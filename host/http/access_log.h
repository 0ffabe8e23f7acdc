// One line per request in the combined log format, followed by the request
// time, how the request ended and whatever the page appended.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace vant::host::http {

// How a request ended, so a cut or cancelled upload is told from a
// completed one although its status may read 200.
enum class Outcome {
  kComplete,   // the body was read as far as the page wanted, the answer sent
  kCancelled,  // the client went away or broke off its body or our answer
  kCut,        // a deadline (idle, request) or the server's stop cut it
};

struct AccessRecord {
  std::time_t time = 0;
  std::string remote;  // the client (as a trusted proxy names it)
  std::string method;  // "-" when no request line was read
  std::string target;
  std::string protocol;  // "HTTP/1.1"
  int status = 0;
  std::uint64_t bytes = 0;    // response body bytes sent
  std::uint64_t bytesIn = 0;  // request body bytes read
  std::int64_t milliseconds = 0;
  std::string referer;
  std::string userAgent;
  Outcome outcome = Outcome::kComplete;
  std::string note;  // AppendToLog text
};

// "complete", "cancelled", "cut".
const char* OutcomeName(Outcome outcome);

// 10.0.0.7 - - [06/Nov/1994:08:49:37 +0000] "POST /up.asp HTTP/1.1" 200 120
// "http://site/form.asp" "Mozilla/5.0" 0.042 cancelled "note"
// Quotes, backslashes and control bytes inside the quoted fields are written
// as \xHH, so a line stays one line and its fields stay apart.
std::string FormatAccessLine(const AccessRecord& record);

class AccessLog {
 public:
  // Writes to stderr.
  AccessLog();
  // Appends to path; falls back to stderr (and says so) when it cannot open.
  explicit AccessLog(const std::string& path);
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  void Write(const AccessRecord& record);

  // True while the log goes to /dev/null: callers need not gather what
  // only a line would show, and Write does nothing.
  bool Discards() const { return discards_.load(std::memory_order_relaxed); }

  // Goes on in the file now at path (empty: stderr), after a rotation moved
  // the old one away. False, and the log stays where it was, when the file
  // cannot be opened.
  bool Reopen(const std::string& path);

 private:
  std::mutex mutex_;
  std::FILE* file_;
  bool owned_ = false;
  std::atomic<bool> discards_{false};
};

}  // namespace vant::host::http
