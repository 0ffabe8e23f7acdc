#include "make_files.h"

#include <filesystem>
#include <fstream>

#include "catalog.h"
#include "content.h"

namespace soak {

namespace fs = std::filesystem;

namespace {

bool WriteContent(const fs::path& path, const KnownFile& file) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  constexpr std::size_t kPiece = 1 << 20;
  for (std::uint64_t offset = 0; offset < file.size && out; offset += kPiece) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, file.size - offset));
    const std::string bytes = ContentBytes(SeedOf(file.name), offset, length);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

std::string MakeSiteFiles(const std::string& site, const std::string& imagesDir) {
  const fs::path root(site);
  std::error_code ec;
  for (const char* folder : {"files", "cache", "img", "up", "thumbs", "db"}) {
    fs::create_directories(root / folder, ec);
    if (ec) return "cannot create " + (root / folder).string() + ": " + ec.message();
  }
  for (const auto& file : kDiskFiles)
    if (!WriteContent(root / "files" / file.name, file))
      return "cannot write files/" + std::string(file.name);
  for (const auto& file : kCacheFiles)
    if (!WriteContent(root / "cache" / file.name, file))
      return "cannot write cache/" + std::string(file.name);
  for (const auto& image : kImages) {
    fs::copy_file(fs::path(imagesDir) / image, root / "img" / image,
                  fs::copy_options::overwrite_existing, ec);
    if (ec) return "cannot copy " + (fs::path(imagesDir) / image).string() + ": " + ec.message();
  }
  return "";
}

}  // namespace soak
