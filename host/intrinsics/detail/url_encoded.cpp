#include "host/intrinsics/detail/url_encoded.h"

#include <algorithm>

#include "host/intrinsics/text_codec.h"
#include "platform/automation/bstr.h"

namespace vant::host::intrinsics {

std::optional<std::size_t> KeyedValues::Position(std::u16string_view key) const {
  if (!index_.empty()) {
    const auto hit = index_.find(ToUpperAscii(key));
    return hit == index_.end() ? std::nullopt : std::optional<std::size_t>(hit->second);
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EqualsNoCase(entries_[i].key, key)) return i;
  }
  return std::nullopt;
}

const KeyedValues::Entry* KeyedValues::Find(std::u16string_view key) const {
  const std::optional<std::size_t> position = Position(key);
  return position ? &entries_[*position] : nullptr;
}

void KeyedValues::Add(std::u16string key, std::u16string value) {
  if (const std::optional<std::size_t> position = Position(key)) {
    entries_[*position].values.push_back(std::move(value));
    return;
  }
  entries_.push_back(Entry{std::move(key), {std::move(value)}});
  if (entries_.size() <= kScanned) return;
  if (index_.empty()) {
    // Past the scanned few: index every entry so far, then each new one.
    index_.reserve(std::max(reserved_, entries_.size()));
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i) {
      index_.emplace(ToUpperAscii(entries_[i].key), i);
    }
  }
  index_.emplace(ToUpperAscii(entries_.back().key), entries_.size() - 1);
}

void KeyedValues::Reserve(std::size_t names) {
  entries_.reserve(names);
  reserved_ = names;
}

namespace {

// The text of one name or value: a piece with no escape and no '+' is
// decoded as it stands, without a decoded copy first.
std::u16string DecodePiece(std::uint32_t codePage, std::string_view piece) {
  if (piece.find_first_of("%+") == std::string_view::npos) return DecodeText(codePage, piece);
  return DecodeText(codePage, PercentDecode(piece, true));
}

}  // namespace

std::optional<KeyedValues> ParseUrlEncoded(std::string_view raw, std::uint32_t codePage,
                                           std::size_t maxPairs, char separator) {
  KeyedValues result;
  // At most one entry per pair and no more than the limit, so the room made
  // is bounded whatever the text.
  const auto separators = static_cast<std::size_t>(std::count(raw.begin(), raw.end(), separator));
  result.Reserve(std::min(separators + 1, maxPairs));
  std::size_t pairs = 0;
  while (!raw.empty()) {
    const std::size_t end = raw.find(separator);
    const std::string_view pair = raw.substr(0, end);
    raw = end == std::string_view::npos ? std::string_view() : raw.substr(end + 1);
    if (pair.empty()) continue;
    if (pairs++ == maxPairs) return std::nullopt;
    const std::size_t eq = pair.find('=');
    const std::string_view name = pair.substr(0, eq);
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
    result.Add(DecodePiece(codePage, name), DecodePiece(codePage, value));
  }
  return result;
}

}  // namespace vant::host::intrinsics
