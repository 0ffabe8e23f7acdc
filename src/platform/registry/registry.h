// The registry: keys and values under HKEY_CLASSES_ROOT and
// HKEY_LOCAL_MACHINE, kept in one text file (format in reg_text.h, location
// rule in registry_path.h).
//
// The calls follow the shape of the Win32 registry API the component code is
// written against: open or create a key on a root and a backslash separated
// sub key path, then query and set its values through the handle. A Key holds
// no operating-system resource; every call sees the file as it is now (an
// administrator may edit it at any time; an unchanged file is not read
// again, see Snapshot), and every change is one locked,
// atomic rewrite of the file. Edit() applies many changes as one such rewrite.
// A missing file reads as an empty registry. Nothing here throws: failures,
// including out of memory, come back as status codes (status.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/status.h"
#include "platform/registry/tree.h"

namespace vant::registry {

// Query only, or query and change.
enum class Access { Query, Write };

// An open key: which file, which key (full path), and with what access.
// Closing (or destroying) it just forgets that; it is move-only like a handle.
class Key {
 public:
  Key() = default;
  Key(Key&& other) noexcept;
  Key& operator=(Key&& other) noexcept;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() = default;

  bool IsOpen() const { return open_; }
  const std::string& File() const { return file_; }
  const std::u16string& Path() const { return path_; }
  Access GetAccess() const { return access_; }
  void Close();

 private:
  friend class Registry;
  Key(std::string file, std::u16string path, Access access);

  std::string file_;
  std::u16string path_;
  Access access_ = Access::Query;
  bool open_ = false;
};

// One registry file.
class Registry {
 public:
  // The registry of this process (CurrentRegistryPath()).
  Registry();
  explicit Registry(std::string file);

  const std::string& File() const { return file_; }

  // Opens an existing key. ERROR_FILE_NOT_FOUND: no such key (a malformed
  // sub key names none); ERROR_INVALID_PARAMETER: null out; read failures as
  // in Read().
  long OpenKey(Root root, std::u16string_view subKey, Access access, Key* out) const;

  // Opens the key for writing, creating it and its missing parents first.
  // ERROR_INVALID_PARAMETER: null out or a malformed sub key; write failures
  // as in Edit().
  long CreateKey(Root root, std::u16string_view subKey, Key* out) const;

  // Deletes the key with its whole subtree. ERROR_FILE_NOT_FOUND: no such
  // key; ERROR_ACCESS_DENIED: subKey is empty (a root is never deleted).
  long DeleteTree(Root root, std::u16string_view subKey) const;

  // A snapshot of the whole registry, read afresh. Read failures as above.
  long Read(Tree* out) const;
  // The same snapshot shared rather than copied: the file is read and
  // parsed again only when its stamp (inode, size, times) or its text
  // changed since the last read, so an edit is still seen at once.
  long Snapshot(std::shared_ptr<const Tree>* out) const;

  // One write transaction: locks the file against other writers, reads it
  // afresh, runs change on the tree and, if change returns ERROR_SUCCESS and
  // altered anything, replaces the file atomically. change's failure is
  // returned as is and nothing is written. ERROR_ACCESS_DENIED,
  // ERROR_DISK_FULL, ERROR_WRITE_FAULT, ERROR_READ_FAULT: the file could not
  // be read or replaced; the old file is then intact.
  long Edit(const std::function<long(Tree&)>& change) const;

 private:
  friend long RegOpenKey(const Key&, std::u16string_view, Access, Key*);
  friend long RegCreateKey(const Key&, std::u16string_view, Key*);
  long Open(std::u16string path, Access access, bool create, Key* out) const;

  std::string file_;
};

// Reads at most this many bytes (no limit).
inline constexpr size_t kNoSizeLimit = SIZE_MAX;

// OpenKey / CreateKey on the registry of this process.
long RegOpenKey(Root root, std::u16string_view subKey, Access access, Key* out);
long RegCreateKey(Root root, std::u16string_view subKey, Key* out);

// OpenKey / CreateKey relative to an open key, in the same file (creating
// also restores the parent if it was deleted meanwhile).
// ERROR_INVALID_HANDLE: parent not open; ERROR_ACCESS_DENIED: creating under
// a parent opened for query only; otherwise as Registry::OpenKey / CreateKey.
long RegOpenKey(const Key& parent, std::u16string_view subKey, Access access, Key* out);
long RegCreateKey(const Key& parent, std::u16string_view subKey, Key* out);

// The calls below share these failures: ERROR_INVALID_HANDLE: the key is not
// open; ERROR_KEY_DELETED: the key was deleted since it was opened;
// ERROR_INVALID_PARAMETER: a null out pointer; and the read and write
// failures of Registry::Read and Registry::Edit.

// A string value; an empty name reads the default value. The value counts as
// UTF-16 with its terminator against maxBytes, as a Win32 read buffer does
// (127 characters fit in 256 bytes, 128 do not). ERROR_FILE_NOT_FOUND: no
// such value; ERROR_UNSUPPORTED_TYPE: not a string; ERROR_MORE_DATA: longer
// than maxBytes (out unchanged).
long RegQueryString(const Key& key, std::u16string_view valueName, std::u16string* out,
                    size_t maxBytes);

// A 32-bit number value. ERROR_FILE_NOT_FOUND: no such value;
// ERROR_UNSUPPORTED_TYPE: not a number.
long RegQueryDword(const Key& key, std::u16string_view valueName, uint32_t* out);

// Sets a value, replacing one of the same name (any type). ERROR_ACCESS_DENIED:
// the key was opened for query only; ERROR_INVALID_PARAMETER: a name with a
// control character or text with a line break, NUL or unpaired surrogate.
long RegSetString(const Key& key, std::u16string_view valueName, std::u16string_view text);
long RegSetDword(const Key& key, std::u16string_view valueName, uint32_t data);

// Removes a value. ERROR_FILE_NOT_FOUND: no such value; ERROR_ACCESS_DENIED:
// opened for query only.
long RegDeleteValue(const Key& key, std::u16string_view valueName);

// Deletes the sub key with its whole subtree; an empty subKey deletes every
// sub key and value of the key but keeps the key. ERROR_FILE_NOT_FOUND: no
// such sub key; ERROR_ACCESS_DENIED: opened for query only.
long RegDeleteTree(const Key& key, std::u16string_view subKey);

// The names of the key's direct sub keys, in file order.
long RegEnumSubKeys(const Key& key, std::vector<std::u16string>* out);

// Closes the key. ERROR_INVALID_HANDLE: null or not open.
long RegCloseKey(Key* key);

}  // namespace vant::registry
