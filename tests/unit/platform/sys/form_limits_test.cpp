#include "platform/sys/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vant::sys {
namespace {

TEST(ParseMaxFormParts, TakesOnlyPlainCountsInRange) {
  struct Row {
    const char* text;
    bool ok;
    std::uint32_t value;
  };
  const Row rows[] = {
      {"1", true, 1},
      {"10000", true, 10000},
      {"007", true, 7},
      {"2147483647", true, 0x7FFFFFFF},
      {"0", false, 0},
      {"2147483648", false, 0},
      {"99999999999999999999", false, 0},
      {"", false, 0},
      {"-1", false, 0},
      {"+5", false, 0},
      {" 5", false, 0},
      {"5 ", false, 0},
      {"10K", false, 0},
      {"1e3", false, 0},
      {"0x10", false, 0},
  };
  for (const Row& row : rows) {
    std::uint32_t value = 42;
    EXPECT_EQ(ParseMaxFormParts(row.text, value), row.ok) << "\"" << row.text << "\"";
    EXPECT_EQ(value, row.ok ? row.value : 42u) << "\"" << row.text << "\" leaves the value alone";
  }
}

class SettingsFromEnvironmentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv(kMaxFormPartsVariable);
    unsetenv(kMaxFieldSizeVariable);
  }
  std::uint32_t PartsWith(const char* text) {
    if (text == nullptr) {
      unsetenv(kMaxFormPartsVariable);
    } else {
      setenv(kMaxFormPartsVariable, text, 1);
    }
    return SettingsFromEnvironment().maxFormParts;
  }
};

TEST_F(SettingsFromEnvironmentTest, FormPartsFromTheVariableOrTheDefault) {
  EXPECT_EQ(PartsWith(nullptr), kDefaultMaxFormParts);
  EXPECT_EQ(PartsWith("25"), 25u);
  EXPECT_EQ(PartsWith("0"), kDefaultMaxFormParts) << "0 is not a limit";
  EXPECT_EQ(PartsWith("-3"), kDefaultMaxFormParts);
  EXPECT_EQ(PartsWith("many"), kDefaultMaxFormParts);
  EXPECT_EQ(PartsWith(""), kDefaultMaxFormParts);
}

// Each limit reads its own variable.
TEST_F(SettingsFromEnvironmentTest, FieldSizeHasItsOwnVariable) {
  EXPECT_EQ(PartsWith("12"), 12u);
  EXPECT_EQ(SettingsFromEnvironment().maxFieldSize, kDefaultMaxFieldSize);
  setenv(kMaxFieldSizeVariable, "4096", 1);
  EXPECT_EQ(SettingsFromEnvironment().maxFieldSize, 4096u);
  EXPECT_EQ(SettingsFromEnvironment().maxFormParts, 12u);
}

// What the host installs is what every reader sees; a setting that cannot
// be right is refused whole.
TEST(InstallSettings, ReadersSeeTheInstalledSettings) {
  const Settings before = CurrentSettings();
  Settings changed = before;
  changed.maxFormParts = 7;
  changed.maxFieldSize = 4096;
  changed.ansiCodePage = 1252;
  ASSERT_TRUE(InstallSettings(changed));
  EXPECT_EQ(MaxFormParts(), 7u);
  EXPECT_EQ(MaxFieldSize(), 4096u);
  EXPECT_EQ(AnsiCodePage(), 1252u);
  Settings wrong = changed;
  wrong.maxFormParts = 3;
  wrong.ansiCodePage = 12345;
  EXPECT_FALSE(InstallSettings(wrong));
  EXPECT_EQ(MaxFormParts(), 7u) << "a refused install changes nothing";
  ASSERT_TRUE(InstallSettings(before));
}

}  // namespace
}  // namespace vant::sys
