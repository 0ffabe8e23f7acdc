#include "host/intrinsics/request_object.h"

#include <gtest/gtest.h>

#include "unit/host/intrinsics/page_fixture.h"

namespace vant::test {
namespace {

constexpr char kFormType[] = "application/x-www-form-urlencoded";

struct RequestTest : ::testing::Test, PageFixture {
  IDispatch* Request() { return objects.request.get(); }
  ComPtr<host::IRequest> Typed() {
    ComPtr<host::IRequest> typed;
    EXPECT_EQ(objects.request.As(host::IRequest::kIid, &typed), S_OK);
    return typed;
  }
};

std::uint32_t ArraySize(const Variant& v) {
  return v.vt() == (VT_ARRAY | VT_UI1) && v.array() ? v.array()->Count() : 0xFFFFFFFF;
}

TEST_F(RequestTest, BinaryReadNeverReturnsMoreThanIsLeft) {
  exchange.body = std::string(10, 'x');
  Start();
  auto request = Typed();
  std::int32_t total = 0;
  ASSERT_EQ(request->get_TotalBytes(&total), S_OK);
  EXPECT_EQ(total, 10);
  // Asked: 4, 4, 4, 4. Got: 4, 4, 2, 0. The body is never asked for more.
  const std::int32_t expected[] = {4, 4, 2, 0};
  for (std::int32_t want : expected) {
    Variant count = Variant::I4(4);
    Variant data;
    ASSERT_EQ(request->BinaryRead(&count, &data), S_OK);
    EXPECT_EQ(count.i4(), want);
    EXPECT_EQ(ArraySize(data), static_cast<std::uint32_t>(want));
  }
  for (std::size_t asked : exchange.reads) EXPECT_LE(asked, 4u);
  EXPECT_EQ(total, 10) << "TotalBytes stays the declared length";
}

TEST_F(RequestTest, ScriptBinaryReadReturnsTheBytes) {
  exchange.body = "abc";
  Start();
  Variant data = Call(Request(), u"BinaryRead", {Variant::I4(100)});
  ASSERT_EQ(ArraySize(data), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.array()->Bytes()), 3), "abc");
  EXPECT_EQ(exchange.reads, (std::vector<std::size_t>{3}));
}

TEST_F(RequestTest, BinaryReadOfAFailedBodyIsAnError) {
  exchange.body = "abcdef";
  exchange.failAt = 0;
  Start();
  HRESULT hr = S_OK;
  Call(Request(), u"BinaryRead", {Variant::I4(6)}, DISPATCH_METHOD, &hr);
  EXPECT_TRUE(Failed(hr));
  EXPECT_NE(LastErrorText().find("could not be read"), std::string::npos);
}

struct DecodeRow {
  const char* name;
  std::uint32_t codePage;
  std::string raw;
  std::u16string key;
  std::vector<std::string> values;  // UTF-8
};

TEST_F(RequestTest, QueryStringDecoding) {
  const DecodeRow rows[] = {
      {"plus and escapes", 65001, "a=x+y%21&b=1", u"a", {"x y!"}},
      {"utf-8 bytes", 65001, "n=%E4%BD%A0%E5%A5%BD", u"N", {"\xE4\xBD\xA0\xE5\xA5\xBD"}},
      {"legacy code page", 1252, "n=caf%E9", u"n", {"caf\xC3\xA9"}},
      {"repeated keys in order", 65001, "k=1&x=0&K=2&k=3", u"k", {"1", "2", "3"}},
      {"no equals sign", 65001, "flag&z=1", u"flag", {""}},
      {"empty pairs skipped", 65001, "&&a=1&&", u"a", {"1"}},
      {"bad escape kept", 65001, "a=%zz%4", u"a", {"%zz%4"}},
  };
  for (const DecodeRow& row : rows) {
    PageFixture page;
    page.info.codePage = row.codePage;
    page.exchange.head.queryString = row.raw;
    page.Start();
    Variant list = Call(page.objects.request.get(), u"QueryString", {Str(row.key)});
    ASSERT_EQ(list.vt(), VT_DISPATCH) << row.name;
    Variant count = Call(list.dispatch(), u"Count");
    ASSERT_EQ(count.i4(), static_cast<std::int32_t>(row.values.size())) << row.name;
    for (std::size_t i = 0; i < row.values.size(); ++i) {
      EXPECT_EQ(
          Text(Call(list.dispatch(), u"Item", {Variant::I4(static_cast<std::int32_t>(i + 1))})),
          row.values[i])
          << row.name << " value " << i + 1;
    }
  }
}

TEST_F(RequestTest, ListDefaultJoinsAndAbsentNameIsEmpty) {
  exchange.head.queryString = "c=red&c=blue";
  Start();
  Variant list = Call(Request(), u"QueryString", {Str(u"c")});
  EXPECT_EQ(Text(Call(list.dispatch(), u"")), "red, blue");
  Variant absent = Call(Request(), u"QueryString", {Str(u"nope")});
  EXPECT_EQ(Call(absent.dispatch(), u"Count").i4(), 0);
  EXPECT_TRUE(Call(absent.dispatch(), u"").IsEmpty());
  HRESULT hr = S_OK;
  Call(list.dispatch(), u"Item", {Variant::I4(3)}, DISPATCH_PROPERTYGET, &hr);
  EXPECT_EQ(hr, DISP_E_BADINDEX);
  // The collection without a name is the raw text; its keys enumerate.
  Variant collection = Call(Request(), u"QueryString");
  EXPECT_EQ(Text(Call(collection.dispatch(), u"")), "c=red&c=blue");
  EXPECT_EQ(Call(collection.dispatch(), u"Count").i4(), 1);
  EXPECT_EQ(Text(Call(collection.dispatch(), u"Key", {Variant::I4(1)})), "c");
}

TEST_F(RequestTest, FormParsesAnUrlencodedBody) {
  exchange.head.method = "POST";
  exchange.SetHeader("Content-Type", std::string(kFormType) + "; charset=utf-8");
  exchange.body = "name=J%C3%BCrgen&tag=a&tag=b";
  Start();
  EXPECT_EQ(Text(Call(Request(), u"Form", {Str(u"name")})), "J\xC3\xBCrgen");
  EXPECT_EQ(Text(Call(Request(), u"Form", {Str(u"tag")})), "a, b");
  EXPECT_EQ(Text(Call(Request(), u"", {Str(u"tag")})), "a, b") << "Request(name) reaches Form";
}

TEST_F(RequestTest, FormAndBinaryReadExcludeEachOtherOverAnUrlencodedBody) {
  for (bool formFirst : {true, false}) {
    PageFixture page;
    page.exchange.SetHeader("Content-Type", kFormType);
    page.exchange.body = "a=1";
    page.Start();
    IDispatch* request = page.objects.request.get();
    HRESULT hr = S_OK;
    if (formFirst) {
      Call(request, u"Form", {Str(u"a")});
      Call(request, u"BinaryRead", {Variant::I4(1)}, DISPATCH_METHOD, &hr);
      EXPECT_TRUE(Failed(hr));
      EXPECT_NE(LastErrorText().find("BinaryRead cannot be used after Request.Form"),
                std::string::npos);
    } else {
      Call(request, u"BinaryRead", {Variant::I4(1)});
      Call(request, u"Form", {}, DISPATCH_PROPERTYGET, &hr);
      EXPECT_TRUE(Failed(hr));
      EXPECT_NE(LastErrorText().find("Request.Form cannot be used after BinaryRead"),
                std::string::npos);
      Call(request, u"", {Str(u"a")}, DISPATCH_PROPERTYGET, &hr);
      EXPECT_TRUE(Failed(hr)) << "Request(name) searches Form too";
    }
  }
}

TEST_F(RequestTest, MultipartBodyIsLeftToBinaryRead) {
  exchange.SetHeader("Content-Type", "multipart/form-data; boundary=x");
  exchange.body = "--x--";
  exchange.head.queryString = "id=7";
  Start();
  EXPECT_EQ(Call(Call(Request(), u"Form").dispatch(), u"Count").i4(), 0);
  EXPECT_EQ(Text(Call(Request(), u"", {Str(u"id")})), "7");
  EXPECT_EQ(ArraySize(Call(Request(), u"BinaryRead", {Variant::I4(100)})), 5u);
  EXPECT_EQ(Call(Call(Request(), u"Form").dispatch(), u"Count").i4(), 0);
}

TEST_F(RequestTest, ServerVariables) {
  exchange.head.method = "POST";
  exchange.head.queryString = "a=1";
  exchange.head.version = 11;
  exchange.SetHeader("Host", "example.test:8080");
  exchange.SetHeader("User-Agent", "curl/8");
  exchange.SetHeader("X-Custom-Thing", "one");
  exchange.SetHeader("x-custom-thing", "two");
  exchange.SetHeader("Content-Type", "text/plain");
  exchange.SetHeader("Content-Length", "12");
  Start();
  const struct {
    const char16_t* name;
    std::string want;
  } rows[] = {
      {u"REQUEST_METHOD", "POST"},
      {u"query_string", "a=1"},
      {u"SCRIPT_NAME", "/dir/page.asp"},
      {u"PATH_INFO", "/dir/page.asp"},
      {u"URL", "/dir/page.asp"},
      {u"PATH_TRANSLATED", "C:\\srv\\site\\dir\\page.asp"},
      {u"APPL_PHYSICAL_PATH", "C:\\srv\\site\\"},
      {u"CONTENT_TYPE", "text/plain"},
      {u"CONTENT_LENGTH", "12"},
      {u"REMOTE_ADDR", "192.0.2.7"},
      {u"REMOTE_HOST", "192.0.2.7"},
      {u"LOCAL_ADDR", "127.0.0.1"},
      {u"SERVER_NAME", "example.test"},
      {u"SERVER_PORT", "8080"},
      {u"SERVER_PROTOCOL", "HTTP/1.1"},
      {u"HTTPS", "off"},
      {u"GATEWAY_INTERFACE", "CGI/1.1"},
      {u"HTTP_USER_AGENT", "curl/8"},
      {u"HTTP_X_CUSTOM_THING", "one, two"},
      {u"HTTP_X-CUSTOM-THING", "one, two"},
      {u"HTTP_ACCEPT", "<empty>"},
      {u"NO_SUCH_VARIABLE", "<empty>"},
      {u"ALL_RAW",
       "Host: example.test:8080\r\nUser-Agent: curl/8\r\nX-Custom-Thing: one\r\nx-custom-thing: "
       "two\r\n"
       "Content-Type: text/plain\r\nContent-Length: 12\r\n"},
      {u"ALL_HTTP",
       "HTTP_HOST:example.test:8080\nHTTP_USER_AGENT:curl/8\nHTTP_X_CUSTOM_THING:one, two\n"
       "HTTP_CONTENT_TYPE:text/plain\nHTTP_CONTENT_LENGTH:12\n"},
  };
  Variant variables = Call(Request(), u"ServerVariables");
  ComPtr<host::IRequestVariables> direct;
  ASSERT_EQ(objects.request.As(host::IRequestVariables::kIid, &direct), S_OK);
  for (const auto& row : rows) {
    EXPECT_EQ(Text(Call(variables.dispatch(), u"", {Str(row.name)})), row.want)
        << Utf16ToUtf8(row.name);
    // The components' direct read gives the same text ("" where the item is EMPTY).
    const std::u16string_view name(row.name);
    Bstr value;
    EXPECT_EQ(
        direct->ReadServerVariable(name.data(), static_cast<std::int32_t>(name.size()), &value),
        S_OK);
    EXPECT_EQ(Utf16ToUtf8(value.view()), row.want == "<empty>" ? "" : row.want)
        << Utf16ToUtf8(row.name);
  }
  EXPECT_EQ(Text(Call(Request(), u"", {Str(u"SERVER_PORT")})), "8080")
      << "Request(name) falls back";
  EXPECT_TRUE(Call(Request(), u"", {Str(u"NOTHING_AT_ALL")}).IsEmpty());
  // A collection kept past the page reads the request as it was, not the
  // exchange's head, which goes with the request.
  page->EndPage();
  exchange.head = {};
  EXPECT_EQ(Text(Call(variables.dispatch(), u"", {Str(u"REQUEST_METHOD")})), "POST");
  EXPECT_EQ(Text(Call(variables.dispatch(), u"", {Str(u"HTTP_USER_AGENT")})), "curl/8");
}

TEST_F(RequestTest, CookiesWithKeys) {
  exchange.SetHeader("Cookie",
                     "VANTUpload=ProgressID=12&Name=a+b; plain=x%20y; ASPSESSIONIDABCDEFGH=ZZZ");
  exchange.SetHeader("Cookie", "plain=shadowed");
  Start();
  Variant cookies = Call(Request(), u"Cookies");
  EXPECT_EQ(Call(cookies.dispatch(), u"Count").i4(), 2) << "the session cookie is hidden";
  Variant keyed = Call(cookies.dispatch(), u"", {Str(u"vantupload")});
  EXPECT_EQ(Call(keyed.dispatch(), u"HasKeys").boolVal(), VARIANT_TRUE);
  EXPECT_EQ(Text(Call(keyed.dispatch(), u"", {Str(u"ProgressID")})), "12");
  EXPECT_EQ(Text(Call(keyed.dispatch(), u"", {Str(u"name")})), "a b");
  EXPECT_EQ(Text(Call(keyed.dispatch(), u"")), "ProgressID=12&Name=a+b");
  Variant plain = Call(cookies.dispatch(), u"", {Str(u"plain")});
  EXPECT_EQ(Text(Call(plain.dispatch(), u"")), "x y");
  EXPECT_EQ(Call(plain.dispatch(), u"HasKeys").boolVal(), VARIANT_FALSE);
  Variant missing = Call(cookies.dispatch(), u"", {Str(u"missing")});
  EXPECT_EQ(Text(Call(missing.dispatch(), u"")), "");
  EXPECT_TRUE(Call(missing.dispatch(), u"", {Str(u"k")}).IsEmpty());
  // The component-facing path: IRequestDictionary -> IReadCookie.
  ComPtr<host::IRequestDictionary> dictionary;
  ASSERT_EQ(Typed()->get_Cookies(dictionary.Receive()), S_OK);
  Variant item;
  ASSERT_EQ(dictionary->get_Item(Str(u"VANTUpload"), &item), S_OK);
  ComPtr<host::IReadCookie> read;
  ASSERT_EQ(ComPtr<IDispatch>(item.dispatch()).As(host::IReadCookie::kIid, &read), S_OK);
  Variant value;
  ASSERT_EQ(read->get_Item(Str(u"ProgressID"), &value), S_OK);
  EXPECT_EQ(Text(value), "12");
}

// Each collection reads at most site.maxInputVars pairs (cookies, keys of a
// keyed cookie); a repeated name counts each time. One more raises an error
// naming the collection and the limit, and so does every later access.
TEST_F(RequestTest, CollectionsPastTheInputLimitRaiseAnError) {
  struct Row {
    const char* what;
    const char16_t* collection;
    std::string query, form, cookie;
    std::int32_t count;  // -1: refused
  };
  const Row rows[] = {
      {"query at the limit", u"QueryString", "a=1&b=2&&c=3", "", "", 3},
      {"query past it", u"QueryString", "a=1&b=2&c=3&d=4", "", "", -1},
      {"repeated names count", u"QueryString", "a=1&a=2&a=3&a=4", "", "", -1},
      {"form at the limit", u"Form", "", "a=1&b=2&c=3", "", 3},
      {"form past it", u"Form", "", "a&b&c&d", "", -1},
      {"cookies at the limit", u"Cookies", "", "", "a=1; b=2; a=3", 2},
      {"cookies past it", u"Cookies", "", "", "a=1; b=2; c=3; d=4", -1},
      {"keyed cookie past it", u"Cookies", "", "", "k=a=1&b=2&c=3&d=4", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PageFixture page;
    page.site.maxInputVars = 3;
    page.exchange.head.queryString = row.query;
    if (!row.form.empty()) {
      page.exchange.head.method = "POST";
      page.exchange.SetHeader("Content-Type", kFormType);
      page.exchange.body = row.form;
    }
    if (!row.cookie.empty()) page.exchange.SetHeader("Cookie", row.cookie);
    page.Start();
    for (int access = 0; access < 2; ++access) {
      HRESULT hr = S_OK;
      Variant collection =
          Call(page.objects.request.get(), row.collection, {}, DISPATCH_PROPERTYGET, &hr);
      if (row.count >= 0) {
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(Call(collection.dispatch(), u"Count").i4(), row.count);
        continue;
      }
      EXPECT_TRUE(Failed(hr)) << access;
      EXPECT_NE(LastErrorText().find("more than 3 entries"), std::string::npos) << access;
    }
  }
}

TEST_F(RequestTest, CollectionsEnumerateTheirKeys) {
  exchange.head.queryString = "b=1&a=2&b=3";
  Start();
  ComPtr<IUnknown> unknown;
  Variant collection = Call(Request(), u"QueryString");
  Variant enumerator = Call(collection.dispatch(), u"_NewEnum");
  ComPtr<IEnumVARIANT> keys;
  ASSERT_EQ(ComPtr<IUnknown>(enumerator.unknown()).As(IID_IEnumVARIANT, &keys), S_OK);
  Variant items[3];
  std::uint32_t fetched = 0;
  EXPECT_EQ(keys->Next(3, items, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(Text(items[0]), "b");
  EXPECT_EQ(Text(items[1]), "a");
}

TEST_F(RequestTest, UseAfterThePageEndedFails) {
  Start();
  page->EndPage();
  HRESULT hr = S_OK;
  Call(Request(), u"TotalBytes", {}, DISPATCH_PROPERTYGET, &hr);
  EXPECT_EQ(hr, E_UNEXPECTED);
}

}  // namespace
}  // namespace vant::test
