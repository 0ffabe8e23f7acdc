#include "platform/sys/form_limits.h"

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

class MaxFormPartsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv(kMaxFormPartsVariable);
    RereadFormLimits();
  }
  std::uint32_t ReadWith(const char* text) {
    if (text == nullptr) {
      unsetenv(kMaxFormPartsVariable);
    } else {
      setenv(kMaxFormPartsVariable, text, 1);
    }
    RereadFormLimits();
    return MaxFormParts();
  }
};

TEST_F(MaxFormPartsTest, EnvironmentOrDefault) {
  EXPECT_EQ(ReadWith(nullptr), kDefaultMaxFormParts);
  EXPECT_EQ(ReadWith("25"), 25u);
  EXPECT_EQ(ReadWith("0"), kDefaultMaxFormParts) << "0 is not a limit";
  EXPECT_EQ(ReadWith("-3"), kDefaultMaxFormParts);
  EXPECT_EQ(ReadWith("many"), kDefaultMaxFormParts);
  EXPECT_EQ(ReadWith(""), kDefaultMaxFormParts);
}

TEST_F(MaxFormPartsTest, ReadOnceThenCached) {
  EXPECT_EQ(ReadWith("12"), 12u);
  setenv(kMaxFormPartsVariable, "99", 1);
  EXPECT_EQ(MaxFormParts(), 12u) << "a later change needs RereadFormLimits";
  RereadFormLimits();
  EXPECT_EQ(MaxFormParts(), 99u);
}

// Each limit reads its own variable.
TEST_F(MaxFormPartsTest, FieldSizeHasItsOwnVariable) {
  EXPECT_EQ(ReadWith("12"), 12u);
  EXPECT_EQ(MaxFieldSize(), kDefaultMaxFieldSize);
  setenv(kMaxFieldSizeVariable, "4096", 1);
  RereadFormLimits();
  EXPECT_EQ(MaxFieldSize(), 4096u);
  EXPECT_EQ(MaxFormParts(), 12u);
  unsetenv(kMaxFieldSizeVariable);
}

}  // namespace
}  // namespace vant::sys
