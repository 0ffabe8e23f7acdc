#include "host/intrinsics/page_intrinsics.h"

#include "host/intrinsics/application_object.h"
#include "host/intrinsics/request_object.h"
#include "host/intrinsics/response_object.h"
#include "host/intrinsics/scripting_context_object.h"
#include "host/intrinsics/server_object.h"
#include "host/intrinsics/session_object.h"

namespace vant::host::intrinsics {

PageIntrinsics::PageIntrinsics(std::shared_ptr<SharedPageState> core, session::SessionLease lease)
    : core_(std::move(core)), lease_(std::move(lease)) {
  auto request = RequestObject::Create(core_);
  response_ = ResponseObject::Create(core_);
  auto server = ServerObject::Create(core_);
  auto application = ApplicationObject::Create(core_);
  ComPtr<SessionObject> session;
  if (core_->session) session = SessionObject::Create(core_);

  IntrinsicSet set;
  set.request = ComPtr<host::IRequest>(request.get());
  set.response = ComPtr<host::IResponse>(response_.get());
  set.server = ComPtr<host::IServer>(server.get());
  set.application = ComPtr<host::IApplicationObject>(application.get());
  if (session) set.session = ComPtr<host::ISessionObject>(session.get());
  context_ = ScriptingContextObject::Create(std::move(set));
  core_->context = context_.get();

  request_ = request;
  server_ = server;
  application_ = ComPtr<IDispatch>(application.get());
  if (session) session_ = ComPtr<IDispatch>(session.get());
}

std::unique_ptr<PageIntrinsics> PageIntrinsics::Create(
    http::Exchange& exchange, const SiteConfig& site, const RequestedPage& page,
    session::SessionLease lease, session::ApplicationState& application, PageExecutor* executor) {
  if (lease && lease.IsNew() && lease->Unreachable().empty())
    exchange.AddHeader("Set-Cookie", lease.CookieHeader(exchange.Request().CameOverHttps()));
  auto core = std::make_shared<SharedPageState>(exchange, site, page, lease ? lease.Get() : nullptr,
                                                application, executor);
  return std::unique_ptr<PageIntrinsics>(new PageIntrinsics(std::move(core), std::move(lease)));
}

PageIntrinsics::~PageIntrinsics() { EndPage(); }

Intrinsics PageIntrinsics::Objects() const {
  return Intrinsics{ComPtr<IDispatch>(request_.get()), ComPtr<IDispatch>(response_.get()),
                    ComPtr<IDispatch>(server_.get()), session_, application_};
}

HRESULT PageIntrinsics::CreateUnboundObject(std::u16string_view progId, ComPtr<IDispatch>* out) {
  Activation made = server_->Activate(progId);
  if (Failed(made.status)) return made.status;
  *out = std::move(made.object);
  return S_OK;
}

host::IScriptingContext* PageIntrinsics::ScriptingContext() const { return context_.get(); }

void PageIntrinsics::EndPageObjects() {
  // Taken out first: an OnEndPage that creates objects must not grow the
  // list being walked.
  std::vector<PageObject> objects = std::move(core_->objects);
  core_->objects.clear();
  for (PageObject& o : objects) {
    if (!o.callEndPage) continue;
    DispParams none;
    o.object->Invoke(kOnEndPageId, DISPATCH_METHOD, none, nullptr);
  }
  objects.clear();
}

void PageIntrinsics::EndPage() {
  if (ended_) return;
  ended_ = true;
  try {
    EndPageObjects();
  } catch (...) {
    // A component's failure at page end must not keep the response from going out.
  }
  ReleaseApplicationLocks(*core_);
  // Before the response ends, so the browser's next request finds the
  // session's changes on whichever host serves it.
  lease_.Commit();
  response_->Finish();
  // Before the request head goes away with the exchange.
  request_->EndPage();
  core_->context = nullptr;
  core_->exchange = nullptr;
  context_->Clear();
  lease_.Release();
}

}  // namespace vant::host::intrinsics
