#include "upload/boundary.h"

#include <string>

#include "upload/upload_limits.h"

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr std::u16string_view kMultipartKeyword = u"multipart/form-data";
constexpr std::u16string_view kBoundaryKeyword = u"boundary=";
constexpr std::u16string_view kDelimiterPrefix = u"\r\n--";
constexpr char16_t kQuote = u'"';
constexpr char16_t kLastAscii = 0x7F;

DelimiterResult Failure(MessageId error, std::int32_t length = 0) {
  DelimiterResult result;
  result.error = error;
  result.length = length;
  return result;
}

// A quoted parameter value (RFC 2045) stands for the text inside the quotes.
std::u16string_view Unquoted(std::u16string_view value) {
  if (value.size() < 2 || value.front() != kQuote) return value;
  const std::size_t close = value.find(kQuote, 1);
  return close == std::u16string_view::npos ? value : value.substr(1, close - 1);
}

}  // namespace

DelimiterResult DelimiterFromContentType(std::u16string_view contentType) {
  if (contentType.find(kMultipartKeyword) == std::u16string_view::npos) {
    return Failure(MessageId::kNotMultipart);
  }
  const std::size_t at = contentType.find(kBoundaryKeyword);
  if (at == std::u16string_view::npos) return Failure(MessageId::kNoBoundary);
  std::u16string delimiter(kDelimiterPrefix);
  delimiter += Unquoted(contentType.substr(at + kBoundaryKeyword.size()));
  const auto length = static_cast<std::int32_t>(delimiter.size());
  if (delimiter.size() < kMinDelimiterLength || delimiter.size() > kMaxDelimiterLength) {
    return Failure(MessageId::kBadDelimiterLength, length);
  }
  DelimiterResult result;
  result.length = length;
  result.bytes.reserve(delimiter.size());
  for (const char16_t c : delimiter) {
    if (c > kLastAscii) return Failure(MessageId::kDelimiterNotConverted);
    result.bytes.push_back(static_cast<std::uint8_t>(c));
  }
  return result;
}

}  // namespace vant::upload
