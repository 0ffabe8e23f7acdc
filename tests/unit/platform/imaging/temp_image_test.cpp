#include "platform/imaging/detail/temp_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/scratch.h"

namespace vant::imaging::detail {
namespace {

namespace stdfs = std::filesystem;

class TempImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    oldMask_ = ::umask(022);
  }
  void TearDown() override { ::umask(oldMask_); }
  std::string Host(const std::string& name) const { return scratch_.Host(name); }
  std::size_t Entries() const { return scratch_.Count(); }

  test::ScratchFolder scratch_;
  const std::string& root_ = scratch_.Path();
  mode_t oldMask_ = 0;
};

// The name operators search for: the target, ".vant-", six letters or digits.
bool HasTempName(const std::string& path, const std::string& target) {
  const std::string prefix = target + std::string(kTempImageInfix);
  if (path.size() != prefix.size() + kTempImageRandomChars || path.rfind(prefix, 0) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < path.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(path[i]))) return false;
  }
  return true;
}

TEST_F(TempImageTest, NamedBesideTheTargetAndReadableLikeOtherFiles) {
  const std::string target = Host("t.jpg");
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    TempImageFile temp(target);
    ASSERT_TRUE(HasTempName(temp.path(), target)) << temp.path();
    struct stat st {};
    ASSERT_EQ(::stat(temp.path().c_str(), &st), 0) << temp.path();
    // mkstemp would give 0600 whatever the umask, and the rename would then
    // turn a replaced, published target private.
    EXPECT_EQ(st.st_mode & 0777, 0644u) << temp.path();
    EXPECT_EQ(st.st_size, 0);
    names.insert(temp.path());
  }
  EXPECT_GT(names.size(), 1u) << "the names are random";
  EXPECT_EQ(Entries(), 0u) << "each temporary file is removed when dropped";
}

TEST_F(TempImageTest, MoveReplacesTheTargetAndLeavesNothingElse) {
  const std::string target = Host("t.jpg");
  std::ofstream(target) << "old";
  ::chmod(target.c_str(), 0600);
  {
    TempImageFile temp(target);
    std::ofstream(temp.path()) << "new";
    ASSERT_TRUE(temp.MoveTo(target));
    EXPECT_TRUE(temp.path().empty());
  }
  std::string content;
  std::getline(std::ifstream(target), content);
  EXPECT_EQ(content, "new");
  EXPECT_EQ(stdfs::status(target).permissions() & stdfs::perms::all,
            stdfs::perms::owner_read | stdfs::perms::owner_write | stdfs::perms::group_read |
                stdfs::perms::others_read);
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(TempImageTest, FailuresLeaveNoFile) {
  {
    TempImageFile missingFolder(Host("none/t.jpg"));
    EXPECT_TRUE(missingFolder.path().empty());
  }
  {
    // A folder in the way of the target: the rename fails, the file goes.
    stdfs::create_directories(Host("dir/inside"));
    TempImageFile temp(Host("dir"));
    ASSERT_FALSE(temp.path().empty());
    EXPECT_FALSE(temp.MoveTo(Host("dir")));
    EXPECT_TRUE(stdfs::exists(temp.path()));
  }
  EXPECT_EQ(Entries(), 1u) << "only the folder";
}

}  // namespace
}  // namespace vant::imaging::detail
