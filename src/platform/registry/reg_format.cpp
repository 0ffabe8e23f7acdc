// Writing the registry file text; the layout is described in reg_text.h.
#include <cstdio>

#include "platform/registry/detail/utf.h"
#include "platform/registry/reg_text.h"
#include "platform/registry/status.h"

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
    case ValueType::Dword: {
      char digits[16];
      std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(value.dword));
      for (const char* p = digits; *p != '\0'; ++p) out->push_back(static_cast<char16_t>(*p));
      break;
    }
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
  return detail::Utf16ToUtf8(text, out) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

}  // namespace vant::registry
