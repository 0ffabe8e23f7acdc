// Writing the registry file text; the layout is described in reg_text.h.
#include "platform/registry/reg_text.h"
#include "platform/registry/status.h"
#include "platform/sys/utf.h"

namespace vant::registry {
namespace {

void AppendQuoted(std::u16string_view text, std::u16string* out) {
  out->push_back(u'"');
  for (const char16_t c : text) {
    if (c == u'\\' || c == u'"') out->push_back(u'\\');
    out->push_back(c);
  }
  out->push_back(u'"');
}

// Eight lower-case hex digits, as an export writes them.
void AppendDword(uint32_t data, std::u16string* out) {
  constexpr std::u16string_view kDigits = u"0123456789abcdef";
  *out += u"dword:";
  for (int shift = 28; shift >= 0; shift -= 4) out->push_back(kDigits[(data >> shift) & 0xF]);
}

void AppendValue(const Value& value, std::u16string* out) {
  if (value.name.empty()) {
    out->push_back(u'@');
  } else {
    AppendQuoted(value.name, out);
  }
  out->push_back(u'=');
  switch (value.type) {
    case ValueType::String:
      AppendQuoted(value.text, out);
      break;
    case ValueType::Dword:
      AppendDword(value.dword, out);
      break;
    case ValueType::Other:
      *out += value.raw;
      break;
  }
  out->push_back(u'\n');
}

void AppendKey(const std::u16string& path, const std::vector<Value>& values, std::u16string* out) {
  *out += u"\n[";
  *out += path;
  *out += u"]\n";
  // The default value leads, as in an export.
  for (const Value& value : values) {
    if (value.name.empty()) AppendValue(value, out);
  }
  for (const Value& value : values) {
    if (!value.name.empty()) AppendValue(value, out);
  }
}

}  // namespace

long FormatRegText(const Tree& tree, std::string* out) {
  if (out == nullptr) return ERROR_INVALID_PARAMETER;
  std::u16string text;
  for (const char c : kRegFileHeader) text.push_back(static_cast<char16_t>(c));
  text.push_back(u'\n');
  tree.ForEachKey([&text](const std::u16string& path, const std::vector<Value>& values) {
    AppendKey(path, values, &text);
  });
  // A value with an unpaired surrogate has no UTF-8 form: refused, never
  // stored altered.
  std::optional<std::string> utf8 = sys::Utf16ToUtf8Exact(text);
  if (!utf8) return ERROR_INVALID_PARAMETER;
  *out = std::move(*utf8);
  return ERROR_SUCCESS;
}

}  // namespace vant::registry
