#include "module/class_table.h"

#include "blob/interfaces.h"
#include "download/interfaces.h"
#include "form/interfaces.h"
#include "image/interfaces.h"
#include "module/comp_reg.h"
#include "progress/interfaces.h"
#include "upload/interfaces.h"
#include "virus/interfaces.h"

namespace vant::frame {
namespace {

using R = ClassRegistration;

// An entry whose type library description is its registry description and
// whose interface is dual and not extensible.
template <class I>
constexpr ClassInfo ClassEntry(std::u16string_view name, const CLSID& clsid,
                               std::u16string_view progId, std::u16string_view versionedProgId,
                               std::u16string_view description, std::u16string_view interfaceName,
                               R registration = R::kProgIdsWithAppId) {
  return ClassInfo{.name = name,
                   .clsid = clsid,
                   .progId = progId,
                   .versionedProgId = versionedProgId,
                   .description = description,
                   .helpString = description,
                   .interfaceName = interfaceName,
                   .iid = I::kIid,
                   .typeInfo = &I::TypeInfo,
                   .registration = registration,
                   .extensible = false};
}

const ClassInfo kCreatable[] = {
    ClassEntry<IFileUpload>(
        u"FileUpload",
        MakeGuid(0x9B739684, 0x14D2, 0x447F, 0x86, 0x5E, 0x28, 0xE2, 0x15, 0x76, 0x13, 0x9A),
        u"VANT.FileUpload", u"VANT.FileUpload.1", u"FileUpload Class", u"IFileUpload"),
    ClassEntry<IProgress>(
        u"Progress",
        MakeGuid(0xF9B424D4, 0x51A1, 0x40E0, 0x8E, 0xB1, 0x1B, 0x90, 0x97, 0xAF, 0x98, 0x11),
        u"VANT.Progress", u"VANT.Progress.1", u"Progress Class", u"IProgress"),
    ClassEntry<IFileUploadMonitor>(
        u"FileUploadMonitor",
        MakeGuid(0x9815A65A, 0xDD46, 0x44B9, 0xA0, 0x88, 0x81, 0x9C, 0x3D, 0x10, 0xC0, 0x58),
        u"VANT.FileUploadMonitor", u"VANT.FileUploadMonitor.1", u"FileUploadMonitor Class",
        u"IFileUploadMonitor"),
    ClassEntry<IFileDownload>(
        u"FileDownload",
        MakeGuid(0x3A041F1F, 0xA2AC, 0x4453, 0xA0, 0x57, 0x82, 0x9C, 0x89, 0x69, 0x20, 0x83),
        u"VANT.FileDownload", u"VANT.FileDownload.1", u"FileDownload Class", u"IFileDownload"),
    ClassEntry<IManager>(
        u"Manager",
        MakeGuid(0x67A0279B, 0x3337, 0x4BC2, 0xAA, 0x79, 0x56, 0xC8, 0x02, 0xEA, 0xA7, 0x2F),
        u"VANT.Manager", u"VANT.Manager.1", u"Manager Class", u"IManager"),
    ClassEntry<IBLOBManager>(
        u"BLOBManager",
        MakeGuid(0x897B5A9B, 0x25C7, 0x4C20, 0xBD, 0x6A, 0xC1, 0x3E, 0xA4, 0x39, 0x7A, 0x6A),
        u"VANT.BLOBManager", u"VANT.BLOBManager.1", u"BLOBManager Class", u"IBLOBManager"),
    ClassEntry<IImageProc>(
        u"ImageProc",
        MakeGuid(0x343C5F9C, 0x35D1, 0x4F4B, 0xA0, 0x4B, 0xBF, 0x24, 0x6F, 0xA1, 0xA1, 0x9C),
        u"VANT.ImageProc", u"VANT.ImageProc.1", u"ImageProc Class", u"IImageProc"),
    ClassEntry<IIVirusInfo>(
        u"IVirusInfo",
        MakeGuid(0x79910CD7, 0xCD3A, 0x415F, 0x9C, 0xE5, 0xA1, 0x78, 0xA4, 0x4E, 0xB6, 0x18),
        u"VANTUploaddll.IVirusInfo", u"VANTUploaddll.IVirusInfo.1", u"IVirusInfo Class",
        u"IIVirusInfo", R::kProgIdsNoAppId),
    ClassInfo{u"CompReg", kCompRegClsid, u"", u"", u"CompReg Class", u"ComponentRegistrar 클래스",
              u"IComponentRegistrar", IComponentRegistrar::kIid, &IComponentRegistrar::TypeInfo,
              R::kClassKeyOnly, true},
};

const ClassInfo kInternal[] = {
    ClassEntry<IFormElement>(u"FormElement", GUID_NULL, u"VANT.FormElement", u"VANT.FormElement.1",
                             u"FormElement Class", u"IFormElement"),
    ClassEntry<IFormElementCollection>(
        u"FormElementCollection", GUID_NULL, u"VANT.FormElementCollection",
        u"VANT.FormElementCollection.1", u"FormElementCollection Class", u"IFormElementCollection"),
    ClassEntry<IFormElementMultiCollection>(
        u"FormElementMultiCollection", GUID_NULL, u"VANT.FormElementMultiCollection",
        u"VANT.FormElementMultiCollection.1", u"FormElementMultiCollection Class",
        u"IFormElementMultiCollection"),
};

}  // namespace

std::span<const ClassInfo> CreatableClasses() { return kCreatable; }

std::span<const ClassInfo> InternalClasses() { return kInternal; }

const ClassInfo* FindClass(const CLSID& clsid) {
  for (const ClassInfo& info : kCreatable) {
    if (info.clsid == clsid) return &info;
  }
  return nullptr;
}

std::vector<const ClassInfo*> LibraryInterfaces() {
  std::vector<const ClassInfo*> out;
  for (const ClassInfo& info : kCreatable) out.push_back(&info);
  for (const ClassInfo& info : kInternal) out.push_back(&info);
  return out;
}

ClassCreator FindClassCreator(const CLSID& clsid) {
  const ClassInfo* info = FindClass(clsid);
  if (info == nullptr) return nullptr;
  // The registrar class lives in the module itself, so it is named here
  // rather than by a registrar object.
  if (clsid == kCompRegClsid) return &CreateCompReg;
  return RegisteredClassCreator(info->name);
}

CLSID ClassIdOf(std::u16string_view name) {
  for (const ClassInfo& info : CreatableClasses()) {
    if (info.name == name) return info.clsid;
  }
  return GUID_NULL;
}

}  // namespace vant::frame
