#include "host/ado/detail/pg_conninfo.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

struct Alias {
  std::string_view keyword;                  // libpq's
  std::array<std::u16string_view, 4> names;  // connection-string keys, lower case
};

constexpr std::array<Alias, 6> kAliases = {{
    {"host", {u"host", u"server", u"data source", u"address"}},
    {"port", {u"port"}},
    {"dbname", {u"database", u"initial catalog", u"dbname"}},
    {"user", {u"user id", u"uid", u"user", u"username"}},
    {"password", {u"password", u"pwd"}},
    {"sslmode", {u"sslmode", u"ssl mode"}},
}};

// Values read back as UTC ISO text whatever the server's settings are, and
// floats with every digit.
constexpr std::string_view kSessionOptions =
    "-c TimeZone=UTC -c DateStyle=ISO,MDY -c extra_float_digits=3";

bool Contains(const std::u16string& text, std::u16string_view part) {
  std::u16string lower = text;
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower.find(part) != std::u16string::npos;
}

}  // namespace

bool NamesPostgres(const std::map<std::u16string, std::u16string>& pairs) {
  for (const char16_t* key : {u"provider", u"driver"}) {
    const auto it = pairs.find(key);
    if (it != pairs.end() && Contains(it->second, u"postgres")) return true;
  }
  return false;
}

Outcome PgParamsOf(const std::map<std::u16string, std::u16string>& pairs,
                   std::int32_t connectTimeout, PgConnectParams* out) {
  out->clear();
  for (const Alias& alias : kAliases) {
    for (std::u16string_view name : alias.names) {
      const auto it = pairs.find(std::u16string(name));
      if (it == pairs.end() || it->second.empty()) continue;
      out->emplace_back(alias.keyword, Utf16ToUtf8(it->second));
      break;
    }
  }
  const bool hasDatabase = std::any_of(out->begin(), out->end(),
                                       [](const auto& pair) { return pair.first == "dbname"; });
  if (!hasDatabase) {
    return Outcome::Fail(kBadArgument, u"The connection string names no database (Database=...).");
  }
  // libpq would otherwise read PGPASSWORD, ~/.pgpass and friends of the
  // host's account; a page gets only what its connection string says.
  out->emplace_back("passfile", "/dev/null");
  out->emplace_back("connect_timeout", std::to_string(connectTimeout > 0 ? connectTimeout : 15));
  out->emplace_back("client_encoding", "UTF8");
  out->emplace_back("application_name", "vant-host");
  out->emplace_back("options", std::string(kSessionOptions));
  return Outcome::Ok();
}

}  // namespace vant::host::ado
