#include "platform/net/clamd_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace vant::net {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = ClamdVerdict::Kind;

// The "z" form of the command: clamd ends its answer with a NUL.
constexpr char kCommand[] = "zINSTREAM";
// Longer answers are not clamd's: a signature name is far shorter.
constexpr std::size_t kMaxAnswer = 1024;
constexpr std::chrono::milliseconds kBacklogRetry{10};

int OpenSocket(int family) {
  return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

}  // namespace

bool ParseClamdAddress(std::string_view text, ClamdAddress& out) {
  if (text.starts_with("unix:")) {
    const std::string_view path = text.substr(5);
    if (path.empty() || path.size() >= sizeof(sockaddr_un::sun_path)) return false;
    out = ClamdAddress{true, std::string(path), {}, 0};
    return true;
  }
  if (!text.starts_with("tcp:")) return false;
  const std::string_view rest = text.substr(4);
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  std::string_view host = rest.substr(0, colon);
  const std::string_view portText = rest.substr(colon + 1);
  unsigned port = 0;
  const auto [stop, error] =
      std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (portText.empty() || error != std::errc() || stop != portText.data() + portText.size() ||
      port == 0 || port > 65535) {
    return false;
  }
  if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
  if (host.empty()) return false;
  out = ClamdAddress{false, {}, std::string(host), static_cast<std::uint16_t>(port)};
  return true;
}

ClamdStream::ClamdStream(const ClamdAddress& address, std::chrono::milliseconds budget,
                         std::uint64_t maxStream)
    : budget_(budget), maxStream_(maxStream) {
  if (!Connect(address)) return;
  if (!WriteAll(kCommand, sizeof kCommand)) Fail(Kind::kFailed, "the command could not be sent");
}

ClamdStream::~ClamdStream() {
  if (fd_ >= 0) ::close(fd_);
}

void ClamdStream::Fail(Kind kind, std::string why) {
  if (failed_) return;
  failed_ = true;
  failure_.kind = kind;
  failure_.text = std::move(why);
}

// Waits until the socket is ready for `events`, charging the wait to the
// budget. False when the budget is spent.
bool ClamdStream::WaitFor(short events) {
  pollfd entry{fd_, events, 0};
  for (;;) {
    if (budget_.count() <= 0) {
      Fail(Kind::kTimeout, "clamd did not answer in time");
      return false;
    }
    const Clock::time_point start = Clock::now();
    const int ready = ::poll(&entry, 1, static_cast<int>(budget_.count()));
    budget_ -= std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      Fail(Kind::kFailed, std::string("poll: ") + std::strerror(errno));
      return false;
    }
    if (ready == 0) budget_ = std::chrono::milliseconds(0);
  }
}

bool ClamdStream::Connect(const ClamdAddress& address) {
  auto tryOne = [&](const sockaddr* where, socklen_t length, int family) {
    fd_ = OpenSocket(family);
    if (fd_ < 0) return false;
    int rc = 0;
    // A unix socket whose backlog is full answers EAGAIN instead of waiting.
    while ((rc = ::connect(fd_, where, length)) != 0 && errno == EAGAIN &&
           budget_ > kBacklogRetry) {
      ::poll(nullptr, 0, static_cast<int>(kBacklogRetry.count()));
      budget_ -= kBacklogRetry;
    }
    if (rc == 0) return true;
    if (errno == EINPROGRESS && WaitFor(POLLOUT)) {
      int error = 0;
      socklen_t size = sizeof error;
      if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) return true;
      errno = error;
    }
    ::close(fd_);
    fd_ = -1;
    return false;
  };
  std::string target;
  if (address.isUnix) {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, address.path.data(), address.path.size());
    if (tryOne(reinterpret_cast<const sockaddr*>(&where), sizeof where, AF_UNIX)) return true;
    target = address.path;
  } else {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found) == 0) {
      for (const addrinfo* a = found; a != nullptr && !failed_; a = a->ai_next) {
        if (tryOne(a->ai_addr, a->ai_addrlen, a->ai_family)) {
          ::freeaddrinfo(found);
          return true;
        }
      }
      ::freeaddrinfo(found);
    }
    target = address.host + ":" + port;
  }
  Fail(Kind::kUnreachable, "cannot connect to clamd at " + target + ": " + std::strerror(errno));
  return false;
}

bool ClamdStream::WriteAll(const void* data, std::size_t size) {
  const auto* next = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t written = ::send(fd_, next, size, MSG_NOSIGNAL);
    if (written > 0) {
      next += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(POLLOUT)) return false;
      continue;
    }
    // clamd closes the stream when it refuses it; its answer says why.
    const ClamdVerdict answer = ReadAnswer();
    Fail(Kind::kFailed, answer.text.empty() ? "clamd closed the connection" : answer.text);
    return false;
  }
  return true;
}

void ClamdStream::Send(const std::uint8_t* data, std::size_t size) {
  if (failed_ || size == 0) return;
  if (size > maxStream_ - sent_) {
    Fail(Kind::kTooLarge,
         "the file is larger than the stream limit of " + std::to_string(maxStream_) + " bytes");
    return;
  }
  const std::uint32_t length = htonl(static_cast<std::uint32_t>(size));
  if (WriteAll(&length, sizeof length) && WriteAll(data, size)) sent_ += size;
}

// Reads clamd's answer up to its NUL or the end of the connection.
ClamdVerdict ClamdStream::ReadAnswer() {
  std::string answer;
  char buffer[256];
  while (answer.size() < kMaxAnswer) {
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got > 0) {
      answer.append(buffer, static_cast<std::size_t>(got));
      if (answer.find('\0') != std::string::npos) break;
      continue;
    }
    if (got == 0) break;
    if (errno == EINTR) continue;
    if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitFor(POLLIN)) break;
  }
  if (const std::size_t end = answer.find_first_of(std::string_view("\0\n", 2));
      end != std::string::npos) {
    answer.resize(end);
  }
  ClamdVerdict verdict;
  verdict.text = answer;
  // "stream: OK", "stream: NAME FOUND", or "... ERROR".
  constexpr std::string_view kPrefix = "stream: ";
  std::string_view rest = answer;
  if (rest.starts_with(kPrefix)) rest.remove_prefix(kPrefix.size());
  if (rest == "OK") {
    verdict.kind = Kind::kClean;
  } else if (rest.ends_with(" FOUND") && rest.size() > 6) {
    verdict.kind = Kind::kFound;
    verdict.text = std::string(rest.substr(0, rest.size() - 6));
  }
  return verdict;
}

ClamdVerdict ClamdStream::Finish() {
  if (!failed_) {
    constexpr std::uint8_t kEnd[4] = {0, 0, 0, 0};
    if (WriteAll(kEnd, sizeof kEnd)) {
      ClamdVerdict answer = ReadAnswer();
      if (!answer.failed())
        failure_ = std::move(answer);
      else if (!failed_)
        Fail(Kind::kFailed, answer.text.empty() ? "no answer from clamd" : answer.text);
    }
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return failure_;
}

void LogScanProblem(std::string_view text) {
  std::string line = "vant-host: virus scan: ";
  // Names sent by browsers end up here: no control character may forge a line.
  for (const char c : text) line += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  line += '\n';
  // One write, so lines of concurrent uploads never interleave.
  (void)!::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace vant::net
