#include "platform/registry/registry.h"

#include <utility>

#include "platform/registry/detail/file_store.h"
#include "platform/registry/detail/guard.h"
#include "platform/registry/parsed_cache.h"
#include "platform/registry/reg_text.h"
#include "platform/registry/registry_path.h"

namespace vant::registry {

using detail::Guarded;

Key::Key(std::string file, std::u16string path, Access access)
    : file_(std::move(file)), path_(std::move(path)), access_(access), open_(true) {}

Key::Key(Key&& other) noexcept
    : file_(std::move(other.file_)),
      path_(std::move(other.path_)),
      access_(other.access_),
      open_(std::exchange(other.open_, false)) {}

Key& Key::operator=(Key&& other) noexcept {
  file_ = std::move(other.file_);
  path_ = std::move(other.path_);
  access_ = other.access_;
  open_ = std::exchange(other.open_, false);
  return *this;
}

void Key::Close() { open_ = false; }

Registry::Registry() : file_(CurrentRegistryPath()) {}

Registry::Registry(std::string file) : file_(std::move(file)) {}

long Registry::Read(Tree* out) const {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    std::shared_ptr<const Tree> shared;
    if (const long status = Snapshot(&shared); status != ERROR_SUCCESS) return status;
    *out = *shared;
    return ERROR_SUCCESS;
  });
}

long Registry::Snapshot(std::shared_ptr<const Tree>* out) const {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    detail::FileStamp known;
    std::shared_ptr<const Tree> last = LastParsedTree(file_, &known);
    std::string text;
    detail::FileStamp stamp;
    bool unchanged = false;
    if (const long status =
            detail::ReadRegistryFileIfChanged(file_, known, &text, &stamp, &unchanged);
        status != ERROR_SUCCESS) {
      return status;
    }
    if (unchanged && stamp.changes != known.changes) KeepStamp(file_, stamp);
    *out = unchanged ? std::move(last) : ParsedTree(file_, std::move(text), stamp);
    return ERROR_SUCCESS;
  });
}

long Registry::Edit(const std::function<long(Tree&)>& change) const {
  return Guarded([&] {
    return detail::UpdateRegistryFile(file_, [&](const std::string& current, std::string* next) {
      Tree tree = ParseRegText(current);
      std::string before;
      if (const long status = FormatRegText(tree, &before); status != ERROR_SUCCESS) return status;
      if (const long status = change(tree); status != ERROR_SUCCESS) return status;
      if (const long status = FormatRegText(tree, next); status != ERROR_SUCCESS) return status;
      // No change in content: keep the file byte for byte, hand edits included.
      if (*next == before) *next = current;
      return ERROR_SUCCESS;
    });
  });
}

long Registry::Open(std::u16string path, Access access, bool create, Key* out) const {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    long status = ERROR_SUCCESS;
    if (create) {
      status = Edit([&](Tree& tree) { return tree.CreateKey(path); });
    } else {
      std::shared_ptr<const Tree> tree;
      status = Snapshot(&tree);
      // A malformed path names no key; Win32 reports that as not found too.
      if (status == ERROR_SUCCESS && !tree->HasKey(path)) status = ERROR_FILE_NOT_FOUND;
    }
    if (status == ERROR_SUCCESS) *out = Key(file_, std::move(path), access);
    return status;
  });
}

long Registry::OpenKey(Root root, std::u16string_view subKey, Access access, Key* out) const {
  return Guarded([&] { return Open(KeyPath(root, subKey), access, false, out); });
}

long Registry::CreateKey(Root root, std::u16string_view subKey, Key* out) const {
  return Guarded([&] { return Open(KeyPath(root, subKey), Access::Write, true, out); });
}

long Registry::DeleteTree(Root root, std::u16string_view subKey) const {
  if (subKey.empty()) return ERROR_ACCESS_DENIED;
  return Guarded([&] {
    const std::u16string path = KeyPath(root, subKey);
    return Edit([&](Tree& tree) { return tree.DeleteTree(path); });
  });
}

long RegOpenKey(Root root, std::u16string_view subKey, Access access, Key* out) {
  return Registry().OpenKey(root, subKey, access, out);
}

long RegCreateKey(Root root, std::u16string_view subKey, Key* out) {
  return Registry().CreateKey(root, subKey, out);
}

long RegOpenKey(const Key& parent, std::u16string_view subKey, Access access, Key* out) {
  if (!parent.IsOpen()) return ERROR_INVALID_HANDLE;
  return Guarded([&] {
    std::u16string path = parent.Path();
    if (!subKey.empty()) path.append(u"\\").append(subKey);
    return Registry(parent.File()).Open(std::move(path), access, false, out);
  });
}

long RegCreateKey(const Key& parent, std::u16string_view subKey, Key* out) {
  if (!parent.IsOpen()) return ERROR_INVALID_HANDLE;
  if (parent.GetAccess() != Access::Write) return ERROR_ACCESS_DENIED;
  return Guarded([&] {
    std::u16string path = parent.Path();
    if (!subKey.empty()) path.append(u"\\").append(subKey);
    return Registry(parent.File()).Open(std::move(path), Access::Write, true, out);
  });
}

long RegCloseKey(Key* key) {
  if (key == nullptr || !key->IsOpen()) return ERROR_INVALID_HANDLE;
  key->Close();
  return ERROR_SUCCESS;
}

}  // namespace vant::registry
