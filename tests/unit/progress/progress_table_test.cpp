#include "progress/progress_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "progress/progress_link.h"

namespace vant::progress {
namespace {

std::int32_t Allocate(ProgressTable& table) {
  const std::optional<std::int32_t> id = table.AllocateProgressId();
  EXPECT_TRUE(id.has_value());
  return id.value_or(-2);
}

TEST(ProgressTable, IdsCountFromOneAndWrapAfter1999) {
  ProgressTable table;
  struct Row {
    int call;  // 1-based number of the allocation
    std::int32_t id;
  };
  const Row rows[] = {{1, 1}, {2, 2}, {1999, 1999}, {2000, 0}, {2001, 1}, {4000, 0}, {4001, 1}};
  int call = 0;
  for (const Row& row : rows) {
    std::int32_t id = -2;
    while (call < row.call) {
      id = Allocate(table);
      ++call;
    }
    EXPECT_EQ(id, row.id) << "allocation " << row.call;
  }
}

TEST(ProgressTable, NewIdsHaveARecordInTheInitialState) {
  ProgressTable table;
  EXPECT_FALSE(table.Contains(1));
  EXPECT_FALSE(table.Snapshot(1).has_value());
  const std::int32_t id = Allocate(table);
  ASSERT_TRUE(table.Contains(id));
  const ProgressSnapshot snapshot = table.Snapshot(id).value();
  EXPECT_EQ(snapshot.record.total, 0);
  EXPECT_EQ(snapshot.record.currentName, kIdleName);
  EXPECT_EQ(snapshot.record.working, 1);
  EXPECT_FALSE(table.Contains(0)) << "only issued ids enter the table";
}

TEST(ProgressTable, AWrappedIdReusesItsRecordUnchanged) {
  ProgressTable table;
  const std::int32_t first = Allocate(table);
  {
    ProgressLink link(table);
    ASSERT_TRUE(link.Attach(first));
    link.Start(5000);
    link.ChunkRead(1000);
    link.SetCurrentName(u"big.iso");
    for (int i = 1; i < kProgressIdCount; ++i) Allocate(table);
    EXPECT_EQ(Allocate(table), first);
    const ProgressSnapshot again = table.Snapshot(first).value();
    EXPECT_EQ(again.record.total, 5000);
    EXPECT_EQ(again.record.remaining, 1000);
    EXPECT_EQ(again.record.currentName, u"big.iso");
    link.Release();
  }
  table.WaitForPendingResets();
}

// Eight request threads issue ids, upload into them and read them back while
// the others do the same; run under TSan this checks the table's locking.
TEST(ProgressTable, ConcurrentAllocationAndUpdates) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 200;
  ProgressTable table(std::chrono::milliseconds(1));
  std::vector<std::vector<std::int32_t>> issued(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&table, &ids = issued[t]] {
      for (int round = 0; round < kRounds; ++round) {
        const std::int32_t id = table.AllocateProgressId().value_or(-1);
        ids.push_back(id);
        ProgressLink link(table);
        if (!link.Attach(id)) continue;
        link.Start(100);
        link.SetCurrentName(round % 2 == 0 ? u"a-rather-long-name-to-force-allocation.bin" : u"b");
        link.ChunkRead(50);
        (void)table.Snapshot(id);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  table.WaitForPendingResets();
  std::set<std::int32_t> all;
  for (const auto& ids : issued) all.insert(ids.begin(), ids.end());
  EXPECT_EQ(all.size(), std::size_t{kThreads * kRounds}) << "every id issued once";
  EXPECT_EQ(*all.begin(), 1);
  EXPECT_EQ(*all.rbegin(), kThreads * kRounds);
}

// A record attached by an upload with a session key answers only readers of
// that session, and a running upload of one session cannot be taken over by
// another; uploads without a key stay readable by id as before.
TEST(ProgressTable, ARecordOfASessionAnswersOnlyThatSession) {
  struct Row {
    const char* what;
    std::u16string owner;   // key of the upload's request
    std::u16string reader;  // key of the reading request
    bool readable;
    bool strangerMayAttach;  // another key attaching while the upload runs
  };
  const Row rows[] = {
      {"same session", u"k1", u"k1", true, false},
      {"other session", u"k1", u"k2", false, false},
      {"reader without cookies", u"k1", u"", false, false},
      {"longer key with the owner's prefix", u"k1", u"k1x", false, false},
      {"upload without a session", u"", u"k2", true, true},
      {"neither has a session", u"", u"", true, true},
  };
  for (const Row& row : rows) {
    ProgressTable table;
    const std::int32_t id = Allocate(table);
    ProgressLink upload(table);
    ASSERT_TRUE(upload.Attach(id, row.owner)) << row.what;
    upload.Start(100);
    upload.SetCurrentName(u"secret-plans.pdf");
    const std::optional<ProgressSnapshot> seen = table.Snapshot(id, row.reader);
    EXPECT_EQ(seen.has_value(), row.readable) << row.what;
    if (seen) {
      EXPECT_EQ(seen->record.currentName, u"secret-plans.pdf") << row.what;
    }
    ProgressLink stranger(table);
    EXPECT_EQ(stranger.Attach(id, u"k9"), row.strangerMayAttach) << row.what;
  }
}

TEST(ProgressTable, AReleasedOrReissuedRecordIsFreeForTheNextSession) {
  ProgressTable table(std::chrono::milliseconds(0));
  const std::int32_t id = Allocate(table);
  {
    ProgressLink first(table);
    ASSERT_TRUE(first.Attach(id, u"k1"));
  }
  table.WaitForPendingResets();
  EXPECT_FALSE(table.Snapshot(id, u"k2").has_value()) << "the idle record still belongs to k1";
  ProgressLink next(table);
  EXPECT_TRUE(next.Attach(id, u"k2")) << "released: the next upload may take it";
  EXPECT_TRUE(table.Snapshot(id, u"k2").has_value());
  EXPECT_FALSE(table.Snapshot(id, u"k1").has_value());
  next.Release();
  table.WaitForPendingResets();
  for (int i = 0; i < kProgressIdCount; ++i) Allocate(table);
  EXPECT_TRUE(table.Snapshot(id, u"").has_value()) << "reissued after the wrap: open again";
}

// A refusal reaches readers at once and outlives the release and its reset,
// so a monitor that loads late still sees it; the next upload clears it.
TEST(ProgressTable, ARefusalStaysVisibleUntilTheRecordIsUsedAgain) {
  ProgressTable table(std::chrono::milliseconds(0));
  const std::int32_t id = Allocate(table);
  {
    ProgressLink refused(table);
    ASSERT_TRUE(refused.Attach(id));
    refused.Refuse();
    EXPECT_TRUE(table.Snapshot(id)->refused) << "while the body drains";
  }
  table.WaitForPendingResets();
  EXPECT_TRUE(table.Snapshot(id)->refused) << "after the reset";
  ProgressLink next(table);
  ASSERT_TRUE(next.Attach(id));
  EXPECT_FALSE(table.Snapshot(id)->refused);
}

}  // namespace
}  // namespace vant::progress
