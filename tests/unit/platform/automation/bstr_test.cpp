#include "platform/automation/bstr.h"

#include <gtest/gtest.h>

#include <string>

namespace vant {
namespace {

// Code units in hex for failure messages.
std::string Hex(std::u16string_view text) {
  std::string out;
  char buffer[8];
  for (const char16_t c : text) {
    std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(c));
    out += buffer;
  }
  return out;
}

TEST(BstrTest, Utf8ToUtf16) {
  struct Row {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  };
  const Row rows[] = {
      {"ascii", "abc", u"abc"},
      {"empty", "", u""},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte", "\xE2\x82\xAC", u"\u20AC"},
      {"hangul", "\xED\x95\x9C", u"\uD55C"},
      {"four-byte becomes a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"lone continuation", "a\x80z", u"a\uFFFDz"},
      {"invalid lead byte", "\xFF", u"\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"truncated at end", "a\xE2\x82", u"a\uFFFD"},
      {"truncated before ascii", "\xE2\x82z", u"\uFFFDz"},
      {"truncated four-byte", "\xF0\x9F\x98", u"\uFFFD"},
  };
  for (const Row& row : rows) {
    const std::u16string got = Utf8ToUtf16(row.utf8);
    EXPECT_EQ(got, row.utf16) << row.name << ": got " << Hex(got);
  }
}

TEST(BstrTest, Utf16ToUtf8) {
  struct Row {
    const char* name;
    std::u16string utf16;
    std::string utf8;
  };
  const Row rows[] = {
      {"ascii", u"abc", "abc"},
      {"two-byte", u"\u00E9", "\xC3\xA9"},
      {"three-byte", u"\u20AC", "\xE2\x82\xAC"},
      {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone high surrogate", std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},
      {"lone low surrogate", std::u16string(1, char16_t(0xDE00)), "\xEF\xBF\xBD"},
      {"reversed pair", std::u16string{char16_t(0xDE00), char16_t(0xD83D)},
       "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"high surrogate at end", u"a" + std::u16string(1, char16_t(0xD800)), "a\xEF\xBF\xBD"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(row.utf16), row.utf8) << row.name;
  }
}

TEST(BstrTest, RoundTripsEveryPlane) {
  const std::u16string text = u"A\u00E9\u20AC\uD55C\U0001F600\U0010FFFF";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(BstrTest, CaseFoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsNoCase(u"ContentType", u"CONTENTTYPE"));
  EXPECT_TRUE(EqualsNoCase(u"", u""));
  EXPECT_FALSE(EqualsNoCase(u"abc", u"abcd"));
  EXPECT_FALSE(EqualsNoCase(u"a[", u"A{")) << "only letters fold";
  EXPECT_FALSE(EqualsNoCase(u"\u00E9", u"\u00C9")) << "non-ASCII letters are compared exactly";
  EXPECT_EQ(ToUpperAscii(u"c:\\Up\u00e9/z"), u"C:\\UP\u00e9/Z");
}

TEST(BstrTest, TellsNullFromEmpty) {
  EXPECT_TRUE(Bstr().IsNull());
  EXPECT_FALSE(Bstr(u"").IsNull());
  EXPECT_FALSE(Bstr() == Bstr(u""));
  EXPECT_TRUE(Bstr(static_cast<const char16_t*>(nullptr)).IsNull());
}

}  // namespace
}  // namespace vant
