// application/x-www-form-urlencoded text (query strings, form bodies,
// cookie keys): names with their values in the order sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/intrinsics/detail/name_hash.h"

namespace vant::host::intrinsics {

// Names with their values in the order first sent, found by name (letter
// case ignored) through a keyed hash index, so adding n names costs O(n),
// not the O(n²) of comparing each new name with every earlier one.
class KeyedValues {
 public:
  struct Entry {
    std::u16string key;  // spelled as first sent
    std::vector<std::u16string> values;
  };

  // The entries in the order their names were first sent.
  const std::vector<Entry>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

  // The entry of `key` (letter case ignored), nullptr when absent.
  const Entry* Find(std::u16string_view key) const;
  // Appends a value under `key`, making the entry on first sight.
  void Add(std::u16string key, std::u16string value);
  // Makes room for `names` entries, so adding them never rehashes.
  void Reserve(std::size_t names);

 private:
  // Up to this many names are found by a scan of the entries: a query
  // string or form names a few, and hashing each name cost more than the
  // scan. Past it the index is built, so a lookup stays bounded.
  static constexpr std::size_t kScanned = 8;

  std::optional<std::size_t> Position(std::u16string_view key) const;

  std::vector<Entry> entries_;
  // Position in entries_ by the upper-cased name; empty while there are no
  // more than kScanned entries.
  NameMap<std::size_t> index_;
  std::size_t reserved_ = 0;
};

// Splits `raw` at `separator` into name=value pairs, %-decodes both ('+' is
// a space) and converts the bytes from `codePage`. A repeated name collects
// its values in order; a pair without '=' is a name with an empty value;
// empty pairs are skipped. nullopt when there are more than `maxPairs`
// pairs (repeated names counted each time): parsing stops at the first pair
// past the limit, so the work is bounded by it.
std::optional<KeyedValues> ParseUrlEncoded(std::string_view raw, std::uint32_t codePage,
                                           std::size_t maxPairs, char separator = '&');

}  // namespace vant::host::intrinsics
