// The page's intrinsic objects that a page object holds between OnStartPage
// and OnEndPage, and the small host operations every component repeats on
// them (virtual paths, server variables, the progress cookie).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"
#include "platform/host/intrinsics.h"

namespace vant::frame {

// Which intrinsic objects a class takes in OnStartPage, and in what order.
enum class PageObjects : std::uint8_t {
  // FileUpload: Request, Response, Server, Application, then Session when the
  // page has one.
  Upload,
  // FileDownload, BLOBManager, ImageProc, FileUploadMonitor: Request,
  // Response, Server, Application.
  Standard,
  // IVirusInfo: Request, Response, Server, Session, Application, all required.
  All,
  // Manager: Server only; a null scripting context gives E_POINTER.
  ServerOnly,
};

// Status of an operation that needs an intrinsic object the page object does
// not hold (OnStartPage not called, or the page had none).
constexpr HRESULT kIntrinsicNotHeld = E_FAIL;

class PageContext {
 public:
  PageContext() = default;
  PageContext(const PageContext&) = delete;
  PageContext& operator=(const PageContext&) = delete;

  // Takes the objects `which` names from `scriptingContext`, in order.
  // Statuses: E_FAIL for a null context (E_POINTER for ServerOnly); the
  // QueryInterface status when it is no scripting context; the status of the
  // first required object the context does not give (E_FAIL when it answers
  // success with no object). On failure nothing is held and the context is
  // not started. Objects held from an earlier call are released first.
  HRESULT OnStartPage(IUnknown* scriptingContext, PageObjects which);

  // Releases everything held and clears the started flag.
  void OnEndPage();

  bool Started() const { return started_; }
  host::IRequest* Request() const { return request_.get(); }
  host::IResponse* Response() const { return response_.get(); }
  host::IServer* Server() const { return server_.get(); }
  host::ISessionObject* Session() const { return session_.get(); }
  host::IApplicationObject* Application() const { return application_.get(); }

 private:
  HRESULT TakeObjects(host::IScriptingContext& context, PageObjects which);

  ComPtr<host::IRequest> request_;
  ComPtr<host::IResponse> response_;
  ComPtr<host::IServer> server_;
  ComPtr<host::ISessionObject> session_;
  ComPtr<host::IApplicationObject> application_;
  bool started_ = false;
};

// The virtual path rule: a path containing "/" anywhere is virtual and
// becomes Server.MapPath of it; any other path is physical and kept. Returns
// S_OK when *out is the mapped or physical path, S_FALSE when a virtual path
// was kept unchanged because MapPath failed or no Server is held, E_POINTER
// when out is null.
HRESULT MapPathIfVirtual(const PageContext& context, const Bstr& path, Bstr* out);

// Request.ServerVariables(name) as a string. Statuses: kIntrinsicNotHeld
// without a Request, else the status of the failing host call or conversion.
// An unknown variable reads as "" (the host's empty value).
HRESULT ReadServerVariable(const PageContext& context, std::u16string_view name,
                           std::u16string* out);
// The same with every failure folded into nullopt.
std::optional<std::u16string> GetServerVariable(const PageContext& context,
                                                std::u16string_view name);

// Request.Cookies(cookie)(key) as a string; nullopt when the collection, the
// cookie or the key cannot be read or converted to a string.
std::optional<std::u16string> GetCookieValue(const PageContext& context, std::u16string_view cookie,
                                             std::u16string_view key);

// The request's session key (host::IRequestSession): a secret of the session
// the request's cookie names, "" when it names none, when `request` is null
// or when the host offers no such key.
std::u16string SessionKeyOf(host::IRequest* request);

// Response.Cookies(cookie)(key) := value. Returns the status of the first
// failing step (kIntrinsicNotHeld without a Response, E_NOINTERFACE when the
// item is no writable cookie), else that of the put.
HRESULT SetResponseCookie(const PageContext& context, std::u16string_view cookie,
                          std::u16string_view key, const Bstr& value);

}  // namespace vant::frame
