// The localized message texts that error reports are built from.
//
// A catalog is a UTF-8 text file with one table per language:
//
//   # comment
//   [1033]
//   0x40020017 = The request body is larger than %1!d! bytes (TotalLen).
//
// The file is named by the registry value ResPath; the reporter picks the
// language (1041, 1042, else 1033) and asks for one identifier's text with
// its inserts formatted in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame/message_format.h"

namespace vant::frame {

class MessageCatalog {
 public:
  // Reads and parses the catalog at hostPath. Returns nullopt when the file
  // cannot be opened or read (the message library did not load). Malformed
  // lines never fail the load; they are skipped.
  static std::optional<MessageCatalog> Load(const std::string& hostPath);

  // Parses catalog text already in memory. Tolerates a UTF-8 byte order
  // mark, CR LF line ends, blank lines, blanks around '=' and hex digits in
  // either case; a text may itself contain '='. Lines that are neither a
  // comment, a "[language]" header nor "id = text" are skipped, and so are
  // entries before the first valid header or after an invalid one. When an
  // identifier appears twice in one language, the later line wins.
  static MessageCatalog Parse(std::string_view utf8);

  // The raw text of messageId in language langId, or nullptr when that
  // language's table has no such entry. Other languages are never consulted.
  const std::u16string* Find(uint32_t messageId, uint16_t langId) const;

  // The text of messageId in language langId with the inserts formatted in
  // (see FormatMessageText). Empty when the identifier is missing from that
  // language's table or when formatting fails; at most kMaxMessageUnits
  // UTF-16 units long.
  std::u16string Format(uint32_t messageId, uint16_t langId,
                        const std::vector<MessageInsert>& inserts) const;

  // Number of entries in one language's table.
  size_t Size(uint16_t langId) const;

 private:
  using Table = std::unordered_map<uint32_t, std::u16string>;
  std::unordered_map<uint16_t, Table> tables_;
};

}  // namespace vant::frame
