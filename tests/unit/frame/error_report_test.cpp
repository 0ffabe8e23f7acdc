#include "frame/error_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sys/error_text.h"
#include "unit/frame/error_report_fixture.h"

namespace vant::frame {
namespace {

using testing::Record;
using testing::ReportTest;
using testing::TakeRecord;

std::string Source() {
  const std::optional<Record> record = TakeRecord();
  if (!record) return "<no record>";
  EXPECT_EQ(record->description, u"VANTUpload Professional");
  return Utf16ToUtf8(record->source);
}

TEST_F(ReportTest, LanguageAndInserts) {
  const struct {
    std::optional<uint32_t> langId;
    MessageId id;
    Inserts inserts;
    const char* want;
  } rows[] = {
      {1033,
       MessageId::kMoveFailed,
       {u"C:\\t\\a.tm#", u"C:\\up\\a.txt"},
       "Cannot move C:\\t\\a.tm# to C:\\up\\a.txt."},
      {1041, MessageId::kMoveFailed, {u"a", u"b"}, "JA a -> b"},
      {1042, MessageId::kMoveFailed, {u"a", u"b"}, "KO a -> b"},
      {1042, MessageId::kBodyTooLarge, {std::int32_t{1048576}}, "KO 1048576"},
      {1041, MessageId::kBodyTooLarge, {std::int32_t{-5}}, "JA -5"},
      {2052, MessageId::kBodyTooLarge, {std::int32_t{7}}, "Body over 7 bytes."},
      {0, MessageId::kMoveFailed, {u"a", u"b"}, "Cannot move a to b."},
      {std::nullopt, MessageId::kMoveFailed, {u"a", u"b"}, "Cannot move a to b."},
      {1033, MessageId::kDefaultPathNotSet, {}, ""},  // not in the catalog
      {1042, MessageId::kNoRequestBody, {}, ""},      // only in another language
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.want);
    Configure(Utf8ToUtf16(catalog_), row.langId);
    EXPECT_EQ(ReportComponentError(row.id, row.inserts), E_FAIL);
    EXPECT_EQ(Source(), row.want);
  }
}

TEST_F(ReportTest, CatalogThatDoesNotLoadGivesTheFallbackText) {
  const std::string fallback = "Can't Find the VANTUploadRes.dll";
  const struct {
    const char* what;
    bool keyExists;
    std::optional<std::u16string> resPath;
  } rows[] = {
      {"no key", false, std::nullopt},
      {"no ResPath", true, std::nullopt},
      {"empty ResPath", true, u""},
      {"missing file", true, u"/nonexistent/messages.cat"},
      {"relative path", true, u"messages.cat"},
      {"unmapped drive", true, u"Q:\\texts\\messages.cat"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RemoveConfig();
    if (row.keyExists) Configure(row.resPath, 1033);
    EXPECT_EQ(ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"}), E_FAIL);
    EXPECT_EQ(Source(), fallback);
  }
}

TEST_F(ReportTest, ConfigurationIsReadOnEveryReport) {
  Configure(1033);
  ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
  EXPECT_EQ(Source(), "Cannot move a to b.");
  Configure(1042);
  ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
  EXPECT_EQ(Source(), "KO a -> b");
  reg_.dir().Write("res/messages.cat", "[1042]\n0x40020048 = edited %2 %1\n");
  ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
  EXPECT_EQ(Source(), "edited b a");
}

TEST_F(ReportTest, WindowsSyntaxResPathIsMapped) {
  std::u16string windows = u"C:" + Utf8ToUtf16(catalog_);
  std::replace(windows.begin(), windows.end(), u'/', u'\\');
  Configure(windows, 1041);
  ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
  EXPECT_EQ(Source(), "JA a -> b");
}

// ResPath is read into 256 bytes: 127 characters and the terminator.
TEST_F(ReportTest, ResPathOf127CharactersIsHonouredAnd128IsNot) {
  for (const size_t length : {size_t{127}, size_t{128}}) {
    SCOPED_TRACE(length);
    const std::string prefix = reg_.dir().Path() + "/";
    const std::string tail = "/m.cat";
    const std::string folder(length - prefix.size() - tail.size(), 'd');
    const std::string path = reg_.dir().Write(folder + tail, testing::kTestCatalog);
    ASSERT_EQ(path.size(), length);
    Configure(Utf8ToUtf16(path), 1033);
    ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
    EXPECT_EQ(Source(), length == 127 ? "Cannot move a to b." : "Can't Find the VANTUploadRes.dll");
  }
}

TEST_F(ReportTest, ALaterReportReplacesTheRecord) {
  Configure(1033);
  ReportComponentError(MessageId::kMoveFailed, {u"a", u"b"});
  ReportComponentError(MessageId::kBodyTooLarge, {std::int32_t{3}});
  EXPECT_EQ(Source(), "Body over 3 bytes.");
  EXPECT_EQ(TakeRecord(), std::nullopt);
}

TEST_F(ReportTest, SystemErrorCarriesTheSystemTextAndItsPlace) {
  Configure(1033);
  errno = ENOENT;
  EXPECT_EQ(ReportSystemError(u"CCache", u"AddCacheFile", u"2"), E_FAIL);
  EXPECT_EQ(Source(),
            "System: " + Utf16ToUtf8(sys::SystemErrorText(ENOENT)) + "in CCache.AddCacheFile at 2");
}

TEST_F(ReportTest, UnexpectedFailureNamesClassAndMember) {
  Configure(1033);
  EXPECT_EQ(UnexpectedFailure(u"CFileUpload", u"get_Form"), E_FAIL);
  EXPECT_EQ(Source(), "Unexpected in CFileUpload.get_Form");
}

}  // namespace
}  // namespace vant::frame
