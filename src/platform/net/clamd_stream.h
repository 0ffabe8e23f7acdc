// A client for clamd's INSTREAM command: one connection per file, the file's
// bytes sent as they arrive in length-prefixed chunks, then the verdict.
// Nothing is buffered here beyond the chunk being sent, and every wait on
// the daemon draws on one time budget per file, so a stalled or vanished
// daemon costs a bounded delay and never an error of the caller.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vant::net {

// Where clamd listens: "unix:PATH" or "tcp:HOST:PORT".
struct ClamdAddress {
  bool isUnix = true;
  std::string path;  // unix socket path
  std::string host;  // TCP host name or address
  std::uint16_t port = 0;
};

// Parses "unix:PATH" (PATH not empty) or "tcp:HOST:PORT" (PORT 1..65535;
// "[::1]:3310" for IPv6). False, leaving `out` alone, for anything else.
bool ParseClamdAddress(std::string_view text, ClamdAddress& out);

// The end of one stream.
struct ClamdVerdict {
  enum class Kind {
    kClean,        // clamd answered OK
    kFound,        // clamd found a signature; `text` is its name
    kUnreachable,  // no connection could be made
    kTimeout,      // the time budget ran out waiting for clamd
    kTooLarge,     // the file is larger than the stream limit
    kFailed,       // clamd answered with an error or broke off; `text` says why
  };
  Kind kind = Kind::kFailed;
  std::string text;
  bool failed() const { return kind != Kind::kClean && kind != Kind::kFound; }
};

class ClamdStream {
 public:
  // Connects and starts INSTREAM. A failure is kept and answered by Finish.
  ClamdStream(const ClamdAddress& address, std::chrono::milliseconds budget,
              std::uint64_t maxStream);
  ~ClamdStream();
  ClamdStream(const ClamdStream&) = delete;
  ClamdStream& operator=(const ClamdStream&) = delete;

  // Sends `size` bytes as the next chunk. Does nothing once the stream has
  // failed or has passed the stream limit.
  void Send(const std::uint8_t* data, std::size_t size);

  // Ends the stream and waits for clamd's answer; closes the connection.
  ClamdVerdict Finish();

 private:
  bool Connect(const ClamdAddress& address);
  bool WriteAll(const void* data, std::size_t size);
  bool WaitFor(short events);
  void Fail(ClamdVerdict::Kind kind, std::string why);
  ClamdVerdict ReadAnswer();

  int fd_ = -1;
  std::chrono::milliseconds budget_;
  const std::uint64_t maxStream_;
  std::uint64_t sent_ = 0;
  bool failed_ = false;
  ClamdVerdict failure_;
};

// Writes one line to the host's log (standard error): why a scan failed.
void LogScanProblem(std::string_view text);

}  // namespace vant::net
