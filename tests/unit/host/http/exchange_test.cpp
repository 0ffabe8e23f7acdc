#include "host/http/exchange.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::host::http {
namespace {

// Every byte at every place of a text long enough for two whole words and
// a tail: refused exactly when it is a control character other than a tab,
// or DEL, wherever it stands.
TEST(FieldText, RefusesControlBytesAtAnyPosition) {
  for (int byte = 0; byte < 256; ++byte) {
    const bool allowed = byte == '\t' || (byte >= 0x20 && byte != 0x7F);
    for (std::size_t at = 0; at < 19; ++at) {
      std::string text(19, 'a');
      text[at] = static_cast<char>(byte);
      EXPECT_EQ(IsFieldText(text), allowed) << "byte " << byte << " at " << at;
    }
  }
  EXPECT_TRUE(IsFieldText(""));
  EXPECT_TRUE(IsFieldText("caf\xC3\xA9 \xE2\x82\xAC\t12345678"));
}

}  // namespace
}  // namespace vant::host::http
