#include "host/intrinsics/text_codec.h"

#include "host/http/exchange.h"
#include "platform/sys/code_page.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::uint32_t kCodePageWestern = 1252;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::u16string DecodeUtf8(std::string_view utf8) { return Utf8ToUtf16(utf8); }

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(text); }

std::u16string DecodeText(std::uint32_t codePage, std::string_view bytes) {
  // ASCII reads the same in UTF-8 and Windows-1252: widened in one pass, as
  // nearly every query-string name and value is, with no converter.
  if (codePage == sys::kCodePageUtf8 || codePage == kCodePageWestern) {
    bool ascii = true;
    for (const char c : bytes) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::u16string(bytes.begin(), bytes.end());
  }
  if (auto text = sys::DecodeCodePage(codePage, bytes)) return std::move(*text);
  return Utf8ToUtf16(bytes);
}

std::string EncodeText(std::uint32_t codePage, std::u16string_view text) {
  if (auto bytes = sys::EncodeCodePage(codePage, text)) return std::move(*bytes);
  return Utf16ToUtf8(text);
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+' && plusIsSpace) {
      out.push_back(' ');
      continue;
    }
    if (c == '%' && i + 2 < text.size()) {
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

HRESULT VariantToText(const Variant& value, std::u16string* out) {
  const Variant& v = value.Deref();
  if (v.IsEmpty() || v.IsNull()) {
    out->clear();
    return S_OK;
  }
  // Text already (a name or key from script): one copy, not a conversion's three.
  if (v.vt() == VT_BSTR) {
    *out = v.bstr().str();
    return S_OK;
  }
  // An object shows its default value, and a NULL one (a database field
  // without a value) as nothing, like NULL itself.
  if (v.vt() == VT_DISPATCH && v.dispatch() != nullptr) {
    DispParams none;
    Variant inner;
    if (Succeeded(v.dispatch()->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &inner)) &&
        inner.Deref().vt() != VT_DISPATCH) {
      return VariantToText(inner, out);
    }
  }
  Bstr text;
  const HRESULT hr = VariantToBstr(v, &text);
  if (Failed(hr)) return hr;
  *out = text.str();
  return S_OK;
}

// The rule of http::IsFieldText, checked on the UTF-16 text itself: every
// character past ASCII becomes bytes of 0x80 and above, which it accepts, so
// no UTF-8 copy is needed to decide.
bool IsHeaderText(std::u16string_view text) {
  for (const char16_t c : text) {
    if ((c < 0x20 && c != u'\t') || c == 0x7F) return false;
  }
  return true;
}

std::optional<std::int32_t> PositionOf(const Variant& key) {
  const Variant& v = key.Deref();
  switch (v.vt()) {
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8: {
      std::int32_t position = 0;
      if (Failed(VariantToI4(v, &position))) return std::nullopt;
      return position;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace vant::host::intrinsics
