#include "host/intrinsics/type_lib_object.h"

#include <cstring>

#include "platform/sys/random.h"

namespace vant::host::intrinsics {
namespace {

constexpr std::u16string_view kProgId = u"Scriptlet.TypeLib";
constexpr std::u16string_view kProgIdVersioned = u"Scriptlet.TypeLib.1";

class TypeLibObject final : public ComObject<TypeLibObject, DispatchImpl<IAspTypeLib>> {
 public:
  explicit TypeLibObject(std::u16string text) : text_(std::move(text)) {}

  HRESULT get_Guid(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    *out = Bstr(text_);
    return S_OK;
  }

 private:
  const std::u16string text_;
};

}  // namespace

const InterfaceInfo& IAspTypeLib::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspTypeLib::get_Guid>(u"Guid", DISPID_VALUE),
  };
  static const InterfaceInfo info{u"ITypeLib", kIid, members};
  return info;
}

ComPtr<IDispatch> CreateTypeLibObject(std::u16string_view progId) {
  if (!EqualsNoCase(progId, kProgId) && !EqualsNoCase(progId, kProgIdVersioned)) return nullptr;
  std::uint8_t bytes[sys::kGuidSize];
  if (!sys::NewGuidBytes(bytes)) return nullptr;
  GUID guid;
  std::memcpy(&guid.Data1, bytes, 4);
  std::memcpy(&guid.Data2, bytes + 4, 2);
  std::memcpy(&guid.Data3, bytes + 6, 2);
  std::memcpy(guid.Data4.data(), bytes + 8, 8);
  ComPtr<TypeLibObject> object = TypeLibObject::Create(FormatGuidW(guid));
  return ComPtr<IDispatch>::Attach(static_cast<IDispatch*>(object.Detach()));
}

}  // namespace vant::host::intrinsics
