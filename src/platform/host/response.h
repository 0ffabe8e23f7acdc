// The page's Response object, as components call it. Components rely on
// nothing these calls return beyond the status, except IsClientConnected.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host {

// {D97A6DA0-A864-11CF-83BE-00A0C90C2BD8}
struct IResponse : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA864, 0x11CF, 0x83, 0xBE, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // False sends output as it is written (downloads); true holds it until the
  // page ends or flushes (the monitor page).
  virtual HRESULT put_Buffer(VARIANT_BOOL buffer) = 0;
  virtual HRESULT put_ContentType(const Bstr& contentType) = 0;
  // Minutes until the page expires in caches; negative: already expired.
  virtual HRESULT put_Expires(std::int32_t minutes) = 0;
  // Status line text, e.g. "206 Partial content", sent as given.
  virtual HRESULT put_Status(const Bstr& status) = 0;
  // Adds a header; never replaces one of the same name.
  virtual HRESULT AddHeader(const Bstr& name, const Bstr& value) = 0;
  // Writes the bytes of a one-dimensional byte array unchanged.
  virtual HRESULT BinaryWrite(const Variant& data) = 0;
  // Writes a value as text in the response code page.
  virtual HRESULT Write(const Variant& text) = 0;
  virtual HRESULT Flush() = 0;
  // Ends the page: the script does not run on once the component returns.
  virtual HRESULT End() = 0;
  // False once the client has gone; checked before each download chunk.
  virtual HRESULT IsClientConnected(VARIANT_BOOL* out) = 0;
  // The cookies to send; each item offers IWriteCookie.
  virtual HRESULT get_Cookies(IRequestDictionary** out) = 0;
};

// {F4AFAD6B-644D-4C55-BA44-C99BFB7F1154}
// Offered by a host's Response object besides IResponse (QueryInterface)
// when the host can send a file's bytes itself: the kernel copies them from
// the file to the socket, with no byte array and no copy through the
// component. A host without it gets the same bytes through BinaryWrite.
struct IResponseFile : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0xF4AFAD6B, 0x644D, 0x4C55, 0xBA, 0x44, 0xC9, 0x9B, 0xFB, 0x7F, 0x11, 0x54);

  // Writes `length` bytes of the open file `fd` from `offset` as body
  // bytes, in order after what the page wrote before. They are never held
  // in memory: buffered output is flushed first (sending the headers, so
  // Clear no longer reaches it) and the file follows; later writes are
  // buffered again. Unbuffered output sends the headers, then the file. The
  // descriptor stays the caller's; its file position is neither used nor
  // moved. A file shorter than offset + length ends the write early with
  // S_OK (the response's length check then closes the connection).
  // E_INVALIDARG for a negative fd, offset or length; E_FAIL when the
  // client has gone, a write failed or the file could not be read.
  virtual HRESULT WriteFile(std::int32_t fd, std::int64_t offset, std::int64_t length) = 0;
};

// {E33D8482-B105-48BA-8429-0AF853F17210}
// Offered by a host's Response object besides IResponse (QueryInterface)
// when it takes headers in their wire form: a component that adds several
// headers hands them over in one call, with no automation string per name
// and value. A host without it gets the same headers through AddHeader.
struct IResponseHeaders : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0xE33D8482, 0xB105, 0x48BA, 0x84, 0x29, 0x0A, 0xF8, 0x53, 0xF1, 0x72, 0x10);

  // Adds the headers in `lines`, each "Name: value" followed by CR LF, in
  // order, as one AddHeader each would. A header AddHeader would refuse is
  // left out and the others are still added; the call then returns S_FALSE
  // (nothing is raised). E_INVALIDARG when `lines` is not such a sequence
  // (the headers before the fault are added).
  virtual HRESULT AddHeaderLines(const char* lines, std::int32_t length) = 0;
};

}  // namespace vant::host
