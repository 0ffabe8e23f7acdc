#include "upload/part_headers.h"

#include "platform/automation/bstr.h"

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr std::u16string_view kDispositionKeyword = u"CONTENT-DISPOSITION";
constexpr std::u16string_view kFormDataKeyword = u"FORM-DATA";
constexpr std::u16string_view kNameKeyword = u"NAME=";
constexpr std::u16string_view kFileNameKeyword = u"FILENAME=";
constexpr std::u16string_view kContentTypeKeyword = u"CONTENT-TYPE";
// "Content-Type" followed by the colon and one blank.
constexpr std::size_t kMimeTypeOffset = kContentTypeKeyword.size() + 2;
constexpr char16_t kQuote = u'"';
constexpr char16_t kSemicolon = u';';
constexpr char16_t kBackslash = u'\\';
constexpr auto npos = std::u16string_view::npos;

// Searches `keyword` from `from`; not found gives the end of the text, so
// later searches from there find nothing either.
std::size_t FindFrom(std::u16string_view upper, std::u16string_view keyword, std::size_t from) {
  const std::size_t at = upper.find(keyword, from);
  return at == npos ? upper.size() : at;
}

DispositionInfo Failure(MessageId error) {
  DispositionInfo info;
  info.error = error;
  return info;
}

// The value starting at `start`: up to the closing quote when quoted, else
// up to `unquotedEnd`'s answer. *end receives where the value stopped.
std::optional<std::u16string_view> ValueAt(std::u16string_view line, std::size_t start, bool quoted,
                                           std::size_t unquotedEnd, std::size_t* end) {
  if (quoted) {
    const std::size_t close = line.find(kQuote, start + 1);
    if (close == npos) return std::nullopt;
    *end = close;
    return line.substr(start + 1, close - start - 1);
  }
  if (unquotedEnd == npos) return std::nullopt;
  *end = unquotedEnd;
  return line.substr(start, unquotedEnd - start);
}

void SplitFileName(std::u16string_view sent, DispositionInfo* info) {
  const std::size_t slash = sent.rfind(kBackslash);
  if (slash == npos) {
    info->fileName = sent;
    return;
  }
  info->filePath = sent;
  info->fileName = sent.substr(slash + 1);
}

}  // namespace

DispositionInfo InterpretContentDisposition(std::u16string_view line) {
  // ASCII upper-casing keeps every character where it was, so positions
  // found in the copy address the same characters in the line.
  const std::u16string upper = ToUpperAscii(line);
  std::size_t at = FindFrom(upper, kDispositionKeyword, 0);
  at = FindFrom(upper, kFormDataKeyword, at);
  at = FindFrom(upper, kNameKeyword, at);
  if (at == upper.size()) return Failure(MessageId::kNoFieldName);

  const std::size_t nameStart = at + kNameKeyword.size();
  const bool nameQuoted = nameStart < line.size() && line[nameStart] == kQuote;
  std::size_t nameEnd = 0;
  const std::optional<std::u16string_view> name =
      ValueAt(line, nameStart, nameQuoted, nameQuoted ? npos : line.find(kSemicolon, nameStart + 1),
              &nameEnd);
  if (!name) {
    return Failure(nameQuoted ? MessageId::kUnclosedQuote : MessageId::kUnquotedNameNoSemicolon);
  }
  DispositionInfo info;
  info.name = *name;
  info.kind = PartKind::kField;

  const std::size_t fileAt = upper.find(kFileNameKeyword, nameEnd);
  if (fileAt == npos) return info;
  const std::size_t fileStart = fileAt + kFileNameKeyword.size();
  const bool fileQuoted = fileStart < line.size() && line[fileStart] == kQuote;
  std::size_t fileEnd = 0;
  const std::optional<std::u16string_view> sent =
      ValueAt(line, fileStart, fileQuoted, line.size(), &fileEnd);
  if (!sent) return Failure(MessageId::kUnclosedQuote);
  SplitFileName(*sent, &info);
  info.kind = PartKind::kFile;
  return info;
}

std::optional<std::u16string> InterpretContentType(std::u16string_view line) {
  if (line.empty()) return std::u16string();
  const std::u16string upper = ToUpperAscii(line);
  const std::size_t at = upper.find(kContentTypeKeyword);
  if (at == npos) return std::nullopt;
  const std::size_t start = at + kMimeTypeOffset;
  return std::u16string(start < line.size() ? line.substr(start) : std::u16string_view());
}

}  // namespace vant::upload
