// The calls on an open key: values, sub keys, subtree deletion.
#include "platform/registry/detail/guard.h"
#include "platform/registry/registry.h"

namespace vant::registry {
namespace {

using detail::Guarded;

// Reads the registry afresh and checks that the key still exists.
long ReadKey(const Key& key, std::shared_ptr<const Tree>* tree) {
  if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
  if (const long status = Registry(key.File()).Snapshot(tree); status != ERROR_SUCCESS)
    return status;
  return (*tree)->HasKey(key.Path()) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Runs change in one write transaction on a key opened for writing.
template <typename Change>
long EditKey(const Key& key, Change&& change) {
  if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
  if (key.GetAccess() != Access::Write) return ERROR_ACCESS_DENIED;
  return Registry(key.File()).Edit([&](Tree& tree) {
    if (!tree.HasKey(key.Path())) return ERROR_KEY_DELETED;
    return change(tree);
  });
}

// Finds a value of the wanted type for the query calls.
long FindTyped(const Tree& tree, const Key& key, std::u16string_view name, ValueType type,
               const Value** out) {
  *out = tree.FindValue(key.Path(), name);
  if (*out == nullptr) return ERROR_FILE_NOT_FOUND;
  return (*out)->type == type ? ERROR_SUCCESS : ERROR_UNSUPPORTED_TYPE;
}

}  // namespace

long RegQueryString(const Key& key, std::u16string_view valueName, std::u16string* out,
                    size_t maxBytes) {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    std::shared_ptr<const Tree> snapshot;
    if (const long status = ReadKey(key, &snapshot); status != ERROR_SUCCESS) return status;
    const Tree& tree = *snapshot;
    const Value* value = nullptr;
    const long status = FindTyped(tree, key, valueName, ValueType::String, &value);
    if (status != ERROR_SUCCESS) return status;
    // UTF-16 units plus the terminator, as the value sits in a Win32 buffer.
    const size_t bytes = (value->text.size() + 1) * sizeof(char16_t);
    if (bytes > maxBytes) return ERROR_MORE_DATA;
    *out = value->text;
    return ERROR_SUCCESS;
  });
}

long RegQueryDword(const Key& key, std::u16string_view valueName, uint32_t* out) {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    std::shared_ptr<const Tree> snapshot;
    if (const long status = ReadKey(key, &snapshot); status != ERROR_SUCCESS) return status;
    const Tree& tree = *snapshot;
    const Value* value = nullptr;
    const long status = FindTyped(tree, key, valueName, ValueType::Dword, &value);
    if (status == ERROR_SUCCESS) *out = value->dword;
    return status;
  });
}

long RegSetString(const Key& key, std::u16string_view valueName, std::u16string_view text) {
  return Guarded([&] {
    return EditKey(key, [&](Tree& tree) { return tree.SetString(key.Path(), valueName, text); });
  });
}

long RegSetDword(const Key& key, std::u16string_view valueName, uint32_t data) {
  return Guarded([&] {
    return EditKey(key, [&](Tree& tree) { return tree.SetDword(key.Path(), valueName, data); });
  });
}

long RegDeleteValue(const Key& key, std::u16string_view valueName) {
  return Guarded([&] {
    return EditKey(key, [&](Tree& tree) { return tree.DeleteValue(key.Path(), valueName); });
  });
}

long RegDeleteTree(const Key& key, std::u16string_view subKey) {
  return Guarded([&] {
    return EditKey(key, [&](Tree& tree) {
      if (subKey.empty()) return tree.Clear(key.Path());
      return tree.DeleteTree(key.Path() + u"\\" + std::u16string(subKey));
    });
  });
}

long RegEnumSubKeys(const Key& key, std::vector<std::u16string>* out) {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&] {
    std::shared_ptr<const Tree> snapshot;
    if (const long status = ReadKey(key, &snapshot); status != ERROR_SUCCESS) return status;
    const Tree& tree = *snapshot;
    return tree.SubKeys(key.Path(), out);
  });
}

}  // namespace vant::registry
