#include "platform/fs/path_map.h"

#include <gtest/gtest.h>

#include "platform/fs/drive_table.h"
#include "platform/sys/utf.h"

namespace vant::fs {
namespace {

class PathMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrives();
    ASSERT_TRUE(SetDrive('D', "/mnt/d"));
    ASSERT_TRUE(SetDrive('S', "/srv/site/"));
  }
  void TearDown() override { ResetDrives(); }
};

struct ToHostRow {
  std::u16string windows;
  const char* expected;  // nullptr: must not map
};

TEST_F(PathMapTest, ToHostPath) {
  const ToHostRow rows[] = {
      {u"C:\\srv\\up\\a.txt", "/srv/up/a.txt"},
      {u"c:\\srv\\up\\a.txt", "/srv/up/a.txt"},
      {u"C:/srv/up/a.txt", "/srv/up/a.txt"},
      {u"C:\\srv/up\\a.txt", "/srv/up/a.txt"},
      {u"C:\\\\srv\\\\\\up//a.txt", "/srv/up/a.txt"},
      {u"C:\\srv\\up\\", "/srv/up"},
      {u"C:\\", "/"},
      {u"C:/", "/"},
      {u"\\srv\\up", "/srv/up"},
      {u"/srv/up", "/srv/up"},
      {u"D:\\x\\y.bin", "/mnt/d/x/y.bin"},
      {u"d:\\", "/mnt/d"},
      {u"S:\\up", "/srv/site/up"},
      {u"C:\\up\\..\\..\\etc", "/up/../../etc"},
      {u"C:\\up\\.\\a", "/up/./a"},
      {u"C:\\업로드\\파일.txt", "/업로드/파일.txt"},
      {u"C:\\a b\\c.d.", "/a b/c.d."},
      {u"\\\\server\\share\\a", nullptr},
      {u"//server/share", nullptr},
      {u"\\/server", nullptr},
      {u"\\\\?\\C:\\x", nullptr},
      {u"a.txt", nullptr},
      {u"up\\a.txt", nullptr},
      {u"C:a.txt", nullptr},
      {u"C:", nullptr},
      {u"", nullptr},
      {u"E:\\x", nullptr},
      {u"1:\\x", nullptr},
      {std::u16string(u"C:\\a\0b", 6), nullptr},
      {std::u16string(u"C:\\folder\0name", 14), nullptr},
      {u"C:\\a\xD800", nullptr},
      {u"C:\\folder\\name\xD800", nullptr},
      {u"C:\\folder\\n\u0100me", "/folder/n\u0100me"},
  };
  for (const auto& row : rows) {
    const auto got = ToHostPath(row.windows);
    const std::string name = sys::Utf16ToUtf8(row.windows);
    if (row.expected == nullptr) {
      EXPECT_FALSE(got.has_value()) << name << " mapped to " << got.value_or("");
      continue;
    }
    ASSERT_TRUE(got.has_value()) << name << " did not map";
    EXPECT_EQ(*got, row.expected) << name;
  }
}

struct ToWindowsRow {
  const char* host;
  const char16_t* expected;  // nullptr: no drive holds it
};

TEST_F(PathMapTest, ToWindowsPathPicksTheLongestDriveFolder) {
  const ToWindowsRow rows[] = {
      {"/srv/up/a.txt", u"C:\\srv\\up\\a.txt"},
      {"/srv/site/upload", u"S:\\upload"},
      {"/srv/site", u"S:\\"},
      {"/srv/siteX/a", u"C:\\srv\\siteX\\a"},
      {"/mnt/d//x/", u"D:\\x"},
      {"/", u"C:\\"},
      {"/파일", u"C:\\파일"},
      {"relative/a", nullptr},
      {"", nullptr},
  };
  for (const auto& row : rows) {
    const auto got = ToWindowsPath(row.host);
    if (row.expected == nullptr) {
      EXPECT_FALSE(got.has_value()) << row.host;
      continue;
    }
    ASSERT_TRUE(got.has_value()) << row.host << " did not map";
    EXPECT_EQ(*got, row.expected) << row.host << " gave " << sys::Utf16ToUtf8(*got);
  }
}

TEST_F(PathMapTest, ToWindowsPathWithoutARootDrive) {
  ASSERT_TRUE(SetDrive('C', "/srv"));
  EXPECT_FALSE(ToWindowsPath("/etc/passwd").has_value());
  EXPECT_EQ(ToWindowsPath("/srv/a").value_or(u"<none>"), u"C:\\a");
  // A mapped path maps back to the path it came from.
  const auto host = ToHostPath(u"C:\\x\\y");
  ASSERT_TRUE(host.has_value());
  EXPECT_EQ(ToWindowsPath(*host).value_or(u"<none>"), u"C:\\x\\y");
}

// Each thread remembers its last mapping each way; a drive changed since
// must not be answered from it.
TEST_F(PathMapTest, APathMappedAgainAfterADriveChangeFollowsTheChange) {
  EXPECT_EQ(ToHostPath(u"D:\\a").value_or("<none>"), "/mnt/d/a");
  EXPECT_EQ(ToWindowsPath("/mnt/e/a").value_or(u"<none>"), u"C:\\mnt\\e\\a");
  ASSERT_TRUE(SetDrive('D', "/mnt/e"));
  EXPECT_EQ(ToHostPath(u"D:\\a").value_or("<none>"), "/mnt/e/a");
  EXPECT_EQ(ToWindowsPath("/mnt/e/a").value_or(u"<none>"), u"D:\\a");
}

TEST(ContainsDotDotSegment, OnlyWholeSegmentsCount) {
  const std::pair<std::u16string, bool> rows[] = {
      {u"C:\\up\\..\\x", true},
      {u"..", true},
      {u"..\\a", true},
      {u"a/..", true},
      {u"C:\\up/../x", true},
      {u"C:\\up\\..a", false},
      {u"C:\\up\\a..", false},
      {u"C:\\up\\...", false},
      {u"C:\\up\\.\\x", false},
      {u"C:\\up\\a..b\\c", false},
      {u"", false},
  };
  for (const auto& [path, expected] : rows) {
    EXPECT_EQ(ContainsDotDotSegment(path), expected) << sys::Utf16ToUtf8(path);
  }
}

}  // namespace
}  // namespace vant::fs
