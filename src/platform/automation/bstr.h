// Automation strings: UTF-16 text that can also be null, because the system
// tells a null string from an empty one in places (an unset property reads as
// null, a set-but-empty one as "").
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace vant {

class Bstr {
 public:
  Bstr() = default;  // null
  Bstr(std::u16string text) : text_(std::move(text)), null_(false) {}
  Bstr(std::u16string_view text) : text_(text), null_(false) {}
  Bstr(const char16_t* text) : null_(text == nullptr) {
    if (text != nullptr) text_ = text;
  }

  static Bstr Null() { return Bstr(); }

  bool IsNull() const { return null_; }
  // A null string reads as empty everywhere text is needed.
  const std::u16string& str() const { return text_; }
  std::u16string_view view() const { return text_; }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }

  friend bool operator==(const Bstr& a, const Bstr& b) {
    return a.null_ == b.null_ && a.text_ == b.text_;
  }

 private:
  std::u16string text_;
  bool null_ = true;
};

// UTF-8 <-> UTF-16 at the edges. Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Case-insensitive comparison of ASCII letters, as member and key lookups use.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
std::u16string ToUpperAscii(std::u16string_view text);

}  // namespace vant
