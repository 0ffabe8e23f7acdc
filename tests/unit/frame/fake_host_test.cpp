// The in-memory host that the component tests stand on: its read and write
// fault countdowns, its recording and its path mapping must be exact, or the
// component tests built on it prove nothing.
#include "support/fake_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vant::test {
namespace {

struct Read {
  HRESULT status = S_OK;
  VARTYPE vt = VT_EMPTY;
  std::int32_t count = -1;  // the count written back
  std::string bytes;
};

Read ReadOnce(FakeHost& host, std::int32_t wanted) {
  Variant count = Variant::I4(wanted);
  Variant out;
  Read read;
  read.status = host.Request()->BinaryRead(&count, &out);
  read.vt = out.vt();
  read.count = count.i4();
  if (out.array() != nullptr && out.array()->Bytes() != nullptr) {
    read.bytes.assign(reinterpret_cast<const char*>(out.array()->Bytes()), out.array()->Count());
  }
  return read;
}

std::string BodyOf(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  return body;
}

TEST(FakeHostTest, ObjectsAnswerThePublishedInterfaceIdentifiers) {
  FakeHost host;
  struct Row {
    const char* text;
    IUnknown* object;
  };
  ComPtr<host::IRequestDictionary> cookies;
  ASSERT_EQ(host.Request()->get_Cookies(cookies.Receive()), S_OK);
  Variant readCookie;
  ASSERT_EQ(cookies->get_Item(Variant::String(u"a"), &readCookie), S_OK);
  ASSERT_EQ(host.Response()->get_Cookies(cookies.Receive()), S_OK);
  Variant writeCookie;
  ASSERT_EQ(cookies->get_Item(Variant::String(u"a"), &writeCookie), S_OK);
  const ComPtr<IUnknown> context = host.ScriptingContext();
  const Row rows[] = {
      {"{D97A6DA0-A868-11CF-83AE-00B0C90C2BD8}", context.get()},
      {"{D97A6DA0-A861-11CF-93AE-00A0C90C2BD8}", host.Request().get()},
      {"{D97A6DA0-A864-11CF-83BE-00A0C90C2BD8}", host.Response().get()},
      {"{D97A6DA0-A867-11CF-83AE-01A0C90C2BD8}", host.Server().get()},
      {"{D97A6DA0-A865-11CF-83AF-00A0C90C2BD8}", host.Session().get()},
      {"{D97A6DA0-A866-11CF-83AE-10A0C90C2BD8}", host.Application().get()},
      {"{D97A6DA0-A85F-11DF-83AE-00A0C90C2BD8}", cookies.get()},
      {"{71EAF260-0CE0-11D0-A53E-00A0C90C2BD8}", readCookie.unknown()},
      {"{D97A6DA0-A862-11CF-84AE-00A0C90C2BD8}", writeCookie.unknown()},
  };
  for (const Row& row : rows) {
    ComPtr<IUnknown> found;
    EXPECT_EQ(
        row.object->QueryInterface(*ParseGuid(std::string_view(row.text)), found.ReceiveVoid()),
        S_OK)
        << row.text;
    EXPECT_EQ(row.object->QueryInterface(IID_IDispatch, found.ReceiveVoid()), S_OK) << row.text;
  }
}

TEST(FakeHostTest, BinaryReadServesExactlyTheSizesAsked) {
  FakeHost host;
  const std::string body = BodyOf(40000);
  host.SetBody(body);
  std::string received;
  std::vector<std::int32_t> counts;
  for (int i = 0; i < 4; ++i) {
    const Read read = ReadOnce(host, 16384);
    ASSERT_EQ(read.status, S_OK);
    ASSERT_EQ(read.vt, VT_ARRAY | VT_UI1);
    ASSERT_EQ(static_cast<std::size_t>(read.count), read.bytes.size());
    counts.push_back(read.count);
    received += read.bytes;
  }
  EXPECT_EQ(counts, (std::vector<std::int32_t>{16384, 16384, 7232, 0}));
  EXPECT_EQ(received, body);
  EXPECT_EQ(host.ReadRequests(), (std::vector<std::int32_t>{16384, 16384, 16384, 16384}));
  EXPECT_EQ(host.BytesRead(), body.size());
}

TEST(FakeHostTest, TotalBytesCanAnnounceMoreThanTheBodyHolds) {
  FakeHost host;
  host.SetBody("0123456789");
  std::int32_t total = 0;
  ASSERT_EQ(host.Request()->get_TotalBytes(&total), S_OK);
  EXPECT_EQ(total, 10);
  host.SetTotalBytes(100);
  ASSERT_EQ(host.Request()->get_TotalBytes(&total), S_OK);
  EXPECT_EQ(total, 100);
  EXPECT_EQ(ReadOnce(host, 100).count, 10);
  EXPECT_EQ(ReadOnce(host, 90).count, 0);
}

TEST(FakeHostTest, ReadFaultsHitOnlyTheNamedCall) {
  enum class Fault { Fail, NonArray, Short };
  struct Row {
    const char* name;
    Fault fault;
    Read expected;  // of the faulty read; the others deliver the rest in order
  };
  const Row rows[] = {
      {"fail", Fault::Fail, {E_ABORT, VT_EMPTY, 4, ""}},
      {"non-array", Fault::NonArray, {S_OK, VT_EMPTY, 0, ""}},
      {"short", Fault::Short, {S_OK, VT_ARRAY | VT_UI1, 3, "<3>"}},
  };
  const std::string body = BodyOf(12);
  for (const Row& row : rows) {
    for (std::uint32_t n = 0; n < 3; ++n) {
      SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(n));
      FakeHost host;
      host.SetBody(body);
      if (row.fault == Fault::Fail) host.FailReadAt(n, E_ABORT);
      if (row.fault == Fault::NonArray) host.NonArrayReadAt(n);
      if (row.fault == Fault::Short) host.ShortReadAt(n, 3);
      std::string received;
      for (std::uint32_t i = 0; i < 4; ++i) {
        const Read read = ReadOnce(host, 4);
        if (i != n) {
          EXPECT_EQ(read.status, S_OK) << i;
          received += read.bytes;
          continue;
        }
        EXPECT_EQ(read.status, row.expected.status);
        EXPECT_EQ(read.vt, row.expected.vt);
        EXPECT_EQ(read.count, row.expected.count);
        // "<3>" stands for: the next 3 bytes of the body.
        const std::string expectedBytes =
            row.expected.bytes == "<3>" ? body.substr(received.size(), 3) : row.expected.bytes;
        EXPECT_EQ(read.bytes, expectedBytes);
        received += read.bytes;
      }
      // A faulty read consumes no more than it returned, so nothing is lost.
      EXPECT_EQ(received, body);
    }
  }
}

TEST(FakeHostTest, WriteFaultCountsWriteAndBinaryWriteTogether) {
  for (std::uint32_t n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    FakeHost host;
    host.FailWriteAt(n, E_ABORT);
    const HRESULT statuses[] = {
        host.Response()->Write(Variant::String(u"<p>")),
        host.Response()->BinaryWrite(Variant::Array(SafeArray::FromBytes("xy", 2))),
        host.Response()->Write(Variant::I4(7)),
    };
    const std::string pieces[] = {"<p>", "xy", "7"};
    std::string expected;
    for (std::uint32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(statuses[i], i == n ? E_ABORT : S_OK) << i;
      if (i != n) expected += pieces[i];
    }
    EXPECT_EQ(host.Output(), expected);
  }
}

TEST(FakeHostTest, BinaryWriteRefusesAnythingButAByteArray) {
  FakeHost host;
  EXPECT_EQ(host.Response()->BinaryWrite(Variant::String(u"text")), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(host.Response()->BinaryWrite(Variant()), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(host.Response()->BinaryWrite(Variant::Array(SafeArray::FromBytes("", 0))), S_OK);
  EXPECT_EQ(host.BinaryWriteSizes(), std::vector<std::size_t>{0});
}

TEST(FakeHostTest, ClientVanishesFromTheNamedCheckOn) {
  FakeHost host;
  host.DisconnectFrom(2);
  std::vector<bool> answers;
  for (int i = 0; i < 4; ++i) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    ASSERT_EQ(host.Response()->IsClientConnected(&connected), S_OK);
    answers.push_back(connected == VARIANT_TRUE);
  }
  EXPECT_EQ(answers, (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(host.ConnectionChecks(), 4u);
}

TEST(FakeHostTest, ResponseCallsAreRecordedInOrder) {
  FakeHost host;
  host::IResponse& response = *host.Response();
  response.put_Buffer(VARIANT_FALSE);
  response.put_Expires(0);
  response.put_ContentType(u"application/octet-stream");
  response.put_Status(u"206 Partial content");
  response.AddHeader(u"Content-Range", u"bytes 100-999/1000");
  response.AddHeader(u"Content-Length", u"900");
  response.Flush();
  response.End();
  host.Fail(HostCall::AddHeader);
  EXPECT_EQ(response.AddHeader(u"X-Lost", u"1"), E_FAIL);

  using Kind = ResponseEvent::Kind;
  std::vector<Kind> kinds;
  for (const ResponseEvent& e : host.Events()) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Buffer, Kind::Expires, Kind::ContentType, Kind::Status,
                                      Kind::Header, Kind::Header, Kind::Flush, Kind::End}));
  EXPECT_EQ(host.Buffer(), false);
  EXPECT_EQ(host.Expires(), 0);
  EXPECT_EQ(host.Status(), u"206 Partial content");
  EXPECT_EQ(host.Header(u"content-length"), u"900");
  EXPECT_EQ(host.Header(u"X-Lost"), std::nullopt);
  EXPECT_EQ(host.Headers().size(), 2u);
  EXPECT_EQ(host.FlushCount(), 1);
  EXPECT_EQ(host.EndCount(), 1);
}

TEST(FakeHostTest, MapPathJoinsToTheSiteRootInWindowsSyntax) {
  struct Row {
    std::u16string path;
    HRESULT status;
    std::u16string mapped;
  };
  const Row rows[] = {
      {u"/", S_OK, u"D:\\www"},
      {u"/upload/a.txt", S_OK, u"D:\\www\\upload\\a.txt"},
      {u"\\upload\\a.txt", S_OK, u"D:\\www\\upload\\a.txt"},
      {u"/upload/", S_OK, u"D:\\www\\upload\\"},
      {u"upload/a", S_OK, u"D:\\www\\upload\\a"},
      {u"/a/../b", E_FAIL, u"unchanged"},
      {u"/..", E_FAIL, u"unchanged"},
      {u"/a..b/c", S_OK, u"D:\\www\\a..b\\c"},
  };
  FakeHost host;
  host.SetSiteRoot(u"D:\\www");
  for (const Row& row : rows) {
    Bstr out(u"unchanged");
    EXPECT_EQ(host.Server()->MapPath(Bstr(row.path), &out), row.status) << Utf16ToUtf8(row.path);
    EXPECT_EQ(out.str(), row.mapped) << Utf16ToUtf8(row.path);
  }
}

TEST(FakeHostTest, RemovedObjectGivesItsStatusAndNoObject) {
  FakeHost host;
  host.Remove(Intrinsic::Session, S_OK);
  host.Remove(Intrinsic::Server, E_ABORT);
  ComPtr<host::IScriptingContext> context;
  ASSERT_EQ(host.ScriptingContext().As(host::IScriptingContext::kIid, &context), S_OK);
  ComPtr<host::ISessionObject> session;
  EXPECT_EQ(context->get_Session(session.Receive()), S_OK);
  EXPECT_FALSE(session);
  ComPtr<host::IServer> server;
  EXPECT_EQ(context->get_Server(server.Receive()), E_ABORT);
  EXPECT_FALSE(server);
  ComPtr<host::IRequest> request;
  EXPECT_EQ(context->get_Request(request.Receive()), S_OK);
  EXPECT_EQ(host.References(Intrinsic::Request), 1u);
}

}  // namespace
}  // namespace vant::test
