// In-process timings for bench/forms/run.sh: parsing an urlencoded body of
// N distinct keys, as Request.Form does, and a Cookie header of N cookies,
// as Request.Cookies does.
//   form_bench KEYS REPEATS
// Prints "form_ms=…" and "cookie_ms=…": medians of REPEATS runs, in CPU time
// of the parsing thread.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/detail/url_encoded.h"

namespace {

using namespace vant::host;

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
constexpr std::uint32_t kUtf8 = 65001;

// "k0=v&k1=v&…" or "c0=v; c1=v; …".
std::string Pairs(std::size_t keys, const char* prefix, const char* separator) {
  std::string out;
  for (std::size_t i = 0; i < keys; ++i) {
    if (i > 0) out += separator;
    out += prefix + std::to_string(i) + "=v";
  }
  return out;
}

// CPU time of this thread in ms: other processes on a busy machine do not
// count, as they would in wall time.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <class Step>
double MedianMs(int repeats, Step step) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const double start = ThreadCpuMs();
    if (!step()) {
      std::fprintf(stderr, "form_bench: the parse failed\n");
      std::exit(1);
    }
    times.push_back(ThreadCpuMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: form_bench KEYS REPEATS\n");
    return 2;
  }
  const std::size_t keys = std::strtoul(argv[1], nullptr, 10);
  const int repeats = std::max(1, std::atoi(argv[2]));
  const std::string body = Pairs(keys, "k", "&");
  const double formMs = MedianMs(repeats, [&] {
    const auto values = intrinsics::ParseUrlEncoded(body, kUtf8, kNoLimit);
    return values && values->Entries().size() == keys;
  });
  http::RequestHead head;
  head.headers.push_back({"Cookie", Pairs(keys, "c", "; ")});
  const double cookieMs = MedianMs(repeats, [&] {
    const auto cookies = intrinsics::ParseRequestCookies(head, kUtf8, kNoLimit);
    return cookies && cookies->List().size() == keys;
  });
  std::printf("form_ms=%.3f\ncookie_ms=%.3f\n", formMs, cookieMs);
  return 0;
}
