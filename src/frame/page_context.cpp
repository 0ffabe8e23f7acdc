#include "frame/page_context.h"

#include <array>
#include <cstddef>
#include <utility>

namespace vant::frame {
namespace {

enum class Slot : std::uint8_t { Request, Response, Server, Session, Application };

struct Step {
  Slot slot;
  bool required;
};

// The objects one kind of page class takes, in order, and the status of a
// null scripting context.
constexpr std::size_t kIntrinsicCount = 5;

struct ObjectRule {
  std::array<Step, kIntrinsicCount> steps;
  std::size_t count;
  HRESULT nullContext;
};

constexpr ObjectRule RuleFor(PageObjects which) {
  constexpr Step request{Slot::Request, true};
  constexpr Step response{Slot::Response, true};
  constexpr Step server{Slot::Server, true};
  constexpr Step session{Slot::Session, true};
  constexpr Step application{Slot::Application, true};
  switch (which) {
    case PageObjects::Upload:
      return {{request, response, server, application, Step{Slot::Session, false}}, 5, E_FAIL};
    case PageObjects::All:
      return {{request, response, server, session, application}, 5, E_FAIL};
    case PageObjects::ServerOnly:
      return {{server}, 1, E_POINTER};
    case PageObjects::Standard:
      break;
  }
  return {{request, response, server, application}, 4, E_FAIL};
}

// Calls one getter of the scripting context into `slot`. By the automation
// rule a failing getter leaves its out-parameter null, so nothing is released
// on failure; a success without an object counts as a failure.
template <class I>
HRESULT Take(host::IScriptingContext& context, HRESULT (host::IScriptingContext::*getter)(I**),
             ComPtr<I>* slot) {
  I* object = nullptr;
  const HRESULT hr = (context.*getter)(&object);
  if (Failed(hr)) return hr;
  if (object == nullptr) return E_FAIL;
  *slot = ComPtr<I>::Attach(object);
  return S_OK;
}

// Turns an item variant into the interface `I` of the object it holds.
template <class I>
HRESULT ObjectOf(const Variant& item, ComPtr<I>* out) {
  const Variant& value = item.Deref();
  if (value.vt() != VT_DISPATCH && value.vt() != VT_UNKNOWN) return E_NOINTERFACE;
  IUnknown* object = value.unknown();
  if (object == nullptr) return E_NOINTERFACE;
  return object->QueryInterface(I::kIid, out->ReceiveVoid());
}

HRESULT ToText(const Variant& value, std::u16string* out) {
  // Text, or nothing (a header the request did not carry), as hosts hand
  // back for names they know, needs no conversion.
  const Variant& v = value.Deref();
  if (v.vt() == VT_BSTR) {
    *out = v.bstr().str();
    return S_OK;
  }
  if (v.IsEmpty()) {
    out->clear();
    return S_OK;
  }
  Bstr text;
  const HRESULT hr = VariantToBstr(value, &text);
  if (Failed(hr)) return hr;
  *out = text.str();
  return S_OK;
}

}  // namespace

HRESULT PageContext::OnStartPage(IUnknown* scriptingContext, PageObjects which) {
  OnEndPage();
  if (scriptingContext == nullptr) return RuleFor(which).nullContext;
  ComPtr<host::IScriptingContext> context;
  const HRESULT hr =
      scriptingContext->QueryInterface(host::IScriptingContext::kIid, context.ReceiveVoid());
  if (Failed(hr)) return hr;
  if (!context) return E_NOINTERFACE;
  return TakeObjects(*context, which);
}

HRESULT PageContext::TakeObjects(host::IScriptingContext& context, PageObjects which) {
  using Ctx = host::IScriptingContext;
  const ObjectRule rule = RuleFor(which);
  for (std::size_t i = 0; i < rule.count; ++i) {
    const Step step = rule.steps[i];
    HRESULT hr = S_OK;
    switch (step.slot) {
      case Slot::Request:
        hr = Take(context, &Ctx::get_Request, &request_);
        break;
      case Slot::Response:
        hr = Take(context, &Ctx::get_Response, &response_);
        break;
      case Slot::Server:
        hr = Take(context, &Ctx::get_Server, &server_);
        break;
      case Slot::Session:
        hr = Take(context, &Ctx::get_Session, &session_);
        break;
      case Slot::Application:
        hr = Take(context, &Ctx::get_Application, &application_);
        break;
    }
    if (Failed(hr) && step.required) {
      OnEndPage();
      return hr;
    }
  }
  started_ = true;
  return S_OK;
}

void PageContext::OnEndPage() {
  request_.Reset();
  response_.Reset();
  server_.Reset();
  session_.Reset();
  application_.Reset();
  started_ = false;
}

HRESULT MapPathIfVirtual(const PageContext& context, const Bstr& path, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  if (path.view().find(u'/') == std::u16string_view::npos) {
    *out = path;
    return S_OK;
  }
  Bstr mapped;
  if (context.Server() != nullptr && Succeeded(context.Server()->MapPath(path, &mapped))) {
    *out = std::move(mapped);
    return S_OK;
  }
  *out = path;
  return S_FALSE;
}

HRESULT ReadServerVariable(const PageContext& context, std::u16string_view name,
                           std::u16string* out) {
  if (context.Request() == nullptr) return kIntrinsicNotHeld;
  // A host that reads one variable directly spares the collection.
  ComPtr<host::IRequestVariables> direct;
  if (Succeeded(
          context.Request()->QueryInterface(host::IRequestVariables::kIid, direct.ReceiveVoid())) &&
      direct) {
    Bstr value;
    const HRESULT read =
        direct->ReadServerVariable(name.data(), static_cast<std::int32_t>(name.size()), &value);
    if (Failed(read)) return read;
    out->assign(value.view());
    return S_OK;
  }
  ComPtr<host::IRequestDictionary> variables;
  HRESULT hr = context.Request()->get_ServerVariables(variables.Receive());
  if (Failed(hr)) return hr;
  if (!variables) return E_FAIL;
  Variant value;
  hr = variables->get_Item(Variant::String(Bstr(name)), &value);
  if (Failed(hr)) return hr;
  return ToText(value, out);
}

std::optional<std::u16string> GetServerVariable(const PageContext& context,
                                                std::u16string_view name) {
  std::u16string value;
  if (Failed(ReadServerVariable(context, name, &value))) return std::nullopt;
  return value;
}

std::optional<std::u16string> GetCookieValue(const PageContext& context, std::u16string_view cookie,
                                             std::u16string_view key) {
  if (context.Request() == nullptr) return std::nullopt;
  ComPtr<host::IRequestDictionary> cookies;
  if (Failed(context.Request()->get_Cookies(cookies.Receive())) || !cookies) return std::nullopt;
  Variant item;
  if (Failed(cookies->get_Item(Variant::String(Bstr(cookie)), &item))) return std::nullopt;
  ComPtr<host::IReadCookie> readCookie;
  if (Failed(ObjectOf(item, &readCookie)) || !readCookie) return std::nullopt;
  Variant value;
  if (Failed(readCookie->get_Item(Variant::String(Bstr(key)), &value))) return std::nullopt;
  std::u16string text;
  if (Failed(ToText(value, &text))) return std::nullopt;
  return text;
}

HRESULT SetResponseCookie(const PageContext& context, std::u16string_view cookie,
                          std::u16string_view key, const Bstr& value) {
  if (context.Response() == nullptr) return kIntrinsicNotHeld;
  ComPtr<host::IRequestDictionary> cookies;
  HRESULT hr = context.Response()->get_Cookies(cookies.Receive());
  if (Failed(hr)) return hr;
  if (!cookies) return E_FAIL;
  Variant item;
  hr = cookies->get_Item(Variant::String(Bstr(cookie)), &item);
  if (Failed(hr)) return hr;
  ComPtr<host::IWriteCookie> writeCookie;
  hr = ObjectOf(item, &writeCookie);
  if (Failed(hr)) return hr;
  if (!writeCookie) return E_NOINTERFACE;
  return writeCookie->put_Item(Variant::String(Bstr(key)), value);
}

std::u16string SessionKeyOf(host::IRequest* request) {
  if (request == nullptr) return {};
  ComPtr<host::IRequestSession> session;
  if (Failed(request->QueryInterface(host::IRequestSession::kIid, session.ReceiveVoid())) ||
      !session) {
    return {};
  }
  Bstr key;
  if (Failed(session->get_SessionKey(&key))) return {};
  return std::u16string(key.view());
}

}  // namespace vant::frame
