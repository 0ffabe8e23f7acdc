// One line per request: time, client, method, target, status, body bytes,
// milliseconds, and whatever the page appended.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace vant::host::http {

struct AccessRecord {
  std::time_t time = 0;
  std::string remote;
  std::string method;
  std::string target;
  int status = 0;
  std::uint64_t bytes = 0;
  std::int64_t milliseconds = 0;
  std::string note;  // AppendToLog text
};

// "2024-05-01T12:00:00Z 127.0.0.1 GET /a.asp?x=1 200 512 3ms note". Control
// bytes in the target or note are written as '?', so a line stays one line.
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

  // Goes on in the file now at path (empty: stderr), after a rotation moved
  // the old one away. False, and the log stays where it was, when the file
  // cannot be opened.
  bool Reopen(const std::string& path);

 private:
  std::mutex mutex_;
  std::FILE* file_;
  bool owned_ = false;
};

}  // namespace vant::host::http
