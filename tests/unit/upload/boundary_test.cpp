#include "upload/boundary.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/bstr.h"

namespace vant::upload {
namespace {

using frame::MessageId;

TEST(DelimiterFromContentType, ChecksTypeBoundaryLengthAndBytes) {
  const std::string b122(122, 'b');
  const std::string b123(123, 'b');
  struct Row {
    std::string contentType;
    std::optional<MessageId> error;
    std::int32_t length;
    std::string delimiter;
  };
  const Row rows[] = {
      {"multipart/form-data; boundary=abc", {}, 7, "\r\n--abc"},
      {"multipart/form-data; boundary=\"a;b c\"", {}, 9, "\r\n--a;b c"},
      {"multipart/form-data; boundary=\"abc\"; x=1", {}, 7, "\r\n--abc"},
      {"multipart/form-data; boundary=abc; charset=x", {}, 18, "\r\n--abc; charset=x"},
      {"multipart/form-data; boundary=ab", {}, 6, "\r\n--ab"},
      {"multipart/form-data; boundary=" + b122, {}, 126, "\r\n--" + b122},
      {"multipart/form-data; boundary=a", MessageId::kBadDelimiterLength, 5, ""},
      {"multipart/form-data; boundary=" + b123, MessageId::kBadDelimiterLength, 127, ""},
      {"multipart/form-data; boundary=\"\"", MessageId::kBadDelimiterLength, 4, ""},
      {"Multipart/Form-Data; boundary=abc", MessageId::kNotMultipart, 0, ""},
      {"application/x-www-form-urlencoded", MessageId::kNotMultipart, 0, ""},
      {"", MessageId::kNotMultipart, 0, ""},
      {"multipart/form-data", MessageId::kNoBoundary, 0, ""},
      {"multipart/form-data; BOUNDARY=abc", MessageId::kNoBoundary, 0, ""},
      {"multipart/form-data; boundary=ab\xC3\xA9", MessageId::kDelimiterNotConverted, 0, ""},
  };
  for (const Row& row : rows) {
    const DelimiterResult got = DelimiterFromContentType(Utf8ToUtf16(row.contentType));
    EXPECT_EQ(got.error, row.error) << row.contentType;
    if (row.error == MessageId::kDelimiterNotConverted) continue;
    EXPECT_EQ(got.length, row.length) << row.contentType;
    EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.end()), row.delimiter) << row.contentType;
  }
}

}  // namespace
}  // namespace vant::upload
