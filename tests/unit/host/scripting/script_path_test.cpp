#include "host/scripting/script_path.h"

#include <gtest/gtest.h>

#include "platform/automation/bstr.h"

namespace vant::host::scripting {
namespace {

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

TEST(ScriptPathTest, NameParts) {
  struct Row {
    std::u16string_view path, file, base, extension, parent, drive;
  };
  const Row rows[] = {
      {u"C:\\up\\a.tar.gz", u"a.tar.gz", u"a.tar", u"gz", u"C:\\up", u"C:"},
      {u"C:\\up\\sub\\", u"sub", u"sub", u"", u"C:\\up", u"C:"},
      {u"C:\\a", u"a", u"a", u"", u"C:\\", u"C:"},
      {u"C:\\", u"", u"", u"", u"", u"C:"},
      {u"C:", u"", u"", u"", u"", u"C:"},
      {u"C:a.txt", u"a.txt", u"a", u"txt", u"C:", u"C:"},
      {u"\\a\\b", u"b", u"b", u"", u"\\a", u""},
      {u"\\a", u"a", u"a", u"", u"\\", u""},
      {u"a.txt", u"a.txt", u"a", u"txt", u"", u""},
      {u"up/x/", u"x", u"x", u"", u"up", u""},
      {u"\\\\srv\\share\\d\\f.txt", u"f.txt", u"f", u"txt", u"\\\\srv\\share\\d",
       u"\\\\srv\\share"},
      {u"\\\\srv\\share", u"", u"", u"", u"", u"\\\\srv\\share"},
      {u"C:\\up\\.htaccess", u".htaccess", u"", u"htaccess", u"C:\\up", u"C:"},
  };
  for (const Row& row : rows) {
    const std::string label = U8(row.path);
    EXPECT_EQ(U8(FileNamePart(row.path)), U8(row.file)) << label;
    EXPECT_EQ(U8(BaseNamePart(row.path)), U8(row.base)) << label;
    EXPECT_EQ(U8(ExtensionPart(row.path)), U8(row.extension)) << label;
    EXPECT_EQ(U8(ParentPart(row.path)), U8(row.parent)) << label;
    EXPECT_EQ(U8(DrivePart(row.path)), U8(row.drive)) << label;
  }
}

TEST(ScriptPathTest, JoinAndAbsolute) {
  const struct {
    std::u16string_view path, name, want;
  } joins[] = {
      {u"C:\\a", u"b", u"C:\\a\\b"},
      {u"C:\\a\\", u"b", u"C:\\a\\b"},
      {u"C:\\a\\", u"\\b", u"C:\\a\\b"},
      {u"C:", u"b", u"C:b"},
      {u"", u"b", u"b"},
      {u"C:\\a", u"", u"C:\\a"},
  };
  for (const auto& row : joins) {
    EXPECT_EQ(U8(JoinPath(row.path, row.name)), U8(row.want))
        << U8(row.path) << " + " << U8(row.name);
  }
  const std::u16string_view current = u"D:\\site\\pages";
  const std::pair<std::u16string_view, std::u16string_view> absolutes[] = {
      {u"a.txt", u"D:\\site\\pages\\a.txt"},
      {u".\\x\\.\\y\\", u"D:\\site\\pages\\x\\y"},
      {u"..\\up", u"D:\\site\\pages\\..\\up"},  // ".." stays for the kernel
      {u"\\up//a", u"D:\\up\\a"},
      {u"D:sub", u"D:\\site\\pages\\sub"},
      {u"c:sub", u"c:\\sub"},
      {u"C:/x\\\\y/", u"C:\\x\\y"},
      {u"C:\\", u"C:\\"},
      {u"", u"D:\\site\\pages"},
      {u"\\\\srv\\share\\x", u"\\\\srv\\share\\x"},
  };
  for (const auto& [path, want] : absolutes) {
    EXPECT_EQ(U8(AbsolutePath(path, current)), U8(want)) << U8(path);
  }
  EXPECT_EQ(U8(AbsoluteTarget(u"sub\\", current)), "D:\\site\\pages\\sub\\");
}

TEST(ScriptPathTest, Wildcards) {
  const struct {
    std::u16string_view pattern, name;
    bool match;
  } rows[] = {
      {u"*.tmp", u"a.TMP", true},
      {u"*.tmp", u"a.tmp.txt", false},
      {u"a?c", u"abc", true},
      {u"a?c", u"ac", false},
      {u"*", u"", true},
      {u"*a*b", u"xxaxxbxb", true},
      {u"*a*b", u"xxaxxbxc", false},
      {u"**.txt", u".txt", true},
      {u"x*", u"y", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WildcardMatch(row.pattern, row.name), row.match)
        << U8(row.pattern) << " vs " << U8(row.name);
  }
  // Quadratic blow-up would time out here: one backtrack point suffices.
  const std::u16string name(20000, u'a');
  EXPECT_FALSE(WildcardMatch(u"*a*a*a*a*a*b", name));
}

}  // namespace
}  // namespace vant::host::scripting
