// In-process timings for bench/image/run.sh, one measurement per run so
// each run's peak RSS is its own:
//   image_bench thumb SOURCE TARGET WIDTH HEIGHT REPEATS
//     ImageProc.SetSourceFile once, then SaveAsThumbnail REPEATS times
//   image_bench probe SOURCE REPEATS
//     the header probe that a form element's file info runs
// Prints "median_ms=…", "first_ms=…" and "peak_rss_kb=…".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "image/image_proc.h"
#include "platform/imaging/imaging.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

long PeakRssKb() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

std::u16string WindowsPath(const std::string& hostPath) {
  std::u16string out = u"C:";
  for (const char c : hostPath) out.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
  return out;
}

template <class Step>
int Report(int repeats, Step step) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    if (!step()) {
      std::fprintf(stderr, "image_bench: the step failed\n");
      return 1;
    }
    times.push_back(Ms(start));
  }
  const double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf("first_ms=%.3f\nmedian_ms=%.3f\npeak_rss_kb=%ld\n", first, times[times.size() / 2],
              PeakRssKb());
  return 0;
}

int Thumb(char** argv) {
  using namespace vant;
  auto proc = image::CImageProc::Create();
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (proc->SetSourceFile(Bstr(WindowsPath(argv[2])), &ok) != S_OK || ok != VARIANT_TRUE) {
    std::fprintf(stderr, "image_bench: %s is not an image\n", argv[2]);
    return 1;
  }
  const Bstr target(WindowsPath(argv[3]));
  const int width = std::atoi(argv[4]);
  const int height = std::atoi(argv[5]);
  return Report(std::atoi(argv[6]), [&] {
    Bstr out;
    return proc->SaveAsThumbnail(target, width, height, VARIANT_TRUE, &out) == S_OK;
  });
}

int Probe(char** argv) {
  const std::string source = argv[2];
  return Report(std::atoi(argv[3]), [&] { return vant::imaging::ProbeImage(source).has_value(); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "thumb" && argc == 7) return Thumb(argv);
  if (mode == "probe" && argc == 4) return Probe(argv);
  std::fprintf(stderr,
               "usage: image_bench thumb SOURCE TARGET WIDTH HEIGHT REPEATS\n"
               "       image_bench probe SOURCE REPEATS\n");
  return 2;
}
