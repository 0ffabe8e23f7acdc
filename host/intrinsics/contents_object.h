// Session.Contents and Application.Contents over their Contents. The
// object keeps its owner (`keepAlive`) alive so the contents outlive it.
#pragma once

#include <memory>
#include <string_view>

#include "host/intrinsics/interfaces.h"
#include "host/session/contents_store.h"

namespace vant::host::intrinsics {

class ContentsObject final : public ComObject<ContentsObject, DispatchImpl<IAspContents>> {
 public:
  ContentsObject(session::Contents& store, std::shared_ptr<void> keepAlive,
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
  session::Contents& store_;
  std::shared_ptr<void> keepAlive_;
  std::u16string_view source_;
};

// Item get/put on contents, shared by Session("x") and Application("x").
HRESULT GetContentsItem(const session::Contents& store, const Variant& key, Variant* out,
                        std::u16string_view source);
HRESULT PutContentsItem(session::Contents& store, const Variant& key, const Variant& value,
                        std::u16string_view source);

// Runs `body` like Guarded, and fails with the store's text when contents
// kept in the shared state store cannot reach it.
template <class Body>
HRESULT ContentsGuarded(std::u16string_view source, Body&& body) noexcept {
  return Guarded(source, [&]() -> HRESULT {
    try {
      return body();
    } catch (const session::StoreUnreachable& unreachable) {
      return RaiseError(E_FAIL, source, Utf8ToUtf16(unreachable.what()));
    }
  });
}

}  // namespace vant::host::intrinsics
