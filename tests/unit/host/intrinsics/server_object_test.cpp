#include "host/intrinsics/server_object.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/scripted_random.h"
#include "unit/host/intrinsics/page_fixture.h"

namespace vant::test {
namespace {

struct ServerTest : ::testing::Test, PageFixture {
  IDispatch* Server() { return objects.server.get(); }
};

TEST_F(ServerTest, Encoders) {
  Start();
  const struct {
    const char16_t* member;
    const char16_t* input;
    const char* want;
  } rows[] = {
      {u"HTMLEncode", u"<a href=\"x\">&</a>", "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;"},
      {u"HTMLEncode", u"caf\u00E9", "caf\xC3\xA9"},  // a UTF-8 page keeps it
      {u"URLEncode", u"http://www.example.com/a b", "http%3A%2F%2Fwww%2Eexample%2Ecom%2Fa+b"},
      {u"URLEncode", u"\u00E9", "%C3%A9"},
      {u"URLPathEncode", u"/a b/c\"d?x=1", "/a%20b/c%22d?x=1"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Text(Call(Server(), row.member, {Str(row.input)})), row.want)
        << Utf16ToUtf8(row.input);
  }
  PageFixture latin;
  latin.info.codePage = 1252;
  latin.Start();
  EXPECT_EQ(Text(Call(latin.objects.server.get(), u"HTMLEncode", {Str(u"caf\u00E9")})),
            "caf&#233;");
  EXPECT_EQ(Text(Call(latin.objects.server.get(), u"URLEncode", {Str(u"\u00E9")})), "%E9");
}

TEST_F(ServerTest, MapPathIsRelativeToThePageAndRefusesEscapes) {
  Start();
  EXPECT_EQ(Text(Call(Server(), u"MapPath", {Str(u"up")})), "C:\\srv\\site\\dir\\up");
  HRESULT hr = S_OK;
  Call(Server(), u"MapPath", {Str(u"../../x")}, DISPATCH_METHOD, &hr);
  EXPECT_TRUE(Failed(hr));
  EXPECT_NE(LastErrorText().find("above the root"), std::string::npos);
}

TEST_F(ServerTest, ScriptTimeout) {
  Start();
  EXPECT_EQ(Call(Server(), u"ScriptTimeout").i4(), 90);
  Put(Server(), u"ScriptTimeout", {Variant::I4(3600)});
  EXPECT_EQ(page->ScriptTimeoutSeconds(), 3600);
  HRESULT hr = S_OK;
  Put(Server(), u"ScriptTimeout", {Variant::I4(0)}, &hr);
  EXPECT_EQ(hr, E_INVALIDARG);
}

class RecordingExecutor : public host::intrinsics::PageExecutor {
 public:
  std::vector<std::string> calls;
  HRESULT Execute(const std::string& path) override {
    calls.push_back("execute " + path);
    return S_OK;
  }
  HRESULT Transfer(const std::string& path) override {
    calls.push_back("transfer " + path);
    return S_OK;
  }
};

TEST_F(ServerTest, ExecuteAndTransferResolveThePath) {
  RecordingExecutor executor;
  Start({}, &executor);
  Call(Server(), u"Execute", {Str(u"inc/part.asp")});
  EXPECT_FALSE(page->EndRequested());
  Call(Server(), u"Transfer", {Str(u"/other.asp")});
  EXPECT_TRUE(page->EndRequested());
  EXPECT_EQ(executor.calls,
            (std::vector<std::string>{"execute /dir/inc/part.asp", "transfer /other.asp"}));
  HRESULT hr = S_OK;
  Call(Server(), u"Execute", {Str(u"x.asp?a=1")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(ServerTest, GetLastErrorShowsThePageError) {
  Start();
  host::intrinsics::PageError error;
  error.number = static_cast<std::int32_t>(0x800A01B6);
  error.description = u"Object doesn't support this property";
  error.line = 7;
  page->SetLastError(error);
  Variant last = Call(Server(), u"GetLastError");
  EXPECT_EQ(Call(last.dispatch(), u"Line").i4(), 7);
  EXPECT_EQ(Text(Call(last.dispatch(), u"Description")), "Object doesn't support this property");
}

// Pages make tokens from Scriptlet.TypeLib, so its GUID must come from the
// kernel's random source, a new one for each object.
TEST_F(ServerTest, ScriptletTypeLibGuidsComeFromTheKernelSource) {
  Start();
  test::ScriptedRandom source;
  Variant first = Call(Server(), u"CreateObject", {Str(u"scriptlet.typelib")}, DISPATCH_METHOD);
  ASSERT_EQ(first.vt(), VT_DISPATCH);
  // Bytes 0..15 with the version (byte 7) and variant (byte 8) bits set.
  EXPECT_EQ(Text(Call(first.dispatch(), u"Guid")), "{03020100-0504-4706-8809-0A0B0C0D0E0F}");
  Variant second = Call(Server(), u"CreateObject", {Str(u"Scriptlet.TypeLib.1")}, DISPATCH_METHOD);
  EXPECT_EQ(Text(Call(second.dispatch(), u"Guid")), "{13121110-1514-4716-9819-1A1B1C1D1E1F}");
}

// CreateObject against a registry file naming the test module.
class CreateObjectTest : public ServerTest {
 protected:
  void SetUp() override {
    const std::string reg = dir_.Host("registry.reg");
    std::ofstream out(reg);
    out << "Windows Registry Editor Version 5.00\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.PageObject\\CLSID]\n@=\"{6A75B9F6-E9E2-4A02-869E-D675859425B6}"
           "\"\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.Versioned\\CurVer]\n@=\"Test.PageObject\"\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.Refuses\\CLSID]\n@=\"{6A75B9F6-E9E2-4A02-869E-D675859425B7}"
           "\"\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.NoModule\\CLSID]\n@=\"{11111111-2222-3333-4444-555555555555}"
           "\"\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.BadModule\\CLSID]\n@=\"{11111111-2222-3333-4444-555555555556}"
           "\"\n\n"
        << "[HKEY_CLASSES_ROOT\\Test.NumberId\\CLSID]\n@=dword:00000001\n\n"
        << "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555556}\\InprocServer32]\n"
        << "@=\"/nonexistent/libnothing.so\"\n\n"
#ifdef VANT_TEST_COMPONENT
        << "[HKEY_CLASSES_ROOT\\CLSID\\{6A75B9F6-E9E2-4A02-869E-D675859425B6}\\InprocServer32]\n"
        << "@=\"" << VANT_TEST_COMPONENT << "\"\n\n"
        << "[HKEY_CLASSES_ROOT\\CLSID\\{6A75B9F6-E9E2-4A02-869E-D675859425B7}\\InprocServer32]\n"
        << "@=\"" << VANT_TEST_COMPONENT << "\"\n\n"
#endif
        ;
    out.close();
    ::setenv("VANT_REGISTRY", reg.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VANT_REGISTRY"); }
  test::ScratchFolder dir_;
};

TEST_F(CreateObjectTest, UnknownOrBrokenRegistrationsFailCleanly) {
  Start();
  const struct {
    const char16_t* progId;
    HRESULT status;
    const char* text;
  } rows[] = {
      {u"No.Such.Thing", CO_E_CLASSSTRING, "Invalid ProgID"},
      {u"", CO_E_CLASSSTRING, "Invalid ProgID"},
      {u"Test.NumberId", CO_E_CLASSSTRING, "Invalid ProgID"},
      {u"Test.NoModule", REGDB_E_CLASSNOTREG, "class not registered"},
      {u"Test.BadModule", HresultFromWin32(126),
       "module could not be loaded: /nonexistent/libnothing.so"},
  };
  for (const auto& row : rows) {
    HRESULT hr = S_OK;
    Variant made = Call(Server(), u"CreateObject", {Str(row.progId)}, DISPATCH_METHOD, &hr);
    EXPECT_EQ(hr, row.status) << Utf16ToUtf8(row.progId);
    EXPECT_NE(LastErrorText().find(row.text), std::string::npos) << Utf16ToUtf8(row.progId);
    EXPECT_TRUE(made.IsEmpty());
  }
}

// An administrator may register a module while the host runs: every
// CreateObject reads the registry afresh.
TEST_F(CreateObjectTest, ARegistrationAddedLaterIsSeenByTheNextCall) {
  Start();
  HRESULT hr = S_OK;
  Call(Server(), u"CreateObject", {Str(u"Test.NoModule")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  std::ofstream(dir_.Host("registry.reg"), std::ios::app)
      << "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\n"
      << "@=\"/nonexistent/liblater.so\"\n\n";
  Call(Server(), u"CreateObject", {Str(u"Test.NoModule")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, HresultFromWin32(126));
  EXPECT_NE(LastErrorText().find("/nonexistent/liblater.so"), std::string::npos) << LastErrorText();
}

// Where a ProgID led is remembered only for the registry version it was read
// from: a module moved after a successful activation is looked for where the
// registry now says.
TEST_F(CreateObjectTest, AModuleMovedLaterIsSeenByTheNextCall) {
#ifndef VANT_TEST_COMPONENT
  GTEST_SKIP() << "the test component module is not built";
#endif
  Start();
  HRESULT hr = S_OK;
  Variant made = Call(Server(), u"CreateObject", {Str(u"Test.PageObject")}, DISPATCH_METHOD, &hr);
  ASSERT_EQ(hr, S_OK) << LastErrorText();
  std::ofstream(dir_.Host("registry.reg"), std::ios::app)
      << "[HKEY_CLASSES_ROOT\\CLSID\\{6A75B9F6-E9E2-4A02-869E-D675859425B6}\\InprocServer32]\n"
      << "@=\"/nonexistent/libmoved.so\"\n\n";
  Call(Server(), u"CreateObject", {Str(u"Test.PageObject")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, HresultFromWin32(126));
  EXPECT_NE(LastErrorText().find("/nonexistent/libmoved.so"), std::string::npos) << LastErrorText();
}

TEST_F(CreateObjectTest, PageObjectsGetOnStartPageAndOnEndPage) {
#ifndef VANT_TEST_COMPONENT
  GTEST_SKIP() << "the test component module is not built";
#else
  Start();
  Variant first = Call(Server(), u"CreateObject", {Str(u"Test.PageObject")});
  ASSERT_EQ(first.vt(), VT_DISPATCH);
  Variant second = Call(Server(), u"CreateObject", {Str(u"Test.Versioned")});
  ASSERT_EQ(second.vt(), VT_DISPATCH) << "CurVer is followed";
  EXPECT_EQ(exchange.pending, "start;start;");
  HRESULT hr = S_OK;
  Call(Server(), u"CreateObject", {Str(u"Test.Refuses")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, E_ACCESSDENIED) << "a refused OnStartPage fails the creation";
  first.Clear();
  second.Clear();
  page->EndPage();
  EXPECT_EQ(exchange.sent, "start;start;end;end;") << "OnEndPage runs before the response finishes";
#endif
}

// `new ActiveXObject(progId)`: the same activation, outside the page's
// object context.
TEST_F(CreateObjectTest, UnboundObjectsGetNeitherOnStartPageNorOnEndPage) {
#ifndef VANT_TEST_COMPONENT
  GTEST_SKIP() << "the test component module is not built";
#else
  Start();
  ComPtr<IDispatch> made;
  ASSERT_EQ(page->CreateUnboundObject(u"Test.Refuses", &made), S_OK) << "no OnStartPage to refuse";
  ASSERT_TRUE(made);
  EXPECT_EQ(page->CreateUnboundObject(u"No.Such.Thing", &made), CO_E_CLASSSTRING);
  made = nullptr;
  ASSERT_EQ(page->CreateUnboundObject(u"Test.PageObject", &made), S_OK);
  made = nullptr;
  page->EndPage();
  EXPECT_EQ(exchange.sent, "");
#endif
}

}  // namespace
}  // namespace vant::test
