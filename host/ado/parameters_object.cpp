#include "host/ado/parameters_object.h"

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

// {9E2D4B71-3C0A-4E58-B6F1-7A4C28D15E93}: how Append recognises our own
// Parameter objects.
struct IParameterAccess : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x9E2D4B71, 0x3C0A, 0x4E58, 0xB6, 0xF1, 0x7A, 0x4C, 0x28, 0xD1, 0x5E, 0x93);
  virtual std::shared_ptr<ParameterData> Data() = 0;
};

Outcome NotFound() {
  return Outcome::Fail(kItemNotFound,
                       u"Item cannot be found in the collection corresponding to the requested "
                       u"name or ordinal.");
}

// The variant type a parameter's declared ADO type binds as; VT_EMPTY for
// the types whose values pass unchanged.
VARTYPE BindingType(std::int32_t type) {
  switch (type) {
    case 2:
    case 3:
    case 16:
    case 17:
    case 18:
    case 19:
      return VT_I4;
    case 4:
    case 5:
    case 6:
    case 14:
    case 20:
    case 21:
    case 131:
    case 139:
      return VT_R8;
    case 11:
      return VT_BOOL;
    case 7:
    case 133:
    case 134:
    case 135:
      return VT_DATE;
    case 8:
    case 72:
    case 129:
    case 130:
    case 200:
    case 201:
    case 202:
    case 203:
      return VT_BSTR;
    default:
      return VT_EMPTY;
  }
}

class ParameterObject final : public ComObject<ParameterObject, DispatchImpl<IAdoParameter>,
                                               IParameterAccess, ISupportErrorInfo> {
 public:
  explicit ParameterObject(std::shared_ptr<ParameterData> data) : data_(std::move(data)) {}

  HRESULT get_Value(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kParameterSource, [&] {
      *out = data_->value;
      return S_OK;
    });
  }
  HRESULT put_Value(Variant value) override {
    return Guarded(kParameterSource, [&] {
      data_->value = value.Deref();
      return S_OK;
    });
  }
  HRESULT get_Name(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kParameterSource, [&] {
      *out = Bstr(data_->name);
      return S_OK;
    });
  }
  HRESULT put_Name(const Bstr& value) override {
    return Guarded(kParameterSource, [&] {
      data_->name = value.str();
      return S_OK;
    });
  }
  HRESULT get_Type(std::int32_t* out) override { return Read(out, data_->type); }
  HRESULT put_Type(std::int32_t value) override { return Write(&data_->type, value); }
  HRESULT get_Direction(std::int32_t* out) override { return Read(out, data_->direction); }
  HRESULT put_Direction(std::int32_t value) override { return Write(&data_->direction, value); }
  HRESULT get_Size(std::int32_t* out) override { return Read(out, data_->size); }
  HRESULT put_Size(std::int32_t value) override { return Write(&data_->size, value); }
  HRESULT get_Precision(std::int32_t* out) override { return Read(out, data_->precision); }
  HRESULT put_Precision(std::int32_t value) override { return Write(&data_->precision, value); }
  HRESULT get_NumericScale(std::int32_t* out) override { return Read(out, data_->numericScale); }
  HRESULT put_NumericScale(std::int32_t value) override {
    return Write(&data_->numericScale, value);
  }
  HRESULT get_Attributes(std::int32_t* out) override { return Read(out, data_->attributes); }
  HRESULT put_Attributes(std::int32_t value) override { return Write(&data_->attributes, value); }
  // Appends bytes to a binary value (or text to a text value).
  HRESULT AppendChunk(Variant chunk) override {
    return Guarded(kParameterSource, [&] {
      const Variant& given = chunk.Deref();
      Variant& value = data_->value;
      if ((given.vt() & VT_ARRAY) != 0 && given.array() != nullptr &&
          given.array()->Bytes() != nullptr) {
        std::vector<std::uint8_t> bytes;
        if ((value.vt() & VT_ARRAY) != 0 && value.array() != nullptr && value.array()->Bytes()) {
          bytes.assign(value.array()->Bytes(), value.array()->Bytes() + value.array()->Count());
        }
        const SafeArray& more = *given.array();
        bytes.insert(bytes.end(), more.Bytes(), more.Bytes() + more.Count());
        value = Variant::Array(SafeArray::FromBytes(bytes.data(), bytes.size()));
        return S_OK;
      }
      Bstr text;
      Bstr old;
      if (Failed(VariantToBstr(given, &text))) {
        return Report(Outcome::Fail(kDataConversion,
                                    u"Application uses a value of the wrong "
                                    u"type for the current operation."),
                      kParameterSource);
      }
      if (!value.IsEmpty() && !value.IsNull()) (void)VariantToBstr(value, &old);
      value = Variant::String(Bstr(old.str() + text.str()));
      return S_OK;
    });
  }
  std::shared_ptr<ParameterData> Data() override { return data_; }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoParameter::kIid ? S_OK : S_FALSE;
  }

 private:
  static HRESULT Read(std::int32_t* out, std::int32_t value) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }
  static HRESULT Write(std::int32_t* target, std::int32_t value) {
    *target = value;
    return S_OK;
  }

  std::shared_ptr<ParameterData> data_;
};

class ParametersObject final
    : public ComObject<ParametersObject, DispatchImpl<IAdoParameters>, ISupportErrorInfo> {
 public:
  ParametersObject(std::shared_ptr<ParameterList> list, std::function<Outcome()> refresh)
      : list_(std::move(list)), refresh_(std::move(refresh)) {}

  HRESULT get_Item(Variant index, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      std::size_t at = 0;
      if (Outcome found = FindParameter(*list_, index, &at); !found.ok()) return found;
      *out = ComPtr<IDispatch>((*list_)[at].object.get()).Detach();
      return Outcome::Ok();
    });
  }
  HRESULT put_Item(Variant index, Variant value) override {
    return Run([&] {
      std::size_t at = 0;
      if (Outcome found = FindParameter(*list_, index, &at); !found.ok()) return found;
      (*list_)[at].data->value = value.Deref();
      return Outcome::Ok();
    });
  }
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(list_->size());
    return S_OK;
  }
  HRESULT Append(IDispatch* parameter) override {
    return Run([&] {
      ComPtr<IParameterAccess> access;
      if (parameter == nullptr ||
          Failed(parameter->QueryInterface(IParameterAccess::kIid, access.ReceiveVoid()))) {
        return Outcome::Fail(kBadArgument, u"Only a Parameter object can be appended.");
      }
      std::shared_ptr<ParameterData> data = access->Data();
      if (data->appended) {
        return Outcome::Fail(kObjectInCollection,
                             u"Object is already in collection. Cannot append.");
      }
      data->appended = true;
      list_->push_back({std::move(data), ComPtr<IDispatch>(parameter)});
      return Outcome::Ok();
    });
  }
  HRESULT Delete(Variant index) override {
    return Run([&] {
      std::size_t at = 0;
      if (Outcome found = FindParameter(*list_, index, &at); !found.ok()) return found;
      (*list_)[at].data->appended = false;
      list_->erase(list_->begin() + static_cast<std::ptrdiff_t>(at));
      return Outcome::Ok();
    });
  }
  HRESULT Refresh() override {
    return Run([&] { return refresh_(); });
  }
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kParametersSource, [&] {
      std::vector<Variant> items;
      for (const ParameterEntry& entry : *list_)
        items.push_back(Variant::Dispatch(entry.object.get()));
      *out = MakeVariantEnumerator(std::move(items)).Detach();
      return S_OK;
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoParameters::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kParametersSource, [&] { return Report(body(), kParametersSource); });
  }

  std::shared_ptr<ParameterList> list_;
  std::function<Outcome()> refresh_;
};

}  // namespace

ComPtr<IAdoParameter> MakeParameter(std::shared_ptr<ParameterData> data) {
  return ComPtr<IAdoParameter>::Attach(ParameterObject::Create(std::move(data)).Detach());
}

ComPtr<IAdoParameters> MakeParameters(std::shared_ptr<ParameterList> list,
                                      std::function<Outcome()> refresh) {
  return ComPtr<IAdoParameters>::Attach(
      ParametersObject::Create(std::move(list), std::move(refresh)).Detach());
}

Outcome FindParameter(const ParameterList& list, const Variant& given, std::size_t* at) {
  const Variant& index = given.Deref();
  if (index.vt() == VT_BSTR) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (EqualsNoCase(list[i].data->name, index.bstr().view())) {
        *at = i;
        return Outcome::Ok();
      }
    }
    return NotFound();
  }
  std::int32_t number = -1;
  if (Failed(VariantToI4(index, &number)) || number < 0 ||
      static_cast<std::size_t>(number) >= list.size()) {
    return NotFound();
  }
  *at = static_cast<std::size_t>(number);
  return Outcome::Ok();
}

Outcome ConvertForType(std::int32_t type, const Variant& given, Variant* out) {
  const Variant& value = given.Deref();
  const VARTYPE target = BindingType(type);
  if (value.IsEmpty() || value.IsNull() || value.IsMissing()) {
    *out = Variant::Null();
    return Outcome::Ok();
  }
  if (target == VT_EMPTY) {
    *out = value;
    return Outcome::Ok();
  }
  if (Failed(VariantChangeType(*out, value, target))) {
    return Outcome::Fail(kDataConversion,
                         u"Application uses a value of the wrong type for the current operation.");
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
