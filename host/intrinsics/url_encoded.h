// application/x-www-form-urlencoded text (query strings, form bodies,
// cookie keys): names with their values in the order sent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vant::host::intrinsics {

struct KeyedValues {
  struct Entry {
    std::u16string key;  // spelled as first sent
    std::vector<std::u16string> values;
  };
  std::vector<Entry> entries;

  // The entry of `key` (letter case ignored), nullptr when absent.
  const Entry* Find(std::u16string_view key) const;
  // Appends a value under `key`, making the entry on first sight.
  void Add(std::u16string key, std::u16string value);
};

// Splits `raw` at `separator` into name=value pairs, %-decodes both ('+' is
// a space) and converts the bytes from `codePage`. A repeated name collects
// its values in order; a pair without '=' is a name with an empty value;
// empty pairs are skipped.
KeyedValues ParseUrlEncoded(std::string_view raw, std::uint32_t codePage, char separator = '&');

}  // namespace vant::host::intrinsics
