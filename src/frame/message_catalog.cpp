#include "frame/message_catalog.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vant::frame {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\f\v";
constexpr char kComment = '#';
constexpr char16_t kReplacement = u'\uFFFD';
constexpr size_t kMaxIdDigits = 8;
constexpr uint32_t kMaxLangId = 0xFFFF;

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Takes the next line (without its '\n') off the front of rest.
std::string_view NextLine(std::string_view& rest) {
  const size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return line;
}

// Length of the UTF-8 sequence that starts with lead, 0 for a byte that
// cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes one code point at pos, or nullopt for an invalid, overlong,
// surrogate or truncated sequence; pos moves past what was consumed.
std::optional<char32_t> DecodeOne(std::string_view s, size_t& pos) {
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(s[pos++]);
  if (lead < 0x80) return lead;
  const size_t length = SequenceLength(lead);
  if (length == 0) return std::nullopt;
  char32_t cp = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    // A byte that does not continue the sequence starts the next one.
    if (pos >= s.size() || (static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
  }
  if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

// UTF-8 to UTF-16; each invalid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t pos = 0; pos < s.size();) {
    const std::optional<char32_t> cp = DecodeOne(s, pos);
    if (!cp) {
      out += kReplacement;
    } else if (*cp < 0x10000) {
      out += static_cast<char16_t>(*cp);
    } else {
      out += static_cast<char16_t>(0xD800 + ((*cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((*cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0x40020017", "0X4002001a" or bare hex digits.
std::optional<uint32_t> ParseMessageId(std::string_view key) {
  if (key.starts_with("0x") || key.starts_with("0X")) key.remove_prefix(2);
  if (key.empty() || key.size() > kMaxIdDigits) return std::nullopt;
  uint32_t id = 0;
  for (const char c : key) {
    const int digit = HexValue(c);
    if (digit < 0) return std::nullopt;
    id = (id << 4) | static_cast<uint32_t>(digit);
  }
  return id;
}

// "[1041]" → 1041; nullopt for anything else in brackets.
std::optional<uint16_t> ParseSectionHeader(std::string_view line) {
  const std::string_view inner = Trim(line.substr(1, line.size() - 2));
  if (inner.empty() || inner.size() > 5) return std::nullopt;
  uint32_t lang = 0;
  for (const char c : inner) {
    if (c < '0' || c > '9') return std::nullopt;
    lang = lang * 10 + static_cast<uint32_t>(c - '0');
  }
  if (lang > kMaxLangId) return std::nullopt;
  return static_cast<uint16_t>(lang);
}

bool IsRegularFile(const std::string& hostPath) {
  std::error_code error;
  return std::filesystem::is_regular_file(hostPath, error);
}

}  // namespace

std::optional<MessageCatalog> MessageCatalog::Load(const std::string& hostPath) {
  // A directory opens as a stream but reads nothing; it is no catalog.
  if (!IsRegularFile(hostPath)) return std::nullopt;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return Parse(bytes);
}

MessageCatalog MessageCatalog::Parse(std::string_view utf8) {
  MessageCatalog catalog;
  if (utf8.starts_with(kUtf8Bom)) utf8.remove_prefix(kUtf8Bom.size());
  Table* section = nullptr;  // stays valid: map values never move
  while (!utf8.empty()) {
    const std::string_view line = Trim(NextLine(utf8));
    if (line.empty() || line.front() == kComment) continue;
    if (line.front() == '[' && line.back() == ']') {
      // A bad header drops its entries rather than filing them under the
      // previous language.
      const std::optional<uint16_t> lang = ParseSectionHeader(line);
      section = lang ? &catalog.tables_[*lang] : nullptr;
      continue;
    }
    const size_t equals = line.find('=');
    if (section == nullptr || equals == std::string_view::npos) continue;
    const std::optional<uint32_t> id = ParseMessageId(Trim(line.substr(0, equals)));
    if (!id) continue;
    (*section)[*id] = Utf8ToUtf16(Trim(line.substr(equals + 1)));
  }
  return catalog;
}

const std::u16string* MessageCatalog::Find(uint32_t messageId, uint16_t langId) const {
  const auto table = tables_.find(langId);
  if (table == tables_.end()) return nullptr;
  const auto entry = table->second.find(messageId);
  return entry == table->second.end() ? nullptr : &entry->second;
}

std::u16string MessageCatalog::Format(uint32_t messageId, uint16_t langId,
                                      const std::vector<MessageInsert>& inserts) const {
  const std::u16string* text = Find(messageId, langId);
  if (text == nullptr) return {};
  std::optional<std::u16string> formatted = FormatMessageText(*text, inserts);
  if (!formatted) return {};
  if (formatted->size() > kMaxMessageUnits) {
    formatted->resize(kMaxMessageUnits);
    // Never leave half of a surrogate pair at the cut.
    if (formatted->back() >= 0xD800 && formatted->back() <= 0xDBFF) formatted->pop_back();
  }
  return std::move(*formatted);
}

size_t MessageCatalog::Size(uint16_t langId) const {
  const auto table = tables_.find(langId);
  return table == tables_.end() ? 0 : table->second.size();
}

}  // namespace vant::frame
