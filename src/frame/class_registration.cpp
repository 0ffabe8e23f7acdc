#include <string>

#include "frame/registration_steps.h"
#include "frame/type_library.h"

namespace vant::frame::detail {
namespace {

constexpr std::u16string_view kDefault = u"";
constexpr std::u16string_view kApartment = u"Apartment";

std::u16string ClassKey(const CLSID& clsid) { return Hkcr(u"CLSID\\" + FormatGuidW(clsid)); }

void WriteProgIds(RegWriter& w, const ClassInfo& info) {
  const std::u16string clsid = FormatGuidW(info.clsid);
  const std::u16string versioned = Hkcr(info.versionedProgId);
  w.SetString(versioned, kDefault, info.description);
  w.SetString(versioned + u"\\CLSID", kDefault, clsid);
  const std::u16string independent = Hkcr(info.progId);
  w.SetString(independent, kDefault, info.description);
  w.SetString(independent + u"\\CLSID", kDefault, clsid);
  w.SetString(independent + u"\\CurVer", kDefault, info.versionedProgId);
}

}  // namespace

void WriteClass(RegWriter& w, const ClassInfo& info, const ModuleFiles& files) {
  const bool hasProgIds = info.registration != ClassRegistration::kClassKeyOnly;
  if (hasProgIds) WriteProgIds(w, info);
  const std::u16string key = ClassKey(info.clsid);
  // The class key is rewritten from scratch so that nothing of an older
  // registration survives under it.
  w.Remove(key);
  w.SetString(key, kDefault, info.description);
  if (hasProgIds) {
    w.SetString(key + u"\\ProgID", kDefault, info.versionedProgId);
    w.SetString(key + u"\\VersionIndependentProgID", kDefault, info.progId);
    w.CreateKey(key + u"\\Programmable");
  }
  w.SetString(key + u"\\InprocServer32", kDefault, files.modulePath);
  w.SetString(key + u"\\InprocServer32", u"ThreadingModel", kApartment);
  if (info.registration == ClassRegistration::kProgIdsWithAppId) {
    w.SetString(key, u"AppID", FormatGuidW(kAppId));
  }
  w.SetString(key + u"\\TypeLib", kDefault, FormatGuidW(kTypeLibId));
}

void RemoveClass(RegWriter& w, const ClassInfo& info) {
  if (info.registration != ClassRegistration::kClassKeyOnly) {
    w.Remove(Hkcr(info.versionedProgId));
    w.Remove(Hkcr(info.progId));
  }
  w.Remove(ClassKey(info.clsid));
}

}  // namespace vant::frame::detail
