#include "host/ado/ado_objects.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/field_ops.h"

namespace vant::host::ado {
namespace {

class FieldObject final
    : public ComObject<FieldObject, DispatchImpl<IAdoField>, ISupportErrorInfo> {
 public:
  FieldObject(std::shared_ptr<RecordsetData> data, std::size_t column)
      : data_(std::move(data)), column_(column) {}

  HRESULT get_Type(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(info().type.type);
    return S_OK;
  }
  HRESULT get_DefinedSize(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = info().type.definedSize;
    return S_OK;
  }
  HRESULT get_Name(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kFieldSource, [&] {
      *out = Bstr(info().name);
      return S_OK;
    });
  }
  HRESULT get_ActualSize(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return GetFieldSize(*data_, column_, out); });
  }
  HRESULT get_Value(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return GetFieldValue(*data_, column_, out); });
  }
  HRESULT put_Value(Variant value) override {
    return Run([&] { return PutFieldValue(*data_, column_, value); });
  }
  HRESULT GetChunk(std::int32_t length, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return GetFieldChunk(*data_, column_, length, out); });
  }
  HRESULT AppendChunk(const Variant& bytes) override {
    return Run([&] { return AppendFieldChunk(*data_, column_, bytes); });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoField::kIid ? S_OK : S_FALSE;
  }

 private:
  const ColumnInfo& info() const { return data_->columns[column_]; }

  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kFieldSource, [&] { return Report(body(), kFieldSource); });
  }

  std::shared_ptr<RecordsetData> data_;
  std::size_t column_;
};

}  // namespace

ComPtr<IAdoField> MakeField(std::shared_ptr<RecordsetData> data, std::size_t column) {
  return ComPtr<IAdoField>::Attach(FieldObject::Create(std::move(data), column).Detach());
}

}  // namespace vant::host::ado
