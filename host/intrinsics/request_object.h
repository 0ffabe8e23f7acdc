// The page's Request object.
//
// Request.Form reads the body only when it is urlencoded; any other body
// (multipart uploads) leaves Form empty and the body to BinaryRead. Over an
// urlencoded body the two exclude each other: BinaryRead fails once Form
// read the body, and Form (also through Request(name)) fails once BinaryRead
// took bytes of it.
#pragma once

#include <memory>

#include "host/intrinsics/cookies_object.h"
#include "host/intrinsics/detail/request_body.h"
#include "host/intrinsics/form_collection_object.h"
#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/server_variables_object.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

class RequestObject final
    : public ComObject<RequestObject, DispatchImpl<IAspRequest>, host::IRequestSession,
                       host::IRequestBodyReader, host::IRequestVariables> {
 public:
  explicit RequestObject(std::shared_ptr<SharedPageState> core);

  HRESULT get_TotalBytes(std::int32_t* out) override;
  HRESULT BinaryRead(Variant* count, Variant* out) override;
  HRESULT get_ServerVariables(host::IRequestDictionary** out) override;
  HRESULT get_Cookies(host::IRequestDictionary** out) override;
  HRESULT get_SessionKey(Bstr* out) override;
  HRESULT ReadBodyInto(std::uint8_t* dst, std::int32_t minimum, std::int32_t capacity,
                       std::int32_t* got) override;
  HRESULT ReadServerVariable(const char16_t* name, std::int32_t length, Bstr* value) override;

  HRESULT get_Item(const Variant& name, Variant* out) override;
  HRESULT get_QueryString(IDispatch** out) override;
  HRESULT get_Form(IDispatch** out) override;
  HRESULT ScriptBinaryRead(const Variant& count, Variant* out) override;
  HRESULT ScriptCookies(IDispatch** out) override;
  HRESULT ScriptServerVariables(IDispatch** out) override;

  // The page ends: what outlives it takes its own copy of the request head.
  void EndPage();

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  enum class BodyUse { None, Form, BinaryRead };

  // S_OK while the page runs, else the failure with a record.
  HRESULT Running() const;
  // Reads up to `count` bytes into *out as a byte array; *got = bytes read.
  HRESULT ReadBytes(const Variant& count, Variant* out, std::int32_t* got);
  // The collections, made on first use. EnsureForm fails as described above.
  HRESULT EnsureForm();
  HRESULT EnsureQueryString();
  HRESULT EnsureServerVariables();
  HRESULT EnsureCookies();
  // Request(name) over the collections in search order.
  HRESULT Search(const std::u16string& name, Variant* out);

  std::shared_ptr<SharedPageState> core_;
  RequestBody body_;
  BodyUse bodyUse_ = BodyUse::None;
  ComPtr<FormCollectionObject> queryString_;
  ComPtr<FormCollectionObject> form_;
  ComPtr<ServerVariablesObject> variables_;
  ComPtr<RequestCookiesObject> cookies_;
};

}  // namespace vant::host::intrinsics
