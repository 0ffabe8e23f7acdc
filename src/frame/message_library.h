// Where the message texts come from: the configuration key read on every
// report (never cached, so an administrator's change is seen at once) and
// the catalog file it names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/message_catalog.h"

namespace vant::frame {

// HKEY_LOCAL_MACHINE key with the catalog path and the message language.
inline constexpr std::u16string_view kConfigKey = u"SOFTWARE\\TALVEK\\VANTUpload Professional";
inline constexpr std::u16string_view kResPathValue = u"ResPath";
inline constexpr std::u16string_view kLangIdValue = u"LangID";
// ResPath is read into a buffer of this many bytes: 127 UTF-16 units and the
// terminator. A longer value is not read at all.
inline constexpr std::size_t kResPathMaxBytes = 256;

inline constexpr std::uint16_t kLangEnglish = 1033;
inline constexpr std::uint16_t kLangJapanese = 1041;
inline constexpr std::uint16_t kLangKorean = 1042;

struct MessageConfig {
  std::u16string resPath;  // empty: key or value missing, or too long
  std::uint32_t langId = 0;
};

// Reads ResPath and LangID from the configuration key. A missing key leaves
// both empty/0; a missing, mistyped or over-long value leaves that one so.
MessageConfig ReadMessageConfig();

// 1041 and 1042 stay as they are; every other value means 1033.
std::uint16_t MessageLanguage(std::uint32_t langId);

// The host path of a ResPath value: a path beginning with "/" is already a
// host path; anything else is Windows syntax mapped through the drive table.
// nullopt for an empty path or one that does not map.
std::optional<std::string> CatalogHostPath(std::u16string_view resPath);

// Loads the catalog that ResPath names; nullopt when it names none that loads.
std::optional<MessageCatalog> LoadMessageLibrary(std::u16string_view resPath);

}  // namespace vant::frame
