#include "host/http/access_log.h"

namespace vant::host::http {
namespace {

std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return out;
}

}  // namespace

std::string FormatAccessLine(const AccessRecord& r) {
  std::tm tm{};
  gmtime_r(&r.time, &tm);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
  std::string line = std::string(when) + " " + r.remote + " " + Printable(r.method) + " " +
                     Printable(r.target) + " " + std::to_string(r.status) + " " +
                     std::to_string(r.bytes) + " " + std::to_string(r.milliseconds) + "ms";
  if (!r.note.empty()) line += " " + Printable(r.note);
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
