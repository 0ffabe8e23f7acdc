// Command-line options of vant-host, parsed into one struct so the server,
// main() and the tests all read the same values.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vant::host::http {

// One drive-letter mapping: "C:=/" maps C:\ to the host folder "/".
struct DriveMapping {
  char letter = 'C';  // upper case
  std::string hostPath;
};

// Who sees the details of a failed page (message, source, file and line),
// which may name server paths or hold a database's error text. Everyone
// else gets a generic error page; the log always has the full text.
enum class DetailedErrors {
  kLocal,  // clients on the loopback address that come through no proxy
  kOn,     // every client
  kOff,    // no client
};

struct HostOptions {
  std::string site;                         // --site DIR (required)
  std::string listenAddress = "127.0.0.1";  // --listen ADDR:PORT
  std::uint16_t port = 8080;
  std::string registry;                          // --registry FILE
  std::string dataDir;                           // --data DIR
  std::vector<DriveMapping> drives{{'C', "/"}};  // --drive X:=PATH, repeatable
  // --threads N: most workers running requests at once. The pool grows to
  // it on demand and shrinks when idle; a waiting connection holds none.
  unsigned threads = 512;
  // --max-upload-workers N: most workers running requests with a large body
  // (uploads), so short pages always find one; unset: three quarters.
  std::optional<unsigned> maxUploadWorkers;
  unsigned maxConnections = 10'000;       // --max-connections N
  unsigned maxQueued = 1'000;             // --max-queued N: requests waiting for a worker
  std::chrono::milliseconds queueTimeout{10'000};  // --queue-timeout S: then 503
  std::uint64_t maxBody = 2ull << 30;            // --max-body BYTES (2 GiB)
  unsigned ansiCodePage = 65001;                 // --ansi-codepage N
  // --max-image-pixels N: largest width × height the image processor
  // decodes or writes; unset keeps $VANT_MAX_IMAGE_PIXELS, else 100000000.
  std::optional<std::uint64_t> maxImagePixels;
  // --max-form-parts N: most fields and files one upload form may have;
  // unset keeps $VANT_MAX_FORM_PARTS, else 10000.
  std::optional<std::uint32_t> maxFormParts;
  // --max-field-size BYTES: largest value of one upload form field; unset
  // keeps $VANT_MAX_FIELD_SIZE, else 2 MiB.
  std::optional<std::uint32_t> maxFieldSize;
  // --max-input-vars N: most name=value pairs of Request.Form and
  // Request.QueryString, and most cookies of Request.Cookies.
  unsigned maxInputVars = 10'000;
  // --heap-reuse N: pages a worker's script heap runs (reset between
  // them) before it is built anew; 0: a new heap for every page.
  unsigned heapReuse = 1000;
  std::chrono::milliseconds idleTimeout{60'000};        // --idle-timeout S
  std::chrono::milliseconds requestTimeout{3'900'000};  // --request-timeout S
  // Longest wait for the next request on a kept-alive connection; shorter
  // than the idle timeout so idle browsers do not pin worker threads.
  std::chrono::milliseconds keepAliveTimeout{5'000};
  std::string logFile;  // --log FILE (empty: stderr)
  // --upload-folder /PATH, repeatable: folders of visitors' files, decoded
  // paths from the site root without a trailing '/' ("/uploads").
  std::vector<std::string> uploadFolders;
  DetailedErrors detailedErrors = DetailedErrors::kLocal;  // --detailed-errors
  bool help = false;                                       // --help
};

struct OptionsResult {
  HostOptions options;
  std::string error;  // empty when the arguments were valid
  bool ok() const { return error.empty(); }
};

// The upload share of the workers: --max-upload-workers, at most --threads.
unsigned UploadWorkers(const HostOptions& options);

// Parses the arguments after the program name. Accepts "--name value" and
// "--name=value". Returns an error text for an unknown option, a missing or
// malformed value, or a missing --site (unless --help was given).
OptionsResult ParseHostOptions(const std::vector<std::string_view>& args);
OptionsResult ParseHostOptions(int argc, char** argv);

// The --help text, one paragraph per option.
std::string HostUsage(std::string_view program);

}  // namespace vant::host::http
