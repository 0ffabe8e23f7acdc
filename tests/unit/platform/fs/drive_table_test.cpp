#include "platform/fs/drive_table.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::fs {
namespace {

class DriveTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDrives(); }
  void TearDown() override { ResetDrives(); }
};

TEST_F(DriveTableTest, DefaultsToCAtTheRoot) {
  EXPECT_EQ(DriveFolder('C').value_or("<none>"), "/");
  EXPECT_EQ(DriveFolder('c').value_or("<none>"), "/");
  EXPECT_FALSE(DriveFolder('D').has_value());
}

TEST_F(DriveTableTest, SetDriveValidates) {
  EXPECT_TRUE(SetDrive('d', "/mnt/d//"));
  EXPECT_TRUE(SetDrive('C', "/srv"));
  EXPECT_EQ(DriveFolder('D').value_or("<none>"), "/mnt/d");

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

}  // namespace
}  // namespace vant::fs
