#include "host/http/access_log.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>

namespace vant::host::http {
namespace {

// Appends field text inside quotes: what could end the field or the line
// is escaped. Runs of plain bytes go in whole.
void AppendQuoted(std::string& out, std::string_view text) {
  if (text.empty()) {
    out += "\"-\"";
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != 0x7f && byte != '"' && byte != '\\') continue;
    out.append(text.substr(plain, i - plain));
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
    plain = i + 1;
  }
  out.append(text.substr(plain));
  out += '"';
}

void AppendRequestLine(std::string& out, const AccessRecord& r) {
  if (r.method.empty() || r.method == "-") {
    AppendQuoted(out, "-");
    return;
  }
  std::string line;
  line.reserve(r.method.size() + r.target.size() + r.protocol.size() + 3);
  line.append(r.method).append(" ").append(r.target.empty() ? "-" : r.target);
  if (!r.protocol.empty()) line.append(" ").append(r.protocol);
  AppendQuoted(out, line);
}

// "[09/Dec/2026:01:30:00 +0000]" for the record's second; each thread keeps
// the last one it made, as a busy log writes many lines a second.
std::string_view WhenText(std::time_t time) {
  thread_local std::time_t lastTime = -1;
  thread_local char text[40];
  if (time != lastTime) {
    std::tm tm{};
    gmtime_r(&time, &tm);
    std::strftime(text, sizeof text, "[%d/%b/%Y:%H:%M:%S +0000]", &tm);
    lastTime = time;
  }
  return text;
}

// The null device is character device 1:3 on Linux, whatever its name.
bool IsNullDevice(std::FILE* file) {
  struct stat st {};
  return ::fstat(fileno(file), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3);
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCancelled:
      return "cancelled";
    case Outcome::kCut:
      return "cut";
    case Outcome::kComplete:
      break;
  }
  return "complete";
}

std::string FormatAccessLine(const AccessRecord& r) {
  std::string line;
  line.reserve(128 + r.target.size() + r.referer.size() + r.userAgent.size() + r.note.size());
  line.append(r.remote.empty() ? "-" : r.remote).append(" - - ").append(WhenText(r.time));
  line += ' ';
  AppendRequestLine(line, r);
  line.append(" ").append(std::to_string(r.status)).append(" ").append(std::to_string(r.bytes));
  line += ' ';
  AppendQuoted(line, r.referer);
  line += ' ';
  AppendQuoted(line, r.userAgent);
  const long long ms = std::max<long long>(0, r.milliseconds);
  std::string fraction = std::to_string(ms % 1000);
  fraction.insert(0, 3 - std::min<std::size_t>(3, fraction.size()), '0');
  line.append(" ").append(std::to_string(ms / 1000)).append(".").append(fraction);
  line.append(" ").append(OutcomeName(r.outcome));
  if (!r.note.empty()) {
    line += ' ';
    AppendQuoted(line, r.note);
  }
  return line;
}

AccessLog::AccessLog() : file_(stderr) {}

AccessLog::AccessLog(const std::string& path) : file_(std::fopen(path.c_str(), "ae")) {
  owned_ = file_ != nullptr;
  if (owned_) {
    discards_ = IsNullDevice(file_);
    return;
  }
  file_ = stderr;
  std::fprintf(stderr, "vant-host: cannot open log %s, logging to stderr\n", path.c_str());
}

AccessLog::~AccessLog() {
  if (owned_) std::fclose(file_);
}

bool AccessLog::Reopen(const std::string& path) {
  std::FILE* next = path.empty() ? stderr : std::fopen(path.c_str(), "ae");
  if (next == nullptr) return false;
  std::lock_guard lock(mutex_);
  if (owned_) std::fclose(file_);
  file_ = next;
  owned_ = !path.empty();
  discards_ = IsNullDevice(file_);
  return true;
}

void AccessLog::Write(const AccessRecord& record) {
  if (Discards()) return;
  std::string line = FormatAccessLine(record);
  line += '\n';
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace vant::host::http
