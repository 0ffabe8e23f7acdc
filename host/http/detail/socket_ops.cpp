#include "host/http/detail/socket_ops.h"

#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <cerrno>

#include "host/http/socket_faults.h"

namespace vant::host::http::detail {

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
  auto position = static_cast<off_t>(offset);
  std::uint64_t sent = 0;
  while (sent < length) {
    const ssize_t n = ::sendfile(socketFd, fileFd, &position, length - sent);
    if (n < 0 && errno == EINTR) continue;
    // The I/O threads keep the socket non-blocking; a worker waits here.
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{socketFd, POLLOUT, 0};
      if (::poll(&p, 1, -1) < 0 && errno != EINTR) return -1;
      continue;
    }
    if (n < 0) return -1;
    if (n == 0) break;  // the file is shorter than expected
    sent += static_cast<std::uint64_t>(n);
  }
  return static_cast<std::int64_t>(sent);
}

}  // namespace vant::host::http::detail
