#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "progress/progress_link.h"
#include "progress/progress_table.h"
#include "support/fake_shared_records.h"

namespace vant::progress {
namespace {

using std::chrono::milliseconds;
using Write = test::FakeSharedRecords::Written;

// A table on a fake store with short times, and one issued id.
class SharedTableTest : public ::testing::Test {
 protected:
  static SharingTimes Times() {
    SharingTimes times;
    times.writeInterval = milliseconds(250);
    times.lease = milliseconds(600);
    return times;
  }

  test::FakeSharedRecords* store_ = new test::FakeSharedRecords;
  ProgressTable table_{std::unique_ptr<SharedRecords>(store_), Times(), milliseconds(100)};
  const std::int32_t id_ = table_.AllocateProgressId().value();
};

TEST_F(SharedTableTest, ChunksAreCoalescedAndChangesOfStateWrittenAtOnce) {
  ProgressLink link(table_);
  ASSERT_TRUE(link.Attach(id_));
  link.Start(1'000'000);
  link.SetCurrentName(u"a.bin");
  // Many chunks within one write interval: at most one write of the counts
  // (one more for each interval the loop took, on a machine under load).
  const auto begun = std::chrono::steady_clock::now();
  for (std::int32_t remaining = 999'000; remaining > 900'000; remaining -= 1000) {
    link.ChunkRead(remaining);
  }
  const auto intervals = (std::chrono::steady_clock::now() - begun) / milliseconds(250);
  ASSERT_TRUE(store_->AwaitWrite([](const Write& w) { return w.record.info.remaining == 901'000; }))
      << "the latest counts reach the store";
  link.Release();
  ASSERT_TRUE(store_->AwaitWrite([](const Write& w) { return w.record.info.working == 0; }))
      << "the release reaches the store";
  ASSERT_TRUE(store_->AwaitWrite([](const Write& w) {
    return !w.record.inUse && w.record.info.working == 1;
  })) << "the delayed reset reaches the store";
  // A writer per chunk would have written about a hundred of these.
  std::size_t between = 0;
  for (const Write& w : store_->Writes()) {
    between += w.record.info.remaining > 901'000 && w.record.info.remaining < 1'000'000;
  }
  EXPECT_LE(between, 2u + intervals) << "chunks were written one by one";
  EXPECT_EQ(table_.Snapshot(id_).value().record.currentName, kIdleName) << "readers see the store";
}

TEST_F(SharedTableTest, TheUploadNeverWaitsForTheStore) {
  ProgressLink link(table_);
  ASSERT_TRUE(link.Attach(id_));
  store_->SetGateOpen(false);
  // Would hang here if any call waited for a write to come back.
  link.Start(5000);
  for (std::int32_t remaining = 4000; remaining >= 0; remaining -= 1000) link.ChunkRead(remaining);
  link.SetCurrentName(u"b.bin");
  link.Release();
  store_->SetGateOpen(true);
  EXPECT_TRUE(store_->AwaitWrite([](const Write& w) { return w.record.info.working == 0; }));
}

TEST_F(SharedTableTest, ARunningRecordIsRenewedAndAnUnreachableStoreCatchesUpLater) {
  ProgressLink link(table_);
  ASSERT_TRUE(link.Attach(id_));
  link.Start(5000);
  const auto attached = std::chrono::steady_clock::now();
  // No chunk comes (a slow client), yet the record is written before its
  // lease of 600 ms runs out.
  EXPECT_TRUE(store_->AwaitWrite([&](const Write& w) {
    return w.at - attached >= milliseconds(150);
  })) << "the running record is renewed";
  store_->SetReachable(false);
  EXPECT_FALSE(table_.Snapshot(id_).has_value()) << "an unreachable store reads as no upload";
  EXPECT_EQ(table_.AllocateProgressId(), kNoSharedId);
  link.ChunkRead(2500);
  std::this_thread::sleep_for(milliseconds(300));
  store_->SetReachable(true);
  EXPECT_TRUE(store_->AwaitWrite([](const Write& w) { return w.record.info.remaining == 2500; }))
      << "the count written while the store was away arrives";
}

}  // namespace
}  // namespace vant::progress
