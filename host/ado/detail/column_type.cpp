#include "host/ado/detail/column_type.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <string>

namespace vant::host::ado {
namespace {

constexpr std::int32_t kIntegerSize = 4;
constexpr std::int32_t kBigIntSize = 8;
constexpr std::int32_t kDoubleSize = 8;

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool Has(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The first number inside "(...)", e.g. 50 for "VARCHAR(50)", or 0.
std::int32_t DeclaredLength(const std::string& text) {
  const auto open = text.find('(');
  if (open == std::string::npos) return 0;
  std::size_t pos = open + 1;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  std::int32_t length = 0;
  const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), length);
  (void)end;
  return ec == std::errc() && length > 0 ? length : 0;
}

ColumnType TextType(const std::string& declared) {
  const std::int32_t length = DeclaredLength(declared);
  if (length > 0 && length <= kMaxVarCharLength && !Has(declared, "TEXT") &&
      !Has(declared, "CLOB")) {
    return {AdoType::kVarWChar, Affinity::kText, length};
  }
  return {AdoType::kLongVarWChar, Affinity::kText, kLongTextDefinedSize};
}

}  // namespace

Affinity AffinityOf(std::string_view declaredType) {
  const std::string declared = Upper(declaredType);
  if (Has(declared, "INT")) return Affinity::kInteger;
  if (Has(declared, "CHAR") || Has(declared, "CLOB") || Has(declared, "TEXT"))
    return Affinity::kText;
  if (Has(declared, "BLOB") || declared.find_first_not_of(' ') == std::string::npos) {
    return Affinity::kBlob;
  }
  if (Has(declared, "REAL") || Has(declared, "FLOA") || Has(declared, "DOUB"))
    return Affinity::kReal;
  return Affinity::kNumeric;
}

ColumnType TypeOfDeclared(std::string_view declaredType) {
  const std::string declared = Upper(declaredType);
  switch (AffinityOf(declared)) {
    case Affinity::kInteger:
      if (Has(declared, "BIGINT") || Has(declared, "INT8")) {
        return {AdoType::kBigInt, Affinity::kInteger, kBigIntSize};
      }
      return {AdoType::kInteger, Affinity::kInteger, kIntegerSize};
    case Affinity::kText:
      return TextType(declared);
    case Affinity::kBlob:
      return {AdoType::kLongVarBinary, Affinity::kBlob, kLongBinaryDefinedSize};
    case Affinity::kReal:
      return {AdoType::kDouble, Affinity::kReal, kDoubleSize};
    case Affinity::kNumeric:
      break;
  }
  return {AdoType::kDouble, Affinity::kNumeric, kDoubleSize};
}

ColumnType TypeOfStorage(int storageClass) {
  switch (storageClass) {
    case SQLITE_INTEGER:
      return {AdoType::kBigInt, Affinity::kInteger, kBigIntSize};
    case SQLITE_FLOAT:
      return {AdoType::kDouble, Affinity::kReal, kDoubleSize};
    case SQLITE_BLOB:
      return {AdoType::kLongVarBinary, Affinity::kBlob, kLongBinaryDefinedSize};
    default:
      return {AdoType::kLongVarWChar, Affinity::kText, kLongTextDefinedSize};
  }
}

}  // namespace vant::host::ado
