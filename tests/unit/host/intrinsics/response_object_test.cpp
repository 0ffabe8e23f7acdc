#include "host/intrinsics/response_object.h"

#include <gtest/gtest.h>

#include "unit/host/intrinsics/page_fixture.h"

namespace vant::test {
namespace {

struct ResponseTest : ::testing::Test, PageFixture {
  IDispatch* Response() { return objects.response.get(); }
};

TEST_F(ResponseTest, AddHeaderRefusesLineBreaksAndNul) {
  Start();
  const std::u16string bad[][2] = {
      {u"X-A", u"v\r\nSet-Cookie: evil=1"},
      {u"X-B\n", u"v"},
      {u"X-C", std::u16string(u"a\0b", 3)},
      {u"X-D", u"a\vb"},
      {u"X-E", u"a\fb"},
      {u"X-F",
       u"a\x7f"
       u"b"},
      {u"X-G\x7f", u"v"},
  };
  for (const auto& row : bad) {
    HRESULT hr = S_OK;
    Call(Response(), u"AddHeader", {Str(row[0]), Str(row[1])}, DISPATCH_METHOD, &hr);
    EXPECT_EQ(hr, E_INVALIDARG) << Utf16ToUtf8(row[0]);
    EXPECT_NE(LastErrorText().find("line break"), std::string::npos);
  }
  EXPECT_TRUE(exchange.headers.empty());
  Call(Response(), u"AddHeader", {Str(u"X-Ok"), Str(u"1")});
  EXPECT_EQ(exchange.Header("X-Ok"), (std::vector<std::string>{"1"}));
}

// Headers a component hands over in their wire form: each is checked as
// AddHeader checks it, a refused one is left out and the rest still go.
TEST_F(ResponseTest, HeaderLinesAreAddedOneByOne) {
  Start();
  ComPtr<host::IResponseHeaders> lines;
  ASSERT_EQ(objects.response->QueryInterface(host::IResponseHeaders::kIid, lines.ReceiveVoid()),
            S_OK);
  const std::string_view good = "X-A: 1\r\nX-B: two words\r\n";
  EXPECT_EQ(lines->AddHeaderLines(good.data(), static_cast<std::int32_t>(good.size())), S_OK);
  const std::string_view refused = "X-C: 3\r\nX-\x7f: 4\r\nX-D: 5\r\n";
  EXPECT_EQ(lines->AddHeaderLines(refused.data(), static_cast<std::int32_t>(refused.size())),
            S_FALSE);
  const std::string_view cut = "X-E: 6\r\nX-F 7\r\n";
  EXPECT_EQ(lines->AddHeaderLines(cut.data(), static_cast<std::int32_t>(cut.size())), E_INVALIDARG);
  std::string added;
  for (const auto& h : exchange.headers) added += h.name + "=" + h.value + ";";
  EXPECT_EQ(added, "X-A=1;X-B=two words;X-C=3;X-D=5;X-E=6;");
}

TEST_F(ResponseTest, WriteEncodesWithTheCodePage) {
  info.codePage = 1252;
  Start();
  Call(Response(), u"Write", {Str(u"caf\u00E9 ")});
  Call(Response(), u"Write", {Variant::I4(42)});
  Call(Response(), u"Write", {Variant()});
  EXPECT_EQ(exchange.pending, "caf\xE9 42");
  Put(Response(), u"CodePage", {Variant::I4(65001)});
  Call(Response(), u"Write", {Str(u"\u00E9")});
  EXPECT_EQ(exchange.pending, "caf\xE9 42\xC3\xA9");
  EXPECT_TRUE(exchange.sent.empty()) << "buffered output waits";
}

TEST_F(ResponseTest, BufferFlushClearEnd) {
  Start();
  Call(Response(), u"Write", {Str(u"drop")});
  Call(Response(), u"Clear");
  Call(Response(), u"Write", {Str(u"keep")});
  Call(Response(), u"Flush");
  EXPECT_EQ(exchange.sent, "keep");
  EXPECT_TRUE(exchange.headersSent);
  HRESULT hr = S_OK;
  Put(Response(), u"Buffer", {Variant::Bool(false)}, &hr);
  EXPECT_TRUE(Failed(hr)) << "buffering cannot be turned off after output";
  Call(Response(), u"End");
  EXPECT_TRUE(page->EndRequested());
  page->EndPage();
  EXPECT_TRUE(exchange.finished);
}

TEST_F(ResponseTest, UnbufferedOutputGoesOutAndClearFails) {
  Start();
  Put(Response(), u"Buffer", {Variant::Bool(false)});
  Call(Response(), u"BinaryWrite", {Variant::Array(SafeArray::FromBytes("\x01\x02", 2))});
  EXPECT_EQ(exchange.sent, std::string("\x01\x02", 2));
  HRESULT hr = S_OK;
  Call(Response(), u"Clear", {}, DISPATCH_METHOD, &hr);
  EXPECT_TRUE(Failed(hr));
  Call(Response(), u"BinaryWrite", {Str(u"text")}, DISPATCH_METHOD, &hr);
  EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
}

TEST_F(ResponseTest, RedirectSends302AndEnds) {
  Start();
  Call(Response(), u"Write", {Str(u"discarded")});
  Call(Response(), u"Redirect", {Str(u"/next.asp?a=1&b=2")});
  EXPECT_EQ(exchange.status, "302 Object Moved");
  EXPECT_EQ(exchange.Header("Location"), (std::vector<std::string>{"/next.asp?a=1&b=2"}));
  EXPECT_EQ(exchange.pending.find("discarded"), std::string::npos);
  EXPECT_NE(exchange.pending.find("HREF=\"/next.asp?a=1&amp;b=2\""), std::string::npos);
  EXPECT_TRUE(page->EndRequested());
}

TEST_F(ResponseTest, RedirectAfterHeadersWentOutFails) {
  Start();
  Call(Response(), u"Flush");
  HRESULT hr = S_OK;
  Call(Response(), u"Redirect", {Str(u"/x")}, DISPATCH_METHOD, &hr);
  EXPECT_TRUE(Failed(hr));
  EXPECT_FALSE(page->EndRequested());
}

TEST_F(ResponseTest, StatusContentTypeCharset) {
  Start();
  Put(Response(), u"Status", {Str(u"206 Partial content")});
  EXPECT_EQ(exchange.status, "206 Partial content");
  Put(Response(), u"ContentType", {Str(u"text/plain")});
  Call(Response(), u"Charset", {Str(u"utf-8")});  // the method form
  EXPECT_EQ(exchange.contentType, "text/plain; charset=utf-8");
  for (const char16_t* status : {u"200 OK\r\nX: y", u"200 O\vK", u"200 O\fK", u"200 O\x7fK"}) {
    HRESULT hr = S_OK;
    Put(Response(), u"Status", {Str(status)}, &hr);
    EXPECT_TRUE(Failed(hr)) << Utf16ToUtf8(status);
  }
  EXPECT_EQ(exchange.status, "206 Partial content");
}

// Path and Domain are sent as they are: a ';' would add attributes of the
// caller's choosing. The script hears of the refusal; nothing is dropped
// silently.
TEST_F(ResponseTest, CookieAttributesCannotInjectAttributes) {
  Start();
  Variant cookie = Call(Call(Response(), u"Cookies").dispatch(), u"", {Str(u"c")});
  Put(cookie.dispatch(), u"", {Str(u""), Str(u"v\r\nX: y")});
  const struct {
    const char16_t* member;
    const char16_t* value;
  } rows[] = {
      {u"Path", u"/; Domain=evil.test"},
      {u"Path", u"/a\r\nX: y"},
      {u"Path", u"/a b"},
      {u"Path", u"/a,b"},
      {u"Domain", u"a.test; secure"},
      {u"Domain", u"a.test\x7f"},
      {u"Domain", u"a.test\v"},
  };
  for (const auto& row : rows) {
    HRESULT hr = S_OK;
    Put(cookie.dispatch(), row.member, {Str(row.value)}, &hr);
    EXPECT_EQ(hr, E_INVALIDARG) << Utf16ToUtf8(row.member) << " " << Utf16ToUtf8(row.value);
    EXPECT_NE(LastErrorText().find("cannot hold"), std::string::npos);
  }
  Put(cookie.dispatch(), u"Path", {Str(u"/app")});
  page->EndPage();
  EXPECT_EQ(exchange.Header("Set-Cookie"),
            (std::vector<std::string>{"c=v%0D%0AX%3A+y; path=/app"}));
}

TEST_F(ResponseTest, CookiesGoOutAsSetCookieHeadersBeforeTheHeaders) {
  Start();
  IDispatch* response = Response();
  Variant cookies = Call(response, u"Cookies");
  Put(cookies.dispatch(), u"", {Str(u"plain"), Str(u"a b;c")});
  Variant keyed = Call(cookies.dispatch(), u"", {Str(u"VANTUpload")});
  Put(keyed.dispatch(), u"", {Str(u"ProgressID"), Variant::I4(12)});
  Put(keyed.dispatch(), u"", {Str(u"Name"), Str(u"x&y")});
  EXPECT_EQ(Call(keyed.dispatch(), u"HasKeys").boolVal(), VARIANT_TRUE);
  Variant session = Call(cookies.dispatch(), u"", {Str(u"s")});
  Put(session.dispatch(), u"", {Str(u""), Str(u"v")});
  Put(session.dispatch(), u"Path", {Str(u"/app")});
  Put(session.dispatch(), u"Domain", {Str(u"example.test")});
  Put(session.dispatch(), u"Secure", {Variant::Bool(true)});
  Put(session.dispatch(), u"Expires", {Variant::FromDate(Date{45658.5})});  // 2025-01-01 12:00
  EXPECT_TRUE(exchange.Header("Set-Cookie").empty()) << "cookies wait for the headers";
  Call(response, u"Flush");
  EXPECT_EQ(
      exchange.Header("Set-Cookie"),
      (std::vector<std::string>{
          "plain=a+b%3Bc; path=/", "VANTUpload=ProgressID=12&Name=x%26y; path=/",
          "s=v; expires=Wed, 01-Jan-2025 12:00:00 GMT; domain=example.test; path=/app; secure"}));
  HRESULT hr = S_OK;
  Put(cookies.dispatch(), u"", {Str(u"late"), Str(u"1")}, &hr);
  EXPECT_TRUE(Failed(hr)) << "a cookie set after the headers went out cannot be sent";
}

TEST_F(ResponseTest, SetCookieRoundTripsThroughRequestCookies) {
  Start();
  Variant keyed = Call(Call(Response(), u"Cookies").dispatch(), u"", {Str(u"k")});
  Put(keyed.dispatch(), u"", {Str(u"a"), Str(u"1 2&3=4")});
  page->EndPage();
  const std::string header = exchange.Header("Set-Cookie").at(0);
  PageFixture next;
  next.exchange.SetHeader("Cookie", header.substr(0, header.find(';')));
  next.Start();
  Variant cookie = Call(Call(next.objects.request.get(), u"Cookies").dispatch(), u"", {Str(u"k")});
  EXPECT_EQ(Text(Call(cookie.dispatch(), u"", {Str(u"a")})), "1 2&3=4");
}

TEST_F(ResponseTest, ExpiresEarliestSettingWins) {
  Start();
  Put(Response(), u"ExpiresAbsolute", {Variant::FromDate(Date{45658.0})});  // 2025-01-01
  Put(Response(), u"Expires", {Variant::I4(60)});                           // later than that
  page->EndPage();
  EXPECT_EQ(exchange.Header("Expires"),
            (std::vector<std::string>{"Wed, 01 Jan 2025 00:00:00 GMT"}));
}

TEST_F(ResponseTest, LogAndClientState) {
  Start();
  Call(Response(), u"AppendToLog", {Str(u"note")});
  EXPECT_EQ(exchange.log, "note");
  EXPECT_EQ(Call(Response(), u"IsClientConnected").boolVal(), VARIANT_TRUE);
  exchange.connected = false;
  EXPECT_EQ(Call(Response(), u"IsClientConnected").boolVal(), VARIANT_FALSE);
}

}  // namespace
}  // namespace vant::test
