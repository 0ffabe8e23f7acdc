#include "frame/page_context.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/fake_host.h"

namespace vant::frame {
namespace {

using test::FakeHost;
using test::HostCall;
using test::Intrinsic;

constexpr HRESULT kDenied = E_ACCESSDENIED;
constexpr std::array kAllIntrinsics = {Intrinsic::Request, Intrinsic::Response, Intrinsic::Server,
                                       Intrinsic::Session, Intrinsic::Application};

// Which objects a context holds, in Intrinsic order, as "RrSsA" letters
// ("-" for absent) so a failing row prints something readable.
std::string Held(const PageContext& ctx) {
  std::string held;
  held += ctx.Request() ? 'R' : '-';
  held += ctx.Response() ? 'r' : '-';
  held += ctx.Server() ? 'S' : '-';
  held += ctx.Session() ? 's' : '-';
  held += ctx.Application() ? 'A' : '-';
  return held;
}

// The references the fake host sees from outside, in the same order.
std::string References(const FakeHost& host) {
  std::string refs;
  for (const Intrinsic which : kAllIntrinsics) refs += std::to_string(host.References(which));
  return refs;
}

struct StartRow {
  const char* name;
  PageObjects which;
  std::vector<std::pair<Intrinsic, HRESULT>> removed;
  HRESULT expected;
  const char* held;
};

TEST(PageContextTest, OnStartPageTakesTheObjectsOfEachClassKind) {
  const StartRow rows[] = {
      {"upload, all present", PageObjects::Upload, {}, S_OK, "RrSsA"},
      {"upload, no session", PageObjects::Upload, {{Intrinsic::Session, kDenied}}, S_OK, "RrS-A"},
      {"upload, no request",
       PageObjects::Upload,
       {{Intrinsic::Request, kDenied}},
       kDenied,
       "-----"},
      {"upload, no application",
       PageObjects::Upload,
       {{Intrinsic::Application, kDenied}},
       kDenied,
       "-----"},
      {"upload, null response",
       PageObjects::Upload,
       {{Intrinsic::Response, S_OK}},
       E_FAIL,
       "-----"},
      {"standard, all present", PageObjects::Standard, {}, S_OK, "RrS-A"},
      {"standard, no session",
       PageObjects::Standard,
       {{Intrinsic::Session, kDenied}},
       S_OK,
       "RrS-A"},
      {"standard, no server",
       PageObjects::Standard,
       {{Intrinsic::Server, kDenied}},
       kDenied,
       "-----"},
      {"all, all present", PageObjects::All, {}, S_OK, "RrSsA"},
      {"all, no session", PageObjects::All, {{Intrinsic::Session, kDenied}}, kDenied, "-----"},
      {"server only", PageObjects::ServerOnly, {{Intrinsic::Request, kDenied}}, S_OK, "--S--"},
      {"server only, no server",
       PageObjects::ServerOnly,
       {{Intrinsic::Server, kDenied}},
       kDenied,
       "-----"},
  };
  for (const StartRow& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    for (const auto& [which, status] : row.removed) host.Remove(which, status);
    PageContext ctx;
    EXPECT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), row.which), row.expected);
    EXPECT_EQ(ctx.Started(), Succeeded(row.expected));
    EXPECT_EQ(Held(ctx), row.held);
    // Exactly one reference per held object, none left behind after a failure.
    std::string expectedRefs;
    for (const char c : std::string(row.held)) expectedRefs += c == '-' ? '0' : '1';
    EXPECT_EQ(References(host), expectedRefs);
  }
}

TEST(PageContextTest, NullContextStatusDependsOnTheClassKind) {
  const std::pair<PageObjects, HRESULT> rows[] = {
      {PageObjects::Upload, E_FAIL},
      {PageObjects::Standard, E_FAIL},
      {PageObjects::All, E_FAIL},
      {PageObjects::ServerOnly, E_POINTER},
  };
  for (const auto& [which, expected] : rows) {
    PageContext ctx;
    EXPECT_EQ(ctx.OnStartPage(nullptr, which), expected) << static_cast<int>(which);
    EXPECT_FALSE(ctx.Started());
  }
}

TEST(PageContextTest, ObjectWithoutScriptingContextGivesItsQueryStatus) {
  FakeHost host;
  PageContext ctx;
  EXPECT_EQ(ctx.OnStartPage(host.Application().get(), PageObjects::Standard), E_NOINTERFACE);
  EXPECT_EQ(Held(ctx), "-----");
  EXPECT_FALSE(ctx.Started());
}

TEST(PageContextTest, OnEndPageAndRestartReleaseEverything) {
  FakeHost host;
  PageContext ctx;
  ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::All), S_OK);
  // A second start takes fresh references without leaking the first ones.
  ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::All), S_OK);
  EXPECT_EQ(References(host), "11111");
  ctx.OnEndPage();
  EXPECT_EQ(References(host), "00000");
  EXPECT_EQ(Held(ctx), "-----");
  EXPECT_FALSE(ctx.Started());
}

TEST(PageContextTest, DestroyingAStartedContextReleasesItsObjects) {
  FakeHost host;
  {
    PageContext ctx;
    ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::Upload), S_OK);
  }
  EXPECT_EQ(References(host), "00000");
}

struct MapRow {
  const char* name;
  Bstr path;
  bool started;
  HostCall failing;
  bool fail;
  HRESULT expected;
  Bstr out;
};

TEST(PageContextTest, MapPathIfVirtualMapsOnlyPathsWithASlash) {
  const MapRow rows[] = {
      {"virtual", u"/upload/a.txt", true, {}, false, S_OK, u"C:\\site\\upload\\a.txt"},
      {"slash inside", u"up/a.txt", true, {}, false, S_OK, u"C:\\site\\up\\a.txt"},
      {"physical", u"C:\\data\\a.txt", true, {}, false, S_OK, u"C:\\data\\a.txt"},
      {"null", Bstr::Null(), true, {}, false, S_OK, Bstr::Null()},
      {"refused by host", u"/../a.txt", true, {}, false, S_FALSE, u"/../a.txt"},
      {"MapPath fails", u"/upload", true, HostCall::MapPath, true, S_FALSE, u"/upload"},
      {"no server held", u"/upload", false, {}, false, S_FALSE, u"/upload"},
      {"physical, no server", u"D:\\x", false, {}, false, S_OK, u"D:\\x"},
  };
  for (const MapRow& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    if (row.fail) host.Fail(row.failing);
    PageContext ctx;
    if (row.started) ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::ServerOnly);
    Bstr out(u"stale");
    EXPECT_EQ(MapPathIfVirtual(ctx, row.path, &out), row.expected);
    EXPECT_EQ(out, row.out) << Utf16ToUtf8(out.str());
    // A path without "/" never reaches the host.
    const bool virtualPath = row.path.view().find(u'/') != std::u16string_view::npos;
    EXPECT_EQ(host.MapPathCalls().size(), virtualPath && row.started ? 1u : 0u);
  }
  PageContext ctx;
  EXPECT_EQ(MapPathIfVirtual(ctx, Bstr(u"/a"), nullptr), E_POINTER);
}

TEST(PageContextTest, ServerVariablesReadAsStrings) {
  FakeHost host;
  host.SetServerVariable(u"CONTENT_TYPE", u"multipart/form-data; boundary=x");
  PageContext ctx;
  ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::Standard), S_OK);
  EXPECT_EQ(GetServerVariable(ctx, u"content_type"), u"multipart/form-data; boundary=x");
  EXPECT_EQ(GetServerVariable(ctx, u"HTTP_RANGE"), u"");

  host.Fail(HostCall::ServerVariables, kDenied);
  std::u16string value;
  EXPECT_EQ(ReadServerVariable(ctx, u"CONTENT_TYPE", &value), kDenied);
  EXPECT_EQ(GetServerVariable(ctx, u"CONTENT_TYPE"), std::nullopt);

  PageContext serverOnly;
  ASSERT_EQ(serverOnly.OnStartPage(host.ScriptingContext().get(), PageObjects::ServerOnly), S_OK);
  EXPECT_EQ(ReadServerVariable(serverOnly, u"CONTENT_TYPE", &value), kIntrinsicNotHeld);
}

TEST(PageContextTest, CookieValueIsReadThroughTheCookieObject) {
  struct Row {
    const char* name;
    std::vector<HostCall> failing;
    std::u16string cookie;
    std::optional<std::u16string> expected;
  };
  const Row rows[] = {
      {"present", {}, u"VANTUpload", u"12"},
      {"letter case ignored", {}, u"vantupload", u"12"},
      {"unknown cookie reads empty", {}, u"Other", u""},
      {"collection fails", {HostCall::RequestCookies}, u"VANTUpload", std::nullopt},
      {"key read fails", {HostCall::ReadCookieItem}, u"VANTUpload", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    host.SetCookie(u"VANTUpload", u"ProgressID", u"12");
    for (const HostCall call : row.failing) host.Fail(call);
    PageContext ctx;
    ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::Standard), S_OK);
    EXPECT_EQ(GetCookieValue(ctx, row.cookie, u"ProgressID"), row.expected);
  }
  PageContext unstarted;
  EXPECT_EQ(GetCookieValue(unstarted, u"VANTUpload", u"ProgressID"), std::nullopt);
}

TEST(PageContextTest, ResponseCookieWriteReportsEachFailingStep) {
  struct Row {
    const char* name;
    std::vector<HostCall> failing;
    bool started;
    HRESULT expected;
  };
  const Row rows[] = {
      {"written", {}, true, S_OK},
      {"collection fails", {HostCall::ResponseCookies}, true, kDenied},
      {"put fails", {HostCall::WriteCookieItem}, true, kDenied},
      {"no response held", {}, false, kIntrinsicNotHeld},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    for (const HostCall call : row.failing) host.Fail(call, kDenied);
    PageContext ctx;
    if (row.started) ctx.OnStartPage(host.ScriptingContext().get(), PageObjects::Standard);
    EXPECT_EQ(SetResponseCookie(ctx, u"VANTUpload", u"ProgressID", Bstr(u"7")), row.expected);
    const std::vector<test::CookieWrite> expected =
        Succeeded(row.expected)
            ? std::vector<test::CookieWrite>{{u"VANTUpload", u"ProgressID", u"7"}}
            : std::vector<test::CookieWrite>{};
    EXPECT_EQ(host.CookieWrites(), expected);
  }
}

}  // namespace
}  // namespace vant::frame
