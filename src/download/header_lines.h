// The headers of one download in their wire form, "Name: value" and CR LF
// each, gathered in a fixed buffer so the host takes them in one call
// rather than two automation strings and a call per header.
#pragma once

#include <cstddef>
#include <string_view>

namespace vant::download {

class HeaderLines {
 public:
  // Appends the header when its value is ASCII and it fits; false leaves
  // the buffer as it was, for the caller to send this header another way.
  bool Append(std::string_view name, std::u16string_view value);
  bool Append(std::string_view name, std::string_view value);

  std::string_view view() const { return std::string_view(text_, size_); }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }

 private:
  // Room for a download's headers with a file name of a few hundred
  // characters; a longer one goes the slow way.
  char text_[768];
  std::size_t size_ = 0;
};

}  // namespace vant::download
