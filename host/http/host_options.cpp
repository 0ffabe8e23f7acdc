#include "host/http/host_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "host/http/config_file.h"
#include "platform/net/clamd_stream.h"
#include "platform/redis/redis.h"
#include "platform/sys/form_limits.h"

namespace vant::host::http {
namespace {

constexpr unsigned kMaxThreads = 4096;
constexpr unsigned kMaxConnections = 1'000'000;
constexpr unsigned kMaxCodePage = 65535;
constexpr unsigned kMaxInputVars = 0x7FFFFFFF;
constexpr unsigned kMaxHeapReuse = 1'000'000;
constexpr double kMaxTimeoutSeconds = 7 * 24 * 3600.0;

bool ParseUnsigned(std::string_view text, std::uint64_t& out) {
  if (text.empty()) return false;
  const auto* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc{} && ptr == end;
}

// "2147483648", "512K", "100M", "2G" (binary multiples).
bool ParseByteCount(std::string_view text, std::uint64_t& out) {
  std::uint64_t scale = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'k':
      case 'K':
        scale = 1ull << 10;
        break;
      case 'm':
      case 'M':
        scale = 1ull << 20;
        break;
      case 'g':
      case 'G':
        scale = 1ull << 30;
        break;
      default:
        break;
    }
    if (scale != 1) text.remove_suffix(1);
  }
  std::uint64_t value = 0;
  if (!ParseUnsigned(text, value)) return false;
  if (value > UINT64_MAX / scale) return false;
  out = value * scale;
  return true;
}

// Seconds, fractions allowed ("0.5"); must be above zero.
bool ParseSeconds(std::string_view text, std::chrono::milliseconds& out) {
  double seconds = 0;
  const auto* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
  if (text.empty() || ec != std::errc{} || ptr != end) return false;
  if (!(seconds > 0) || seconds > kMaxTimeoutSeconds) return false;
  out = std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000)));
  return true;
}

// A positive pixel count; "100M" style suffixes as for byte counts are not
// taken, a pixel is not a byte.
bool ParsePixelCount(std::string_view text, std::optional<std::uint64_t>& out) {
  std::uint64_t value = 0;
  if (!ParseUnsigned(text, value) || value == 0) return false;
  out = value;
  return true;
}

// A part count from 1 up, with no suffix, as the upload parser reads it.
bool ParsePartCount(std::string_view text, std::optional<std::uint32_t>& out) {
  std::uint32_t value = 0;
  if (!sys::ParseMaxFormParts(text, value)) return false;
  out = value;
  return true;
}

// A field size in bytes, "4M" style suffixes taken, from 1 up to the largest
// limit the upload parser reads.
bool ParseFieldSize(std::string_view text, std::optional<std::uint32_t>& out) {
  std::uint64_t value = 0;
  if (!ParseByteCount(text, value) || value == 0 || value > sys::kLargestFormLimit) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

bool ParseRanged(std::string_view text, unsigned low, unsigned high, unsigned& out) {
  std::uint64_t value = 0;
  if (!ParseUnsigned(text, value) || value < low || value > high) return false;
  out = static_cast<unsigned>(value);
  return true;
}

// "ADDR:PORT", "[v6addr]:PORT", or a bare "PORT" on the loopback address.
bool ParseListen(std::string_view text, HostOptions& o) {
  std::string_view address = "127.0.0.1";
  std::string_view portText = text;
  const auto colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    address = text.substr(0, colon);
    portText = text.substr(colon + 1);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
      address = address.substr(1, address.size() - 2);
    if (address.empty()) return false;
  }
  unsigned port = 0;
  if (!ParseRanged(portText, 0, 65535, port)) return false;
  o.listenAddress = std::string(address);
  o.port = static_cast<std::uint16_t>(port);
  return true;
}

// "D:=/mnt/data": a later mapping of the same letter replaces the earlier one.
bool ParseDrive(std::string_view text, HostOptions& o) {
  if (text.size() < 4 || text[1] != ':' || text[2] != '=') return false;
  char letter = text[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z' || text[3] != '/') return false;
  std::erase_if(o.drives, [&](const DriveMapping& d) { return d.letter == letter; });
  o.drives.push_back({letter, std::string(text.substr(3))});
  return true;
}

// "/uploads" or "/gallery/photos/": a path from the site root with no "."
// or ".." segment, no backslash and no NUL; a trailing '/' is dropped.
bool ParseUploadFolder(std::string_view text, HostOptions& o) {
  while (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
  if (text.size() < 2 || text.front() != '/') return false;
  if (text.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) return false;
  std::string_view rest = text.substr(1);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment.empty() || segment.front() == '.') return false;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  o.uploadFolders.emplace_back(text);
  return true;
}

bool ParseDetailedErrors(std::string_view text, HostOptions& o) {
  if (text == "local")
    o.detailedErrors = DetailedErrors::kLocal;
  else if (text == "on")
    o.detailedErrors = DetailedErrors::kOn;
  else if (text == "off")
    o.detailedErrors = DetailedErrors::kOff;
  else
    return false;
  return true;
}

bool ParseClamd(std::string_view text, HostOptions& o) {
  net::ClamdAddress address;
  if (!net::ParseClamdAddress(text, address)) return false;
  o.clamd = text;
  return true;
}

bool ParseClamdOnError(std::string_view text, HostOptions& o) {
  if (text != "infected" && text != "clean") return false;
  o.clamdInfectedOnError = text == "infected";
  return true;
}

// "10.0.0.0/8,::1": blocks separated by commas, added to those given before.
bool ParseRanges(std::string_view text, std::vector<AddressRange>& out) {
  while (true) {
    const auto comma = text.find(',');
    AddressRange range;
    if (!ParseAddressRange(text.substr(0, comma), range)) return false;
    out.push_back(range);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// A path the server answers itself: "/status", no query, no dot segment.
bool ParseProbePath(std::string_view text, std::string& out) {
  if (text.size() < 2 || text.front() != '/') return false;
  if (text.find_first_of(std::string_view("?#%\\\0", 5)) != std::string_view::npos) return false;
  if (text.find("/.") != std::string_view::npos) return false;
  out = text;
  return true;
}

using Setter = std::function<bool(std::string_view, HostOptions&)>;

const std::map<std::string_view, Setter>& ValueOptions() {
  static const std::map<std::string_view, Setter> table = {
      {"--site",
       [](auto v, auto& o) {
         o.site = v;
         return !v.empty();
       }},
      {"--listen", ParseListen},
      {"--registry",
       [](auto v, auto& o) {
         o.registry = v;
         return !v.empty();
       }},
      {"--data",
       [](auto v, auto& o) {
         o.dataDir = v;
         return !v.empty();
       }},
      {"--drive", ParseDrive},
      {"--threads", [](auto v, auto& o) { return ParseRanged(v, 1, kMaxThreads, o.threads); }},
      {"--max-upload-workers",
       [](auto v, auto& o) {
         unsigned n = 0;
         if (!ParseRanged(v, 1, kMaxThreads, n)) return false;
         o.maxUploadWorkers = n;
         return true;
       }},
      {"--max-connections",
       [](auto v, auto& o) { return ParseRanged(v, 1, kMaxConnections, o.maxConnections); }},
      {"--max-queued",
       [](auto v, auto& o) { return ParseRanged(v, 1, kMaxConnections, o.maxQueued); }},
      {"--queue-timeout", [](auto v, auto& o) { return ParseSeconds(v, o.queueTimeout); }},
      {"--max-body", [](auto v, auto& o) { return ParseByteCount(v, o.maxBody); }},
      {"--ansi-codepage",
       [](auto v, auto& o) { return ParseRanged(v, 1, kMaxCodePage, o.ansiCodePage); }},
      {"--max-image-pixels", [](auto v, auto& o) { return ParsePixelCount(v, o.maxImagePixels); }},
      {"--max-form-parts", [](auto v, auto& o) { return ParsePartCount(v, o.maxFormParts); }},
      {"--max-field-size", [](auto v, auto& o) { return ParseFieldSize(v, o.maxFieldSize); }},
      {"--max-input-vars",
       [](auto v, auto& o) { return ParseRanged(v, 1, kMaxInputVars, o.maxInputVars); }},
      {"--heap-reuse",
       [](auto v, auto& o) { return ParseRanged(v, 0, kMaxHeapReuse, o.heapReuse); }},
      {"--progress-lease", [](auto v, auto& o) { return ParseSeconds(v, o.progressLease); }},
      {"--idle-timeout", [](auto v, auto& o) { return ParseSeconds(v, o.idleTimeout); }},
      {"--request-timeout", [](auto v, auto& o) { return ParseSeconds(v, o.requestTimeout); }},
      {"--clamd", ParseClamd},
      {"--clamd-on-error", ParseClamdOnError},
      {"--clamd-timeout", [](auto v, auto& o) { return ParseSeconds(v, o.clamdTimeout); }},
      {"--clamd-max-stream",
       [](auto v, auto& o) { return ParseByteCount(v, o.clamdMaxStream) && o.clamdMaxStream > 0; }},
      {"--state",
       [](auto v, auto& o) {
         redis::Endpoint endpoint;
         o.stateUrl = v;
         return redis::ParseStateUrl(v, endpoint);
       }},
      {"--state-password-file",
       [](auto v, auto& o) {
         o.statePasswordFile = v;
         return !v.empty();
       }},
      {"--log",
       [](auto v, auto& o) {
         o.logFile = v;
         return !v.empty();
       }},
      {"--error-log",
       [](auto v, auto& o) {
         o.errorLogFile = v;
         return !v.empty();
       }},
      {"--upload-folder", ParseUploadFolder},
      {"--detailed-errors", ParseDetailedErrors},
      {"--trusted-proxy", [](auto v, auto& o) { return ParseRanges(v, o.trustedProxies); }},
      {"--status-path", [](auto v, auto& o) { return ParseProbePath(v, o.statusPath); }},
      {"--ping-path", [](auto v, auto& o) { return ParseProbePath(v, o.pingPath); }},
      {"--status-allow", [](auto v, auto& o) { return ParseRanges(v, o.statusAllow); }},
      {"--sendfile",
       [](auto v, auto& o) {
         o.sendFile = v == "on";
         return v == "on" || v == "off";
       }},
  };
  return table;
}

// Applies one option by its "--name"; false, with the error, when the name
// is unknown or the value malformed.
bool ApplyOption(std::string_view name, std::string_view value, HostOptions& o,
                 std::string& error) {
  const auto& table = ValueOptions();
  const auto it = table.find(name);
  if (it == table.end()) {
    error = "unknown option: " + std::string(name);
    return false;
  }
  if (!it->second(value, o)) {
    error = "bad value for " + std::string(name) + ": " + std::string(value);
    return false;
  }
  return true;
}

// The file named by the last --config of the arguments, if any.
std::string ConfigFileOf(const std::vector<std::string_view>& args) {
  std::string path;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--config" && i + 1 < args.size())
      path = args[++i];
    else if (args[i].starts_with("--config="))
      path = args[i].substr(9);
  }
  return path;
}

// A switch of the command line written as a configuration value.
bool ParseSwitch(std::string_view value, bool& out) {
  if (value == "yes" || value == "on" || value == "true" || value == "1") return out = true, true;
  if (value == "no" || value == "off" || value == "false" || value == "0") return out = false, true;
  return false;
}

bool ApplyConfigFile(const std::string& path, HostOptions& o, std::string& error) {
  const ConfigText config = ReadConfigFile(path);
  if (!config.ok()) return error = config.error, false;
  for (const ConfigEntry& entry : config.entries) {
    // The file cannot name another file or ask for the usage text.
    std::string problem;
    if (entry.name == "config" || entry.name == "help")
      problem = "unknown option: " + entry.name;
    else if (entry.name == "refuse-infected" && ParseSwitch(entry.value, o.refuseInfected))
      continue;
    else if (entry.name == "refuse-infected")
      problem = "bad value for refuse-infected (yes or no): " + entry.value;
    else if (ApplyOption("--" + entry.name, entry.value, o, problem))
      continue;
    error = path + " line " + std::to_string(entry.line) + ": " + problem;
    return false;
  }
  return true;
}

}  // namespace

OptionsResult ParseHostOptions(const std::vector<std::string_view>& args) {
  OptionsResult result;
  result.options.configFile = ConfigFileOf(args);
  if (!result.options.configFile.empty() &&
      !ApplyConfigFile(result.options.configFile, result.options, result.error))
    return result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name == "--help" || name == "-h") {
      result.options.help = true;
      continue;
    }
    if (name == "--refuse-infected") {
      result.options.refuseInfected = true;
      continue;
    }
    std::string_view value;
    bool hasValue = false;
    if (const auto eq = name.find('='); eq != std::string_view::npos && name.starts_with("--")) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name != "--config" && !ValueOptions().contains(name)) {
      result.error = "unknown option: " + std::string(args[i]);
      return result;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        result.error = "missing value for " + std::string(name);
        return result;
      }
      value = args[++i];
    }
    if (name == "--config") {
      if (value.empty()) return result.error = "bad value for --config: ", result;
      continue;  // read above
    }
    if (!ApplyOption(name, value, result.options, result.error)) return result;
  }
  if (result.options.site.empty() && !result.options.help) result.error = "--site DIR is required";
  const auto& o = result.options;
  if (result.ok() && !o.statusPath.empty() && o.statusPath == o.pingPath)
    result.error = "--status-path and --ping-path must differ";
  return result;
}

unsigned UploadWorkers(const HostOptions& options) {
  const unsigned share = options.maxUploadWorkers.value_or(options.threads / 4 * 3);
  return std::clamp(share, 1u, options.threads);
}

OptionsResult ParseHostOptions(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return ParseHostOptions(args);
}

std::string HostUsage(std::string_view program) {
  std::string text = "Usage: " + std::string(program) + " --site DIR [options]\n\n";
  text +=
      "Serves the folder DIR over HTTP: .asp files run as server pages, other files\n"
      "are sent as they are.\n\n"
      "  --site DIR            folder served as the site root (required)\n"
      "  --listen ADDR:PORT    address and port to listen on (default 127.0.0.1:8080;\n"
      "                        [::1]:8080 for IPv6, a bare PORT means 127.0.0.1)\n"
      "  --registry FILE       registry file for component activation, by the host\n"
      "                        and the components it loads (default: $VANT_REGISTRY,\n"
      "                        else a file under the data folder)\n"
      "  --data DIR            folder for the host's own data (sessions, registry)\n"
      "  --drive X:=PATH       map drive letter X to a host folder for Windows-style\n"
      "                        paths; repeatable (default C:=/)\n"
      "  --threads N           most requests running at once, 1..4096; workers are\n"
      "                        started on demand and end when idle, and a waiting\n"
      "                        or kept-alive connection holds none (default 512)\n"
      "  --max-upload-workers N  most of them running requests with a body above\n"
      "                        256 KB or chunked (uploads), so short pages such as\n"
      "                        a progress window always find one (default three\n"
      "                        quarters of --threads)\n"
      "  --max-queued N        requests waiting for a worker; one more gets 503\n"
      "                        with Retry-After (default 1000)\n"
      "  --queue-timeout S     longest wait for a worker; then 503 with Retry-After\n"
      "                        (default 10)\n"
      "  --max-connections N   connections served at once; more are answered 503\n"
      "                        and closed (default 10000, at most half the\n"
      "                        process's descriptor limit)\n"
      "  --max-body BYTES      largest request body accepted; K, M, G suffixes\n"
      "                        allowed; larger ones get 413 (default 2G)\n"
      "  --ansi-codepage N     code page used where the system ANSI code page is\n"
      "                        asked for, and that pages without CODEPAGE are\n"
      "                        stored in (default 65001, UTF-8)\n"
      "  --max-image-pixels N  largest image (width x height) the image processor\n"
      "                        decodes or writes; larger ones are refused (default\n"
      "                        $VANT_MAX_IMAGE_PIXELS, else 100000000; at that\n"
      "                        size one BMP conversion writes 300 MB)\n"
      "  --max-form-parts N    most fields and files one upload form may have; a\n"
      "                        form with more is refused with a message (default\n"
      "                        $VANT_MAX_FORM_PARTS, else 10000)\n"
      "  --max-field-size BYTES\n"
      "                        largest value of one upload form field (not a\n"
      "                        file); K, M suffixes allowed; a larger field is\n"
      "                        refused with a message (default\n"
      "                        $VANT_MAX_FIELD_SIZE, else 2M)\n"
      "  --max-input-vars N    most name=value pairs Request.Form and\n"
      "                        Request.QueryString read, and most cookies\n"
      "                        Request.Cookies reads; more raise an error in the\n"
      "                        page (default 10000)\n"
      "  --heap-reuse N        pages one worker's script heap runs before it is\n"
      "                        built anew; between pages it is reset to its\n"
      "                        pristine state, and dropped at once when a page\n"
      "                        timed out, ran out of memory or changed it past\n"
      "                        what a reset undoes; 0 builds a heap for every\n"
      "                        page (default 1000)\n"
      "  --progress-lease S    with --state: how long the progress record of a\n"
      "                        running upload outlives its host's last write; the\n"
      "                        host renews it every third of this, so only the\n"
      "                        records of a host that died expire (default 30)\n"
      "  --idle-timeout S      cut a connection that moves no byte for S seconds\n"
      "                        (default 60)\n"
      "  --request-timeout S   cut a request that runs longer than S seconds\n"
      "                        (default 3900)\n"
      "  --clamd unix:PATH|tcp:HOST:PORT\n"
      "                        scan every uploaded file for viruses with this\n"
      "                        clamd daemon while it is received (its INSTREAM\n"
      "                        command, one connection per file); elements then\n"
      "                        report IsInfected and VirusName from the scan.\n"
      "                        Off by default\n"
      "  --clamd-on-error infected|clean\n"
      "                        what a file counts as when clamd cannot be reached,\n"
      "                        times out or refuses it (default infected, with\n"
      "                        VirusName ScanFailed.Unreachable, .Timeout,\n"
      "                        .TooLarge or .Error); the log says why\n"
      "  --clamd-timeout S     longest time one file's scan may wait for clamd in\n"
      "                        total (default 120)\n"
      "  --clamd-max-stream BYTES\n"
      "                        clamd's StreamMaxLength; a larger file is not sent\n"
      "                        past it and counts as a failed scan; K, M, G\n"
      "                        suffixes allowed (default 25M, clamd's default)\n"
      "  --refuse-infected     saving an infected file (Save, SaveAs, SaveAsBlob)\n"
      "                        fails with a message and deletes its temporary\n"
      "                        file, so it never reaches a folder or database\n"
      "  --state redis://HOST[:PORT][/DB] | unix:/PATH[?db=N]\n"
      "                        keep sessions, Application contents and its lock,\n"
      "                        upload progress and file-cache removals in this\n"
      "                        Redis, shared by every host that names it (hosts\n"
      "                        behind one balancer). Off by default: all of it\n"
      "                        stays in this process. While Redis is unreachable,\n"
      "                        pages that use Session or Application get an error\n"
      "                        page naming the store; the host reconnects itself\n"
      "  --state-password-file FILE\n"
      "                        the Redis password is the first line of FILE (else\n"
      "                        $VANT_STATE_PASSWORD; never on the command line)\n"
      "  --config FILE         read options from FILE first: one \"name = value\" per\n"
      "                        line, name being a long option without \"--\", '#'\n"
      "                        starts a comment; repeat a line for a repeatable\n"
      "                        option. The command line overrides single values\n"
      "                        and adds to repeatable ones\n"
      "  --log FILE            append the access log to FILE instead of stderr;\n"
      "                        SIGHUP reopens it (for log rotation)\n"
      "  --error-log FILE      append the host's own messages (errors, start and\n"
      "                        stop) to FILE instead of stderr; SIGHUP reopens it\n"
      "  --upload-folder /PATH a folder of the site that holds visitors' files\n"
      "                        (\"/uploads\"); repeatable. No page runs there: .asp\n"
      "                        files are sent as files. Every file from it carries\n"
      "                        X-Content-Type-Options: nosniff and a sandboxing\n"
      "                        Content-Security-Policy, and all but PNG, JPEG, GIF,\n"
      "                        WebP, BMP and icons go out as attachments\n"
      "  --detailed-errors on|off|local\n"
      "                        who sees a failed page's message, file and line:\n"
      "                        every client, none, or (default) clients on the\n"
      "                        loopback address that come through no proxy; the\n"
      "                        others get a generic error page. The log always\n"
      "                        has the full text\n"
      "  --trusted-proxy CIDR[,CIDR...]\n"
      "                        reverse proxies in front of the host (\"127.0.0.1\",\n"
      "                        \"10.0.0.0/8\"); repeatable. From them Forwarded or\n"
      "                        X-Forwarded-For sets REMOTE_ADDR and REMOTE_HOST (the\n"
      "                        rightmost address that is no trusted proxy), and\n"
      "                        X-Forwarded-Proto: https sets HTTPS and\n"
      "                        SERVER_PORT_SECURE; from anyone else they are\n"
      "                        ignored (default: none)\n"
      "  --status-path /PATH   answer /PATH with the server's counters: connections,\n"
      "                        workers, queue, uploads, bytes, page cache, errors,\n"
      "                        uptime; plain text, or JSON with ?json\n"
      "  --status-allow CIDR[,CIDR...]\n"
      "                        who may read the status path; repeatable (default:\n"
      "                        loopback clients and the trusted proxies; others\n"
      "                        get 403)\n"
      "  --ping-path /PATH     answer /PATH with \"pong\", for health checks\n"
      "  --sendfile on|off     how files that pages send (FileDownload from disk)\n"
      "                        reach the socket: on (default) the kernel copies\n"
      "                        them (sendfile); off, they pass through a buffer\n"
      "                        with read and write, for file systems where\n"
      "                        sendfile misbehaves. Headers, ranges and errors\n"
      "                        are the same either way\n"
      "  --help                show this text\n\n"
      "Signals: SIGTERM or SIGINT stops (running requests get 5 seconds); SIGHUP\n"
      "reopens the logs at the paths the config file names now; SIGUSR2 restarts\n"
      "gracefully: a new process takes over the listening socket and this one\n"
      "finishes its running requests (uploads) before it exits.\n";
  return text;
}

}  // namespace vant::host::http
