#include "host/ado/detail/pg_types.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/ado/detail/ado_error.h"
#include "platform/automation/date_text.h"

namespace vant::host::ado {
namespace {

enum : unsigned {
  kBool = 16,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kOid = 26,
  kFloat4 = 700,
  kFloat8 = 701,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTimestamp = 1114,
  kTimestamptz = 1184,
  kNumeric = 1700,
};

// varchar(n) and char(n) carry n + 4 as their type modifier.
constexpr int kVarHeader = 4;
// "2024-01-05" or "2024-01-05 15:04:05[.ffffff][+00]" as an automation
// date; the text unchanged when it is not one (infinity, BC dates).
Cell DateCell(std::string_view text) {
  int year = 0;
  unsigned month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  const std::string copy(text);
  const int fields =
      std::sscanf(copy.c_str(), "%d-%u-%u %u:%u:%lf", &year, &month, &day, &hour, &minute, &second);
  Cell cell;
  if (fields != 3 && fields != 6) {
    cell.kind = Cell::Kind::kText;
    cell.text = Utf8ToUtf16(text);
    return cell;
  }
  cell.kind = Cell::Kind::kDate;
  cell.size = 8;
  cell.real = static_cast<double>(vant::detail::DaysFromCivil({year, month, day}) +
                                  vant::detail::kUnixEpochSerial) +
              (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  return cell;
}

std::string DateText(double value) {
  const double days = std::floor(value);
  auto seconds = static_cast<std::int64_t>(std::llround((value - days) * 86400.0));
  const auto date = vant::detail::CivilFromDays(static_cast<std::int64_t>(days) -
                                                vant::detail::kUnixEpochSerial + seconds / 86400);
  seconds %= 86400;
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                static_cast<long long>(date.year), date.month, date.day,
                static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                static_cast<long long>(seconds % 60));
  return text;
}

// bytea's text form "\x0a0b..." as bytes.
std::vector<std::uint8_t> HexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  if (text.size() < 2 || text.substr(0, 2) != "\\x") return bytes;
  bytes.reserve((text.size() - 2) / 2);
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    unsigned value = 0;
    std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

PgParam Text(std::string value) { return PgParam{std::move(value), false, false}; }

Outcome ObjectParam(IDispatch* object, unsigned oid, PgParam* out) {
  if (object == nullptr) {
    *out = PgParam{{}, true, false};
    return Outcome::Ok();
  }
  DispParams none;
  Variant value;
  if (Failed(object->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &value)) ||
      value.vt() == VT_DISPATCH) {
    return Outcome::Fail(kBadArgument, u"The object has no value to store in a field.");
  }
  return PgParamOf(value, oid, out);
}

}  // namespace

bool IsPgIntegerType(unsigned oid) { return oid == kInt2 || oid == kInt4 || oid == kInt8; }

ColumnType TypeOfPgColumn(unsigned oid, int typmod) {
  switch (oid) {
    case kInt2:
      return {AdoType::kSmallInt, Affinity::kInteger, 2};
    case kInt4:
    case kOid:
      return {AdoType::kInteger, Affinity::kInteger, 4};
    case kInt8:
      return {AdoType::kBigInt, Affinity::kInteger, 8};
    case kFloat4:
      return {AdoType::kSingle, Affinity::kReal, 4};
    case kFloat8:
      return {AdoType::kDouble, Affinity::kReal, 8};
    case kNumeric:
      return {AdoType::kNumeric, Affinity::kNumeric, 19};
    case kBool:
      return {AdoType::kBoolean, Affinity::kNumeric, 2};
    case kDate:
      return {AdoType::kDBDate, Affinity::kNumeric, 6};
    case kTimestamp:
    case kTimestamptz:
      return {AdoType::kDBTimeStamp, Affinity::kNumeric, 16};
    case kPgByteaOid:
      return {AdoType::kLongVarBinary, Affinity::kBlob, kLongBinaryDefinedSize};
    case kVarchar:
    case kBpchar:
      if (typmod > kVarHeader && typmod - kVarHeader <= kMaxVarCharLength) {
        return {AdoType::kVarWChar, Affinity::kText, typmod - kVarHeader};
      }
      break;
    default:
      break;
  }
  return {AdoType::kLongVarWChar, Affinity::kText, kLongTextDefinedSize};
}

Cell PgTextToCell(unsigned oid, std::string_view text) {
  Cell cell;
  switch (oid) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      cell.kind = Cell::Kind::kInteger;
      std::from_chars(text.data(), text.data() + text.size(), cell.integer);
      return cell;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      cell.kind = Cell::Kind::kReal;
      cell.real = std::strtod(std::string(text).c_str(), nullptr);
      return cell;
    case kBool:
      cell.kind = Cell::Kind::kBoolean;
      cell.integer = text == "t" ? 1 : 0;
      cell.size = 2;
      return cell;
    case kDate:
    case kTimestamp:
    case kTimestamptz:
      return DateCell(text);
    case kPgByteaOid:
      cell.kind = Cell::Kind::kBytes;
      cell.bytes = HexBytes(text);
      return cell;
    default:
      cell.kind = Cell::Kind::kText;
      cell.text = Utf8ToUtf16(text);
      return cell;
  }
}

Outcome PgParamOf(const Variant& given, unsigned oid, PgParam* out) {
  const Variant& value = given.Deref();
  switch (value.vt()) {
    case VT_EMPTY:
    case VT_NULL:
      *out = PgParam{{}, true, false};
      return Outcome::Ok();
    case VT_UI1:
      *out = Text(std::to_string(value.ui1()));
      return Outcome::Ok();
    case VT_I2:
      *out = Text(std::to_string(value.i2()));
      return Outcome::Ok();
    case VT_I4:
      *out = Text(std::to_string(value.i4()));
      return Outcome::Ok();
    case VT_BOOL:
      *out = Text(oid == kBool ? (value.boolVal() != 0 ? "true" : "false")
                               : (value.boolVal() != 0 ? "1" : "0"));
      return Outcome::Ok();
    case VT_R4:
      *out = Text(NumberText(value.r4()));
      return Outcome::Ok();
    case VT_R8:
      // JScript numbers are doubles: a whole one bound to an integer
      // parameter goes as an integer literal.
      if (IsPgIntegerType(oid) && std::trunc(value.r8()) == value.r8() &&
          std::fabs(value.r8()) < 9.2e18) {
        *out = Text(std::to_string(static_cast<std::int64_t>(value.r8())));
      } else {
        *out = Text(NumberText(value.r8()));
      }
      return Outcome::Ok();
    case VT_DATE:
      *out = Text(DateText(value.date().value));
      return Outcome::Ok();
    case VT_BSTR:
      // Text parameters end at a NUL, and the server's text types cannot
      // hold one: refuse rather than store a cut value.
      if (value.bstr().str().find(u'\0') != std::u16string::npos) {
        return Outcome::Fail(kBadArgument, u"A PostgreSQL text value cannot hold a NUL character.");
      }
      *out = Text(Utf16ToUtf8(value.bstr().str()));
      return Outcome::Ok();
    case VT_DISPATCH:
      return ObjectParam(value.dispatch(), oid, out);
    default:
      break;
  }
  if ((value.vt() & VT_ARRAY) != 0 && value.array() != nullptr) {
    const SafeArray& array = *value.array();
    if (array.ElementType() != VT_UI1) {
      return Outcome::Fail(kBadArgument, u"Only byte arrays can be stored in a field.");
    }
    const auto* bytes = reinterpret_cast<const char*>(array.Bytes());
    *out = PgParam{std::string(bytes, bytes + array.Count()), false, true};
    return Outcome::Ok();
  }
  return Outcome::Fail(kBadArgument, u"The value cannot be stored in a field.");
}

}  // namespace vant::host::ado
