// The registry changes behind registration, applied to an in-memory registry
// inside one write transaction. A step that fails stops every later step of
// the same writer, so the transaction is abandoned with that status.
#pragma once

#include <string>
#include <string_view>

#include "frame/class_info.h"
#include "platform/registry/tree.h"

namespace vant::frame::detail {

// What the entries point at.
struct ModuleFiles {
  std::u16string modulePath;    // InprocServer32 and the library's win32 entry
  std::u16string moduleFolder;  // the library's HELPDIR
  std::u16string resPath;       // default ResPath for the message catalog
};

// Applies registry changes until the first failure, which it keeps.
class RegWriter {
 public:
  explicit RegWriter(registry::Tree& tree) : tree_(tree) {}

  void SetString(std::u16string_view path, std::u16string_view name, std::u16string_view text);
  void SetDword(std::u16string_view path, std::u16string_view name, uint32_t data);
  void CreateKey(std::u16string_view path);
  // Deletes a key with its subtree; a key that is not there is no failure.
  void Remove(std::u16string_view path);
  // Deletes a key if it has neither sub keys nor values left.
  void RemoveIfEmpty(std::u16string_view path);

  const registry::Tree& tree() const { return tree_; }
  long status() const { return status_; }

 private:
  void Keep(long status);

  registry::Tree& tree_;
  long status_ = 0;
};

// The full path of a key under HKEY_CLASSES_ROOT.
std::u16string Hkcr(std::u16string_view subKey);

// One class's ProgID keys and class key (the class key rewritten from scratch).
void WriteClass(RegWriter& w, const ClassInfo& info, const ModuleFiles& files);
void RemoveClass(RegWriter& w, const ClassInfo& info);

// The application identifier keys and the registrar's class key.
void WriteAppScript(RegWriter& w, const ModuleFiles& files);
void RemoveAppScript(RegWriter& w);

// The type library key and each library interface's key.
void WriteTypeLibrary(RegWriter& w, const ModuleFiles& files);
void RemoveTypeLibrary(RegWriter& w);

// The marshaling entries of the library's interfaces.
void WriteProxyStubs(RegWriter& w);
void RemoveProxyStubs(RegWriter& w);

// ResPath and LangID under the configuration key, each only when missing.
void WriteMessageDefaults(RegWriter& w, const ModuleFiles& files);

}  // namespace vant::frame::detail
