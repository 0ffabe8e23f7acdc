#include "host/intrinsics/server_variables_object.h"

#include "host/intrinsics/detail/key_members.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kRequestSource;
}  // namespace

ServerVariablesObject::ServerVariablesObject(ServerFacts facts, std::shared_ptr<const void> owner)
    : facts_(facts), owner_(std::move(owner)) {}

void ServerVariablesObject::KeepHead() {
  if (kept_) return;
  kept_ = *facts_.head;
  facts_.head = &*kept_;
}

const std::vector<std::string>& ServerVariablesObject::Names() {
  if (!names_) names_ = ServerVariableNames(*facts_.head);
  return *names_;
}

void* ServerVariablesObject::FindExtraInterface(const IID& iid) {
  return iid == host::IRequestDictionary::kIid ? static_cast<host::IRequestDictionary*>(this)
                                               : nullptr;
}

std::optional<std::u16string> ServerVariablesObject::Lookup(std::u16string_view name) const {
  std::optional<std::string> value = LookupServerVariable(Narrow(name), facts_);
  if (!value) return std::nullopt;
  return DecodeUtf8(*value);
}

HRESULT ServerVariablesObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::u16string name;
    std::u16string_view asked;
    if (key.Deref().vt() == VT_BSTR) {
      // A name, as components and pages nearly always pass: read in place.
      asked = key.Deref().bstr().view();
    } else if (auto position = PositionOf(key)) {
      const std::vector<std::string>& names = Names();
      if (*position < 1 || static_cast<std::size_t>(*position) > names.size()) {
        return RaiseError(DISP_E_BADINDEX, kSource, u"The index is outside the server variables.");
      }
      name = DecodeUtf8(names[static_cast<std::size_t>(*position - 1)]);
      asked = name;
    } else if (Failed(VariantToText(key, &name))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The server variable name is not text.");
    } else {
      asked = name;
    }
    std::optional<std::u16string> value = Lookup(asked);
    *out = value ? Variant::String(Bstr(std::move(*value))) : Variant();
    return S_OK;
  });
}

HRESULT ServerVariablesObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = static_cast<std::int32_t>(Names().size());
    return S_OK;
  });
}

HRESULT ServerVariablesObject::get_Key(const Variant& position, Variant* out) {
  return KeyAtPosition(
      kSource, u"The index is outside the server variables.", Names(),
      [](const auto& n) { return DecodeUtf8(n); }, position, out);
}

HRESULT ServerVariablesObject::get__NewEnum(IUnknown** out) {
  return KeyEnumerator(
      kSource, Names(), [](const auto& n) { return DecodeUtf8(n); }, out);
}

}  // namespace vant::host::intrinsics
