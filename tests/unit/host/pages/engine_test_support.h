// Test objects for the script engine tests: a widget with every kind of
// member (properties with and without arguments, optional arguments, a
// default member, an enumerator, a byte array, a failing member) and a
// response that records what the page writes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/pages/script_engine.h"
#include "page_test_support.h"
#include "platform/automation/automation.h"

namespace vant::host::pages::testing {

inline constexpr const char* kTestSiteRoot = "/srv/site";

// The source a failing widget member puts in its error record.
inline constexpr char16_t kFailSource[] = u"The widget refused";
inline constexpr char16_t kFailDescription[] = u"Widget component";
inline constexpr HRESULT kFailStatus = MakeHresult(0x800A0007);

struct ITestWidget : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x5A1B2C3D, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant key, Variant* out) = 0;
  virtual HRESULT put_Item(Variant key, Variant value) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT put_Name(Bstr value) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* out) = 0;
  virtual HRESULT get_Double(std::int32_t index, std::int32_t* out) = 0;
  virtual HRESULT Fail() = 0;
  virtual HRESULT get_Child(IDispatch** out) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT get_Bytes(Variant* out) = 0;
  virtual HRESULT TypeOf(Variant value, Bstr* out) = 0;
  virtual HRESULT Echo(Variant value, Variant* out) = 0;
  virtual HRESULT End() = 0;
};

class TestWidget final : public ComObject<TestWidget, DispatchImpl<ITestWidget>> {
 public:
  HRESULT get_Item(Variant key, Variant* out) override;
  HRESULT put_Item(Variant key, Variant value) override;
  HRESULT get_Name(Bstr* out) override;
  HRESULT put_Name(Bstr value) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* out) override;
  HRESULT get_Double(std::int32_t index, std::int32_t* out) override;
  HRESULT Fail() override;
  HRESULT get_Child(IDispatch** out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Bytes(Variant* out) override;
  HRESULT TypeOf(Variant value, Bstr* out) override;
  HRESULT Echo(Variant value, Variant* out) override;
  HRESULT End() override;

  // References held on this object right now.
  std::uint32_t References() {
    AddRef();
    return Release();
  }

  std::map<std::u16string, Variant> items;  // keys as text
  std::u16string name = u"widget";
  ComPtr<TestWidget> child;  // made on first use
  bool* ended = nullptr;     // End() sets it
};

// Response with Write(text) and End(); output collects what was written.
struct ITestResponse : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x5A1B2C3E, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT Write(Variant text) = 0;
  virtual HRESULT End() = 0;
  virtual HRESULT get_Cookies(IDispatch** out) = 0;
};

class TestResponse final : public ComObject<TestResponse, DispatchImpl<ITestResponse>> {
 public:
  HRESULT Write(Variant text) override;
  HRESULT End() override;
  HRESULT get_Cookies(IDispatch** out) override;

  std::uint32_t References() {
    AddRef();
    return Release();
  }

  std::u16string output;
  bool ended = false;
  ComPtr<TestWidget> cookies = TestWidget::Create();
};

// What one run gave.
struct PageRun {
  ScriptResult result;
  std::string output;  // UTF-8
};

// Runs page text as "/page.asp" with Response and Widget globals.
class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture();

  // Each run writes the page anew, with a new modification stamp.
  PageRun Run(const std::string& pageText, ScriptEngineOptions options = {});
  // Prepares and runs "/page.asp" as it is in loader, with stamps.
  PageRun RunAsIs(ScriptEngineOptions options = {});
  // Runs script code (wrapped in <% %>) that must complete; returns output.
  std::string Output(const std::string& code);

  MemoryLoader loader;
  ComPtr<TestResponse> response = TestResponse::Create();
  ComPtr<TestWidget> widget = TestWidget::Create();
  int timeoutSeconds = 0;
  PageBindings context;
  std::map<std::string, std::int64_t> stamps;  // host path -> modification stamp
  std::int64_t nextStamp = 1;
};

inline const InterfaceInfo& ITestWidget::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&ITestWidget::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Put<&ITestWidget::put_Item>(u"Item", DISPID_VALUE),
      Get<&ITestWidget::get_Name>(u"Name", 1),
      Put<&ITestWidget::put_Name>(u"Name", 1),
      Get<&ITestWidget::get_Count>(u"Count", 2),
      Call<&ITestWidget::Add>(u"Add", 3, {std::int32_t{10}}),
      Get<&ITestWidget::get_Double>(u"Double", 4),
      Call<&ITestWidget::Fail>(u"Fail", 5),
      Get<&ITestWidget::get_Child>(u"Child", 6),
      Get<&ITestWidget::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
      Get<&ITestWidget::get_Bytes>(u"Bytes", 7),
      Call<&ITestWidget::TypeOf>(u"TypeOf", 8),
      Call<&ITestWidget::Echo>(u"Echo", 9),
      Call<&ITestWidget::End>(u"End", 10),
  };
  static const InterfaceInfo info{u"ITestWidget", kIid, members};
  return info;
}

inline std::u16string KeyText(const Variant& key) {
  Bstr text;
  (void)VariantToBstr(key, &text);
  return text.str();
}

inline HRESULT TestWidget::get_Item(Variant key, Variant* out) {
  // Without a key the default member reads as the widget's name.
  if (key.IsMissing() || key.IsEmpty()) {
    *out = Variant::String(Bstr(name));
    return S_OK;
  }
  const auto it = items.find(KeyText(key));
  if (it == items.end()) return DISP_E_BADINDEX;
  *out = it->second;
  return S_OK;
}
inline HRESULT TestWidget::put_Item(Variant key, Variant value) {
  items[KeyText(key)] = std::move(value);
  return S_OK;
}
inline HRESULT TestWidget::get_Name(Bstr* out) {
  *out = Bstr(name);
  return S_OK;
}
inline HRESULT TestWidget::put_Name(Bstr value) {
  name = value.str();
  return S_OK;
}
inline HRESULT TestWidget::get_Count(std::int32_t* out) {
  *out = static_cast<std::int32_t>(items.size());
  return S_OK;
}
inline HRESULT TestWidget::Add(std::int32_t a, std::int32_t b, std::int32_t* out) {
  *out = a + b;
  return S_OK;
}
inline HRESULT TestWidget::get_Double(std::int32_t index, std::int32_t* out) {
  *out = index * 2;
  return S_OK;
}
inline HRESULT TestWidget::Fail() {
  ComPtr<ICreateErrorInfo> record;
  if (Failed(CreateErrorInfo(record.Receive()))) return E_FAIL;
  (void)record->SetSource(Bstr(kFailSource));
  (void)record->SetDescription(Bstr(kFailDescription));
  ComPtr<IErrorInfo> info;
  (void)record.As(IID_IErrorInfo, &info);
  (void)SetErrorInfo(0, info.get());
  return kFailStatus;
}
inline HRESULT TestWidget::get_Child(IDispatch** out) {
  if (!child) child = TestWidget::Create();
  *out = child.get();
  child->AddRef();
  return S_OK;
}
inline HRESULT TestWidget::get__NewEnum(IUnknown** out) {
  std::vector<Variant> keys;
  for (const auto& entry : items) keys.push_back(Variant::String(Bstr(entry.first)));
  *out = MakeVariantEnumerator(std::move(keys)).Detach();
  return S_OK;
}
inline HRESULT TestWidget::get_Bytes(Variant* out) {
  const std::uint8_t bytes[] = {7, 0, 255};
  *out = Variant::Array(SafeArray::FromBytes(bytes, sizeof bytes));
  return S_OK;
}
inline HRESULT TestWidget::TypeOf(Variant value, Bstr* out) {
  static const std::map<VARTYPE, std::u16string> names = {{VT_EMPTY, u"empty"},
                                                          {VT_NULL, u"null"},
                                                          {VT_I4, u"i4"},
                                                          {VT_R8, u"r8"},
                                                          {VT_BSTR, u"bstr"},
                                                          {VT_BOOL, u"bool"},
                                                          {VT_DISPATCH, u"dispatch"},
                                                          {VT_DATE, u"date"},
                                                          {VT_ARRAY | VT_UI1, u"bytes"}};
  const auto it = names.find(value.Deref().vt());
  *out = Bstr(it != names.end() ? it->second : u"other");
  return S_OK;
}
inline HRESULT TestWidget::Echo(Variant value, Variant* out) {
  *out = std::move(value);
  return S_OK;
}
inline HRESULT TestWidget::End() {
  if (ended != nullptr) *ended = true;
  return S_OK;
}

inline const InterfaceInfo& ITestResponse::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&ITestResponse::Write>(u"Write", 1),
      Call<&ITestResponse::End>(u"End", 2),
      Get<&ITestResponse::get_Cookies>(u"Cookies", 3),
  };
  static const InterfaceInfo info{u"ITestResponse", kIid, members};
  return info;
}

inline HRESULT TestResponse::Write(Variant text) {
  Bstr value;
  const HRESULT status = VariantToBstr(text, &value);
  if (Failed(status)) return status;
  output += value.str();
  return S_OK;
}
inline HRESULT TestResponse::End() {
  ended = true;
  return S_OK;
}
inline HRESULT TestResponse::get_Cookies(IDispatch** out) {
  *out = cookies.get();
  cookies->AddRef();
  return S_OK;
}

inline EngineFixture::EngineFixture() {
  ClearPageCache();
  context.globals = {{"Response", ComPtr<IDispatch>(response.get())},
                     {"Widget", ComPtr<IDispatch>(widget.get())}};
  context.endRequested = [this] { return response->ended; };
  context.scriptTimeoutSeconds = [this] { return timeoutSeconds; };
  widget->ended = &response->ended;
}

inline PageRun EngineFixture::Run(const std::string& pageText, ScriptEngineOptions options) {
  const std::string path = std::string(kTestSiteRoot) + "/page.asp";
  loader.files[path] = pageText;
  stamps[path] = nextStamp++;
  return RunAsIs(std::move(options));
}

inline PageRun EngineFixture::RunAsIs(ScriptEngineOptions options) {
  options.modifiedTime = [this](const std::string& path) -> std::optional<std::int64_t> {
    const auto it = stamps.find(path);
    if (it == stamps.end()) return std::nullopt;
    return it->second;
  };
  ScriptEngine engine(std::move(options));
  PageRun run;
  auto prepared = engine.PreparePage(loader, TranslateOptions{kTestSiteRoot, "/page.asp"});
  if (auto* error = std::get_if<TranslateError>(&prepared)) {
    ADD_FAILURE() << "translation failed: " << error->message;
    return run;
  }
  run.result = engine.RunPage(*std::get<CompiledPagePtr>(prepared), context);
  run.output = Utf16ToUtf8(response->output);
  response->output.clear();
  return run;
}

inline std::string EngineFixture::Output(const std::string& code) {
  const PageRun run = Run("<%" + code + "%>");
  if (run.result.outcome != ScriptOutcome::Completed) {
    ADD_FAILURE() << "script did not complete: " << code << "\n"
                  << (run.result.error ? run.result.error->description : std::string("(no error)"));
  }
  return run.output;
}

}  // namespace vant::host::pages::testing
