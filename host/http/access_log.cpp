#include "host/http/access_log.h"

namespace vant::host::http {
namespace {

// Field text inside quotes: what could end the field or the line is escaped.
std::string Quoted(std::string_view text) {
  if (text.empty()) return "\"-\"";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || c == '"' || c == '\\') {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string RequestLine(const AccessRecord& r) {
  if (r.method.empty() || r.method == "-") return "-";
  std::string line = r.method + " " + (r.target.empty() ? "-" : r.target);
  if (!r.protocol.empty()) line += " " + r.protocol;
  return line;
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
  std::tm tm{};
  gmtime_r(&r.time, &tm);
  char when[40];
  std::strftime(when, sizeof when, "[%d/%b/%Y:%H:%M:%S +0000]", &tm);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%lld.%03lld",
                static_cast<long long>(r.milliseconds / 1000),
                static_cast<long long>(r.milliseconds % 1000));
  std::string line = (r.remote.empty() ? std::string("-") : r.remote) + " - - " + when + " " +
                     Quoted(RequestLine(r)) + " " + std::to_string(r.status) + " " +
                     std::to_string(r.bytes) + " " + Quoted(r.referer) + " " + Quoted(r.userAgent) +
                     " " + seconds + " " + OutcomeName(r.outcome);
  if (!r.note.empty()) line += " " + Quoted(r.note);
  return line;
}

AccessLog::AccessLog() : file_(stderr) {}

AccessLog::AccessLog(const std::string& path) : file_(std::fopen(path.c_str(), "ae")) {
  owned_ = file_ != nullptr;
  if (owned_) return;
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
  return true;
}

void AccessLog::Write(const AccessRecord& record) {
  const std::string line = FormatAccessLine(record) + "\n";
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace vant::host::http
