#include "platform/fs/folder_watch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "fs_test_helpers.h"

namespace vant::fs {
namespace {

using testing::ScratchFolder;

// Every kind of change a kept file may go through moves the count; looking
// at a file, or a change in a folder nobody watches, does not.
TEST(FolderWatch, CountMovesWithEveryChangeInAWatchedFolder) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  dir.Write("page.asp", "one");
  dir.Write("sub/inner.asp", "two");
  ASSERT_TRUE(WatchFolder(dir.Path()));
  const std::string page = dir.Host("page.asp");
  struct Case {
    const char* what;
    std::function<void()> act;
    bool moves;
  };
  const Case cases[] = {
      {"nothing", [] {}, false},
      {"a look at the file",
       [&] {
         struct stat st {};
         ::stat(page.c_str(), &st);
       },
       false},
      {"a write in an unwatched subfolder", [&] { dir.Write("sub/inner.asp", "2"); }, false},
      {"the file rewritten", [&] { dir.Write("page.asp", "uno"); }, true},
      {"its mode changed", [&] { ::chmod(page.c_str(), 0600); }, true},
      {"a new file", [&] { dir.Write("new.asp", "x"); }, true},
      {"a file renamed over it", [&] { std::rename(dir.Write("tmp", "3").c_str(), page.c_str()); },
       true},
      {"the file removed", [&] { ::unlink(page.c_str()); }, true},
  };
  for (const Case& c : cases) {
    const std::uint64_t before = FolderChangeCount();
    ASSERT_NE(before, 0u) << c.what;
    c.act();
    EXPECT_EQ(FolderChangeCount() != before, c.moves) << c.what;
  }
}

// A watched folder renamed away no longer answers for its path: a folder
// made under the same name is watched afresh when asked for again.
TEST(FolderWatch, AFolderReplacedUnderItsNameIsWatchedAfresh) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  dir.Write("app/page.asp", "one");
  const std::string app = dir.Host("app");
  ASSERT_TRUE(WatchFolder(app));
  ASSERT_EQ(std::rename(app.c_str(), dir.Host("old").c_str()), 0);
  dir.Write("app/page.asp", "two");
  (void)FolderChangeCount();  // takes the move in
  ASSERT_TRUE(WatchFolder(app));
  const std::uint64_t before = FolderChangeCount();
  dir.Write("app/page.asp", "three");
  EXPECT_NE(FolderChangeCount(), before) << "a change in the new folder went unseen";
}

}  // namespace
}  // namespace vant::fs
