#include "platform/sys/utf.h"

#include <gtest/gtest.h>

namespace vant::sys {
namespace {

std::string Units(const std::u16string& text) {
  std::string out;
  for (const char16_t unit : text) out += " " + std::to_string(unsigned{unit});
  return out;
}

struct Utf8Row {
  const char* name;
  std::string utf8;
  std::u16string expected;
};

// One U+FFFD per maximal invalid subpart, as the system decoder does.
TEST(Utf8ToUtf16, ValidAndInvalidInput) {
  const Utf8Row rows[] = {
      {"ascii", "abc", u"abc"},
      {"two-byte", "\xC3\xA9", u"é"},
      {"three-byte", "\xE2\x82\xAC", u"€"},
      {"four-byte becomes a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"embedded NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"stray continuation", "\x80", u"\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"truncated then ascii",
       "\xF0\x9F\x98"
       "A",
       u"\uFFFDA"},
      {"truncated at end", "\xE2\x82", u"\uFFFD"},
      {"invalid lead F5", "\xF5", u"\uFFFD"},
  };
  for (const auto& row : rows) {
    const std::u16string got = Utf8ToUtf16(row.utf8);
    EXPECT_EQ(got, row.expected) << row.name << ": got" << Units(got);
  }
}

TEST(Utf16ToUtf8, PairsAndLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"a€한\U0001F600"), "a\xE2\x82\xAC\xED\x95\x9C\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800"
                        "a"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"x\xD83D"), "x\xEF\xBF\xBD");
}

// The exact form refuses what the plain one would replace.
TEST(Utf16ToUtf8Exact, RefusesUnpairedSurrogates) {
  EXPECT_EQ(Utf16ToUtf8Exact(u"\u00E9\uD55C\U0001F600").value_or("<none>"),
            "\xC3\xA9\xED\x95\x9C\xF0\x9F\x98\x80");
  for (const std::u16string& bad :
       {std::u16string(1, char16_t{0xD800}), std::u16string(1, char16_t{0xDC00}),
        std::u16string{char16_t{0xD800}, u'a'}}) {
    EXPECT_FALSE(Utf16ToUtf8Exact(bad)) << "unit " << std::hex << static_cast<int>(bad[0]);
  }
}

TEST(Utf16ToUtf8, RoundTripsEveryBmpCharacterAndSomeAstral) {
  std::u16string all;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    all.push_back(static_cast<char16_t>(c));
  }
  all += u"\U00010000\U0010FFFF";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

TEST(IsValidUtf16, DetectsUnpairedSurrogates) {
  EXPECT_TRUE(IsValidUtf16(u"a\U0001F600"));
  EXPECT_FALSE(IsValidUtf16(u"a\xD800"));
  EXPECT_FALSE(
      IsValidUtf16(u"\xDC00"
                   "a"));
}

}  // namespace
}  // namespace vant::sys
