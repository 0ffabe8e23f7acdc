// Upload parse benchmark: builds a multipart body of one large random file
// part and a few fields, writes it to a file for the peer tools, then feeds
// it to a FileUpload through the in-memory host in 16,384-byte chunks with
// the file data going to a temporary file, and prints the rate.
//
//   upload_parse_bench WORKDIR [MEGABYTES] [REPEATS]
//
// Output lines (key=value): body_bytes, boundary, ours_mbps (best of the
// repeats), peak_rss_kb (the process peak, the body and the host's copy of
// it included), parse_rss_growth_kb (what a parse added on top).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "progress/progress_table.h"
#include "tests/support/fake_host.h"
#include "upload/file_upload.h"

namespace {

using namespace vant;

constexpr char kBoundary[] = "----WebKitFormBoundaryBenchVANT0123";
constexpr double kMegabyte = 1e6;

std::vector<std::uint8_t> MakeBody(std::size_t fileBytes) {
  const std::string head =
      std::string("--") + kBoundary +
      "\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nBench\r\n"
      "--" +
      kBoundary +
      "\r\nContent-Disposition: form-data; name=\"file\"; "
      "filename=\"random.bin\"\r\nContent-Type: application/octet-stream\r\n\r\n";
  const std::string tail = std::string("\r\n--") + kBoundary +
                           "\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\ndone\r\n--" +
                           kBoundary + "--\r\n";
  std::vector<std::uint8_t> body(head.begin(), head.end());
  body.resize(head.size() + fileBytes);
  std::mt19937_64 random(42);
  for (std::size_t i = head.size(); i < body.size(); i += 8) {
    const std::uint64_t word = random();
    for (std::size_t b = 0; b < 8 && i + b < body.size(); ++b) {
      body[i + b] = static_cast<std::uint8_t>(word >> (8 * b));
    }
  }
  body.insert(body.end(), tail.begin(), tail.end());
  return body;
}

// A field of /proc/self/status in kB.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  }
  return -1;
}

// Resets the process's peak RSS to its current RSS.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::u16string WindowsPath(const std::filesystem::path& path) {
  std::u16string out = u"C:" + Utf8ToUtf16(path.string());
  for (char16_t& c : out) c = c == u'/' ? u'\\' : c;
  return out;
}

struct Run {
  double mbps = 0;
  long growthKb = 0;  // peak RSS added by the parse itself
};

// One parse. The host's copy of the body is made before the peak is reset,
// so the growth is what the parser holds.
Run ParseOnce(const std::vector<std::uint8_t>& body, const std::u16string& folder,
              progress::ProgressTable& table) {
  test::FakeHost host;
  host.SetBody(body);
  host.SetServerVariable(u"CONTENT_TYPE",
                         Utf8ToUtf16(std::string("multipart/form-data; boundary=") + kBoundary));
  ComPtr<IFileUpload> up = upload::MakeFileUpload(table);
  up->OnStartPage(host.ScriptingContext().get());
  up->put_DefaultPath(Bstr(folder));
  Variant form;
  const long before = StatusKb("VmRSS");
  ResetPeak();
  const auto start = std::chrono::steady_clock::now();
  if (up->get_Form(&form) != S_OK) {
    std::fprintf(stderr, "parse failed\n");
    std::exit(1);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {static_cast<double>(body.size()) / kMegabyte / took.count(), StatusKb("VmHWM") - before};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WORKDIR [MEGABYTES] [REPEATS]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path work(argv[1]);
  const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
  std::filesystem::create_directories(work / "ours");
  setenv("VANT_REGISTRY", (work / "registry.reg").c_str(), 1);

  const std::vector<std::uint8_t> body = MakeBody(megabytes * 1000 * 1000);
  std::ofstream(work / "body.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));

  progress::ProgressTable table;
  double best = 0;
  long growth = 0;
  long peak = 0;
  for (int i = 0; i < repeats; ++i) {
    const Run run = ParseOnce(body, WindowsPath(work / "ours"), table);
    best = std::max(best, run.mbps);
    growth = std::max(growth, run.growthKb);
    peak = std::max(peak, StatusKb("VmHWM"));
  }
  std::printf(
      "body_bytes=%zu\nboundary=%s\nours_mbps=%.0f\npeak_rss_kb=%ld\n"
      "parse_rss_growth_kb=%ld\n",
      body.size(), kBoundary, best, peak, growth);
  return 0;
}
