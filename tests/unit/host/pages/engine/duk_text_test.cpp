#include "host/pages/engine/duk_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::host::pages::engine {
namespace {

// ASCII runs of every length around the 16-unit blocks, then one wider
// unit (2 bytes, 3 bytes, a lone surrogate) and an ASCII tail: the bulk
// copy must stop exactly where the text stops being ASCII.
TEST(DukText, AsciiRunsOfEveryLengthRoundTrip) {
  const std::u16string kWide[] = {u"", u"\u00e9", u"\u20ac", u"\xd800"};
  const std::string kBytes[] = {"", "\xc3\xa9", "\xe2\x82\xac", "\xed\xa0\x80"};
  for (std::size_t length = 0; length <= 40; ++length) {
    for (std::size_t k = 0; k < std::size(kWide); ++k) {
      std::u16string text;
      std::string bytes;
      for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char16_t>(u'a' + i % 26);
        bytes += static_cast<char>('a' + i % 26);
      }
      text += kWide[k] + u"~z";
      bytes += kBytes[k] + "~z";
      SCOPED_TRACE(testing::Message() << "length " << length << ", wide unit " << k);
      EXPECT_EQ(ToEngineText(text), bytes);
      EXPECT_EQ(FromEngineText(bytes), text);
      EXPECT_EQ(EngineTextToUtf8(bytes),
                k == 3 ? bytes.substr(0, length) + "\xef\xbf\xbd~z" : bytes);
    }
  }
}

}  // namespace
}  // namespace vant::host::pages::engine
