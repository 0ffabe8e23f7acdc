#include "host/ado/errors_object.h"

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

constexpr int kConstraintFamily = 19;  // SQLITE_CONSTRAINT, the low byte of extended codes

class ErrorItemObject final
    : public ComObject<ErrorItemObject, DispatchImpl<IAdoErrorItem>, ISupportErrorInfo> {
 public:
  explicit ErrorItemObject(ErrorEntry entry) : entry_(std::move(entry)) {}

  HRESULT get_Description(Bstr* out) override { return Text(out, entry_.description); }
  HRESULT get_Number(std::int32_t* out) override { return Number(out, entry_.number); }
  HRESULT get_Source(Bstr* out) override { return Text(out, entry_.source); }
  HRESULT get_NativeError(std::int32_t* out) override { return Number(out, entry_.nativeError); }
  HRESULT get_SQLState(Bstr* out) override { return Text(out, entry_.sqlState); }
  HRESULT get_HelpFile(Bstr* out) override { return Text(out, u""); }
  HRESULT get_HelpContext(std::int32_t* out) override { return Number(out, 0); }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoErrorItem::kIid ? S_OK : S_FALSE;
  }

 private:
  static HRESULT Text(Bstr* out, std::u16string_view text) {
    if (out == nullptr) return E_POINTER;
    return Guarded(kErrorsSource, [&] {
      *out = Bstr(text);
      return S_OK;
    });
  }
  static HRESULT Number(std::int32_t* out, std::int32_t value) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }

  ErrorEntry entry_;
};

class ErrorsObject final
    : public ComObject<ErrorsObject, DispatchImpl<IAdoErrors>, ISupportErrorInfo> {
 public:
  explicit ErrorsObject(std::shared_ptr<ErrorList> list) : list_(std::move(list)) {}

  HRESULT get_Item(Variant index, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded(kErrorsSource, [&] {
      std::int32_t at = -1;
      if (Failed(VariantToI4(index.Deref(), &at)) || at < 0 ||
          static_cast<std::size_t>(at) >= list_->size()) {
        return RaiseError(kItemNotFound, kErrorsSource,
                          u"Item cannot be found in the collection corresponding to the "
                          u"requested name or ordinal.");
      }
      *out = ErrorItemObject::Create((*list_)[static_cast<std::size_t>(at)]).Detach();
      return S_OK;
    });
  }
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(list_->size());
    return S_OK;
  }
  HRESULT Clear() override {
    list_->clear();
    return S_OK;
  }
  HRESULT Refresh() override { return S_OK; }
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kErrorsSource, [&] {
      std::vector<Variant> items;
      for (const ErrorEntry& entry : *list_) {
        items.push_back(Variant::AttachDispatch(ErrorItemObject::Create(entry).Detach()));
      }
      *out = MakeVariantEnumerator(std::move(items)).Detach();
      return S_OK;
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoErrors::kIid ? S_OK : S_FALSE;
  }

 private:
  std::shared_ptr<ErrorList> list_;
};

}  // namespace

ErrorEntry MakeErrorEntry(const Outcome& failure, std::u16string_view source) {
  ErrorEntry entry;
  entry.number = failure.status;
  entry.description = failure.message;
  entry.source = std::u16string(source);
  entry.nativeError = failure.native;
  if (failure.status == kDatabaseError) {
    entry.sqlState = (failure.native & 0xFF) == kConstraintFamily ? u"23000" : u"HY000";
  }
  return entry;
}

ComPtr<IAdoErrors> MakeErrors(std::shared_ptr<ErrorList> list) {
  return ComPtr<IAdoErrors>::Attach(ErrorsObject::Create(std::move(list)).Detach());
}

}  // namespace vant::host::ado
