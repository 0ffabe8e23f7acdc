#include "form/save_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "unit/form/form_test_env.h"

namespace vant::form {
namespace {

using testing::FormTest;
using testing::TakeReport;
using testing::U16;

TEST_F(FormTest, MakeUniquePathPutsTheNumberBeforeTheExtension) {
  struct Row {
    const char* path;  // below the scratch folder
    std::vector<const char*> taken;
    const char* expected;
  };
  const Row rows[] = {
      {"a.txt", {}, "a.txt"},
      {"a.txt", {"a.txt"}, "a(0).txt"},
      {"a.txt", {"a.txt", "a(0).txt", "a(1).txt"}, "a(2).txt"},
      {"a.tar.gz", {"a.tar.gz"}, "a.tar(0).gz"},
      {"readme", {"readme"}, "readme(0)."},
      {"d.x/readme", {"d.x/readme"}, "d.x/readme(0)."},
      {"f.txt", {"f.txt/"}, "f.txt"},  // a folder does not count
  };
  for (const Row& row : rows) {
    std::filesystem::remove_all(Host("u"));
    std::filesystem::create_directories(Host("u/d.x"));
    for (const char* name : row.taken) {
      const std::string taken = Host("u/") + name;
      if (taken.back() == '/') {
        std::filesystem::create_directories(taken);
      } else {
        testing::WriteHostFile(taken, "x");
      }
    }
    EXPECT_EQ(Utf16ToUtf8(MakeUniquePath(Win("u/" + std::string(row.path)))),
              Utf16ToUtf8(Win("u/" + std::string(row.expected))))
        << row.path;
  }
}

TEST(NumberedPathTest, DotBeforeTheLastBackslashIsNoExtension) {
  EXPECT_EQ(NumberedPath(u"C:\\a.d\\file", 3), u"C:\\a.d\\file(3).");
  EXPECT_EQ(NumberedPath(u"noslash.txt", 0), u"noslash.txt(0).");
  EXPECT_EQ(NumberedPath(u"C:\\x\\.profile", 12), u"C:\\x\\(12).profile");
}

TEST_F(FormTest, CheckTargetFolderRows) {
  testing::WriteHostFile(Host("file"), "x");
  struct Row {
    std::u16string path;
    bool create;
    std::string report;  // "<none>" on success
    bool folderAfter;
  };
  const Row rows[] = {
      {Win("up/a.txt"), false, "<none>", true},
      {u"a.txt", true, "56|a.txt", false},
      {Win("missing/a.txt"), false, "58|" + Utf16ToUtf8(Win("missing")), false},
      {Win("made/deep/a.txt"), true, "<none>", true},
      {Win("file/sub/a.txt"), true, "57|" + Utf16ToUtf8(Win("file/sub")), false},
      {u"C:\\a.txt", false, "<none>", true},
  };
  for (const Row& row : rows) {
    const HRESULT hr = CheckTargetFolder(row.path, row.create);
    EXPECT_EQ(hr, row.report == "<none>" ? S_OK : E_FAIL) << Utf16ToUtf8(row.path);
    EXPECT_EQ(TakeReport(), row.report) << Utf16ToUtf8(row.path);
    if (row.path.find(u'\\') == std::u16string::npos) continue;
    const std::u16string folder = row.path.substr(0, row.path.rfind(u'\\') + 1);
    EXPECT_EQ(std::filesystem::is_directory(testing::HostPath(folder)), row.folderAfter)
        << Utf16ToUtf8(row.path);
  }
}

TEST_F(FormTest, CheckTargetFolderReportsEvenAfterAnEarlierError) {
  flag_->Set();
  EXPECT_EQ(CheckTargetFolder(Win("missing/a.txt"), false), E_FAIL);
  EXPECT_EQ(TakeReport(), "58|" + Utf16ToUtf8(Win("missing")));
}

TEST(SentNameTest, LeafAndSafety) {
  struct Row {
    std::u16string sent;
    std::u16string leaf;
    bool safe;
  };
  const Row rows[] = {
      {u"a.txt", u"a.txt", true},
      {u"../../x", u"x", true},
      {u"a/", u"", false},
      {u"..", u"..", false},
      {u".", u".", false},
      {u"....", u"....", false},
      {u"a\x01", u"a\x01", false},
      {u"x\x1F", u"x\x1F", false},
      {u"   ", u"   ", false},
      {u". .", u". .", false},
      {u"a\u0085", u"a\u0085", false},
      {u"a\x7F", u"a\x7F", false},
      {u"a b.txt", u"a b.txt", true},
      {u"\u00e9t\u00e9", u"\u00e9t\u00e9", true},
      {std::u16string(u"a\0b", 3), std::u16string(u"a\0b", 3), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SentNameLeaf(row.sent), row.leaf) << Utf16ToUtf8(row.sent);
    EXPECT_EQ(IsSafeSentName(SentNameLeaf(row.sent)), row.safe) << Utf16ToUtf8(row.sent);
  }
}

}  // namespace
}  // namespace vant::form
