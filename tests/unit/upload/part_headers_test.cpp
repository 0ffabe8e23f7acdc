#include "upload/part_headers.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/bstr.h"

namespace vant::upload {
namespace {

using frame::MessageId;

TEST(InterpretContentDisposition, ReadsNamesAndFileNamesAsSent) {
  struct Row {
    std::string line;
    PartKind kind;
    std::string name, filePath, fileName;
  };
  const Row rows[] = {
      {R"(Content-Disposition: form-data; name="title")", PartKind::kField, "title", "", ""},
      {R"(content-disposition: FORM-DATA; NAME="MiXed")", PartKind::kField, "MiXed", "", ""},
      {"Content-Disposition: form-data; name=plain; x", PartKind::kField, "plain", "", ""},
      {R"(Content-Disposition: form-data; name="f"; filename="a.txt")", PartKind::kFile, "f", "",
       "a.txt"},
      {R"(Content-Disposition: form-data; name="f"; filename="C:\dir\a.txt")", PartKind::kFile, "f",
       R"(C:\dir\a.txt)", "a.txt"},
      {R"(Content-Disposition: form-data; name="f"; filename="dir/a.txt")", PartKind::kFile, "f",
       "", "dir/a.txt"},
      {R"(Content-Disposition: form-data; name="f"; filename="..\..\etc\x")", PartKind::kFile, "f",
       R"(..\..\etc\x)", "x"},
      {R"(Content-Disposition: form-data; name="f"; filename="../../x")", PartKind::kFile, "f", "",
       "../../x"},
      {R"(Content-Disposition: form-data; name="f"; filename="")", PartKind::kFile, "f", "", ""},
      {"Content-Disposition: form-data; name=f; filename=b c.txt", PartKind::kFile, "f", "",
       "b c.txt"},
      {"Content-Disposition: form-data; name=\"\xED\x95\x9C\"; filename=\"\xED\x95\x9C.txt\"",
       PartKind::kFile, "\xED\x95\x9C", "", "\xED\x95\x9C.txt"},
  };
  for (const Row& row : rows) {
    const DispositionInfo got = InterpretContentDisposition(Utf8ToUtf16(row.line));
    EXPECT_EQ(got.kind, row.kind) << row.line;
    EXPECT_EQ(Utf16ToUtf8(got.name), row.name) << row.line;
    EXPECT_EQ(Utf16ToUtf8(got.filePath), row.filePath) << row.line;
    EXPECT_EQ(Utf16ToUtf8(got.fileName), row.fileName) << row.line;
  }
}

TEST(InterpretContentDisposition, RefusesBrokenParameters) {
  const std::pair<std::string, MessageId> rows[] = {
      {"Content-Disposition: form-data; filler", MessageId::kNoFieldName},
      {"Content-Disposition: attachment; name=\"a\"", MessageId::kNoFieldName},
      {"", MessageId::kNoFieldName},
      {"Content-Disposition: form-data; name=\"open", MessageId::kUnclosedQuote},
      {"Content-Disposition: form-data; name=\"f\"; filename=\"open", MessageId::kUnclosedQuote},
      {"Content-Disposition: form-data; name=plain", MessageId::kUnquotedNameNoSemicolon},
      {"Content-Disposition: form-data; name=", MessageId::kUnquotedNameNoSemicolon},
  };
  for (const auto& [line, error] : rows) {
    const DispositionInfo got = InterpretContentDisposition(Utf8ToUtf16(line));
    EXPECT_EQ(got.kind, PartKind::kFailed) << line;
    EXPECT_EQ(got.error, error) << line;
  }
}

TEST(InterpretContentType, TakesTheTextAfterKeywordColonAndBlank) {
  const std::pair<std::string, std::optional<std::string>> rows[] = {
      {"Content-Type: image/png", "image/png"},
      {"content-type: Text/Plain; charset=x", "Text/Plain; charset=x"},
      {"Content-Type:image/png", "mage/png"},
      {"Content-Type:", ""},
      {"", ""},
      {"X-Other: 1", std::nullopt},
  };
  for (const auto& [line, want] : rows) {
    const std::optional<std::u16string> got = InterpretContentType(Utf8ToUtf16(line));
    ASSERT_EQ(got.has_value(), want.has_value()) << line;
    if (got) {
      EXPECT_EQ(Utf16ToUtf8(*got), *want) << line;
    }
  }
}

}  // namespace
}  // namespace vant::upload
