#include "frame/report_once.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/frame/error_report_fixture.h"

namespace vant::frame {
namespace {

using testing::ReportTest;
using testing::TakeRecord;

std::string TakeSource() {
  const auto record = TakeRecord();
  return record ? Utf16ToUtf8(record->source) : "<none>";
}

TEST_F(ReportTest, OwnFlagLetsOnlyTheFirstReportThrough) {
  Configure(1033);
  ErrorFlag flag;
  EXPECT_EQ(ReportErrorOnce(flag, MessageId::kNoRequestBody), E_FAIL);
  EXPECT_TRUE(flag.IsSet());
  EXPECT_EQ(ReportErrorOnce(flag, MessageId::kMoveFailed, {u"a", u"b"}), E_FAIL);
  EXPECT_EQ(TakeSource(), "No body.");
  EXPECT_EQ(ReportErrorOnce(flag, MessageId::kNoElement), E_FAIL);
  EXPECT_EQ(TakeSource(), "<none>") << "a silent report attaches nothing";
}

TEST_F(ReportTest, FormObjectsShareTheUploadFlag) {
  Configure(1033);
  ErrorFlagLink link = std::make_shared<ErrorFlag>();
  ErrorFlag& uploadFlag = *link;
  int drains = 0;
  EXPECT_EQ(ReportErrorOnce(link, MessageId::kNoElement), E_FAIL);
  EXPECT_EQ(ReportErrorOnce(
                uploadFlag, [&] { ++drains; }, MessageId::kNoRequestBody),
            E_FAIL);
  EXPECT_EQ(ReportSystemErrorOnce(uploadFlag, u"CFileUpload", u"_GetFileContents", u"1"), E_FAIL);
  EXPECT_EQ(TakeSource(), "No element.");
  EXPECT_EQ(drains, 0) << "a silent report does not drain";
}

TEST_F(ReportTest, ObjectsOutsideAnyFormAlwaysReport) {
  Configure(1033);
  const ErrorFlagLink none;
  ReportErrorOnce(none, MessageId::kNoElement);
  EXPECT_EQ(TakeSource(), "No element.");
  ReportErrorOnce(none, MessageId::kNoRequestBody);
  EXPECT_EQ(TakeSource(), "No body.");
}

TEST_F(ReportTest, DrainRunsBeforeTheReport) {
  Configure(1033);
  ErrorFlag flag;
  std::vector<std::string> events;
  const DrainHook drain = [&] { events.push_back("drain, record " + TakeSource()); };
  ReportErrorOnce(flag, drain, MessageId::kNoRequestBody);
  events.push_back("after, record " + TakeSource());
  EXPECT_EQ(events, (std::vector<std::string>{"drain, record <none>", "after, record No body."}));
}

TEST_F(ReportTest, DrainFailureIsReportedFirstAndThenReplaced) {
  Configure(1033);
  ErrorFlag flag;
  int drains = 0;
  std::string seenInsideDrain;
  DrainHook drain;
  drain = [&] {
    ++drains;
    // The drain's own read fails and reports through the same entry.
    ReportErrorOnce(flag, drain, MessageId::kBodyReadFailed);
    const auto record = TakeRecord();
    seenInsideDrain = record ? Utf16ToUtf8(record->source) : "<none>";
    ReportComponentError(MessageId::kBodyReadFailed);  // put it back for the replacement check
  };
  EXPECT_EQ(ReportErrorOnce(flag, drain, MessageId::kMoveFailed, {u"a", u"b"}), E_FAIL);
  EXPECT_EQ(drains, 1) << "the report made inside the drain starts no second drain";
  EXPECT_EQ(seenInsideDrain, "Read failed.");
  EXPECT_EQ(TakeSource(), "Cannot move a to b.");
  EXPECT_TRUE(flag.IsSet());
}

TEST_F(ReportTest, ADrainThatThrowsDoesNotStopTheReport) {
  Configure(1033);
  ErrorFlag flag;
  ReportErrorOnce(
      flag, [] { throw 42; }, MessageId::kNoRequestBody);
  EXPECT_EQ(TakeSource(), "No body.");
}

TEST_F(ReportTest, SystemErrorVariantReportsOnceWithoutDrain) {
  Configure(1033);
  ErrorFlag flag;
  errno = EACCES;
  EXPECT_EQ(ReportSystemErrorOnce(flag, u"CFileUpload", u"_MultiToWideChar", u"3"), E_FAIL);
  EXPECT_NE(TakeSource().find("in CFileUpload._MultiToWideChar at 3"), std::string::npos);
  EXPECT_EQ(ReportSystemErrorOnce(flag, u"CFileUpload", u"_MultiToWideChar", u"1"), E_FAIL);
  EXPECT_EQ(TakeSource(), "<none>");
}

}  // namespace
}  // namespace vant::frame
