// Response members that produce output: headers, body writes, Flush,
// Clear and Redirect.
#include "host/intrinsics/detail/text_encode.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/response_object.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::u16string_view kSource = kResponseSource;
constexpr std::string_view kRedirectStatus = "302 Object Moved";

// Header text in UTF-8 for the exchange, which copies it. Short ASCII text
// (nearly every header) is narrowed on the stack; anything else goes
// through Narrow. IsHeaderText is asked only when the exchange refused the
// header: the exchange refuses every byte IsHeaderText does (UTF-8 bytes of
// other characters are all 0x80 or more), so its answer then only picks the
// message.
class NarrowedHeader {
 public:
  explicit NarrowedHeader(std::u16string_view text) : text_(text) {
    if (text.size() > sizeof small_) {
      large_ = Narrow(text);
      view_ = large_;
      return;
    }
    char16_t bits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      bits |= text[i];
      small_[i] = static_cast<char>(text[i]);
    }
    if (bits >= 0x80) {
      large_ = Narrow(text);
      view_ = large_;
      return;
    }
    view_ = std::string_view(small_, text.size());
  }
  NarrowedHeader(const NarrowedHeader&) = delete;
  NarrowedHeader& operator=(const NarrowedHeader&) = delete;

  std::string_view view() const { return view_; }
  bool IsHeaderText() const { return intrinsics::IsHeaderText(text_); }

 private:
  std::u16string_view text_;
  char small_[256];
  std::string large_;
  std::string_view view_;
};

}  // namespace

HRESULT ResponseObject::AddHeader(const Bstr& name, const Bstr& value) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    const NarrowedHeader narrowName(name.view());
    const NarrowedHeader narrowValue(value.view());
    if (core_->exchange->AddHeader(narrowName.view(), narrowValue.view())) return S_OK;
    if (!narrowName.IsHeaderText() || !narrowValue.IsHeaderText()) {
      return RaiseError(E_INVALIDARG, kSource,
                        u"AddHeader refused the header: a header name or value cannot hold a "
                        u"line break (CR, LF), a NUL or another control character.");
    }
    if (core_->exchange->HeadersSent()) {
      return RaiseError(E_FAIL, kSource,
                        u"AddHeader came too late: the headers were already sent.");
    }
    return RaiseError(E_INVALIDARG, kSource,
                      u"AddHeader refused the header: the name is not a valid header name, or "
                      u"the server sets that header itself.");
  });
}

// Headers a component hands over in their wire form go to the exchange as
// they are: no automation strings to narrow, one guard for them all. The
// exchange checks each as it checks a page's; a refused one is left out
// and reported only by S_FALSE, as a component drops such a header anyway.
HRESULT ResponseObject::AddHeaderLines(const char* lines, std::int32_t length) {
  if (lines == nullptr || length < 0) return E_INVALIDARG;
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    std::string_view rest(lines, static_cast<std::size_t>(length));
    bool all = true;
    while (!rest.empty()) {
      const std::size_t end = rest.find("\r\n");
      if (end == std::string_view::npos) return E_INVALIDARG;
      const std::string_view line = rest.substr(0, end);
      rest.remove_prefix(end + 2);
      const std::size_t colon = line.find(": ");
      if (colon == std::string_view::npos) return E_INVALIDARG;
      all &= core_->exchange->AddHeader(line.substr(0, colon), line.substr(colon + 2));
    }
    return all ? S_OK : S_FALSE;
  });
}

HRESULT ResponseObject::WriteBytes(const void* data, std::size_t size) {
  http::Exchange& exchange = *core_->exchange;
  if (!exchange.IsBuffered()) CommitHeaders();
  // A client that went away is not the page's error: components and pages
  // ask IsClientConnected when they care.
  exchange.Write(data, size);
  return S_OK;
}

HRESULT ResponseObject::Write(const Variant& text) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    std::u16string value;
    if (const HRESULT hr = VariantToText(text, &value); Failed(hr)) {
      return RaiseError(hr, kSource, u"Write cannot show this value as text.");
    }
    const std::string bytes = EncodeText(core_->CodePage(), value);
    return WriteBytes(bytes.data(), bytes.size());
  });
}

HRESULT ResponseObject::BinaryWrite(const Variant& data) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    const Variant& v = data.Deref();
    if (v.IsEmpty() || v.IsNull()) return S_OK;
    if (v.vt() != (VT_ARRAY | VT_UI1) || v.array() == nullptr) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"BinaryWrite needs an array of bytes.");
    }
    // Read through the const accessor: the array may be a read-only view.
    const SafeArray& bytes = *v.array();
    return WriteBytes(bytes.Bytes(), bytes.Count());
  });
}

// Downloads from disk: the exchange sends the file range itself, by the
// kernel where it can, after the headers and anything buffered (a file is
// never held in memory), so the waiting headers are committed first.
// Unlike BinaryWrite it reports a client that has gone, so the component
// stops at once rather than at its next check.
HRESULT ResponseObject::WriteFile(std::int32_t fd, std::int64_t offset, std::int64_t length) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    if (fd < 0 || offset < 0 || length < 0) return E_INVALIDARG;
    CommitHeaders();
    const bool sent = core_->exchange->WriteFile(fd, static_cast<std::uint64_t>(offset),
                                                 static_cast<std::uint64_t>(length));
    return sent ? S_OK : E_FAIL;
  });
}

HRESULT ResponseObject::Flush() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  // Unbuffered output is already on its way; there is nothing to flush.
  if (!core_->exchange->IsBuffered()) return S_OK;
  CommitHeaders();
  core_->exchange->Flush();
  return S_OK;
}

HRESULT ResponseObject::Clear() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (!core_->exchange->IsBuffered()) {
    return RaiseError(E_FAIL, kSource, u"Clear needs Response.Buffer to be true.");
  }
  core_->exchange->Clear();
  return S_OK;
}

HRESULT ResponseObject::Redirect(const Bstr& url) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    http::Exchange& exchange = *core_->exchange;
    if (exchange.HeadersSent()) {
      return RaiseError(E_FAIL, kSource, u"Redirect came too late: the headers were already sent.");
    }
    if (!IsHeaderText(url.str())) {
      return RaiseError(
          E_INVALIDARG, kSource,
          u"A redirect address cannot hold a line break or another control character.");
    }
    if (exchange.IsBuffered()) exchange.Clear();
    exchange.SetStatus(kRedirectStatus);
    status_ = DecodeUtf8(kRedirectStatus);
    if (!exchange.AddHeader("Location", Narrow(url.str()))) {
      return RaiseError(E_INVALIDARG, kSource,
                        u"The redirect address is not a valid header value.");
    }
    const std::u16string link = HtmlEncode(url.str(), core_->CodePage());
    const std::u16string body =
        u"<head><title>Object moved</title></head>\r\n<body><h1>Object Moved</h1>"
        u"This object may be found <a HREF=\"" +
        link + u"\">here</a>.</body>\r\n";
    const std::string bytes = EncodeText(core_->CodePage(), body);
    WriteBytes(bytes.data(), bytes.size());
    core_->endRequested = true;
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
