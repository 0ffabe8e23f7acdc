#include "progress/progress_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vant::progress {
namespace {

using std::chrono::milliseconds;

// A table whose released records reset after a short delay.
constexpr milliseconds kShortDelay{300};

class ProgressLinkTest : public ::testing::Test {
 protected:
  ProgressTable table_{kShortDelay};
  const std::int32_t id_ = table_.AllocateProgressId().value();

  ProgressInfo Record() const { return table_.Snapshot(id_).value().record; }

  // Attaches a link and moves its record away from the initial state.
  void RunUpload(ProgressLink& link, std::int32_t total, std::int32_t remaining) {
    ASSERT_TRUE(link.Attach(id_));
    link.Start(total);
    link.ChunkRead(remaining);
    link.SetCurrentName(u"photo.jpg");
  }
};

TEST_F(ProgressLinkTest, AttachesOnlyToIssuedNonNegativeIds) {
  struct Row {
    std::int32_t id;
    bool attaches;
  };
  const Row rows[] = {{-1, false}, {-2000, false}, {id_ + 1, false}, {5000, false}, {id_, true}};
  for (const Row& row : rows) {
    ProgressLink link(table_);
    EXPECT_EQ(link.Attach(row.id), row.attaches) << "id " << row.id;
  }
  table_.WaitForPendingResets();
}

TEST_F(ProgressLinkTest, UnattachedLinkChangesNothing) {
  ProgressLink link(table_);
  link.Start(10);
  link.ChunkRead(5);
  link.SetCurrentName(u"x");
  link.Release();
  EXPECT_EQ(Record().total, 0);
  EXPECT_EQ(Record().currentName, kIdleName);
}

TEST_F(ProgressLinkTest, AFurtherAttachKeepsTheFirstRecord) {
  const std::int32_t other = table_.AllocateProgressId().value();
  ProgressLink link(table_);
  ASSERT_TRUE(link.Attach(id_));
  EXPECT_TRUE(link.Attach(other));
  link.Start(77);
  EXPECT_EQ(Record().total, 77);
  EXPECT_EQ(table_.Snapshot(other).value().record.total, 0);
}

TEST_F(ProgressLinkTest, ReleaseReadsNotWorkingAtOnceAndResetsLater) {
  std::chrono::steady_clock::time_point before;
  {
    ProgressLink link(table_);
    RunUpload(link, 1000, 0);
    before = std::chrono::steady_clock::now();
  }  // the destructor releases
  EXPECT_LT(std::chrono::steady_clock::now() - before, kShortDelay) << "release never waits";
  EXPECT_EQ(Record().working, 0);
  EXPECT_EQ(Record().total, 1000) << "the values stay while the window closes";
  table_.WaitForPendingResets();
  const ProgressInfo record = Record();
  EXPECT_EQ(record.working, 1);
  EXPECT_EQ(record.total, 0);
  EXPECT_EQ(record.currentName, kIdleName);
}

TEST_F(ProgressLinkTest, ReattachingCancelsThePendingReset) {
  ProgressLink first(table_);
  RunUpload(first, 1000, 0);
  first.Release();
  ProgressLink second(table_);
  ASSERT_TRUE(second.Attach(id_));
  EXPECT_EQ(Record().working, 1) << "the new upload starts on a clean, working record";
  EXPECT_EQ(Record().total, 0);
  second.Start(3000);
  second.ChunkRead(2000);
  table_.WaitForPendingResets();
  EXPECT_EQ(Record().total, 3000) << "the first upload's reset must not wipe the second";
  EXPECT_EQ(Record().remaining, 2000);
  EXPECT_EQ(Record().working, 1);
}

TEST(ProgressLinkDefault, ProcessTableResetsAfterOneSecond) {
  EXPECT_EQ(kReleaseResetDelay, milliseconds(1000));
  ProgressTable& table = ProgressTable::Instance();
  const std::int32_t id = table.AllocateProgressId().value();
  ProgressLink link;
  ASSERT_TRUE(link.Attach(id));
  link.Start(10);
  link.Release();
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(table.Snapshot(id).value().record.working, 0) << "still closing after 0.3 s";
  table.WaitForPendingResets();
  EXPECT_EQ(table.Snapshot(id).value().record.working, 1);
}

}  // namespace
}  // namespace vant::progress
