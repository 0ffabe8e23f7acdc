#include "frame/message_library.h"

#include "platform/automation/bstr.h"
#include "platform/fs/path_map.h"
#include "platform/registry/registry.h"

namespace vant::frame {

MessageConfig ReadMessageConfig() {
  namespace reg = vant::registry;
  MessageConfig config;
  reg::Key key;
  if (reg::RegOpenKey(reg::Root::LocalMachine, kConfigKey, reg::Access::Query, &key) !=
      reg::ERROR_SUCCESS) {
    return config;
  }
  std::u16string path;
  if (reg::RegQueryString(key, kResPathValue, &path, kResPathMaxBytes) == reg::ERROR_SUCCESS) {
    config.resPath = std::move(path);
  }
  std::uint32_t lang = 0;
  if (reg::RegQueryDword(key, kLangIdValue, &lang) == reg::ERROR_SUCCESS) config.langId = lang;
  reg::RegCloseKey(&key);
  return config;
}

std::uint16_t MessageLanguage(std::uint32_t langId) {
  if (langId == kLangJapanese || langId == kLangKorean) return static_cast<std::uint16_t>(langId);
  return kLangEnglish;
}

std::optional<std::string> CatalogHostPath(std::u16string_view resPath) {
  if (resPath.empty()) return std::nullopt;
  if (resPath.front() == u'/') return Utf16ToUtf8(resPath);
  return fs::ToHostPath(resPath);
}

std::optional<MessageCatalog> LoadMessageLibrary(std::u16string_view resPath) {
  const std::optional<std::string> hostPath = CatalogHostPath(resPath);
  if (!hostPath) return std::nullopt;
  return MessageCatalog::Load(*hostPath);
}

}  // namespace vant::frame
