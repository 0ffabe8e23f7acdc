#include "host/intrinsics/detail/map_path.h"

#include <gtest/gtest.h>

#include "platform/automation/bstr.h"
#include "platform/fs/drive_table.h"

namespace vant::host::intrinsics {
namespace {

struct MapRow {
  const char16_t* input;
  const char* page;
  const char* want;  // nullptr: refused
};

TEST(MapPath, Table) {
  fs::ResetDrives();
  const MapRow rows[] = {
      {u"/upload", "/a/page.asp", "C:\\srv\\site\\upload"},
      {u"\\upload\\x.txt", "/a/page.asp", "C:\\srv\\site\\upload\\x.txt"},
      {u"/", "/a/page.asp", "C:\\srv\\site"},
      {u"\\", "/a/page.asp", "C:\\srv\\site"},
      {u"", "/a/page.asp", "C:\\srv\\site\\a"},
      {u".", "/a/page.asp", "C:\\srv\\site\\a"},
      {u"files/x.txt", "/a/b/page.asp", "C:\\srv\\site\\a\\b\\files\\x.txt"},
      {u"images/", "/a/page.asp", "C:\\srv\\site\\a\\images\\"},
      {u"..", "/a/b/page.asp", "C:\\srv\\site\\a"},
      {u"../up/./x", "/a/page.asp", "C:\\srv\\site\\up\\x"},
      {u"/a/../b", "/page.asp", "C:\\srv\\site\\b"},
      {u"..", "/page.asp", nullptr},
      {u"/../etc/passwd", "/page.asp", nullptr},
      {u"a/../../..", "/x/page.asp", nullptr},
      {u"//server/share", "/page.asp", nullptr},
      {u"/a//b", "/page.asp", nullptr},
      {u"a\\\\b", "/page.asp", nullptr},
      {u"C:\\windows", "/page.asp", nullptr},
      {u"a*b", "/page.asp", nullptr},
      {u"a?b", "/page.asp", nullptr},
      {u"a<b>", "/page.asp", nullptr},
      {u"a\"b", "/page.asp", nullptr},
      {u"a|b", "/page.asp", nullptr},
      {u"tab\there", "/page.asp", nullptr},
      {u"/caf\u00E9", "/page.asp", "C:\\srv\\site\\caf\xC3\xA9"},
  };
  for (const MapRow& row : rows) {
    std::u16string error;
    auto got = MapSitePath(row.input, row.page, "/srv/site", &error);
    const std::string input = Utf16ToUtf8(row.input);
    if (row.want == nullptr) {
      EXPECT_FALSE(got) << input << " gave " << (got ? Utf16ToUtf8(*got) : "");
      EXPECT_FALSE(error.empty()) << input;
      continue;
    }
    ASSERT_TRUE(got) << input << ": " << Utf16ToUtf8(error);
    EXPECT_EQ(Utf16ToUtf8(*got), row.want) << input;
  }
}

TEST(MapPath, GoesThroughTheDriveTable) {
  fs::ResetDrives();
  ASSERT_TRUE(fs::SetDrive('D', "/srv/site"));
  std::u16string error;
  auto got = MapSitePath(u"/upload", "/page.asp", "/srv/site", &error);
  ASSERT_TRUE(got) << Utf16ToUtf8(error);
  EXPECT_EQ(Utf16ToUtf8(*got), "D:\\upload");
  fs::ResetDrives();
}

TEST(MapPath, VirtualPathForExecute) {
  std::u16string error;
  auto path = ResolveSitePath(u"../other.asp", "/a/b/page.asp", &error);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->Virtual(), "/a/other.asp");
  EXPECT_FALSE(ResolveSitePath(u"x.asp?a=1", "/page.asp", &error)) << "no query string";
}

}  // namespace
}  // namespace vant::host::intrinsics
