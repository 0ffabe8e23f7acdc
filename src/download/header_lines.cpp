#include "download/header_lines.h"

#include <algorithm>

namespace vant::download {
namespace {

constexpr std::size_t kLineExtra = 4;  // ": " and CR LF

}  // namespace

bool HeaderLines::Append(std::string_view name, std::u16string_view value) {
  if (sizeof text_ - size_ < name.size() + value.size() + kLineExtra) return false;
  char16_t bits = 0;
  for (const char16_t c : value) bits |= c;
  if (bits >= 0x80) return false;
  char* p = std::copy(name.begin(), name.end(), text_ + size_);
  *p++ = ':';
  *p++ = ' ';
  for (const char16_t c : value) *p++ = static_cast<char>(c);
  *p++ = '\r';
  *p++ = '\n';
  size_ = static_cast<std::size_t>(p - text_);
  return true;
}

bool HeaderLines::Append(std::string_view name, std::string_view value) {
  if (sizeof text_ - size_ < name.size() + value.size() + kLineExtra) return false;
  char* p = std::copy(name.begin(), name.end(), text_ + size_);
  *p++ = ':';
  *p++ = ' ';
  p = std::copy(value.begin(), value.end(), p);
  *p++ = '\r';
  *p++ = '\n';
  size_ = static_cast<std::size_t>(p - text_);
  return true;
}

}  // namespace vant::download
