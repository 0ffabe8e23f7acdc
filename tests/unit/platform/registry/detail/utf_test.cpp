#include "platform/registry/detail/utf.h"

#include <gtest/gtest.h>

namespace vant::registry::detail {
namespace {

TEST(UtfTest, DecodesUtf8AndReplacesEveryBadSequence) {
  struct Row {
    const char* what;
    std::string utf8;
    std::u16string utf16;
  };
  const Row rows[] = {
      {"ASCII", "abc", u"abc"},
      {"two, three and four byte forms", "\xC3\xA9\xED\x95\x9C\xF0\x9F\x98\x80",
       u"\u00E9\uD55C\U0001F600"},
      {"stray continuation byte", "a\x80z", u"a\uFFFDz"},
      {"truncated at the end", "a\xE3\x81", u"a\uFFFD"},
      {"truncated before ASCII", "\xE3\x81z", u"\uFFFDz"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"invalid lead byte", "\xFF", u"\uFFFD"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf8ToUtf16(row.utf8), row.utf16) << row.what;
  }
}

TEST(UtfTest, EncodesUtf16AndRefusesUnpairedSurrogates) {
  std::string out;
  ASSERT_TRUE(Utf16ToUtf8(u"\u00E9\uD55C\U0001F600", &out));
  EXPECT_EQ(out, "\xC3\xA9\xED\x95\x9C\xF0\x9F\x98\x80");
  for (const std::u16string& bad :
       {std::u16string(1, char16_t{0xD800}), std::u16string(1, char16_t{0xDC00}),
        std::u16string{char16_t{0xD800}, u'a'}}) {
    EXPECT_FALSE(Utf16ToUtf8(bad, &out)) << "unit " << std::hex << static_cast<int>(bad[0]);
  }
}

}  // namespace
}  // namespace vant::registry::detail
