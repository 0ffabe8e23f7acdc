#include "multipart.h"

#include <cstdint>

namespace soak {

namespace {

bool AppearsIn(const std::vector<Part>& parts, const std::string& boundary) {
  for (const auto& part : parts)
    if (part.data.find(boundary) != std::string::npos) return true;
  return false;
}

}  // namespace

MultipartBody BuildMultipart(const std::vector<Part>& parts, std::uint64_t salt) {
  std::string boundary;
  do {
    boundary = "----vant-soak-" + std::to_string(salt++);
  } while (AppearsIn(parts, boundary));
  MultipartBody out;
  out.contentType = "multipart/form-data; boundary=" + boundary;
  std::size_t size = 0;
  for (const auto& part : parts) size += part.data.size() + 200;
  out.body.reserve(size + boundary.size() + 8);
  for (const auto& part : parts) {
    out.body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
    if (!part.fileName.empty())
      out.body += "; filename=\"" + part.fileName + "\"\r\nContent-Type: application/octet-stream";
    out.body += "\r\n\r\n";
    out.body += part.data;
    out.body += "\r\n";
  }
  out.body += "--" + boundary + "--\r\n";
  return out;
}

}  // namespace soak
