#include "module/comp_reg.h"

#include <memory>
#include <optional>

#include "frame/class_creators.h"
#include "module/class_table.h"
#include "module/registration.h"

namespace vant::frame {
namespace {

class CCompReg : public ComObject<CCompReg, DispatchImpl<IComponentRegistrar>> {
 public:
  HRESULT Attach(const Bstr&) override { return S_OK; }

  HRESULT RegisterAll() override { return RegisterAllClasses(); }

  HRESULT UnregisterAll() override {
    UnregisterAllClasses();
    return S_OK;
  }

  HRESULT GetComponents(Variant* clsids, Variant* descriptions) override;

  HRESULT RegisterComponent(const Bstr& clsid) override {
    if (const std::optional<GUID> id = ParseGuid(clsid.view())) RegisterOneClass(*id);
    return S_OK;
  }

  HRESULT UnregisterComponent(const Bstr& clsid) override {
    if (const std::optional<GUID> id = ParseGuid(clsid.view())) UnregisterOneClass(*id);
    return S_OK;
  }

 private:
  ModuleLock lock_;
};

HRESULT CCompReg::GetComponents(Variant* clsids, Variant* descriptions) {
  if (clsids == nullptr || descriptions == nullptr) return E_POINTER;
  std::vector<const ClassInfo*> rows;
  for (const ClassInfo& info : CreatableClasses()) {
    if (!info.description.empty()) rows.push_back(&info);
  }
  const auto count = static_cast<std::uint32_t>(rows.size());
  std::unique_ptr<SafeArray> ids = SafeArray::CreateVector(VT_BSTR, 0, count);
  std::unique_ptr<SafeArray> texts = SafeArray::CreateVector(VT_BSTR, 0, count);
  if (!ids || !texts) return E_OUTOFMEMORY;
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto index = static_cast<std::int32_t>(i);
    ids->PutElement(index, Variant::String(Bstr(FormatGuidW(rows[i]->clsid))));
    texts->PutElement(index, Variant::String(Bstr(rows[i]->description)));
  }
  *clsids = Variant::Array(std::move(ids));
  *descriptions = Variant::Array(std::move(texts));
  return S_OK;
}

}  // namespace

HRESULT CreateCompReg(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return CCompReg::Create()->QueryInterface(iid, out);
}

}  // namespace vant::frame
