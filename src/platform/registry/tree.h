// The registry held in memory: keys with their values, as read from the
// registry file and written back to it.
//
// Key and value names compare case-insensitively (ASCII letters only: key
// names here are identifiers, ProgIDs and GUIDs) and keep the spelling they
// were first written with. A key path is either a root and a backslash
// separated sub key (Root overloads), or a full path that starts with the root
// name ("HKEY_CLASSES_ROOT\VANT.FileUpload"; HKCR and HKLM are accepted too).
// Creating a key creates its missing parents. Keys are kept in tree order
// (parents before children, siblings sorted case-insensitively), so the file
// written from a tree is the same whatever order the changes came in.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vant::registry {

enum class Root { ClassesRoot, LocalMachine };

enum class ValueType {
  String,  // REG_SZ
  Dword,   // REG_DWORD
  Other,   // any other kind found in the file (hex:, hex(2):, ...), kept as written
};

struct Value {
  std::u16string name;  // empty names the key's default value
  ValueType type = ValueType::String;
  std::u16string text;  // String data
  uint32_t dword = 0;   // Dword data
  std::u16string raw;   // Other: the data after '=' exactly as the file spelled it
};

// The full path of a sub key of a root, e.g. u"HKEY_LOCAL_MACHINE\\SOFTWARE".
std::u16string KeyPath(Root root, std::u16string_view subKey);

class Tree {
 public:
  // True when the key exists. A root always exists.
  bool HasKey(std::u16string_view path) const;

  // Creates the key and its missing parents; an existing key is left as it is.
  // ERROR_INVALID_PARAMETER: unknown root, an empty name segment, or a name
  // with a control character or an unpaired surrogate.
  long CreateKey(std::u16string_view path);

  // Deletes the key with all its sub keys and values.
  // ERROR_FILE_NOT_FOUND: no such key. ERROR_ACCESS_DENIED: the path is a root.
  long DeleteTree(std::u16string_view path);

  // Removes the key's sub keys and values; the key itself stays.
  // ERROR_FILE_NOT_FOUND: no such key.
  long Clear(std::u16string_view path);

  // The names of the key's direct sub keys, in tree order.
  // ERROR_FILE_NOT_FOUND: no such key; ERROR_INVALID_PARAMETER: null out.
  long SubKeys(std::u16string_view path, std::vector<std::u16string>* out) const;

  // The value, or nullptr when the key or the value does not exist.
  const Value* FindValue(std::u16string_view path, std::u16string_view name) const;

  // Stores the value (its name picks the slot), creating the key if missing.
  // An existing value keeps its name's spelling and takes the new type and data.
  // ERROR_INVALID_PARAMETER: bad key path (see CreateKey), a name with a control
  // character, or string data with a line break, NUL or unpaired surrogate.
  long SetValue(std::u16string_view path, Value value);
  long SetString(std::u16string_view path, std::u16string_view name, std::u16string_view text);
  long SetDword(std::u16string_view path, std::u16string_view name, uint32_t data);

  // Removes one value. ERROR_FILE_NOT_FOUND: no such key or value.
  long DeleteValue(std::u16string_view path, std::u16string_view name);

  // Calls visit for every key in tree order with its full path and values.
  // Roots are only visited when they carry values.
  void ForEachKey(const std::function<void(const std::u16string& path, const std::vector<Value>&)>&
                      visit) const;

  // The same operations addressed by root and sub key (empty sub key = the root).
  bool HasKey(Root r, std::u16string_view sub) const { return HasKey(KeyPath(r, sub)); }
  long CreateKey(Root r, std::u16string_view sub) { return CreateKey(KeyPath(r, sub)); }
  long DeleteTree(Root r, std::u16string_view sub) { return DeleteTree(KeyPath(r, sub)); }
  long SubKeys(Root r, std::u16string_view sub, std::vector<std::u16string>* out) const {
    return SubKeys(KeyPath(r, sub), out);
  }
  const Value* FindValue(Root r, std::u16string_view sub, std::u16string_view name) const {
    return FindValue(KeyPath(r, sub), name);
  }
  long SetString(Root r, std::u16string_view sub, std::u16string_view name,
                 std::u16string_view text) {
    return SetString(KeyPath(r, sub), name, text);
  }
  long SetDword(Root r, std::u16string_view sub, std::u16string_view name, uint32_t data) {
    return SetDword(KeyPath(r, sub), name, data);
  }
  long DeleteValue(Root r, std::u16string_view sub, std::u16string_view name) {
    return DeleteValue(KeyPath(r, sub), name);
  }

 private:
  struct Node {
    std::u16string path;  // full path, spelled as first written
    std::vector<Value> values;
  };
  Node* FindNode(std::u16string_view path);
  const Node* FindNode(std::u16string_view path) const;
  Node* CreateNode(std::u16string_view path, long* status);

  // Keyed by the folded path with separators mapped below every name
  // character, which yields tree order.
  std::map<std::u16string, Node> nodes_;
};

}  // namespace vant::registry
