#include "frame/registration_steps.h"

#include <vector>

#include "platform/automation/bstr.h"
#include "platform/registry/status.h"

namespace vant::frame::detail {

using registry::ERROR_FILE_NOT_FOUND;
using registry::ERROR_SUCCESS;

std::u16string Hkcr(std::u16string_view subKey) {
  return registry::KeyPath(registry::Root::ClassesRoot, subKey);
}

void RegWriter::Keep(long status) {
  if (status_ == ERROR_SUCCESS) status_ = status;
}

void RegWriter::SetString(std::u16string_view path, std::u16string_view name,
                          std::u16string_view text) {
  if (status_ == ERROR_SUCCESS) Keep(tree_.SetString(path, name, text));
}

void RegWriter::SetDword(std::u16string_view path, std::u16string_view name, uint32_t data) {
  if (status_ == ERROR_SUCCESS) Keep(tree_.SetDword(path, name, data));
}

void RegWriter::CreateKey(std::u16string_view path) {
  if (status_ == ERROR_SUCCESS) Keep(tree_.CreateKey(path));
}

void RegWriter::Remove(std::u16string_view path) {
  if (status_ != ERROR_SUCCESS) return;
  const long status = tree_.DeleteTree(path);
  if (status != ERROR_FILE_NOT_FOUND) Keep(status);
}

void RegWriter::RemoveIfEmpty(std::u16string_view path) {
  if (status_ != ERROR_SUCCESS || !tree_.HasKey(path)) return;
  std::vector<std::u16string> subKeys;
  tree_.SubKeys(path, &subKeys);
  bool hasValues = false;
  tree_.ForEachKey([&](const std::u16string& key, const std::vector<registry::Value>& values) {
    if (!values.empty() && EqualsNoCase(key, path)) hasValues = true;
  });
  if (subKeys.empty() && !hasValues) Remove(path);
}

}  // namespace vant::frame::detail
