#include "platform/fs/drive_table.h"

#include <array>
#include <atomic>
#include <mutex>
#include <shared_mutex>

namespace vant::fs {
namespace {

constexpr int kLetters = 26;

struct Table {
  std::shared_mutex mutex;
  // Raised by every change, so a mapping remembered with the generation it
  // was made under can tell it may be stale.
  std::atomic<std::uint64_t> generation{1};
  std::array<std::optional<std::string>, kLetters> folders;
};

void SetDefaults(Table& table) {
  table.folders = {};
  table.folders[kDefaultDrive - 'A'].emplace(1, '/');  // C: -> "/"
}

// One table for the process: the platform runtime is loaded once, so the
// host's --drive settings are the ones the component module maps with.
// Never destroyed: threads of other libraries (the image library's
// workers) may still map a path while the process runs its exit handlers.
Table& TheTable() {
  static Table* const table = [] {
    auto* made = new Table;
    SetDefaults(*made);
    return made;
  }();
  return *table;
}

std::optional<int> LetterIndex(char letter) {
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  return std::nullopt;
}

// An absolute folder without trailing slashes, or nullopt.
std::optional<std::string> NormalizeFolder(std::string_view folder) {
  if (folder.empty() || folder.front() != '/') return std::nullopt;
  if (folder.find('\0') != std::string_view::npos) return std::nullopt;
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  return std::string(folder);
}

// Splits "X:=/folder" into its letter index and normalized folder.
std::optional<std::pair<int, std::string>> ParseSetting(std::string_view setting) {
  if (setting.size() < 4 || setting.substr(1, 2) != ":=") return std::nullopt;
  const auto index = LetterIndex(setting[0]);
  auto folder = NormalizeFolder(setting.substr(3));
  if (!index || !folder) return std::nullopt;
  return std::make_pair(*index, std::move(*folder));
}

// True when `path` is `folder` itself or lies below it.
bool IsWithin(std::string_view path, std::string_view folder) {
  if (folder == "/") return true;
  if (path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

}  // namespace

bool SetDrive(char letter, std::string_view hostFolder) {
  const auto index = LetterIndex(letter);
  auto folder = NormalizeFolder(hostFolder);
  if (!index || !folder) return false;
  Table& table = TheTable();
  std::unique_lock lock(table.mutex);
  table.folders[*index] = std::move(*folder);
  table.generation.fetch_add(1, std::memory_order_release);
  return true;
}

bool SetDriveFromOption(std::string_view option) {
  const auto setting = ParseSetting(option);
  if (!setting) return false;
  return SetDrive(static_cast<char>('A' + setting->first), setting->second);
}

void ResetDrives() {
  Table& table = TheTable();
  std::unique_lock lock(table.mutex);
  SetDefaults(table);
  table.generation.fetch_add(1, std::memory_order_release);
}

std::uint64_t DriveGeneration() { return TheTable().generation.load(std::memory_order_acquire); }

std::optional<std::string> DriveFolder(char letter) {
  const auto index = LetterIndex(letter);
  if (!index) return std::nullopt;
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  return table.folders[*index];
}

std::vector<DriveMapping> Drives() {
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  std::vector<DriveMapping> out;
  for (int i = 0; i < kLetters; ++i) {
    if (table.folders[i]) out.emplace_back(static_cast<char>('A' + i), *table.folders[i]);
  }
  return out;
}

std::optional<std::pair<char, std::size_t>> DriveHolding(std::string_view path) {
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  std::optional<std::pair<char, std::size_t>> best;
  for (int i = 0; i < kLetters; ++i) {
    const std::optional<std::string>& folder = table.folders[i];
    if (!folder || !IsWithin(path, *folder)) continue;
    if (!best || folder->size() > best->second)
      best.emplace(static_cast<char>('A' + i), folder->size());
  }
  return best;
}

}  // namespace vant::fs
