#include "host/pages/detail/page_scanner.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "host/pages/detail/js_lexer.h"

namespace vant::host::pages::detail {
namespace {

constexpr std::string_view kBlockOpen = "<%";
constexpr std::string_view kBlockClose = "%>";
constexpr std::string_view kScriptOpen = "<script";
constexpr std::string_view kScriptClose = "</script";
constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kMetadataWord = "metadata";

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
  return at <= text.size() && Lower(text.substr(at, word.size())) == word;
}

std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from) {
  for (std::size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (StartsWithNoCase(text, at, word)) return at;
  }
  return std::string_view::npos;
}

struct Tag {
  std::size_t end = 0;                            // after the `>`
  std::map<std::string, std::string> attributes;  // names in lower case
};

// Reads the attributes of a tag from `at` (just after its name) to its `>`.
// nullopt when the tag never closes or holds a `<%` (then it is not ours).
std::optional<Tag> ReadTag(std::string_view text, std::size_t at) {
  Tag tag;
  while (at < text.size()) {
    if (text.substr(at).starts_with(kBlockOpen)) return std::nullopt;
    if (text[at] == '>') {
      tag.end = at + 1;
      return tag;
    }
    if (IsBlank(text[at]) || text[at] == '/') {
      ++at;
      continue;
    }
    const std::size_t nameBegin = at;
    while (at < text.size() && !IsBlank(text[at]) && text[at] != '=' && text[at] != '>') ++at;
    std::string& value = tag.attributes[Lower(text.substr(nameBegin, at - nameBegin))];
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at >= text.size() || text[at] != '=') continue;
    ++at;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
      const std::size_t close = text.find(text[at], at + 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = text.substr(at + 1, close - at - 1);
      at = close + 1;
      continue;
    }
    const std::size_t valueBegin = at;
    while (at < text.size() && !IsBlank(text[at]) && text[at] != '>') ++at;
    value = text.substr(valueBegin, at - valueBegin);
  }
  return std::nullopt;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  std::variant<std::vector<Chunk>, ScanError> Run();

 private:
  bool ScanBlock(std::size_t at);
  bool ScanServerScript(std::size_t at, const Tag& tag);
  void ScanMetadata(std::size_t at);
  void AddText(std::size_t end);

  std::string_view text_;
  std::vector<Chunk> chunks_;
  std::size_t textBegin_ = 0;  // start of the literal text not yet added
  std::optional<ScanError> error_;
};

std::variant<std::vector<Chunk>, ScanError> Scanner::Run() {
  std::size_t at = text_.find('<');
  while (at != std::string_view::npos && !error_) {
    std::size_t next = at + 1;
    if (text_.substr(at).starts_with(kBlockOpen)) {
      if (!ScanBlock(at)) break;
      next = textBegin_;
    } else if (text_.substr(at).starts_with(kCommentOpen)) {
      ScanMetadata(at);
      next = std::max(next, textBegin_);
    } else if (StartsWithNoCase(text_, at, kScriptOpen)) {
      auto tag = ReadTag(text_, at + kScriptOpen.size());
      const std::size_t afterName = at + kScriptOpen.size();
      const bool named =
          afterName < text_.size() && (IsBlank(text_[afterName]) || text_[afterName] == '>');
      if (named && tag && Lower(tag->attributes["runat"]) == "server") {
        if (!ScanServerScript(at, *tag)) break;
        next = textBegin_;
      }
    }
    at = text_.find('<', next);
  }
  if (error_) return std::move(*error_);
  AddText(text_.size());
  return std::move(chunks_);
}

bool Scanner::ScanBlock(std::size_t at) {
  Chunk chunk;
  chunk.begin = at;
  chunk.bodyBegin = at + kBlockOpen.size();
  const char marker = chunk.bodyBegin < text_.size() ? text_[chunk.bodyBegin] : '\0';
  chunk.kind = marker == '@'   ? ChunkKind::kDirective
               : marker == '=' ? ChunkKind::kExpression
                               : ChunkKind::kCode;
  if (chunk.kind != ChunkKind::kCode) ++chunk.bodyBegin;
  chunk.bodyEnd = FindBlockClose(text_, chunk.bodyBegin);
  if (chunk.bodyEnd == std::string_view::npos) {
    error_ = ScanError{"This '<%' has no matching '%>'.", at};
    return false;
  }
  chunk.end = chunk.bodyEnd + kBlockClose.size();
  AddText(at);
  chunks_.push_back(chunk);
  textBegin_ = chunk.end;
  return true;
}

bool Scanner::ScanServerScript(std::size_t at, const Tag& tag) {
  if (tag.attributes.contains("src")) {
    error_ =
        ScanError{"A <script runat=\"server\"> block cannot load src=; use <!-- #include -->.", at};
    return false;
  }
  const std::size_t close = FindNoCase(text_, kScriptClose, tag.end);
  const std::size_t closeEnd = close == std::string_view::npos ? close : text_.find('>', close);
  if (closeEnd == std::string_view::npos) {
    error_ = ScanError{"This <script runat=\"server\"> block has no closing </script>.", at};
    return false;
  }
  Chunk chunk;
  chunk.kind = ChunkKind::kServerScript;
  chunk.begin = at;
  chunk.bodyBegin = tag.end;
  chunk.bodyEnd = close;
  chunk.end = closeEnd + 1;
  const auto language = tag.attributes.find("language");
  const auto type = tag.attributes.find("type");
  if (language != tag.attributes.end())
    chunk.language = language->second;
  else if (type != tag.attributes.end())
    chunk.language = type->second;
  AddText(at);
  chunks_.push_back(chunk);
  textBegin_ = chunk.end;
  return true;
}

// A comment whose first word is METADATA becomes a chunk; any other
// comment, or one never closed, stays literal text.
void Scanner::ScanMetadata(std::size_t at) {
  std::size_t word = at + kCommentOpen.size();
  while (word < text_.size() && IsBlank(text_[word])) ++word;
  if (Lower(text_.substr(word, kMetadataWord.size())) != kMetadataWord) return;
  const std::size_t close = text_.find(kCommentClose, word);
  if (close == std::string_view::npos) return;
  AddText(at);
  chunks_.push_back(Chunk{
      ChunkKind::kMetadata, at, close + kCommentClose.size(), at + kCommentOpen.size(), close, {}});
  textBegin_ = close + kCommentClose.size();
}

void Scanner::AddText(std::size_t end) {
  if (end <= textBegin_) return;
  chunks_.push_back(Chunk{ChunkKind::kText, textBegin_, end, textBegin_, end, {}});
  textBegin_ = end;
}

}  // namespace

std::variant<std::vector<Chunk>, ScanError> ScanPage(std::string_view text) {
  return Scanner(text).Run();
}

}  // namespace vant::host::pages::detail
