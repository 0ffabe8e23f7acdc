#include "platform/sys/code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/ansi_code_page.h"
#include "platform/sys/utf.h"

namespace vant::sys {
namespace {

// Shows UTF-16 text as UTF-8 in failure messages, with the unit values, so
// a wrong U+FFFD or a swapped byte is visible.
std::string Show(const std::u16string& text) {
  std::string out = "\"" + Utf16ToUtf8(text) + "\" [";
  for (const char16_t unit : text) out += " " + std::to_string(unsigned{unit});
  return out + " ]";
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

struct DecodeRow {
  const char* name;
  uint32_t codePage;
  std::string bytes;
  std::u16string expected;
};

TEST(DecodeCodePage, TextsInEachCodePage) {
  const DecodeRow rows[] = {
      {"utf-8 korean", 65001, "\xED\x95\x9C\xEA\xB8\x80", u"한글"},
      {"utf-8 emoji", 65001, "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"cp949 korean", 949, "\xC7\xD1\xB1\xDB", u"한글"},
      {"cp949 extension only in UHC", 949, "\x8C\x63", u"똠"},
      {"euc-kr korean", 51949, "\xC7\xD1\xB1\xDB", u"한글"},
      {"shift_jis japanese", 932, "\x93\xFA\x96\x7B", u"日本"},
      {"cp932 NEC circled one", 932, "\x87\x40", u"①"},
      {"shift_jis half-width katakana", 932, "\xB1", u"ｱ"},
      {"gbk chinese", 936, "\xD6\xD0\xCE\xC4", u"中文"},
      {"big5 chinese", 950, "\xA4\xA4\xA4\xE5", u"中文"},
      {"gb18030 euro", 54936, "\xA2\xE3", u"€"},
      {"cp1252 euro", 1252, "\x80", u"€"},
      {"cp1252 latin", 1252, "caf\xE9", u"café"},
      {"cp1251 cyrillic", 1251, "\xCF\xF0\xE8", u"При"},
      {"latin-1 C1 stays", 28591, "\x80\xE9", u"\u0080é"},
      {"iso-2022-jp", 50220, "a\x1B$BF|K\\\x1B(Bb", u"a日本b"},
      {"euc-jp", 51932, "\xC6\xFC", u"日"},
      {"utf-16le", 1200, std::string("A\0\xAC\x20", 4), u"A€"},
      {"utf-16be", 1201, std::string("\0A\x20\xAC", 4), u"A€"},
      {"empty", 949, "", u""},
  };
  for (const auto& row : rows) {
    const auto got = DecodeCodePage(row.codePage, row.bytes);
    ASSERT_TRUE(got.has_value()) << row.name;
    EXPECT_EQ(*got, row.expected) << row.name << ": got " << Show(*got);
  }
}

TEST(DecodeCodePage, InvalidBytesBecomeReplacementAndDecodingGoesOn) {
  const DecodeRow rows[] = {
      {"utf-8 stray continuation", 65001, "a\x80z", u"a\uFFFDz"},
      {"utf-8 truncated at end", 65001, "a\xE2\x82", u"a\uFFFD"},
      {"cp949 invalid lead byte", 949,
       "A\xFF"
       "B",
       u"A\uFFFDB"},
      {"cp949 lead byte cut off at end", 949, "\xC7\xD1\xC7", u"한\uFFFD"},
      {"shift_jis bad trail byte", 932, "\x81 x", u"\uFFFD x"},
      {"ascii high byte", 20127, "a\xC3z", u"a\uFFFDz"},
      {"utf-16le odd final byte", 1200, std::string("A\0B", 3), u"A\uFFFD"},
      {"big5 invalid then valid", 950, "\xFF\xA4\xA4", u"\uFFFD中"},
  };
  for (const auto& row : rows) {
    const auto got = DecodeCodePage(row.codePage, row.bytes);
    ASSERT_TRUE(got.has_value()) << row.name;
    EXPECT_EQ(*got, row.expected) << row.name << ": got " << Show(*got);
  }
}

struct EncodeRow {
  const char* name;
  uint32_t codePage;
  std::u16string text;
  std::string expected;
};

TEST(EncodeCodePage, TextsAndUnmappableCharacters) {
  const EncodeRow rows[] = {
      {"cp949 korean", 949, u"한글", "\xC7\xD1\xB1\xDB"},
      {"shift_jis japanese", 932, u"日本", "\x93\xFA\x96\x7B"},
      {"cp1252 euro", 1252, u"€", "\x80"},
      {"cp1252 cannot hold korean", 1252, u"a한b", "a?b"},
      {"cp1252 one ? for a surrogate pair", 1252, u"\U0001F600", "?"},
      {"cp1252 lone surrogate", 1252, u"a\xD800", "a?"},
      {"utf-8 lone surrogate", 65001, u"a\xDC00", "a\xEF\xBF\xBD"},
      {"iso-2022-jp shifts back at the end", 50220, u"a日", "a\x1B$BF|\x1B(B"},
      {"iso-2022-jp shifts back before ?", 50220, u"日한", "\x1B$BF|\x1B(B?"},
      {"utf-16le", 1200, u"A€", std::string("A\0\xAC\x20", 4)},
      {"ascii boundary", 0, u"----boundary", "----boundary"},
  };
  for (const auto& row : rows) {
    const auto got = EncodeCodePage(row.codePage, row.text);
    ASSERT_TRUE(got.has_value()) << row.name;
    EXPECT_EQ(Hex(*got), Hex(row.expected)) << row.name;
  }
}

TEST(CodePage, UnknownNumbersAreRefused) {
  for (const uint32_t codePage : {1u, 42u, 12345u, 65002u}) {
    EXPECT_FALSE(DecodeCodePage(codePage, "abc").has_value()) << codePage;
    EXPECT_FALSE(EncodeCodePage(codePage, u"abc").has_value()) << codePage;
    EXPECT_FALSE(IsSupportedCodePage(codePage)) << codePage;
  }
}

// Exact decoding stops at the first sequence the code page does not define.
TEST(DecodeCodePage, ExactDecodingNamesTheFirstBadByte) {
  struct Row {
    uint32_t codePage;
    std::string bytes;
    std::optional<size_t> invalidAt;
  };
  const Row rows[] = {
      {65001, "ok \xEF\xBF\xBD", std::nullopt},  // a replacement character is text
      {65001, "ok\xE6\x97", 2},                  // cut off
      {65001, "a\xC0\xAF", 1},                   // overlong
      {932, "\x93\xFA\x96\x7B", std::nullopt},
      {932, "\x93\xFA\x81\x20", 2},
      {932, "\x93\xFA\x93", 2},
      {1252, "caf\xE9\x81", 4},
      {949, "\xC7\xD1\xFF", 2},
      {1200, "abc", 2},
  };
  for (const Row& row : rows) {
    const auto exact = DecodeCodePageExact(row.codePage, row.bytes);
    ASSERT_TRUE(exact) << row.codePage;
    EXPECT_EQ(exact->invalidAt, row.invalidAt) << row.codePage << " " << Hex(row.bytes);
    if (!row.invalidAt) {
      EXPECT_EQ(exact->text, DecodeCodePage(row.codePage, row.bytes));
    }
  }
  EXPECT_FALSE(DecodeCodePageExact(12345, "a"));
}

TEST(CodePage, ZeroMeansTheAnsiCodePage) {
  const uint32_t before = AnsiCodePage();
  ASSERT_TRUE(SetAnsiCodePage(949));
  EXPECT_EQ(AnsiCodePage(), 949u);
  EXPECT_EQ(DecodeCodePage(0, "\xC7\xD1").value_or(u"<none>"), u"한");
  EXPECT_EQ(EncodeCodePage(0, u"한").value_or("<none>"), "\xC7\xD1");

  EXPECT_FALSE(SetAnsiCodePage(0)) << "0 cannot name itself";
  EXPECT_FALSE(SetAnsiCodePage(12345)) << "unknown code page accepted";
  EXPECT_EQ(AnsiCodePage(), 949u) << "a refused value must change nothing";
  ASSERT_TRUE(SetAnsiCodePage(before));
}

// Converters keep shift state, so sharing one between threads would mix up
// texts; every thread must get its own. Stateful ISO-2022-JP is the sharpest
// probe.
TEST(CodePage, ConcurrentConversionsStayIndependent) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  const std::string jis = "a\x1B$BF|K\\\x1B(Bb";
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        if (DecodeCodePage(50220, jis) != u"a日本b") ++failures[t];
        if (DecodeCodePage(949, "\xC7\xD1\xFF") != u"한\uFFFD") ++failures[t];
        if (EncodeCodePage(50220, u"日한") != "\x1B$BF|\x1B(B?") ++failures[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

TEST(CodePage, LongTextCrossesConverterChunks) {
  std::string bytes;
  std::u16string expected;
  for (int i = 0; i < 5000; ++i) {
    bytes += "\xC7\xD1";
    expected += u"한";
  }
  EXPECT_EQ(DecodeCodePage(949, bytes), expected);
  EXPECT_EQ(EncodeCodePage(949, expected), bytes);
}

}  // namespace
}  // namespace vant::sys
