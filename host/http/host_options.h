// Command-line options of vant-host, parsed into one struct so the server,
// main() and the tests all read the same values.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/http/forwarded.h"

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
  unsigned maxConnections = 10'000;                // --max-connections N
  unsigned maxQueued = 1'000;                      // --max-queued N: requests waiting for a worker
  std::chrono::milliseconds queueTimeout{10'000};  // --queue-timeout S: then 503
  std::uint64_t maxBody = 2ull << 30;              // --max-body BYTES (2 GiB)
  unsigned ansiCodePage = 65001;                   // --ansi-codepage N
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
  // --progress-lease S: with --state, how long a running upload's progress
  // record outlives its host's last write (a dead host's record expires).
  std::chrono::milliseconds progressLease{30'000};
  std::chrono::milliseconds idleTimeout{60'000};        // --idle-timeout S
  std::chrono::milliseconds requestTimeout{3'900'000};  // --request-timeout S
  // Longest wait for the next request on a kept-alive connection; shorter
  // than the idle timeout so idle browsers do not pin worker threads.
  std::chrono::milliseconds keepAliveTimeout{5'000};
  // --clamd unix:PATH|tcp:HOST:PORT: stream every uploaded file to this
  // clamd daemon while it is received; empty: no scanning.
  std::string clamd;
  bool clamdInfectedOnError = true;  // --clamd-on-error infected|clean
  bool refuseInfected = false;       // --refuse-infected: saving an infected file fails
  std::chrono::milliseconds clamdTimeout{120'000};  // --clamd-timeout S, per file
  std::uint64_t clamdMaxStream = 25ull << 20;       // --clamd-max-stream BYTES
  // --state redis://HOST:PORT[/DB] | unix:/PATH[?db=N]: keep sessions,
  // Application, upload progress and cache removals in this Redis, shared
  // by every host that names it; empty: in this process.
  std::string stateUrl;
  // --state-password-file FILE: the store's password is the file's first
  // line (else $VANT_STATE_PASSWORD); never given on the command line.
  std::string statePasswordFile;
  std::string logFile;  // --log FILE (empty: stderr)
  // --error-log FILE: where the host's own messages go (empty: stderr).
  std::string errorLogFile;
  // --config FILE: read before the command line, which overrides it.
  std::string configFile;
  // --upload-folder /PATH, repeatable: folders of visitors' files, decoded
  // paths from the site root without a trailing '/' ("/uploads").
  std::vector<std::string> uploadFolders;
  // --sendfile on|off: whether file bytes that pages send (downloads) go
  // from file to socket in the kernel, or through a buffer with read/write.
  bool sendFile = true;
  DetailedErrors detailedErrors = DetailedErrors::kLocal;  // --detailed-errors
  // --trusted-proxy CIDR[,CIDR...], repeatable: peers whose Forwarded,
  // X-Forwarded-For and X-Forwarded-Proto name the client (see forwarded.h).
  std::vector<AddressRange> trustedProxies;
  std::string statusPath;  // --status-path /PATH: the server's counters
  std::string pingPath;    // --ping-path /PATH: answers "pong"
  // --status-allow CIDR[,CIDR...], repeatable: who may read the status
  // path; unset: loopback clients and the trusted proxies.
  std::vector<AddressRange> statusAllow;
  bool help = false;  // --help
};

struct OptionsResult {
  HostOptions options;
  std::string error;  // empty when the arguments were valid
  bool ok() const { return error.empty(); }
};

// The upload share of the workers: --max-upload-workers, at most --threads.
unsigned UploadWorkers(const HostOptions& options);

// Parses the arguments after the program name. Accepts "--name value" and
// "--name=value". With --config FILE, the file's "name = value" lines are
// applied first and the command line after them, so it overrides single
// values and adds to repeatable ones. Returns an error text for an unknown
// option, a missing or malformed value (naming the file and line when it
// came from the file), or a missing --site (unless --help was given).
OptionsResult ParseHostOptions(const std::vector<std::string_view>& args);
OptionsResult ParseHostOptions(int argc, char** argv);

// The --help text, one paragraph per option.
std::string HostUsage(std::string_view program);

}  // namespace vant::host::http
