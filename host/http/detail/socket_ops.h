// The few socket calls asio does not offer in blocking form.
#pragma once

#include <cstdint>

namespace vant::host::http::detail {

// True while the peer has neither closed nor reset the connection. Bytes
// waiting to be read (an unread body) count as connected; an orderly close
// with nothing left to read, a reset or a hang-up count as gone.
bool PeerConnected(int fd);

// Sends as much of length bytes of file fd from offset as the socket takes
// in one go (waiting while it is full). Returns the count sent, 0 only at
// end of file, or -1 on a socket or file error; the caller loops.
// The kernel copies the bytes (sendfile) unless that is switched off or the
// file cannot be sent that way; then they go through a buffer with pread
// and send.
std::int64_t SendFilePiece(int socketFd, int fileFd, std::uint64_t offset, std::uint64_t length);

// While held (TCP_CORK), the kernel sends only full segments: a long file
// sent in many calls then leaves no short segment behind each call, which
// the receiver would otherwise handle one by one. Letting go sends what is
// left at once. Best effort: a socket that refuses is merely slower.
void HoldPartialSegments(int socketFd, bool hold);

// Process-wide: whether SendFilePiece may use sendfile (on by default). The
// host sets it once at start from --sendfile.
void UseSendFile(bool on);

}  // namespace vant::host::http::detail
