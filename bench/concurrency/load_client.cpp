// Load client of the concurrency benchmark: one thread, one epoll set, so
// that what it measures is the server and not the client's own event loop.
// Bounded in connections and time, aimed only at 127.0.0.1. Prints one JSON
// line of figures (milliseconds).
//
//   load_client hold N URL HOLD_S
//     N connections at once, each sends one GET and keeps the connection
//     open; first-response latency per connection, from its connect() to
//     the last byte of its response. Prints once every connection was
//     answered or failed (or 30 s passed), then holds them HOLD_S seconds.
//   load_client poll URL   (LOAD_CLIENT_TRACE=1: each poll on stderr)
//     Fetches URL every 100 ms on one kept-alive connection until SIGTERM.
//   load_client uploads N RATE FILE URL POLL_URL
//     N multipart uploads of FILE at once, each sent at RATE bytes/s, while
//     a child process polls POLL_URL until the last upload is answered.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kAnswerLimit = std::chrono::seconds(30);
constexpr auto kUploadLimit = std::chrono::seconds(600);
constexpr unsigned kMaxClients = 20000;
constexpr auto kPollEvery = std::chrono::milliseconds(100);

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "load_client: %s\n", why.c_str());
  std::exit(2);
}

struct Target {
  std::uint16_t port = 0;
  std::string path;
};

Target Parse(const std::string& url) {
  const std::string prefix = "http://127.0.0.1:";
  if (url.rfind(prefix, 0) != 0) Die("loopback only: " + url);
  const auto slash = url.find('/', prefix.size());
  Target t;
  t.port = static_cast<std::uint16_t>(std::stoi(url.substr(prefix.size(), slash - prefix.size())));
  t.path = slash == std::string::npos ? "/" : url.substr(slash);
  return t;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Summary(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  auto pick = [&](double p) -> std::string {
    if (ms.empty()) return "null";
    const auto i = static_cast<std::size_t>(std::ceil(p / 100 * ms.size())) - 1;
    char out[32];
    std::snprintf(out, sizeof out, "%.1f", ms[std::min(i, ms.size() - 1)]);
    return out;
  };
  return "\"count\":" + std::to_string(ms.size()) + ",\"p50\":" + pick(50) +
         ",\"p99\":" + pick(99) + ",\"max\":" + pick(100);
}

int Connect(std::uint16_t port, bool nonBlocking) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
  if (fd < 0) return -1;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True once `got` holds a whole response: the header and a body framed by
// Content-Length or chunked encoding (or none at all).
bool Complete(const std::string& got, int* status) {
  const auto end = got.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  if (status) *status = got.size() > 12 ? std::atoi(got.c_str() + 9) : 0;
  std::string head = got.substr(0, end);
  std::transform(head.begin(), head.end(), head.begin(), ::tolower);
  if (const auto cl = head.find("\ncontent-length:"); cl != std::string::npos)
    return got.size() >= end + 4 + std::strtoull(head.c_str() + cl + 16, nullptr, 10);
  if (head.find("chunked") != std::string::npos)
    return got.size() >= end + 9 && got.compare(got.size() - 5, 5, "0\r\n\r\n") == 0;
  return true;
}

std::string Get(const Target& t) {
  return "GET " + t.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

void RaiseDescriptors() {
  rlimit r{};
  if (::getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < r.rlim_max) {
    r.rlim_cur = r.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &r);
  }
}

// ------------------------------------------------------------------- hold
struct Held {
  int fd = -1;
  Clock::time_point start;
  std::string got;
  bool sent = false;
  bool done = false;
};

int Hold(unsigned n, const Target& t, int holdSeconds) {
  const std::string request = Get(t);
  std::vector<Held> c(n);
  const int ep = ::epoll_create1(0);
  unsigned settled = 0, failed = 0;
  std::vector<double> ms;
  auto fail = [&](Held& h) {
    if (h.done) return;
    h.done = true;
    ++failed;
    ++settled;
    ::epoll_ctl(ep, EPOLL_CTL_DEL, h.fd, nullptr);
  };
  // Sends the request once the connection is up; false while it is not.
  auto send = [&](Held& h) {
    const ssize_t w = ::send(h.fd, request.data(), request.size(), MSG_NOSIGNAL);
    if (w < 0 && (errno == EAGAIN || errno == ENOTCONN || errno == EINPROGRESS)) return false;
    h.sent = true;
    if (w != ssize_t(request.size())) fail(h);
    return true;
  };
  std::vector<epoll_event> events(512);
  char buf[16384];
  // Handles what is ready, waiting up to timeoutMs for it.
  auto serve = [&](int timeoutMs) {
    const int k = ::epoll_wait(ep, events.data(), int(events.size()), timeoutMs);
    for (int j = 0; j < k; ++j) {
      Held& h = c[events[j].data.u32];
      if (h.done) continue;
      if (!h.sent && (events[j].events & EPOLLOUT) && send(h)) {
        epoll_event e{EPOLLIN | EPOLLRDHUP, {.u32 = events[j].data.u32}};
        ::epoll_ctl(ep, EPOLL_CTL_MOD, h.fd, &e);
      }
      if (h.done || !(events[j].events & (EPOLLIN | EPOLLERR | EPOLLHUP | EPOLLRDHUP))) continue;
      const ssize_t got = ::recv(h.fd, buf, sizeof buf, 0);
      if (got <= 0) {
        if (got < 0 && errno == EAGAIN) continue;
        fail(h);
        continue;
      }
      h.got.append(buf, size_t(got));
      if (Complete(h.got, nullptr)) {
        ms.push_back(Ms(Clock::now() - h.start));
        h.done = true;
        ++settled;
        ::epoll_ctl(ep, EPOLL_CTL_DEL, h.fd, nullptr);
      }
    }
  };
  // Answers that arrive while later connections are still being opened are
  // read at once, so no connection waits for the client's own loop.
  for (unsigned i = 0; i < n; ++i) {
    c[i].start = Clock::now();
    c[i].fd = Connect(t.port, true);
    if (c[i].fd < 0) {
      c[i].done = true, ++failed, ++settled;
      continue;
    }
    const bool up = send(c[i]);
    epoll_event e{EPOLLIN | EPOLLRDHUP | (up ? 0u : EPOLLOUT), {.u32 = i}};
    ::epoll_ctl(ep, EPOLL_CTL_ADD, c[i].fd, &e);
    serve(0);
  }
  const auto deadline = Clock::now() + kAnswerLimit;
  while (settled < n && Clock::now() < deadline) serve(100);
  std::printf("{\"clients\":%u,\"answered\":%zu,\"failed\":%u,%s}\n", n, ms.size(), failed,
              Summary(ms).c_str());
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(holdSeconds));
  for (auto& h : c)
    if (h.fd >= 0) ::close(h.fd);
  return 0;
}

// ------------------------------------------------------------------- poll
volatile std::sig_atomic_t stopPolling = 0;

// One GET on the blocking socket fd; its latency, or a negative number when
// the answer is not a 200 or the connection failed.
double FetchOnce(int fd, const std::string& request) {
  const auto start = Clock::now();
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
    return -1;
  std::string got;
  char buf[8192];
  int status = 0;
  while (!Complete(got, &status)) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return -1;
    got.append(buf, size_t(n));
  }
  return status == 200 ? Ms(Clock::now() - start) : -1;
}

int Poll(const Target& t) {
  struct sigaction sa {};
  sa.sa_handler = [](int) { stopPolling = 1; };
  ::sigaction(SIGTERM, &sa, nullptr);
  const std::string request = Get(t);
  std::vector<double> ms;
  unsigned failures = 0;
  int fd = -1;
  const bool trace = std::getenv("LOAD_CLIENT_TRACE") != nullptr;  // each poll on stderr
  const auto begin = Clock::now();
  while (!stopPolling) {
    const auto started = Clock::now();
    if (fd < 0) fd = Connect(t.port, false);
    const double one = fd < 0 ? -1 : FetchOnce(fd, request);
    if (one < 0) {
      ++failures;
      if (fd >= 0) ::close(fd);
      fd = -1;
    } else {
      ms.push_back(one);
    }
    if (trace) std::fprintf(stderr, "poll %.0f %.1f\n", Ms(started - begin), one);
    std::this_thread::sleep_until(started + kPollEvery);
  }
  std::printf("{\"pollFailures\":%u,%s}\n", failures, Summary(ms).c_str());
  return 0;
}

// ---------------------------------------------------------------- uploads
struct Upload {
  int fd = -1;
  std::size_t sent = 0;     // body bytes written
  std::size_t allowed = 0;  // bytes the rate allows so far
  Clock::time_point tick;   // when the rate allows the next piece
  std::string got;
  int status = 0;
  bool done = false;
};

int Uploads(unsigned n, std::size_t rate, const std::string& file, const Target& t,
            const std::string& pollUrl) {
  std::ifstream in(file, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), {});
  if (!in && data.empty()) Die("cannot read " + file);
  const std::string boundary = "----benchboundary7d2f";
  std::string body = "--" + boundary +
                     "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"@\"\r\n"
                     "Content-Type: application/octet-stream\r\n\r\n" +
                     data + "\r\n--" + boundary + "--\r\n";
  const auto at = body.find('@');
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) Die("pipe");
  const pid_t poller = ::fork();
  if (poller == 0) {
    ::dup2(pipeFds[1], 1);
    ::execl("/proc/self/exe", "load_client", "poll", pollUrl.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(pipeFds[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the poller is up first

  std::vector<Upload> u(n);
  std::vector<std::string> bodies(n);
  for (unsigned i = 0; i < n; ++i) {
    bodies[i] = body;
    bodies[i].replace(at, 1, "u" + std::to_string(i) + ".bin");
    bodies[i] = "POST " + t.path +
                " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                "Content-Type: multipart/form-data; boundary=" +
                boundary + "\r\nContent-Length: " + std::to_string(bodies[i].size()) + "\r\n\r\n" +
                bodies[i];
    u[i].fd = Connect(t.port, true);
    if (u[i].fd < 0) u[i].done = true;
  }
  const int ep = ::epoll_create1(0);
  for (unsigned i = 0; i < n; ++i)
    if (u[i].fd >= 0) {
      epoll_event e{EPOLLIN | EPOLLRDHUP, {.u32 = i}};
      ::epoll_ctl(ep, EPOLL_CTL_ADD, u[i].fd, &e);
    }
  const std::size_t piece = std::max<std::size_t>(1, rate / 10);
  const auto deadline = Clock::now() + kUploadLimit;
  // Each upload sends on its own phase of the 100 ms period, as independent
  // clients do; a common tick would send every upload's piece in one burst
  // and measure that burst rather than the server.
  const auto start = Clock::now();
  for (unsigned i = 0; i < n; ++i) u[i].tick = start + kPollEvery * i / n;
  unsigned open = n;
  for (auto& x : u) open -= x.done;
  std::vector<epoll_event> events(512);
  char buf[4096];
  while (open > 0 && Clock::now() < deadline) {
    const auto now = Clock::now();
    auto next = now + kPollEvery;
    for (unsigned i = 0; i < n; ++i) {
      Upload& x = u[i];
      if (x.done) continue;
      if (now >= x.tick) {  // this upload's piece for the period
        x.tick += kPollEvery;
        x.allowed = std::min(bodies[i].size(), x.allowed + piece);
      }
      while (x.sent < x.allowed) {
        const ssize_t w = ::send(x.fd, bodies[i].data() + x.sent, x.allowed - x.sent, MSG_NOSIGNAL);
        if (w <= 0) break;  // full: the next pass tries again
        x.sent += size_t(w);
      }
      next = std::min(next, x.tick);
    }
    // Rounded up: a wait of 0 would spin until the next phase.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    const int k =
        ::epoll_wait(ep, events.data(), int(events.size()), int(std::max<long>(0, wait.count())));
    for (int j = 0; j < k; ++j) {
      Upload& x = u[events[j].data.u32];
      if (x.done) continue;
      const ssize_t r = ::recv(x.fd, buf, sizeof buf, 0);
      if (r < 0 && errno == EAGAIN) continue;
      if (r > 0) x.got.append(buf, size_t(r));
      if (r <= 0 || Complete(x.got, &x.status)) {
        if (r <= 0) Complete(x.got, &x.status);
        x.done = true;
        --open;
        ::epoll_ctl(ep, EPOLL_CTL_DEL, x.fd, nullptr);
        ::close(x.fd);
      }
    }
  }
  ::kill(poller, SIGTERM);
  std::string polled;
  for (ssize_t r; (r = ::read(pipeFds[0], buf, sizeof buf)) > 0;) polled.append(buf, size_t(r));
  ::waitpid(poller, nullptr, 0);
  unsigned saved = 0;
  int firstBad = -1;
  for (unsigned i = 0; i < n; ++i) {
    if (u[i].status == 200)
      ++saved;
    else if (firstBad < 0)
      firstBad = u[i].status;
  }
  while (!polled.empty() && (polled.back() == '\n' || polled.back() == '}')) polled.pop_back();
  if (polled.empty() || polled[0] != '{') polled = "{\"pollFailures\":null";
  std::printf("{\"uploads\":%u,\"saved\":%u,\"firstFailure\":%d,%s}\n", n, saved, firstBad,
              polled.c_str() + 1);
  return open == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  RaiseDescriptors();
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "hold" && argc >= 4) {
    const unsigned n = unsigned(std::stoul(argv[2]));
    if (n == 0 || n > kMaxClients) Die("hold: 1 to 20000 clients");
    return Hold(n, Parse(argv[3]), argc > 4 ? std::stoi(argv[4]) : 0);
  }
  if (mode == "poll" && argc >= 3) return Poll(Parse(argv[2]));
  if (mode == "uploads" && argc >= 7) {
    const unsigned n = unsigned(std::stoul(argv[2]));
    if (n == 0 || n > kMaxClients) Die("uploads: 1 to 20000 uploads");
    Parse(argv[6]);
    return Uploads(n, std::stoul(argv[3]), argv[4], Parse(argv[5]), argv[6]);
  }
  std::fprintf(stderr,
               "usage: load_client hold N URL HOLD_S | poll URL | uploads N RATE FILE URL "
               "POLL_URL\n");
  return 2;
}
