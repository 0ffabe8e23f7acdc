#include "platform/registry/tree.h"

#include <utility>

#include "platform/registry/detail/names.h"
#include "platform/registry/status.h"

namespace vant::registry {
namespace {

// Stands for '\' in map keys: below every character a name may hold, so a
// key's sub keys sort directly after it.
constexpr char16_t kSeparator = u'\x01';
constexpr char16_t kAfterSeparator = u'\x02';

struct ParsedPath {
  std::u16string_view root;  // canonical spelling
  std::vector<std::u16string_view> segments;
};

// Splits "ROOT\a\b" into its canonical root and name segments; false for an
// unknown root or an invalid segment.
bool ParsePath(std::u16string_view path, ParsedPath* out) {
  const size_t rootEnd = path.find(u'\\');
  out->root = detail::CanonicalRoot(path.substr(0, rootEnd));
  if (out->root.empty()) return false;
  if (rootEnd == std::u16string_view::npos) return true;
  size_t start = rootEnd + 1;
  while (true) {
    const size_t end = path.find(u'\\', start);
    const std::u16string_view segment = path.substr(start, end - start);
    if (segment.empty() || !detail::IsValidName(segment)) return false;
    out->segments.push_back(segment);
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}

std::u16string MapKey(const ParsedPath& path) {
  std::u16string key = detail::Fold(path.root);
  for (const std::u16string_view segment : path.segments) {
    key += kSeparator;
    key += detail::Fold(segment);
  }
  return key;
}

bool IsRootKey(const std::u16string& mapKey) {
  return mapKey.find(kSeparator) == std::u16string::npos;
}

}  // namespace

std::u16string KeyPath(Root root, std::u16string_view subKey) {
  std::u16string path = root == Root::ClassesRoot ? u"HKEY_CLASSES_ROOT" : u"HKEY_LOCAL_MACHINE";
  if (subKey.empty()) return path;
  path += u'\\';
  path += subKey;
  return path;
}

const Tree::Node* Tree::FindNode(std::u16string_view path) const {
  ParsedPath parsed;
  if (!ParsePath(path, &parsed)) return nullptr;
  const auto it = nodes_.find(MapKey(parsed));
  return it == nodes_.end() ? nullptr : &it->second;
}

Tree::Node* Tree::FindNode(std::u16string_view path) {
  return const_cast<Node*>(std::as_const(*this).FindNode(path));
}

Tree::Node* Tree::CreateNode(std::u16string_view path, long* status) {
  ParsedPath parsed;
  if (!ParsePath(path, &parsed)) {
    *status = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  std::u16string key = detail::Fold(parsed.root);
  Node* node = &nodes_.try_emplace(key, Node{std::u16string(parsed.root), {}}).first->second;
  for (const std::u16string_view segment : parsed.segments) {
    key += kSeparator;
    key += detail::Fold(segment);
    auto [it, inserted] = nodes_.try_emplace(key);
    // A new key takes its parent's spelling for the part of the path they share.
    if (inserted) it->second.path = node->path + u'\\' + std::u16string(segment);
    node = &it->second;
  }
  *status = ERROR_SUCCESS;
  return node;
}

bool Tree::HasKey(std::u16string_view path) const {
  ParsedPath parsed;
  if (!ParsePath(path, &parsed)) return false;
  return parsed.segments.empty() || nodes_.count(MapKey(parsed)) != 0;
}

long Tree::CreateKey(std::u16string_view path) {
  long status = ERROR_SUCCESS;
  CreateNode(path, &status);
  return status;
}

long Tree::DeleteTree(std::u16string_view path) {
  ParsedPath parsed;
  if (!ParsePath(path, &parsed)) return ERROR_FILE_NOT_FOUND;
  if (parsed.segments.empty()) return ERROR_ACCESS_DENIED;
  const std::u16string key = MapKey(parsed);
  if (nodes_.erase(key) == 0) return ERROR_FILE_NOT_FOUND;
  nodes_.erase(nodes_.lower_bound(key + kSeparator), nodes_.lower_bound(key + kAfterSeparator));
  return ERROR_SUCCESS;
}

long Tree::Clear(std::u16string_view path) {
  ParsedPath parsed;
  if (!ParsePath(path, &parsed)) return ERROR_FILE_NOT_FOUND;
  const std::u16string key = MapKey(parsed);
  const auto node = nodes_.find(key);
  if (node != nodes_.end()) node->second.values.clear();
  if (node == nodes_.end() && !parsed.segments.empty()) return ERROR_FILE_NOT_FOUND;
  nodes_.erase(nodes_.lower_bound(key + kSeparator), nodes_.lower_bound(key + kAfterSeparator));
  return ERROR_SUCCESS;
}

long Tree::SubKeys(std::u16string_view path, std::vector<std::u16string>* out) const {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  if (!HasKey(path)) return ERROR_FILE_NOT_FOUND;
  ParsedPath parsed;
  ParsePath(path, &parsed);
  const std::u16string prefix = MapKey(parsed) + kSeparator;
  out->clear();
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    // Deeper descendants have another separator after the prefix.
    if (it->first.find(kSeparator, prefix.size()) != std::u16string::npos) continue;
    const std::u16string& full = it->second.path;
    out->push_back(full.substr(full.rfind(u'\\') + 1));
  }
  return ERROR_SUCCESS;
}

const Value* Tree::FindValue(std::u16string_view path, std::u16string_view name) const {
  const Node* node = FindNode(path);
  if (node == nullptr) return nullptr;
  for (const Value& value : node->values) {
    if (detail::EqualsFolded(value.name, name)) return &value;
  }
  return nullptr;
}

long Tree::SetValue(std::u16string_view path, Value value) {
  if (!detail::IsValidName(value.name)) return ERROR_INVALID_PARAMETER;
  if (value.type == ValueType::String && !detail::IsValidText(value.text)) {
    return ERROR_INVALID_PARAMETER;
  }
  long status = ERROR_SUCCESS;
  Node* node = CreateNode(path, &status);
  if (node == nullptr) return status;
  for (Value& existing : node->values) {
    if (!detail::EqualsFolded(existing.name, value.name)) continue;
    value.name = std::move(existing.name);
    existing = std::move(value);
    return ERROR_SUCCESS;
  }
  node->values.push_back(std::move(value));
  return ERROR_SUCCESS;
}

long Tree::SetString(std::u16string_view path, std::u16string_view name, std::u16string_view text) {
  return SetValue(path,
                  Value{std::u16string(name), ValueType::String, std::u16string(text), 0, {}});
}

long Tree::SetDword(std::u16string_view path, std::u16string_view name, uint32_t data) {
  return SetValue(path, Value{std::u16string(name), ValueType::Dword, {}, data, {}});
}

long Tree::DeleteValue(std::u16string_view path, std::u16string_view name) {
  Node* node = FindNode(path);
  if (node == nullptr) return ERROR_FILE_NOT_FOUND;
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (!detail::EqualsFolded(it->name, name)) continue;
    node->values.erase(it);
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

void Tree::ForEachKey(
    const std::function<void(const std::u16string&, const std::vector<Value>&)>& visit) const {
  for (const auto& [key, node] : nodes_) {
    if (IsRootKey(key) && node.values.empty()) continue;
    visit(node.path, node.values);
  }
}

}  // namespace vant::registry
