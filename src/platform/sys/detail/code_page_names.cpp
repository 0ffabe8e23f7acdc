#include "platform/sys/detail/code_page_names.h"

namespace vant::sys::detail {
namespace {

struct CodePageName {
  uint32_t number;
  const char* iconvName;
};

// The code pages browsers and pages are likely to name. glibc's CP9xx tables
// carry the vendor extensions of the Windows code pages (CP949 is the
// Unified Hangul Code, CP932 is Windows-31J), unlike plain EUC-KR/SHIFT_JIS.
constexpr CodePageName kCodePages[] = {
    {437, "CP437"},        {850, "CP850"},         {866, "CP866"},         {874, "CP874"},
    {932, "CP932"},        {936, "CP936"},         {949, "CP949"},         {950, "CP950"},
    {1250, "CP1250"},      {1251, "CP1251"},       {1252, "CP1252"},       {1253, "CP1253"},
    {1254, "CP1254"},      {1255, "CP1255"},       {1256, "CP1256"},       {1257, "CP1257"},
    {1258, "CP1258"},      {20127, "ASCII"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},  {28595, "ISO-8859-5"},  {28597, "ISO-8859-7"},
    {28599, "ISO-8859-9"}, {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"}, {51932, "EUC-JP"},
    {51949, "EUC-KR"},     {54936, "GB18030"},     {65000, "UTF-7"},
};

}  // namespace

const char* IconvName(uint32_t codePage) {
  for (const auto& entry : kCodePages) {
    if (entry.number == codePage) return entry.iconvName;
  }
  return nullptr;
}

}  // namespace vant::sys::detail
