// The page's Response object.
//
// Status, Content-Type and AddHeader go to the exchange at once. Cookies,
// Expires and Cache-Control wait until the headers are about to go out
// (Flush, the first unbuffered write, the end of the page), so the page can
// change them until then.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/intrinsics/cookies_object.h"
#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

class ResponseObject final : public ComObject<ResponseObject, DispatchImpl<IAspResponse>,
                                              host::IResponseFile, host::IResponseHeaders> {
 public:
  explicit ResponseObject(std::shared_ptr<SharedPageState> core);

  HRESULT put_Buffer(VARIANT_BOOL buffer) override;
  HRESULT put_ContentType(const Bstr& contentType) override;
  HRESULT put_Expires(std::int32_t minutes) override;
  HRESULT put_Status(const Bstr& status) override;
  HRESULT AddHeader(const Bstr& name, const Bstr& value) override;
  HRESULT BinaryWrite(const Variant& data) override;
  HRESULT Write(const Variant& text) override;
  HRESULT Flush() override;
  HRESULT End() override;
  HRESULT IsClientConnected(VARIANT_BOOL* out) override;
  HRESULT get_Cookies(host::IRequestDictionary** out) override;
  HRESULT WriteFile(std::int32_t fd, std::int64_t offset, std::int64_t length) override;
  HRESULT AddHeaderLines(const char* lines, std::int32_t length) override;

  HRESULT get_Buffer(VARIANT_BOOL* out) override;
  HRESULT get_Expires(std::int32_t* out) override;
  HRESULT get_ExpiresAbsolute(Date* out) override;
  HRESULT put_ExpiresAbsolute(Date when) override;
  HRESULT get_ContentType(Bstr* out) override;
  HRESULT get_Charset(const Variant& newCharset, Bstr* out) override;
  HRESULT put_Charset(const Bstr& charset) override;
  HRESULT get_CodePage(std::int32_t* out) override;
  HRESULT put_CodePage(std::int32_t codePage) override;
  HRESULT get_LCID(std::int32_t* out) override;
  HRESULT put_LCID(std::int32_t lcid) override;
  HRESULT get_Status(Bstr* out) override;
  HRESULT get_CacheControl(Bstr* out) override;
  HRESULT put_CacheControl(const Bstr& value) override;
  HRESULT AppendToLog(const Bstr& text) override;
  HRESULT Clear() override;
  HRESULT Redirect(const Bstr& url) override;
  HRESULT ScriptCookies(IDispatch** out) override;

  // Sends the waiting headers and finishes the response (page end).
  void Finish();

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  HRESULT Running() const;
  // Adds the waiting headers once, right before the headers go out.
  void CommitHeaders();
  HRESULT ApplyContentType(std::u16string_view type, std::u16string_view charset);
  // Body bytes; commits the headers first when output is unbuffered.
  HRESULT WriteBytes(const void* data, std::size_t size);
  void ExpireAt(std::int64_t unixSeconds);
  ResponseCookiesObject& Cookies();

  std::shared_ptr<SharedPageState> core_;
  std::u16string contentType_;
  std::u16string charset_;
  std::u16string status_;
  std::optional<std::u16string> cacheControl_;
  std::int32_t expiresMinutes_ = 0;
  Date expiresAbsolute_{};
  std::optional<std::int64_t> expiresAt_;  // earliest of all settings
  bool committed_ = false;
  ComPtr<ResponseCookiesObject> cookies_;
};

}  // namespace vant::host::intrinsics
