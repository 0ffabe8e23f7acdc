// Graceful restart: the serving process starts its successor with a copy of
// the listening socket, waits until the successor says it serves, and then
// only finishes the requests it has running. Both accept from the same
// socket meanwhile, so no connection is refused and no upload is cut.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vant::host::http {

// The variables a successor finds the socket and its predecessor's pipe in.
inline constexpr const char* kListenFdVariable = "VANT_LISTEN_FD";
inline constexpr const char* kReadyFdVariable = "VANT_READY_FD";

// The listening socket this process was handed: by its predecessor, or by
// systemd's socket activation (one socket). -1 when there is none. Call once,
// before any thread starts; it clears the variables.
int InheritedListeningSocket();

// Tells the predecessor, if any, that this process now accepts connections.
void TellPredecessorReady();

struct Successor {
  pid_t pid = -1;
  std::string error;  // empty when the successor serves
};

// Starts program with args (args[0] included) and the current environment,
// handing it listenFd, and waits up to `wait` until it serves. When it fails
// to start or to say so in time, it is ended and the error tells why.
Successor StartSuccessor(const std::string& program, const std::vector<std::string>& args,
                         int listenFd, std::chrono::milliseconds wait);

}  // namespace vant::host::http
