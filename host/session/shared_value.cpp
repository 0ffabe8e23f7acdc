#include "host/session/shared_value.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace vant::host::session {
namespace {

constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;

template <class Number>
std::string NumberText(Number value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

template <class Number>
bool ParseNumber(std::string_view text, Number& out) {
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, out);
  return !text.empty() && error == std::errc() && stop == end;
}

std::optional<std::string> Payload(const Variant& v) {
  switch (v.vt()) {
    case VT_EMPTY:
    case VT_NULL:
      return std::string();
    case VT_BSTR:
      return Utf16ToUtf8(v.bstr().str());
    case VT_UI1:
      return NumberText(v.ui1());
    case VT_I2:
      return NumberText(v.i2());
    case VT_I4:
      return NumberText(v.i4());
    case VT_BOOL:
      return std::string(v.boolVal() ? "1" : "0");
    case VT_R4:
      return NumberText(v.r4());
    case VT_R8:
    case VT_DATE:
      return NumberText(v.r8());
    case kByteArray: {
      const SafeArray* array = v.array();
      if (array == nullptr || array->Dimensions() != 1) return std::nullopt;
      const auto* bytes = reinterpret_cast<const char*>(array->Bytes());
      return std::string(bytes == nullptr ? "" : bytes, bytes == nullptr ? 0 : array->Count());
    }
    default:
      return std::nullopt;
  }
}

std::optional<Variant> FromPayload(VARTYPE vt, std::string_view payload) {
  std::int32_t whole = 0;
  double real = 0;
  float single = 0;
  switch (vt) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::Null();
    case VT_BSTR:
      return Variant::String(Bstr(Utf8ToUtf16(payload)));
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
      if (!ParseNumber(payload, whole)) return std::nullopt;
      if (vt == VT_UI1) return Variant::UI1(static_cast<std::uint8_t>(whole));
      if (vt == VT_I2) return Variant::I2(static_cast<std::int16_t>(whole));
      if (vt == VT_BOOL) return Variant::Bool(whole != 0);
      return Variant::I4(whole);
    case VT_R4:
      if (!ParseNumber(payload, single)) return std::nullopt;
      return Variant::R4(single);
    case VT_R8:
    case VT_DATE:
      if (!ParseNumber(payload, real)) return std::nullopt;
      return vt == VT_R8 ? Variant::R8(real) : Variant::FromDate(Date{real});
    case kByteArray:
      return Variant::Array(SafeArray::FromBytes(payload.data(), payload.size()));
    default:
      return std::nullopt;
  }
}

}  // namespace

bool IsShareable(const Variant& value) { return Payload(value.Deref()).has_value(); }

std::string FieldOf(std::u16string_view name) { return "=" + Utf16ToUtf8(ToUpperAscii(name)); }

std::optional<std::string> EncodeValue(std::u16string_view name, const Variant& value) {
  const Variant& v = value.Deref();
  auto payload = Payload(v);
  if (!payload) return std::nullopt;
  const std::string key = Utf16ToUtf8(name);
  return std::to_string(key.size()) + ":" + key + std::to_string(v.vt()) + ":" + *payload;
}

bool DecodeValue(std::string_view text, std::u16string& name, Variant& value) {
  const auto colon = text.find(':');
  std::size_t length = 0;
  if (colon == std::string_view::npos || !ParseNumber(text.substr(0, colon), length) ||
      length > text.size() - colon - 1)
    return false;
  const std::string_view key = text.substr(colon + 1, length);
  const std::string_view rest = text.substr(colon + 1 + length);
  const auto typeEnd = rest.find(':');
  unsigned vt = 0;
  if (typeEnd == std::string_view::npos || !ParseNumber(rest.substr(0, typeEnd), vt)) return false;
  auto decoded = FromPayload(static_cast<VARTYPE>(vt), rest.substr(typeEnd + 1));
  if (!decoded) return false;
  name = Utf8ToUtf16(key);
  value = std::move(*decoded);
  return true;
}

}  // namespace vant::host::session
