#include "progress/progress_object.h"

#include <gtest/gtest.h>

#include <string>

#include "module/class_table.h"
#include "progress/progress_link.h"

namespace vant::progress {
namespace {

// Every getter of a Progress object at once.
struct Reading {
  std::int32_t totalSize = -99;
  std::int32_t transferSize = -99;
  std::int32_t percent = -99;
  std::int32_t bytesPerSec = -99;
  std::u16string fileName = u"<unread>";
  VARIANT_BOOL working = static_cast<VARIANT_BOOL>(99);
  friend bool operator==(const Reading&, const Reading&) = default;
};

void PrintTo(const Reading& r, std::ostream* os) {
  *os << "{total " << r.totalSize << ", transfer " << r.transferSize << ", percent " << r.percent
      << ", rate " << r.bytesPerSec << ", name " << Utf16ToUtf8(r.fileName) << ", working "
      << static_cast<int>(r.working) << "}";
}

Reading Read(IProgress& progress) {
  Reading r;
  EXPECT_EQ(progress.get_TotalSize(&r.totalSize), S_OK);
  EXPECT_EQ(progress.get_TransferSize(&r.transferSize), S_OK);
  EXPECT_EQ(progress.get_Percent(&r.percent), S_OK);
  EXPECT_EQ(progress.get_BytesPerSec(&r.bytesPerSec), S_OK);
  Bstr name;
  EXPECT_EQ(progress.get_FileName(&name), S_OK);
  r.fileName = name.str();
  EXPECT_EQ(progress.get_Working(&r.working), S_OK);
  return r;
}

const Reading kFresh{0, 0, 0, 0, u"", VARIANT_TRUE};
const Reading kIdleRecord{0, 0, 0, 0, kIdleName, VARIANT_TRUE};

class ProgressObjectTest : public ::testing::Test {
 protected:
  ProgressTable table_{std::chrono::milliseconds(300)};
  ComPtr<IProgress> progress_ = MakeProgress(table_);
};

TEST_F(ProgressObjectTest, FreshObjectReadsTheInitialSnapshot) {
  EXPECT_EQ(Read(*progress_), kFresh);
}

TEST_F(ProgressObjectTest, UnknownAndNegativeIdsChangeNothing) {
  const std::int32_t id = table_.AllocateProgressId().value();
  for (const std::int32_t unknown : {-1, -5, id + 1, 2000}) {
    EXPECT_EQ(progress_->SetProgressID(unknown), S_OK);
    EXPECT_EQ(Read(*progress_), kFresh) << "id " << unknown;
  }
  ASSERT_EQ(progress_->SetProgressID(id), S_OK);
  EXPECT_EQ(Read(*progress_), kIdleRecord);
  EXPECT_EQ(progress_->SetProgressID(id + 1), S_OK);
  EXPECT_EQ(Read(*progress_), kIdleRecord) << "the earlier snapshot stays";
}

TEST_F(ProgressObjectTest, SnapshotOnlyChangesOnSetProgressID) {
  const std::int32_t id = table_.AllocateProgressId().value();
  ProgressLink link(table_);
  ASSERT_TRUE(link.Attach(id));
  link.Start(1000);
  ASSERT_EQ(progress_->SetProgressID(id), S_OK);
  // Before the first chunk remaining is 0: everything counts as read, but
  // percent and rate read 0.
  EXPECT_EQ(Read(*progress_), (Reading{1000, 1000, 0, 0, kIdleName, VARIANT_TRUE}));

  link.ChunkRead(250);
  link.SetCurrentName(u"report.pdf");
  EXPECT_EQ(Read(*progress_).transferSize, 1000) << "getters never look into the table";
  ASSERT_EQ(progress_->SetProgressID(id), S_OK);
  const Reading running = Read(*progress_);
  EXPECT_EQ(running.totalSize, 1000);
  EXPECT_EQ(running.transferSize, 750);
  EXPECT_EQ(running.percent, 75);
  EXPECT_EQ(running.fileName, u"report.pdf");

  link.Release();
  ASSERT_EQ(progress_->SetProgressID(id), S_OK);
  EXPECT_EQ(Read(*progress_).working, VARIANT_FALSE);
  table_.WaitForPendingResets();
  ASSERT_EQ(progress_->SetProgressID(id), S_OK);
  EXPECT_EQ(Read(*progress_), kIdleRecord);
}

TEST_F(ProgressObjectTest, GetProgressIdIssuesWithoutAttaching) {
  std::int32_t id = -7;
  ASSERT_EQ(progress_->GetProgressID(&id), S_OK);
  EXPECT_EQ(id, 1);
  EXPECT_TRUE(table_.Contains(1));
  EXPECT_EQ(Read(*progress_), kFresh) << "the object stays detached";
  ASSERT_EQ(progress_->GetProgressID(&id), S_OK);
  EXPECT_EQ(id, 2);
}

TEST(ProgressClasses, CreatorsAreRegisteredUnderTheTableIdentifiers) {
  for (const char16_t* name : {kProgressClassName, u"FileUploadMonitor"}) {
    const CLSID clsid = frame::ClassIdOf(name);
    ASSERT_NE(clsid, GUID_NULL) << Utf16ToUtf8(name);
    const frame::ClassCreator create = frame::FindClassCreator(clsid);
    ASSERT_NE(create, nullptr) << Utf16ToUtf8(name);
    const IID iid = frame::FindClass(clsid)->iid;
    ComPtr<IDispatch> object;
    EXPECT_EQ(create(iid, object.ReceiveVoid()), S_OK) << Utf16ToUtf8(name);
    EXPECT_TRUE(object);
  }
}

}  // namespace
}  // namespace vant::progress
