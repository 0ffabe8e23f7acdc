#include "platform/sys/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vant::sys {
namespace {

TEST(SystemErrorText, EndsWithCrLf) {
  EXPECT_EQ(SystemErrorText(ENOENT), u"No such file or directory\r\n");
  EXPECT_EQ(SystemErrorText(ENOSPC), u"No space left on device\r\n");
  EXPECT_EQ(SystemErrorText(999999), u"Unknown error 999999\r\n");
  errno = EACCES;
  EXPECT_EQ(LastError(), EACCES);
}

}  // namespace
}  // namespace vant::sys
