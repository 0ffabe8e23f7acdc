#include "host/pages/source_loader.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vant::host::pages {

std::optional<std::string> FileSourceLoader::Load(const std::string& hostPath) const {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hostPath, ec)) return std::nullopt;
  const auto size = std::filesystem::file_size(hostPath, ec);
  if (ec || size > maxBytes_) return std::nullopt;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // A file that shrank while we read it is reported unreadable rather than cut.
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
  return bytes;
}

}  // namespace vant::host::pages
