#include "platform/fs/shared_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "fs_test_helpers.h"
#include "platform/fs/fault_injection.h"
#include "platform/fs/folder_watch.h"

namespace vant::fs {
namespace {

using testing::ScratchFolder;

std::string ReadAll(const SharedFile& file) {
  std::string out(file.attributes().size, '\0');
  std::size_t got = 0;
  EXPECT_TRUE(file.ReadAt(0, out.data(), out.size(), got).ok());
  out.resize(got);
  return out;
}

// Whether a second open of `path`, while the first is held, gets the same
// descriptor. Other processes' files coming and going in the system's
// temporary folder (a watched folder on the way) may let go of the kept
// one between the two opens, so a few tries are allowed.
bool SharesDescriptor(const std::string& path) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    SharedFile first;
    SharedFile second;
    if (!first.OpenHost(path).ok() || !second.OpenHost(path).ok()) return false;
    if (first.fd() == second.fd()) return true;
  }
  return false;
}

// Whatever changes on the way to a kept file, the next open shows the file
// the path names now, with its size and bytes.
TEST(SharedFile, AChangeOnThePathShowsAtTheNextOpen) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string file = dir.Host("top/files/a.bin");
  const std::string link = dir.Host("link.bin");
  struct Case {
    const char* what;
    std::function<void()> act;
    std::string path;  // opened before and after
    std::string after;
  };
  const auto renameTo = [](const std::string& from, const std::string& to) {
    ASSERT_EQ(std::rename(from.c_str(), to.c_str()), 0);
  };
  const Case cases[] = {
      {"rewritten shorter", [&] { dir.Write("top/files/a.bin", "new"); }, file, "new"},
      {"renamed over", [&] { renameTo(dir.Write("top/files/tmp", "renamed over"), file); }, file,
       "renamed over"},
      {"its folder replaced",
       [&] {
         renameTo(dir.Host("top/files"), dir.Host("old1"));
         dir.Write("top/files/a.bin", "new folder");
       },
       file, "new folder"},
      {"a folder above replaced",
       [&] {
         renameTo(dir.Host("top"), dir.Host("old2"));
         dir.Write("top/files/a.bin", "new tree");
       },
       file, "new tree"},
      {"its link pointed elsewhere",
       [&] {
         dir.Write("other.bin", "link target");
         ::unlink(link.c_str());
         ASSERT_EQ(::symlink(dir.Host("other.bin").c_str(), link.c_str()), 0);
       },
       link, "link target"},
  };
  for (const Case& c : cases) {
    dir.Write("top/files/a.bin", "the first content");
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    SharedFile held;  // a holder from before the change keeps the old file
    ASSERT_TRUE(held.OpenHost(c.path).ok()) << c.what;
    c.act();
    SharedFile now;
    ASSERT_TRUE(now.OpenHost(c.path).ok()) << c.what;
    EXPECT_EQ(now.attributes().size, c.after.size()) << c.what;
    EXPECT_EQ(ReadAll(now), c.after) << c.what;
  }
}

TEST(SharedFile, KeptOnlyWhereEveryFolderOnThePathIsWatched) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string file = dir.Write("a.bin", "bytes");
  const std::string link = dir.Host("link.bin");
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  EXPECT_TRUE(SharesDescriptor(file));
  EXPECT_FALSE(SharesDescriptor(link)) << "a link's target folder is not watched";
  SharedFile folder;
  ASSERT_TRUE(folder.OpenHost(dir.Path()).ok());
  EXPECT_TRUE(folder.attributes().isFolder);
  EXPECT_FALSE(SharesDescriptor(dir.Path()));

  SharedFile removed;
  ASSERT_TRUE(removed.OpenHost(file).ok());
  ASSERT_EQ(::unlink(file.c_str()), 0);
  EXPECT_EQ(removed.OpenHost(file).error, ENOENT);
  EXPECT_FALSE(removed.is_open());
}

// An armed open fault fails the open even when a kept descriptor is there,
// so fault plans count opens as before.
TEST(SharedFile, AnOpenFaultFailsAKeptFileToo) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string file = dir.Write("a.bin", "bytes");
  ASSERT_TRUE(SharesDescriptor(file));
  FaultInjection::FailNthOpen(0, EIO);
  SharedFile faulted;
  EXPECT_EQ(faulted.OpenHost(file).error, EIO);
  FaultInjection::Reset();
  EXPECT_TRUE(faulted.OpenHost(file).ok());
}

bool HoldsRemovedFile() {
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ignored;
    const auto target = std::filesystem::read_symlink(entry.path(), ignored).string();
    if (target.find("vant-test-") != std::string::npos && target.ends_with(" (deleted)"))
      return true;
  }
  return false;
}

// Nothing holds on to a kept descriptor for long: a removed file's space
// comes free with no further open, and ReleaseKeptFiles closes them at once.
TEST(SharedFile, KeptDescriptorsCloseOnTheirOwn) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string file = dir.Write("a.bin", "bytes");
  (void)FolderChangeCount();  // the notice queue's own descriptor is made
  ReleaseKeptFiles();
  const int before = testing::OpenDescriptorCount();
  ASSERT_TRUE(SharesDescriptor(file));
  EXPECT_EQ(testing::OpenDescriptorCount(), before + 1);
  ReleaseKeptFiles();
  EXPECT_EQ(testing::OpenDescriptorCount(), before);

  ASSERT_TRUE(SharesDescriptor(file));
  ASSERT_EQ(::unlink(file.c_str()), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (HoldsRemovedFile() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(HoldsRemovedFile());
}

}  // namespace
}  // namespace vant::fs
