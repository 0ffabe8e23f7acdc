#include "host/http/mime_types.h"

#include <array>
#include <utility>

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kTypes = {{
    {"html", "text/html"},      {"htm", "text/html"},       {"css", "text/css"},
    {"js", "text/javascript"},  {"mjs", "text/javascript"}, {"json", "application/json"},
    {"png", "image/png"},       {"jpg", "image/jpeg"},      {"jpeg", "image/jpeg"},
    {"gif", "image/gif"},       {"svg", "image/svg+xml"},   {"ico", "image/x-icon"},
    {"webp", "image/webp"},     {"bmp", "image/bmp"},       {"txt", "text/plain"},
    {"xml", "application/xml"}, {"pdf", "application/pdf"}, {"wasm", "application/wasm"},
    {"woff", "font/woff"},      {"woff2", "font/woff2"},    {"zip", "application/zip"},
    {"mp4", "video/mp4"},       {"tif", "image/tiff"},      {"tiff", "image/tiff"},
}};

}  // namespace

std::string_view ContentTypeFor(std::string_view fileName) {
  const auto slash = fileName.rfind('/');
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  const auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return kDefaultContentType;
  const std::string_view ext = fileName.substr(dot + 1);
  for (const auto& [known, type] : kTypes)
    if (sys::EqualsNoCase(ext, known)) return type;
  return kDefaultContentType;
}

}  // namespace vant::host::http
