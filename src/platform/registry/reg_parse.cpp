// Reading the registry file text; the accepted syntax is described in reg_text.h.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/registry/reg_text.h"
#include "platform/registry/status.h"
#include "platform/sys/utf.h"

namespace vant::registry {
namespace {

using View = std::u16string_view;

View Trim(View text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<View> SplitLines(View text) {
  std::vector<View> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == View::npos) end = text.size();
    View line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    lines.push_back(Trim(line));
    start = end + 1;
  }
  return lines;
}

// Reads a quoted string at the start of *text, undoing the \\ and \" escapes,
// and advances *text past the closing quote. nullopt when it is unterminated.
std::optional<std::u16string> TakeQuoted(View* text) {
  if (text->empty() || text->front() != u'"') return std::nullopt;
  std::u16string out;
  for (size_t i = 1; i < text->size(); ++i) {
    const char16_t c = (*text)[i];
    if (c == u'"') {
      text->remove_prefix(i + 1);
      return out;
    }
    const bool escape =
        c == u'\\' && i + 1 < text->size() && ((*text)[i + 1] == u'\\' || (*text)[i + 1] == u'"');
    // Any other backslash is an ordinary character, as in a hand-written path.
    if (escape) ++i;
    out.push_back((*text)[i]);
  }
  return std::nullopt;
}

bool StartsWithFolded(View text, View prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

std::optional<uint32_t> ParseHex32(View digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (const char16_t c : digits) {
    uint32_t digit = 0;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return std::nullopt;
    }
    value = (value << 4) | digit;
  }
  return value;
}

// Rebuilds a header path without empty segments ("A\\B\" reads as "A\B").
std::u16string NormalizePath(View path) {
  std::u16string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == View::npos) end = path.size();
    const View segment = path.substr(start, end - start);
    if (!segment.empty()) {
      if (!out.empty()) out += u'\\';
      out += segment;
    }
    start = end + 1;
  }
  return out;
}

class Parser {
 public:
  explicit Parser(View text) : lines_(SplitLines(text)) {}

  Tree Run() {
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const View line = lines_[index_];
      if (line.empty() || line.front() == u';' || line == u"REGEDIT4") continue;
      if (line == u"Windows Registry Editor Version 5.00") continue;
      if (line.front() == u'[') {
        KeyLine(line);
      } else if (current_) {
        ValueLine(line);
      }
    }
    return std::move(tree_);
  }

 private:
  void KeyLine(View line) {
    current_.reset();
    const size_t close = line.rfind(u']');
    if (close == View::npos) return;
    View path = line.substr(1, close - 1);
    if (!path.empty() && path.front() == u'-') {
      tree_.DeleteTree(NormalizePath(path.substr(1)));
      return;
    }
    std::u16string normalized = NormalizePath(path);
    if (tree_.CreateKey(normalized) == ERROR_SUCCESS) current_ = std::move(normalized);
  }

  void ValueLine(View line) {
    std::u16string name;
    if (line.front() == u'@') {
      line.remove_prefix(1);
    } else {
      std::optional<std::u16string> quoted = TakeQuoted(&line);
      if (!quoted) return;
      name = std::move(*quoted);
    }
    line = Trim(line);
    if (line.empty() || line.front() != u'=') return;
    StoreData(std::move(name), Trim(line.substr(1)));
  }

  void StoreData(std::u16string name, View data) {
    if (data == u"-") {
      tree_.DeleteValue(*current_, name);
      return;
    }
    if (!data.empty() && data.front() == u'"') {
      std::optional<std::u16string> text = TakeQuoted(&data);
      if (text && Trim(data).empty()) tree_.SetString(*current_, name, *text);
      return;
    }
    if (StartsWithFolded(data, u"dword:")) {
      if (const auto number = ParseHex32(data.substr(6))) tree_.SetDword(*current_, name, *number);
      return;
    }
    if (data.find(u':') == View::npos) return;
    Value other{std::move(name), ValueType::Other, {}, 0, JoinContinuations(data)};
    tree_.SetValue(*current_, std::move(other));
  }

  // Binary data may continue over lines that end in '\'.
  std::u16string JoinContinuations(View data) {
    std::u16string joined;
    while (!data.empty() && data.back() == u'\\' && index_ + 1 < lines_.size()) {
      joined += Trim(data.substr(0, data.size() - 1));
      data = lines_[++index_];
    }
    joined += data;
    return joined;
  }

  std::vector<View> lines_;
  size_t index_ = 0;
  Tree tree_;
  std::optional<std::u16string> current_;  // the key the value lines belong to
};

}  // namespace

Tree ParseRegText(std::string_view text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  const std::u16string wide = sys::Utf8ToUtf16(text);
  return Parser(wide).Run();
}

}  // namespace vant::registry
