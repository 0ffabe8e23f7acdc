// An in-memory page host for unit tests: the scripting context and every
// intrinsic object a component calls, with a configurable request and a
// record of everything written to the response.
//
//   test::FakeHost host;
//   host.SetBody("--b\r\n...");
//   host.SetServerVariable(u"CONTENT_TYPE", u"multipart/form-data; boundary=b");
//   ComPtr<IUnknown> ctx = host.ScriptingContext();
//   upload->OnStartPage(ctx.get());
//   EXPECT_EQ(host.ReadRequests(), (std::vector<std::int32_t>{16384, 120}));
//
// Faults follow one rule: "at n" names the call of that operation with index
// n, counting from 0, so a test can fail call n for n = 0, 1, … until the
// operation succeeds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/host/intrinsics.h"

namespace vant::test {

enum class Intrinsic : std::uint8_t { Request, Response, Server, Session, Application };

// Host calls that Fail() makes fail every time.
enum class HostCall : std::uint8_t {
  TotalBytes,
  ServerVariables,  // Request.ServerVariables
  RequestCookies,   // Request.Cookies
  ReadCookieItem,   // Request.Cookies(name)(key)
  ResponseCookies,  // Response.Cookies
  WriteCookieItem,  // Response.Cookies(name)(key) = value
  Buffer,
  ContentType,
  Expires,
  Status,
  AddHeader,
  Flush,
  End,
  IsClientConnected,
  ScriptTimeoutGet,
  ScriptTimeoutPut,
  MapPath,
  SessionCodePage,
  SessionTimeout,
};

// One successful call on the Response or one of its cookies, in call order.
struct ResponseEvent {
  enum class Kind : std::uint8_t {
    Buffer,       // number: 1 or 0
    ContentType,  // text
    Expires,      // number: minutes
    Status,       // text
    Header,       // name, text
    Cookie,       // name (cookie), key, text
    Write,        // text
    BinaryWrite,  // bytes
    FileWrite,    // bytes: the range IResponseFile::WriteFile read from the file
    Flush,
    End,
  };
  Kind kind;
  std::u16string name;
  std::u16string key;
  std::u16string text;
  std::int32_t number = 0;
  std::vector<std::uint8_t> bytes;
};

struct CookieWrite {
  std::u16string cookie;
  std::u16string key;
  std::u16string value;
  friend bool operator==(const CookieWrite&, const CookieWrite&) = default;
};

struct FakeHostState;

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // The context to pass to OnStartPage (one new reference).
  ComPtr<IUnknown> ScriptingContext() const;
  ComPtr<host::IRequest> Request() const;
  ComPtr<host::IResponse> Response() const;
  ComPtr<host::IServer> Server() const;
  ComPtr<host::ISessionObject> Session() const;
  ComPtr<host::IApplicationObject> Application() const;

  // References to `which` held outside the fake host (0 when nobody else
  // holds it).
  std::uint32_t References(Intrinsic which) const;

  // --- Request ---------------------------------------------------------
  // The body BinaryRead serves. TotalBytes reports its length unless
  // SetTotalBytes announces another one (a client that lies).
  void SetBody(std::string_view bytes);
  void SetBody(const std::vector<std::uint8_t>& bytes);
  void SetTotalBytes(std::int32_t announced);
  // Request also answers IRequestBodyReader. Its read number i (counted with
  // BinaryRead's) delivers what was asked as minimum, plus what is "at
  // hand": up to atHand[i % size] bytes in all (nothing more when empty).
  // The read faults below apply to it too (a non-array read fails).
  void OfferBodyReader(std::vector<std::int32_t> atHand = {});
  // Names are matched in any letter case.
  void SetServerVariable(std::u16string_view name, std::u16string_view value);
  void SetCookie(std::u16string_view cookie, std::u16string_view key, std::u16string_view value);

  // --- Server and Session ------------------------------------------------
  // MapPath joins a virtual path to this root in Windows syntax: with root
  // "C:\site", "/x/y" gives "C:\site\x\y" and "/" gives "C:\site". A path
  // without a leading slash is taken from the root too; a ".." segment fails
  // with E_FAIL (nothing may leave the site).
  void SetSiteRoot(std::u16string_view windowsPath);
  void SetScriptTimeout(std::int32_t seconds);
  void SetSessionCodePage(std::int32_t codePage);

  // --- Faults ----------------------------------------------------------
  // The scripting context gives `status` (and no object) for `which`;
  // S_OK makes it answer success with a null object.
  void Remove(Intrinsic which, HRESULT status = E_FAIL);
  // Every call of `call` fails with `status` and records nothing.
  void Fail(HostCall call, HRESULT status = E_FAIL);
  // BinaryRead number n fails with `status` and consumes nothing.
  void FailReadAt(std::uint32_t n, HRESULT status = E_FAIL);
  // BinaryRead number n succeeds but returns an empty variant, no array.
  void NonArrayReadAt(std::uint32_t n);
  // BinaryRead number n returns at most `bytes` bytes.
  void ShortReadAt(std::uint32_t n, std::int32_t bytes);
  // Write or BinaryWrite number n (one count for both) fails with `status`.
  void FailWriteAt(std::uint32_t n, HRESULT status = E_FAIL);
  // IsClientConnected answers false from check number n on.
  void DisconnectFrom(std::uint32_t n);
  // The Response offers IResponseFile (a host that sends files itself); its
  // WriteFile counts as a write for FailWriteAt.
  void OfferFileWrites();

  // --- What was recorded -------------------------------------------------
  std::int32_t TotalBytesCalls() const;
  // The count asked of each BinaryRead (the capacity of a ReadBodyInto), in
  // order, failed reads included.
  std::vector<std::int32_t> ReadRequests() const;
  std::size_t BytesRead() const;

  const std::vector<ResponseEvent>& Events() const;
  std::vector<std::pair<std::u16string, std::u16string>> Headers() const;
  // The value of the first header named `name` (any letter case).
  std::optional<std::u16string> Header(std::u16string_view name) const;
  // The last value put, or nullopt when never put.
  std::optional<std::u16string> Status() const;
  std::optional<std::u16string> ContentType() const;
  std::optional<std::int32_t> Expires() const;
  std::optional<bool> Buffer() const;
  std::vector<CookieWrite> CookieWrites() const;
  // The body as sent: Write text as UTF-8, BinaryWrite and WriteFile bytes,
  // in order.
  std::string Output() const;
  std::vector<std::size_t> BinaryWriteSizes() const;
  int FlushCount() const;
  int EndCount() const;
  std::uint32_t ConnectionChecks() const;

  std::int32_t ScriptTimeout() const;
  std::vector<std::int32_t> ScriptTimeoutPuts() const;
  std::int32_t ScriptTimeoutGets() const;
  std::vector<std::u16string> MapPathCalls() const;
  std::vector<std::int32_t> SessionTimeoutPuts() const;

 private:
  std::shared_ptr<FakeHostState> state_;
  ComPtr<host::IRequest> request_;
  ComPtr<host::IResponse> response_;
  ComPtr<host::IServer> server_;
  ComPtr<host::ISessionObject> session_;
  ComPtr<host::IApplicationObject> application_;
  ComPtr<host::IScriptingContext> context_;
};

}  // namespace vant::test
