// Name lookups of parsed pairs, in letter case of either spelling, for a
// few names (found by a scan) and for many (found through the index built
// once they pass the scanned few).
#include "host/intrinsics/detail/url_encoded.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/bstr.h"

namespace vant::host::intrinsics {
namespace {

TEST(UrlEncoded, RepeatedNamesCollectTheirValuesWhateverTheCount) {
  for (const int names : {1, 8, 9, 40}) {
    std::string raw;
    for (int i = 0; i < names; ++i) raw += "n" + std::to_string(i) + "=a&";
    // Each name again, in the other letter case, after all of them.
    for (int i = 0; i < names; ++i) raw += "N" + std::to_string(i) + "=b&";
    const std::optional<KeyedValues> values = ParseUrlEncoded(raw, 65001, 1000);
    ASSERT_TRUE(values) << names;
    ASSERT_EQ(values->Entries().size(), static_cast<std::size_t>(names)) << names;
    for (int i = 0; i < names; ++i) {
      const std::u16string key = u"N" + Utf8ToUtf16(std::to_string(i));
      const KeyedValues::Entry* entry = values->Find(key);
      ASSERT_NE(entry, nullptr) << names << " names, name " << i;
      EXPECT_EQ(entry->key, u"n" + Utf8ToUtf16(std::to_string(i)));
      EXPECT_EQ(entry->values, (std::vector<std::u16string>{u"a", u"b"})) << names << " " << i;
    }
    EXPECT_EQ(values->Find(u"n" + Utf8ToUtf16(std::to_string(names))), nullptr) << names;
  }
}

}  // namespace
}  // namespace vant::host::intrinsics
