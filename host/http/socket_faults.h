// Test switch that makes the Nth accepted connection, request header, socket
// read of a request body, or socket write fail as if the client had reset
// or closed the connection (or the process had run out of descriptors).
#pragma once

#include "platform/fs/fault_injection.h"

namespace vant::host::http {

// Process-wide countdowns, off by default, counting from 0 like the file
// layer's FaultInjection and switching themselves off after their fault.
// Thread-safe. The server only consults them.
class SocketFaults {
 public:
  // Socket reads made while a request is open (its body, or the drain of an
  // unread body); header reads between requests do not count.
  static void FailNthBodyRead(int n, int error);
  // Socket writes: response headers and body, "100 Continue", sendfile.
  static void FailNthWrite(int n, int error);
  static void Reset();

  // Arms the countdown of a socket kind of a fault plan ("accept",
  // "header-read", "body-read", "socket-write"); false, arming nothing, for
  // any other kind.
  static bool Arm(const fs::FaultItem& item);

  // Called by the socket layer: 0 to go ahead, else the errno to fail with.
  // inRequest: the read belongs to an open request (else it never fails).
  static int OnRead(bool inRequest);
  static int OnWrite();
  // An accepted connection: a failed one is dropped as if accept() had
  // failed (descriptor errors make the server pause accepting).
  static int OnAccept();
  // A request header that has arrived: a failed one is treated as if its
  // read had failed.
  static int OnHeaderRead();
};

}  // namespace vant::host::http
