#include "host/http/config_file.h"

#include <fstream>

namespace vant::host::http {
namespace {

constexpr std::size_t kMaxConfigBytes = std::size_t{1} << 20;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

ConfigText ParseConfigText(std::string_view text) {
  ConfigText out;
  unsigned number = 0;
  while (!text.empty()) {
    ++number;
    const auto newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) {
      out.error = where + "expected key = value";
      return out;
    }
    const std::string_view key = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    if (key.empty() || key.starts_with('-') ||
        key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") != std::string_view::npos) {
      out.error = where + "bad key \"" + std::string(key) + "\"";
      return out;
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    out.entries.push_back({std::string(key), std::string(value), number});
  }
  return out;
}

ConfigText ReadConfigFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {{}, "cannot read config file " + path};
  std::string text;
  text.resize(kMaxConfigBytes + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return {{}, "cannot read config file " + path};
  if (text.size() > kMaxConfigBytes) return {{}, "config file too large: " + path};
  ConfigText parsed = ParseConfigText(text);
  if (!parsed.ok()) parsed.error = path + " " + parsed.error;
  return parsed;
}

}  // namespace vant::host::http
