#include "frame/message_catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

namespace vant::frame {
namespace {

constexpr uint16_t kEnglish = 1033;
constexpr uint16_t kJapanese = 1041;
constexpr uint16_t kKorean = 1042;
constexpr uint16_t kLanguages[] = {kEnglish, kJapanese, kKorean};

// Every identifier the components raise, with the kinds of its inserts in
// order: 's' a string, 'n' a number.
struct TableRow {
  uint32_t id;
  std::string_view inserts;
};
constexpr TableRow kMessageTable[] = {
    {0x40020003, ""},  {0x40020004, ""},   {0x40020005, "s"}, {0x40020006, ""},
    {0x40020007, ""},  {0x40020008, ""},   {0x40020009, ""},  {0x40020010, ""},
    {0x40020011, ""},  {0x40020012, ""},   {0x40020013, ""},  {0x40020014, ""},
    {0x40020015, ""},  {0x40020016, ""},   {0x40020017, "n"}, {0x40020018, ""},
    {0x40020019, ""},  {0x40020020, "n"},  {0x40020021, ""},  {0x40020022, "s"},
    {0x40020023, ""},  {0x40020024, "n"},  {0x40020025, ""},  {0x40020028, ""},
    {0x40020029, ""},  {0x40020031, ""},   {0x40020032, ""},  {0x40020033, "s"},
    {0x40020034, "s"}, {0x40020035, "s"},  {0x40020036, ""},  {0x40020037, "s"},
    {0x40020038, ""},  {0x40020040, ""},   {0x40020041, "s"}, {0x40020042, ""},
    {0x40020043, ""},  {0x40020044, "s"},  {0x40020045, "s"}, {0x40020046, ""},
    {0x40020047, ""},  {0x40020048, "ss"}, {0x40020049, ""},  {0x40020051, ""},
    {0x40020052, ""},  {0x40020053, "s"},  {0x40020054, ""},  {0x40020055, ""},
    {0x40020056, "s"}, {0x40020057, "s"},  {0x40020058, "s"}, {0x40020059, ""},
    {0x40020060, ""},  {0x40020061, ""},   {0x40020062, "s"}, {0x40020063, "ssss"},
    {0x40020065, ""},  {0x40020066, "ss"}, {0x40020067, "n"}, {0x40020068, "sn"},
    {0x40020069, ""},  {0x40020070, "ss"}, {0xC0020001, "s"},
};

std::string CatalogPath() {
  const char* root = std::getenv("VANT_SOURCE");
  const std::filesystem::path base =
      root != nullptr && *root != '\0' ? std::filesystem::path(root)
                                       : std::filesystem::path(__FILE__).parent_path() / "../../..";
  return (base / "resources/messages.cat").lexically_normal().string();
}

// One "%k" or "%k!fmt!" found in a text.
struct Reference {
  size_t insert;
  std::u16string format;
};

std::vector<Reference> References(std::u16string_view text) {
  std::vector<Reference> refs;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'%') continue;
    if (text[i + 1] < u'1' || text[i + 1] > u'9') {
      ++i;  // an escape such as %% or %n
      continue;
    }
    Reference ref{static_cast<size_t>(text[++i] - u'0'), {}};
    if (i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'9') {
      ref.insert = ref.insert * 10 + (text[++i] - u'0');
    }
    if (i + 1 < text.size() && text[i + 1] == u'!') {
      const size_t close = std::min(text.find(u'!', i + 2), text.size());
      ref.format = text.substr(i + 2, close - i - 2);
      i = close;
    }
    refs.push_back(ref);
  }
  return refs;
}

bool IsNumberFormat(const std::u16string& format) {
  return !format.empty() &&
         std::u16string_view(u"diuxX").find(format.back()) != std::u16string_view::npos;
}

std::vector<MessageInsert> SampleInserts(std::string_view kinds) {
  std::vector<MessageInsert> inserts;
  for (const char kind : kinds) {
    if (kind == 'n') {
      inserts.emplace_back(int32_t{4096});
    } else {
      inserts.emplace_back(u"C:\\upload");
    }
  }
  return inserts;
}

// Checks one entry: present, every insert referenced once, numbers
// through a numeric conversion and strings as strings.
void CheckEntry(const MessageCatalog& catalog, const TableRow& row, uint16_t lang) {
  SCOPED_TRACE(testing::Message() << "[" << lang << "] 0x" << std::hex << std::uppercase << row.id);
  const std::u16string* text = catalog.Find(row.id, lang);
  ASSERT_NE(text, nullptr) << "missing";
  const std::vector<Reference> refs = References(*text);
  EXPECT_EQ(refs.size(), row.inserts.size()) << "text: " << testing::PrintToString(*text);
  std::set<size_t> used;
  for (const Reference& ref : refs) {
    used.insert(ref.insert);
    ASSERT_LE(ref.insert, row.inserts.size()) << "refers to %" << ref.insert;
    const bool wantsNumber = row.inserts[ref.insert - 1] == 'n';
    EXPECT_EQ(IsNumberFormat(ref.format), wantsNumber)
        << "insert %" << ref.insert << " has the wrong format";
  }
  EXPECT_EQ(used.size(), row.inserts.size()) << "an insert is unused";
  EXPECT_FALSE(catalog.Format(row.id, lang, SampleInserts(row.inserts)).empty());
}

TEST(MessageCatalogShipped, HasEveryIdentifierWithItsInsertsInEveryLanguage) {
  const std::optional<MessageCatalog> catalog = MessageCatalog::Load(CatalogPath());
  ASSERT_TRUE(catalog) << "cannot load " << CatalogPath();
  for (const uint16_t lang : kLanguages) {
    // More entries than the table means a mistyped identifier.
    EXPECT_EQ(catalog->Size(lang), std::size(kMessageTable)) << "entries in [" << lang << "]";
    for (const TableRow& row : kMessageTable) CheckEntry(*catalog, row, lang);
  }
}

struct FormatRow {
  const char* name;
  std::u16string_view text;
  std::vector<MessageInsert> inserts;
  std::optional<std::u16string> expected;  // nullopt: formatting fails
};

TEST(FormatMessageText, Rows) {
  const std::vector<MessageInsert> ten = {u"a", u"b", u"c", u"d", u"e",
                                          u"f", u"g", u"h", u"i", u"j"};
  const FormatRow rows[] = {
      {"string insert", u"File %1 saved.", {u"a.txt"}, u"File a.txt saved."},
      {"non-ASCII insert", u"[%1]", {u"日本語"}, u"[日本語]"},
      {"inserts out of order", u"%2 then %1", {u"a", u"b"}, u"b then a"},
      {"insert used twice", u"%1%1", {u"x"}, u"xx"},
      {"two-digit insert", u"%10", ten, u"j"},
      {"third digit is text", u"%100", ten, u"j0"},
      {"number as plain insert", u"%1 bytes", {int32_t{1234}}, u"1234 bytes"},
      {"negative plain number", u"%1", {int32_t{-5}}, u"-5"},
      {"!d!", u"%1!d! bytes", {int32_t{-42}}, u"-42 bytes"},
      {"!u! of -1", u"%1!u!", {int32_t{-1}}, u"4294967295"},
      {"!x!", u"%1!x!", {int32_t{255}}, u"ff"},
      {"!X! of -1 is 32-bit", u"%1!X!", {int32_t{-1}}, u"FFFFFFFF"},
      {"!lx! stays 32-bit", u"%1!lx!", {int32_t{-1}}, u"ffffffff"},
      {"!ld!", u"%1!ld!", {int32_t{-7}}, u"-7"},
      {"!I64d!", u"%1!I64d!", {int32_t{9}}, u"9"},
      {"!08X!", u"%1!08X!", {int32_t{0xBEEF}}, u"0000BEEF"},
      {"!5d! pads left", u"%1!5d!|", {int32_t{42}}, u"   42|"},
      {"!-5d! pads right", u"%1!-5d!|", {int32_t{42}}, u"42   |"},
      {"!s! string", u"%1!s!", {u"abc"}, u"abc"},
      {"!-6s!", u"%1!-6s!|", {u"ab"}, u"ab    |"},
      {"!.2s! cuts", u"%1!.2s!", {u"abcdef"}, u"ab"},
      {"!s! of a number", u"%1!s!", {int32_t{12}}, u"12"},
      {"!d! of a string keeps it", u"%1!d!", {u"abc"}, u"abc"},
      {"!c! of a number", u"%1!c!", {int32_t{0x41}}, u"A"},
      {"%n is CR LF", u"a%nb", {}, u"a\r\nb"},
      {"%r and %t", u"a%rb%tc", {}, u"a\rb\tc"},
      {"%% is a percent", u"100%%", {}, u"100%"},
      {"%0 ends the text", u"abc%0def", {}, u"abc"},
      {"% keeps other characters", u"%.%!% ", {}, u".! "},
      {"missing insert", u"%2", {u"a"}, std::nullopt},
      {"no inserts given", u"Path %1", {}, std::nullopt},
      {"missing numeric insert", u"%1!d!", {}, std::nullopt},
      {"unterminated format", u"%1!d", {int32_t{1}}, std::nullopt},
      {"unknown conversion", u"%1!q!", {int32_t{1}}, std::nullopt},
      {"trailing junk in format", u"%1!dd!", {int32_t{1}}, std::nullopt},
      {"huge width", u"%1!99999d!", {int32_t{1}}, std::nullopt},
      {"lone % at the end", u"50%", {}, std::nullopt},
      {"empty text", u"", {}, u""},
  };
  for (const FormatRow& row : rows) {
    EXPECT_EQ(FormatMessageText(row.text, row.inserts), row.expected) << row.name;
  }
}

TEST(MessageCatalogParse, ToleratesLayoutAndSkipsBadLines) {
  const MessageCatalog catalog = MessageCatalog::Parse(
      "\xEF\xBB\xBF# comment\r\n"
      "0x40020003 = before any section\r\n"
      "\r\n"
      "  [ 1033 ]  \r\n"
      "0x4002001a=no blanks\r\n"
      "  0X4002001B   =\t  blanks around  \t\r\n"
      "40020020 = bare hex\r\n"
      "0x40020021 = a=b == c\r\n"
      "0x40020022 = first\r\n"
      "0x40020022 = second\n"
      "0x40020023 = bad \xFF byte\n"
      "0x40020024 =\n"
      "# 0x40020025 = commented out\n"
      "0x40020026 no equals sign\n"
      "0xZZ = bad id\n"
      "0x123456789 = id too long\n"
      "= no id\n"
      "[abc]\n"
      "0x40020027 = under a bad header\n"
      "[1041]\n"
      "0x40020003 = ja\n"
      "[70000]\n"
      "0x40020028 = language out of range\n"
      "[1042]\n"
      "0x40020003 = ko");  // no line end at the end of the file

  struct Row {
    uint32_t id;
    uint16_t lang;
    const char16_t* expected;  // nullptr: no entry
  };
  const Row rows[] = {
      {0x4002001A, kEnglish, u"no blanks"}, {0x4002001B, kEnglish, u"blanks around"},
      {0x40020020, kEnglish, u"bare hex"},  {0x40020021, kEnglish, u"a=b == c"},
      {0x40020022, kEnglish, u"second"},    {0x40020023, kEnglish, u"bad \uFFFD byte"},
      {0x40020024, kEnglish, u""},          {0x40020003, kEnglish, nullptr},
      {0x40020025, kEnglish, nullptr},      {0x40020026, kEnglish, nullptr},
      {0x40020027, kEnglish, nullptr},      {0x40020028, kEnglish, nullptr},
      {0x40020003, kJapanese, u"ja"},       {0x40020003, kKorean, u"ko"},
  };
  for (const Row& row : rows) {
    const std::u16string* text = catalog.Find(row.id, row.lang);
    SCOPED_TRACE(testing::Message() << std::hex << row.id << std::dec << " in " << row.lang);
    if (row.expected == nullptr) {
      EXPECT_EQ(text, nullptr) << testing::PrintToString(*text);
      continue;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, row.expected);
  }
  EXPECT_EQ(catalog.Size(kEnglish), 7u);
}

TEST(MessageCatalogParse, DecodesUtf8IncludingSupplementaryPlanes) {
  const MessageCatalog catalog = MessageCatalog::Parse(
      "[1042]\n0x1 = 업로드 \xF0\x9F\x93\x81\n"
      "0x2 = \xC0\xAF overlong, \xED\xA0\x80 surrogate, \xE3\x81 cut\n");
  ASSERT_NE(catalog.Find(1, kKorean), nullptr);
  EXPECT_EQ(*catalog.Find(1, kKorean), u"업로드 \U0001F4C1");
  ASSERT_NE(catalog.Find(2, kKorean), nullptr);
  EXPECT_EQ(*catalog.Find(2, kKorean), u"\uFFFD\uFFFD overlong, \uFFFD surrogate, \uFFFD cut");
}

TEST(MessageCatalogFormat, LooksUpOnlyTheGivenLanguage) {
  const MessageCatalog catalog = MessageCatalog::Parse(
      "[1033]\n0x40020017 = Limit %1!d! bytes.\n0x40020048 = Move %1 to %2.\n"
      "[1041]\n0x40020048 = %1 を %2 に移動\n");
  struct Row {
    uint32_t id;
    uint16_t lang;
    std::vector<MessageInsert> inserts;
    std::u16string expected;
  };
  const Row rows[] = {
      {0x40020017, kEnglish, {int32_t{1024}}, u"Limit 1024 bytes."},
      {0x40020048, kEnglish, {u"a", u"b"}, u"Move a to b."},
      {0x40020048, kJapanese, {u"a", u"b"}, u"a を b に移動"},
      {0x40020017, kJapanese, {int32_t{1024}}, u""},  // no fallback to English
      {0x40020048, kKorean, {u"a", u"b"}, u""},       // no such section
      {0x40020099, kEnglish, {}, u""},                // unknown identifier
      {0x40020048, kEnglish, {u"a"}, u""},            // missing insert
  };
  for (const Row& row : rows) {
    EXPECT_EQ(catalog.Format(row.id, row.lang, row.inserts), row.expected)
        << std::hex << row.id << std::dec << " in " << row.lang;
  }
}

TEST(MessageCatalogFormat, CutsToTheReportBuffer) {
  const MessageCatalog catalog = MessageCatalog::Parse("[1033]\n0x1 = %1\n0x2 = x%1\n");
  const std::u16string exact(kMaxMessageUnits, u'a');
  EXPECT_EQ(catalog.Format(1, kEnglish, {exact}), exact);
  EXPECT_EQ(catalog.Format(1, kEnglish, {exact + u"bc"}), exact);
  // A surrogate pair straddling the cut is dropped whole.
  const std::u16string pairAtCut = std::u16string(kMaxMessageUnits - 2, u'a') + u"\U0001F4C1";
  EXPECT_EQ(catalog.Format(2, kEnglish, {pairAtCut}),
            u"x" + std::u16string(kMaxMessageUnits - 2, u'a'));
}

// Removes a file or folder made by a test.
class TempPath {
 public:
  explicit TempPath(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              (name + std::to_string(std::random_device{}()))) {}
  ~TempPath() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(MessageCatalogLoad, ReadsAFileAndRefusesWhatIsNoFile) {
  const TempPath file("vant_msgcat_file_");
  std::ofstream(file.path(), std::ios::binary) << "[1033]\r\n0x40020046 = Saved already.\r\n";
  const std::optional<MessageCatalog> loaded = MessageCatalog::Load(file.path().string());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Format(0x40020046, kEnglish, {}), u"Saved already.");

  const TempPath folder("vant_msgcat_dir_");
  std::filesystem::create_directory(folder.path());
  EXPECT_FALSE(MessageCatalog::Load(folder.path().string())) << "a folder";
  EXPECT_FALSE(MessageCatalog::Load((folder.path() / "missing.cat").string())) << "a missing file";
  EXPECT_FALSE(MessageCatalog::Load("")) << "an empty path";
}

}  // namespace
}  // namespace vant::frame
