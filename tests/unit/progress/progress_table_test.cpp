#include "progress/progress_table.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vant::progress
