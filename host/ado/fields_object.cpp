#include "host/ado/ado_objects.h"

#include <vector>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/field_ops.h"

namespace vant::host::ado {
namespace {

class FieldsObject final
    : public ComObject<FieldsObject, DispatchImpl<IAdoFields>, ISupportErrorInfo> {
 public:
  explicit FieldsObject(std::shared_ptr<RecordsetData> data) : data_(std::move(data)) {}

  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(data_->columns.size());
    return S_OK;
  }
  HRESULT get_Item(Variant index, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kFieldsSource, [&] {
      std::size_t column = 0;
      if (Outcome found = FindColumn(*data_, index, &column); !found.ok()) {
        return Report(found, kFieldsSource);
      }
      *out = MakeField(data_, column).Detach();
      return S_OK;
    });
  }
  HRESULT put_Item(Variant index, Variant value) override {
    return Guarded(kFieldsSource, [&] {
      std::size_t column = 0;
      Outcome done = FindColumn(*data_, index, &column);
      if (done.ok()) done = PutFieldValue(*data_, column, value);
      return Report(done, kFieldSource);
    });
  }
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFieldsSource, [&] {
      std::vector<Variant> items;
      for (std::size_t c = 0; c < data_->columns.size(); ++c) {
        items.push_back(Variant::AttachDispatch(MakeField(data_, c).Detach()));
      }
      *out = MakeVariantEnumerator(std::move(items)).Detach();
      return S_OK;
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoFields::kIid ? S_OK : S_FALSE;
  }

 private:
  std::shared_ptr<RecordsetData> data_;
};

Outcome NotFound(std::u16string_view what) {
  return Outcome::Fail(kItemNotFound,
                       u"Item cannot be found in the collection corresponding to the requested "
                       u"name or ordinal: " +
                           std::u16string(what));
}

}  // namespace

ComPtr<IAdoFields> MakeFields(std::shared_ptr<RecordsetData> data) {
  return ComPtr<IAdoFields>::Attach(FieldsObject::Create(std::move(data)).Detach());
}

Outcome FindColumn(const RecordsetData& data, const Variant& given, std::size_t* column) {
  const Variant& index = given.Deref();
  if (index.vt() == VT_BSTR) {
    for (std::size_t c = 0; c < data.columns.size(); ++c) {
      if (EqualsNoCase(data.columns[c].name, index.bstr().view())) {
        *column = c;
        return Outcome::Ok();
      }
    }
    return NotFound(index.bstr().view());
  }
  std::int32_t number = 0;
  if (Failed(VariantToI4(index, &number))) return NotFound(u"(not a name or number)");
  if (number < 0 || static_cast<std::size_t>(number) >= data.columns.size()) {
    return NotFound(Utf8ToUtf16(std::to_string(number)));
  }
  *column = static_cast<std::size_t>(number);
  return Outcome::Ok();
}

}  // namespace vant::host::ado
