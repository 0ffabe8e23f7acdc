#include "host/http/listener_handover.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern char** environ;

namespace vant::host::http {
namespace {

int readyFd = -1;

int DescriptorFrom(const char* variable) {
  const char* text = std::getenv(variable);
  if (text == nullptr) return -1;
  const std::string_view view(text);
  int fd = -1;
  const auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), fd);
  ::unsetenv(variable);
  if (ec != std::errc{} || end != view.data() + view.size() || fd < 3) return -1;
  if (::fcntl(fd, F_GETFD) < 0) return -1;
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);  // not passed on to what the pages start
  return fd;
}

// The environment of the successor: ours, without the handover variables
// and the watchdog's process id, which names us (without it, the successor's
// keep-alives count for whichever process systemd takes as the main one).
std::vector<std::string> SuccessorEnvironment(int listenFd, int readyWrite) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with(kListenFdVariable) || text.starts_with(kReadyFdVariable) ||
        text.starts_with("WATCHDOG_PID=") || text.starts_with("LISTEN_"))
      continue;
    env.emplace_back(text);
  }
  env.push_back(std::string(kListenFdVariable) + "=" + std::to_string(listenFd));
  env.push_back(std::string(kReadyFdVariable) + "=" + std::to_string(readyWrite));
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) out.push_back(text.data());
  out.push_back(nullptr);
  return out;
}

void EndChild(pid_t pid) {
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

int InheritedListeningSocket() {
  readyFd = DescriptorFrom(kReadyFdVariable);
  if (const int fd = DescriptorFrom(kListenFdVariable); fd >= 0) return fd;
  if (sd_listen_fds(1) == 1) return SD_LISTEN_FDS_START;
  return -1;
}

void TellPredecessorReady() {
  if (readyFd < 0) return;
  const char ready = 'R';
  (void)!::write(readyFd, &ready, 1);
  ::close(readyFd);
  readyFd = -1;
}

Successor StartSuccessor(const std::string& program, const std::vector<std::string>& args,
                         int listenFd, std::chrono::milliseconds wait) {
  Successor out;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return out.error = std::strerror(errno), out;
  // Copies without close-on-exec are what the successor inherits.
  const int handed = ::fcntl(listenFd, F_DUPFD, 3);
  const int readyWrite = ::fcntl(pipeFds[1], F_DUPFD, 3);
  ::close(pipeFds[1]);
  std::vector<std::string> argTexts = args;
  std::vector<std::string> envTexts = SuccessorEnvironment(handed, readyWrite);
  std::vector<char*> argv = Pointers(argTexts);
  std::vector<char*> envp = Pointers(envTexts);
  // The signals this process takes with sigwait are blocked in it; the
  // successor starts with none blocked.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  int status = handed < 0 || readyWrite < 0 ? EMFILE
                                            : ::posix_spawn(&out.pid, program.c_str(), nullptr,
                                                            &attr, argv.data(), envp.data());
  posix_spawnattr_destroy(&attr);
  if (handed >= 0) ::close(handed);
  if (readyWrite >= 0) ::close(readyWrite);
  if (status != 0) {
    ::close(pipeFds[0]);
    out.pid = -1;
    return out.error = "cannot start " + program + ": " + std::strerror(status), out;
  }
  pollfd ready{pipeFds[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + wait;
  char byte = 0;
  bool serving = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    serving = polled == 1 && ::read(pipeFds[0], &byte, 1) == 1;
    break;
  }
  ::close(pipeFds[0]);
  if (serving) return out;
  EndChild(out.pid);
  out.error = "the new process (" + std::to_string(out.pid) + ") did not start serving";
  out.pid = -1;
  return out;
}

}  // namespace vant::host::http
