#include "host/http/socket_faults.h"

namespace vant::host::http {
namespace {

constexpr int kOff = -1;

fs::FaultCountdown g_bodyReads;
fs::FaultCountdown g_writes;

}  // namespace

void SocketFaults::FailNthBodyRead(int n, int error) { g_bodyReads.Arm(n, error); }
void SocketFaults::FailNthWrite(int n, int error) { g_writes.Arm(n, error); }

void SocketFaults::Reset() {
  g_bodyReads.Arm(kOff, 0);
  g_writes.Arm(kOff, 0);
}

bool SocketFaults::Arm(const fs::FaultItem& item) {
  if (item.kind == "body-read") {
    g_bodyReads.Arm(item.n, item.error, item.repeat);
    return true;
  }
  if (item.kind == "socket-write") {
    g_writes.Arm(item.n, item.error, item.repeat);
    return true;
  }
  return false;
}

int SocketFaults::OnRead(bool inRequest) { return inRequest ? g_bodyReads.Consume() : 0; }
int SocketFaults::OnWrite() { return g_writes.Consume(); }

}  // namespace vant::host::http
