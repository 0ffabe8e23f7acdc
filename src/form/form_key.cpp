// Upper-casing of field names for the form's keys. Covers the scripts a form
// field name is written in (Latin, Greek, Cyrillic, full-width Latin); other
// characters, surrogates included, are kept as they are.
#include "form/form_element_multi_collection.h"

namespace vant::form {
namespace {

// A run of lower-case letters whose upper case lies `offset` below.
struct CaseRange {
  char16_t first;
  char16_t last;
  char16_t offset;
};

constexpr CaseRange kOffsetRanges[] = {
    {u'a', u'z', 0x20},     {0x00E0, 0x00F6, 0x20},  // à … ö
    {0x00F8, 0x00FE, 0x20},                          // ø … þ
    {0x03B1, 0x03C1, 0x20},                          // α … ρ
    {0x03C3, 0x03CB, 0x20},                          // σ … ϋ
    {0x0430, 0x044F, 0x20},                          // а … я
    {0x0450, 0x045F, 0x50},                          // ѐ … џ
    {0xFF41, 0xFF5A, 0x20},                          // full-width a … z
};

char16_t UpperOf(char16_t c) {
  for (const CaseRange& range : kOffsetRanges) {
    if (c >= range.first && c <= range.last) return static_cast<char16_t>(c - range.offset);
  }
  if (c == 0x00FF) return 0x0178;  // ÿ
  if (c == 0x03C2) return 0x03A3;  // final ς
  // Latin Extended-A pairs: upper case on the even code, lower on the odd.
  if (c >= 0x0100 && c <= 0x017F && c != 0x0131 && c != 0x0138 && c != 0x0149) {
    const bool oddUpper = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    if (oddUpper ? (c % 2 == 0) : (c % 2 == 1)) return static_cast<char16_t>(c - 1);
  }
  return c;
}

}  // namespace

std::u16string FormKey(std::u16string_view name) {
  std::u16string key(name);
  for (char16_t& c : key) c = UpperOf(c);
  return key;
}

}  // namespace vant::form
