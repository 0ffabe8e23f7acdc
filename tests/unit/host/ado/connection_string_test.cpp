#include "host/ado/detail/connection_string.h"

#include <gtest/gtest.h>

#include "platform/automation/bstr.h"
#include "platform/fs/drive_table.h"

namespace vant::host::ado {
namespace {

struct ParseRow {
  std::u16string text;
  std::u16string key;
  std::u16string expected;  // u"<none>" when the key must be absent
};

TEST(ConnectionStringTest, ParsesPairs) {
  const ParseRow rows[] = {
      {u"Provider=SQLite;Data Source=C:\\srv\\a.db", u"data source", u"C:\\srv\\a.db"},
      {u"Provider=SQLite;Data Source=C:\\srv\\a.db", u"provider", u"SQLite"},
      {u"  DATA SOURCE = /srv/a.db ;", u"data source", u"/srv/a.db"},
      {u"Data Source=\"C:\\a;b.db\";Mode=1", u"data source", u"C:\\a;b.db"},
      {u"Data Source=\"C:\\a;b.db\";Mode=1", u"mode", u"1"},
      {u"Data Source='it''s.db'", u"data source", u"it's.db"},
      {u"Data Source=a.db;Data Source=b.db", u"data source", u"b.db"},
      {u"junk;Data Source=a.db", u"data source", u"a.db"},
      {u"Password=a=b", u"password", u"a=b"},
      {u"Data Source=", u"data source", u""},
      {u"", u"data source", u"<none>"},
  };
  for (const ParseRow& row : rows) {
    const auto pairs = ParseConnectionString(row.text);
    const auto it = pairs.find(row.key);
    const std::u16string got = it == pairs.end() ? u"<none>" : it->second;
    EXPECT_EQ(got, row.expected) << Utf16ToUtf8(row.text) << " [" << Utf16ToUtf8(row.key)
                                 << "] got " << Utf16ToUtf8(got);
  }
}

struct ResolveRow {
  std::u16string text;
  bool withHook;
  std::string expected;  // "" when it must fail
};

TEST(ConnectionStringTest, ResolvesDataSource) {
  fs::ResetDrives();
  const MapPathHook hook = [](std::u16string_view virtualPath) -> std::optional<std::u16string> {
    if (virtualPath.find(u"..") != std::u16string_view::npos) return std::nullopt;
    std::u16string windows = u"C:\\srv\\site";
    if (virtualPath.empty() || virtualPath[0] != u'/') windows += u'\\';
    for (char16_t c : virtualPath) windows += c == u'/' ? u'\\' : c;
    return windows;
  };
  const ResolveRow rows[] = {
      {u"Provider=SQLite;Data Source=C:\\srv\\data\\site.db", false, "/srv/data/site.db"},
      {u"Data Source=\\srv\\data\\site.db", true, "/srv/data/site.db"},
      {u"Data Source=/tmp/site.db", false, "/tmp/site.db"},
      {u"Data Source=/tmp/site.db", true, "/tmp/site.db"},  // its folder exists: a host path
      {u"Data Source=/data/site.db", true, "/srv/site/data/site.db"},
      {u"Data Source=data/site.db", true, "/srv/site/data/site.db"},
      {u"Database=C:\\x.db", false, "/x.db"},
      {u"Filename=C:\\x.db", false, "/x.db"},
      {u"Data Source=:memory:", false, ":memory:"},
      {u"Data Source=data/site.db", false, ""},
      {u"Data Source=/nosuchdir/../x.db", true, ""},
      {u"Data Source=Q:\\x.db", false, ""},
      {u"Provider=SQLite", false, ""},
  };
  for (const ResolveRow& row : rows) {
    std::u16string error;
    const auto got = ResolveDataSource(row.text, row.withHook ? hook : MapPathHook{}, &error);
    EXPECT_EQ(got.value_or(""), row.expected) << Utf16ToUtf8(row.text) << " hook=" << row.withHook;
    EXPECT_EQ(error.empty(), got.has_value())
        << Utf16ToUtf8(row.text) << ": " << Utf16ToUtf8(error);
  }
}

}  // namespace
}  // namespace vant::host::ado
