#include "progress/file_upload_monitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "progress/progress_object.h"
#include "support/fake_host.h"

namespace vant::progress {
namespace {

using test::ResponseEvent;

// The page up to the first write, with the script path and either body tag.
std::string Head(const std::string& script, bool working) {
  return "<html><head><title>Uploading Files...</title><meta HTTP-EQUIV='Refresh' CONTENT='1; "
         "URL=" +
         script +
         "'><style type='text/css'> td {font-size: 9pt} td.progress {font-size:1pt; width:2%; "
         "height:8px}</style></head>" +
         (working ? "<body bgcolor=#d4d0c8 topmargin=0>"
                  : "<body onload='javascript: top.window.close();'>") +
         "<table border=0 style='FONT-SIZE: 9pt' width=365 cellpadding=2 cellspacing=0 "
         "bgcolor=#d4d0c8><tr><td colspan=2 height=30 valign=bottom>Upload Files... "
         "</td></tr><tr><td colspan=2 width=360><table border=1 cellPadding=0 cellSpacing=0 "
         "width=355 height=8 style='BORDER-BOTTOM: 0px inset; BORDER-LEFT: 0px inset; "
         "BORDER-RIGHT: 0px inset; BORDER-TOP: 0px inset'><tr><td><table border=0 cellPadding=0 "
         "cellSpacing=2 width=355 height=8><tr>";
}

// The second write for a non-MSIE agent.
std::string Rest(int percent, const std::string& timeText, const std::string& sizes) {
  return "<td bgcolor='darkblue' width='" + std::to_string(percent) +
         "%' height='8'><img width='1' height='8'></td><td width='" +
         std::to_string(100 - percent) +
         "%'></td></tr></table></td></tr></table></td></tr><tr><td width=50%>" + timeText +
         "</td><td align=right >" + sizes + "(" + std::to_string(percent) +
         "%)</td></tr></table></body></html>";
}

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() {
    host_.SetServerVariable(u"SCRIPT_NAME", u"/upload/monitor.asp");
    host_.SetServerVariable(u"HTTP_USER_AGENT", u"Mozilla/5.0 (X11; Linux x86_64) Firefox/115.0");
  }

  void Start() { ASSERT_EQ(monitor_->OnStartPage(host_.ScriptingContext().get()), S_OK); }

  // Issues an id, names it in the request cookie and writes its record with
  // clock values of the test's choosing.
  std::int32_t Upload(std::int32_t total, std::int32_t remaining, std::uint32_t elapsedMs) {
    const std::int32_t id = table_.AllocateProgressId().value();
    std::uint64_t generation = 0;
    entry_ = table_.Attach(id, u"", &generation);
    generation_ = generation;
    table_.Start(*entry_, generation, total, 1000);
    table_.ChunkRead(*entry_, generation, remaining, 1000 + elapsedMs);
    host_.SetCookie(u"VANTUpload", u"ProgressID", Utf8ToUtf16(std::to_string(id)));
    return id;
  }

  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const ResponseEvent& e : host_.Events()) {
      if (e.kind == ResponseEvent::Kind::Write) writes.push_back(Utf16ToUtf8(e.text));
    }
    return writes;
  }

  test::FakeHost host_;
  // Released records stay "not working" for the whole test.
  ProgressTable table_{std::chrono::seconds(30)};
  ProgressTable::Entry* entry_ = nullptr;
  std::uint64_t generation_ = 0;
  ComPtr<IFileUploadMonitor> monitor_ = MakeFileUploadMonitor(table_);
};

TEST_F(MonitorTest, AnswersErrorInfoForItsInterface) {
  ComPtr<ISupportErrorInfo> info;
  ASSERT_EQ(monitor_->QueryInterface(IID_ISupportErrorInfo, info.ReceiveVoid()), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IFileUploadMonitor::kIid), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST_F(MonitorTest, RunningUploadPage) {
  // 1.5 MB of 2.9 MB in 124.88 s: 12595 B/s, 116 s left.
  Upload(3040870, 3040870 - 1572864, 124880);
  Start();
  ASSERT_EQ(monitor_->ShowMonitor(), S_OK);
  const std::vector<std::string> expected{
      Head("/upload/monitor.asp", true),
      Rest(51, "00:01:56 left (At 12.3KB/sec) ", "1.5M / 2.9M ")};
  EXPECT_EQ(Writes(), expected);
  std::vector<ResponseEvent::Kind> kinds;
  for (const ResponseEvent& e : host_.Events()) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<ResponseEvent::Kind>{
                       ResponseEvent::Kind::Expires, ResponseEvent::Kind::Buffer,
                       ResponseEvent::Kind::Write, ResponseEvent::Kind::Write,
                       ResponseEvent::Kind::Flush}));
  EXPECT_EQ(host_.Expires(), -1);
  EXPECT_EQ(host_.Buffer(), true);
}

TEST_F(MonitorTest, ReleasedUploadClosesTheWindow) {
  Upload(1000, 0, 50);
  table_.Release(*entry_, generation_);
  Start();
  ASSERT_EQ(monitor_->ShowMonitor(), S_OK);
  const std::vector<std::string> expected{Head("/upload/monitor.asp", false),
                                          Rest(0, "", "1000B / 1000B ")};
  EXPECT_EQ(Writes(), expected);
}

TEST_F(MonitorTest, IdNotInTheTableShowsAnEmptyPageThatCloses) {
  for (const std::u16string_view cookie : {u"1500", u"-1", u"garbage"}) {
    test::FakeHost host;
    host.SetCookie(u"VANTUpload", u"ProgressID", cookie);
    ComPtr<IFileUploadMonitor> monitor = MakeFileUploadMonitor(table_);
    ASSERT_EQ(monitor->OnStartPage(host.ScriptingContext().get()), S_OK);
    ASSERT_EQ(monitor->ShowMonitor(), S_OK);
    EXPECT_EQ(host.Output(), Head("", false) + Rest(0, "", "0B / 0B ")) << Utf16ToUtf8(cookie);
  }
}

TEST_F(MonitorTest, ResetRecordShowsAnEmptyWorkingPage) {
  const std::int32_t id = table_.AllocateProgressId().value();
  host_.SetCookie(u"VANTUpload", u"ProgressID", Utf8ToUtf16(std::to_string(id)));
  Start();
  ASSERT_EQ(monitor_->ShowMonitor(), S_OK);
  EXPECT_EQ(host_.Output(), Head("/upload/monitor.asp", true) + Rest(0, "", "0B / 0B "));
}

TEST_F(MonitorTest, FailedFirstWriteSendsHeadAndEndTogether) {
  Upload(1000, 400, 1000);
  host_.FailWriteAt(0);
  Start();
  ASSERT_EQ(monitor_->ShowMonitor(), S_OK);
  const std::vector<std::string> expected{
      Head("/upload/monitor.asp", true) +
      "</td><td align=right >(60%)</td></tr></table></body></html>"};
  EXPECT_EQ(Writes(), expected);
}

TEST_F(MonitorTest, ReturnsTheFlushStatus) {
  Upload(1000, 400, 1000);
  host_.Fail(test::HostCall::Flush, E_ACCESSDENIED);
  Start();
  EXPECT_EQ(monitor_->ShowMonitor(), E_ACCESSDENIED);
  EXPECT_EQ(Writes().size(), 2u);
}

TEST_F(MonitorTest, MissingServerVariablesReadAsEmpty) {
  Upload(1000, 400, 1000);
  host_.Fail(test::HostCall::ServerVariables);
  Start();
  ASSERT_EQ(monitor_->ShowMonitor(), S_OK);
  EXPECT_EQ(Writes().at(0), Head("", true));
  EXPECT_EQ(Writes().at(1), Rest(60, "00:00:00 left (At 600B/sec) ", "600B / 1000B "));
}

TEST_F(MonitorTest, WorksWithoutSessionAndHoldsNone) {
  host_.Remove(test::Intrinsic::Session);
  Upload(1000, 400, 1000);
  Start();
  EXPECT_EQ(host_.References(test::Intrinsic::Session), 0u);
  EXPECT_EQ(monitor_->ShowMonitor(), S_OK);
  EXPECT_EQ(monitor_->OnEndPage(), S_OK);
  EXPECT_EQ(host_.References(test::Intrinsic::Response), 0u);
}

TEST_F(MonitorTest, ShowMonitorBeforeOnStartPageFails) {
  EXPECT_EQ(monitor_->ShowMonitor(), E_FAIL);
  EXPECT_TRUE(host_.Events().empty());
}

TEST_F(MonitorTest, UseMonitorWritesTheIssuedIdToTheCookie) {
  Start();
  ASSERT_EQ(monitor_->UseMonitor(VARIANT_FALSE), S_OK);
  EXPECT_TRUE(host_.CookieWrites().empty()) << "false issues nothing";
  ASSERT_EQ(monitor_->UseMonitor(VARIANT_TRUE), S_OK);
  ASSERT_EQ(monitor_->UseMonitor(static_cast<VARIANT_BOOL>(1)), S_OK) << "any non-zero is true";
  const std::vector<test::CookieWrite> expected{{u"VANTUpload", u"ProgressID", u"1"},
                                                {u"VANTUpload", u"ProgressID", u"2"}};
  EXPECT_EQ(host_.CookieWrites(), expected);
  EXPECT_TRUE(table_.Contains(1));
  EXPECT_TRUE(table_.Contains(2));
}

TEST_F(MonitorTest, UseMonitorIgnoresAFailedCookieWrite) {
  host_.Fail(test::HostCall::WriteCookieItem);
  Start();
  EXPECT_EQ(monitor_->UseMonitor(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(table_.Contains(1));
}

TEST_F(MonitorTest, ProgressAndMonitorShareOneCounter) {
  Start();
  ComPtr<IProgress> progress = MakeProgress(table_);
  std::int32_t id = 0;
  ASSERT_EQ(monitor_->UseMonitor(VARIANT_TRUE), S_OK);
  ASSERT_EQ(progress->GetProgressID(&id), S_OK);
  EXPECT_EQ(id, 2);
  ASSERT_EQ(monitor_->UseMonitor(VARIANT_TRUE), S_OK);
  EXPECT_EQ(host_.CookieWrites().back().value, u"3");
}

}  // namespace
}  // namespace vant::progress
