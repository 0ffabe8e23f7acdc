#include "host/http/socket_faults.h"

namespace vant::host::http {
namespace {

constexpr int kOff = -1;

fs::FaultCountdown g_bodyReads;
fs::FaultCountdown g_writes;
fs::FaultCountdown g_accepts;
fs::FaultCountdown g_headerReads;

struct Kind {
  const char* name;
  fs::FaultCountdown& countdown;
};
const Kind kKinds[] = {{"accept", g_accepts},
                       {"header-read", g_headerReads},
                       {"body-read", g_bodyReads},
                       {"socket-write", g_writes}};

}  // namespace

void SocketFaults::FailNthBodyRead(int n, int error) { g_bodyReads.Arm(n, error); }
void SocketFaults::FailNthWrite(int n, int error) { g_writes.Arm(n, error); }

void SocketFaults::Reset() {
  for (const Kind& kind : kKinds) kind.countdown.Arm(kOff, 0);
}

bool SocketFaults::Arm(const fs::FaultItem& item) {
  for (const Kind& kind : kKinds) {
    if (item.kind != kind.name) continue;
    kind.countdown.Arm(item.n, item.error, item.repeat);
    return true;
  }
  return false;
}

int SocketFaults::OnRead(bool inRequest) { return inRequest ? g_bodyReads.Consume() : 0; }
int SocketFaults::OnWrite() { return g_writes.Consume(); }
int SocketFaults::OnAccept() { return g_accepts.Consume(); }
int SocketFaults::OnHeaderRead() { return g_headerReads.Consume(); }

}  // namespace vant::host::http
