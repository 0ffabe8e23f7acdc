#include "platform/fs/drive_table.h"

#include <array>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>

namespace vant::fs {
namespace {

constexpr int kLetters = 26;
constexpr char kSeparator = ';';

struct Table {
  std::shared_mutex mutex;
  bool loaded = false;
  std::array<std::optional<std::string>, kLetters> folders;
};

// Never destroyed: threads of other libraries (the image library's
// workers) may still map a path while the process runs its exit handlers.
Table& TheTable() {
  static Table* const table = new Table;
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

void SetDefaults(Table& table) {
  table.folders = {};
  table.folders[kDefaultDrive - 'A'].emplace(1, '/');  // C: -> "/"
}

// Fills the table from the environment, ignoring malformed entries; with no
// variable the defaults stand. Caller holds the lock exclusively.
void LoadFromEnvironment(Table& table) {
  SetDefaults(table);
  const char* text = std::getenv(kDrivesVariable);
  if (text != nullptr) {
    table.folders = {};
    std::string_view rest(text);
    while (!rest.empty()) {
      const size_t end = rest.find(kSeparator);
      if (auto setting = ParseSetting(rest.substr(0, end))) {
        table.folders[setting->first] = std::move(setting->second);
      }
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
  }
  table.loaded = true;
}

// Writes the table to the environment. Caller holds the lock exclusively.
void Publish(const Table& table) {
  std::string text;
  for (int i = 0; i < kLetters; ++i) {
    if (!table.folders[i]) continue;
    if (!text.empty()) text += kSeparator;
    text += static_cast<char>('A' + i);
    text += ":=";
    text += *table.folders[i];
  }
  setenv(kDrivesVariable, text.c_str(), 1);
}

// Runs `read` under a shared lock once the table is loaded.
template <typename Read>
auto WithLoadedTable(Read read) {
  Table& table = TheTable();
  {
    std::shared_lock lock(table.mutex);
    if (table.loaded) return read(table);
  }
  std::unique_lock lock(table.mutex);
  if (!table.loaded) LoadFromEnvironment(table);
  return read(table);
}

}  // namespace

bool SetDrive(char letter, std::string_view hostFolder) {
  const auto index = LetterIndex(letter);
  auto folder = NormalizeFolder(hostFolder);
  if (!index || !folder) return false;
  Table& table = TheTable();
  std::unique_lock lock(table.mutex);
  // Keep what another copy of the library published before this one.
  if (!table.loaded) LoadFromEnvironment(table);
  table.folders[*index] = std::move(*folder);
  Publish(table);
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
  table.loaded = true;
  Publish(table);
}

std::optional<std::string> DriveFolder(char letter) {
  const auto index = LetterIndex(letter);
  if (!index) return std::nullopt;
  return WithLoadedTable([&](const Table& table) { return table.folders[*index]; });
}

std::vector<DriveMapping> Drives() {
  return WithLoadedTable([](const Table& table) {
    std::vector<DriveMapping> out;
    for (int i = 0; i < kLetters; ++i) {
      if (table.folders[i]) out.emplace_back(static_cast<char>('A' + i), *table.folders[i]);
    }
    return out;
  });
}

}  // namespace vant::fs
