#include "host/http/detail/socket_ops.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "host/http/socket_faults.h"

namespace vant::host::http::detail {

namespace {

std::atomic<bool> g_useSendFile{true};
constexpr std::size_t kCopyBuffer = 64 * 1024;

// The I/O threads keep the socket non-blocking; a worker waits here until
// it takes bytes again. False on a poll failure.
bool WaitWritable(int socketFd) {
  pollfd p{socketFd, POLLOUT, 0};
  return ::poll(&p, 1, -1) >= 0 || errno == EINTR;
}

// Sends all of data, waiting while the socket is full; false on an error.
bool SendAll(int socketFd, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t sent = ::send(socketFd, data, n, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitWritable(socketFd)) return false;
      continue;
    }
    if (sent <= 0) return false;
    data += sent;
    n -= static_cast<std::size_t>(sent);
  }
  return true;
}

// The read/write way: the bytes pass through a buffer of this thread.
std::int64_t CopyFilePiece(int socketFd, int fileFd, std::uint64_t offset, std::uint64_t length) {
  char buffer[kCopyBuffer];
  std::uint64_t sent = 0;
  while (sent < length) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - sent, kCopyBuffer));
    const ssize_t got = ::pread(fileFd, buffer, want, static_cast<off_t>(offset + sent));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;  // the file is shorter than expected
    if (!SendAll(socketFd, buffer, static_cast<std::size_t>(got))) return -1;
    sent += static_cast<std::uint64_t>(got);
  }
  return static_cast<std::int64_t>(sent);
}

}  // namespace

void HoldPartialSegments(int socketFd, bool hold) {
  const int value = hold ? 1 : 0;
  ::setsockopt(socketFd, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

void UseSendFile(bool on) { g_useSendFile.store(on, std::memory_order_relaxed); }

bool PeerConnected(int fd) {
  pollfd p{fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
  if (::poll(&p, 1, 0) < 0) return errno == EINTR;
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
  if (!(p.revents & (POLLIN | POLLRDHUP))) return true;
  char c;
  const ssize_t n = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return true;
  if (n == 0) return false;
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

std::int64_t SendFilePiece(int socketFd, int fileFd, std::uint64_t offset, std::uint64_t length) {
  if (const int injected = SocketFaults::OnWrite()) {
    errno = injected;
    return -1;
  }
  const std::uint64_t buffered = std::min<std::uint64_t>(length, kCopyBuffer);
  if (!g_useSendFile.load(std::memory_order_relaxed)) {
    return CopyFilePiece(socketFd, fileFd, offset, buffered);
  }
  // One call usually takes all of a small file; a large one goes in what
  // the socket's buffer holds each time.
  auto position = static_cast<off_t>(offset);
  for (;;) {
    const ssize_t n = ::sendfile(socketFd, fileFd, &position, length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitWritable(socketFd)) return -1;
      continue;
    }
    // A file the kernel cannot send from (a pipe, some file systems) goes
    // the read/write way; the socket and the offset are still untouched.
    if (n < 0 && (errno == EINVAL || errno == ENOSYS)) {
      return CopyFilePiece(socketFd, fileFd, offset, buffered);
    }
    return n < 0 ? -1 : static_cast<std::int64_t>(n);  // 0: the file is shorter than expected
  }
}

}  // namespace vant::host::http::detail
