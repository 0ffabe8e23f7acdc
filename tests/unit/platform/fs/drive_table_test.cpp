#include "platform/fs/drive_table.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace vant::fs {
namespace {

constexpr const char kChildMarker[] = "VANT_FS_TEST_CHILD";

class DriveTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDrives(); }
  void TearDown() override { ResetDrives(); }
};

TEST_F(DriveTableTest, DefaultsToCAtTheRoot) {
  EXPECT_EQ(DriveFolder('C').value_or("<none>"), "/");
  EXPECT_EQ(DriveFolder('c').value_or("<none>"), "/");
  EXPECT_FALSE(DriveFolder('D').has_value());
  EXPECT_STREQ(std::getenv(kDrivesVariable), "C:=/");
}

TEST_F(DriveTableTest, SetDriveValidatesAndPublishes) {
  EXPECT_TRUE(SetDrive('d', "/mnt/d//"));
  EXPECT_TRUE(SetDrive('C', "/srv"));
  EXPECT_EQ(DriveFolder('D').value_or("<none>"), "/mnt/d");
  EXPECT_STREQ(std::getenv(kDrivesVariable), "C:=/srv;D:=/mnt/d");

  EXPECT_FALSE(SetDrive('1', "/x"));
  EXPECT_FALSE(SetDrive('E', "relative"));
  EXPECT_FALSE(SetDrive('E', ""));
  EXPECT_FALSE(SetDrive('E', std::string_view("/a\0b", 4)));
  EXPECT_FALSE(DriveFolder('E').has_value());
  EXPECT_EQ(Drives().size(), 2u);
}

TEST_F(DriveTableTest, SetDriveFromOption) {
  const std::pair<const char*, bool> rows[] = {
      {"C:=/srv", true},   {"x:=/mnt/x/", true}, {"C=/srv", false}, {"C:/srv", false},
      {"CC:=/srv", false}, {"C:=", false},       {"C:=srv", false}, {"", false},
  };
  for (const auto& [option, accepted] : rows) {
    EXPECT_EQ(SetDriveFromOption(option), accepted) << option;
  }
  EXPECT_EQ(DriveFolder('C').value_or("<none>"), "/srv");
  EXPECT_EQ(DriveFolder('X').value_or("<none>"), "/mnt/x");
}

// The component module links its own copy of this library; it must see the
// table the host set, through the environment. A child process stands in
// for that copy: it has never set the table, so it reads the variable.
TEST_F(DriveTableTest, AnotherCopyReadsTheTableFromTheEnvironment) {
  std::string drives = std::string(kDrivesVariable) + "=C:=/srv;d:=/mnt/d/;Q:relative;E:=/e;junk";
  std::string marker = std::string(kChildMarker) + "=1";
  std::string filter = "--gtest_filter=DriveTableChild.SeesTheHostsTable";
  char* argv[] = {const_cast<char*>("unit_fs"), filter.data(), const_cast<char*>("--gtest_brief=1"),
                  nullptr};
  char* envp[] = {drives.data(), marker.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child test failed";
}

TEST(DriveTableChild, SeesTheHostsTable) {
  if (std::getenv(kChildMarker) == nullptr) GTEST_SKIP() << "runs only as a child";
  EXPECT_EQ(DriveFolder('C').value_or("<none>"), "/srv");
  EXPECT_EQ(DriveFolder('D').value_or("<none>"), "/mnt/d");
  EXPECT_EQ(DriveFolder('E').value_or("<none>"), "/e");
  EXPECT_FALSE(DriveFolder('Q').has_value());
}

}  // namespace
}  // namespace vant::fs
