// Session.Contents and Application.Contents over a ContentsStore. The
// object keeps its owner (`keepAlive`) alive so the store outlives it.
#pragma once

#include <memory>
#include <string_view>

#include "host/intrinsics/interfaces.h"
#include "host/session/contents_store.h"

namespace vant::host::intrinsics {

class ContentsObject final : public ComObject<ContentsObject, DispatchImpl<IAspContents>> {
 public:
  ContentsObject(session::ContentsStore& store, std::shared_ptr<void> keepAlive,
                 std::u16string_view source)
      : store_(store), keepAlive_(std::move(keepAlive)), source_(source) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Item(const Variant& key, const Variant& value) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;
  HRESULT Remove(const Variant& key) override;
  HRESULT RemoveAll() override;
  HRESULT get__NewEnum(IUnknown** out) override;

 private:
  session::ContentsStore& store_;
  std::shared_ptr<void> keepAlive_;
  std::u16string_view source_;
};

// Item get/put on a store, shared by Session("x") and Application("x").
HRESULT GetContentsItem(const session::ContentsStore& store, const Variant& key, Variant* out,
                        std::u16string_view source);
HRESULT PutContentsItem(session::ContentsStore& store, const Variant& key, const Variant& value,
                        std::u16string_view source);

}  // namespace vant::host::intrinsics
