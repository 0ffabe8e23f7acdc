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

// A wrapped id keeps the record of an upload still running on it; the
// record of a finished one, still waiting for its reset, is cleared at once,
// so the next browser never sees the last upload's name or size.
TEST(ProgressTable, AWrappedIdKeepsOnlyARunningUploadsRecord) {
  struct Row {
    const char* what;
    bool released;
    std::int32_t total;
    std::u16string_view name;
  };
  const Row rows[] = {
      {"still uploading", false, 5000, u"big.iso"},
      {"released, reset pending", true, 0, kIdleName},
  };
  for (const Row& row : rows) {
    ProgressTable table;  // resets come 1 s after the release
    const std::int32_t first = Allocate(table);
    ProgressLink link(table);
    ASSERT_TRUE(link.Attach(first, u"k1"));
    link.Start(5000);
    link.ChunkRead(1000);
    link.SetCurrentName(u"big.iso");
    if (row.released) link.Release();
    for (int i = 1; i < kProgressIdCount; ++i) Allocate(table);
    EXPECT_EQ(Allocate(table), first);
    const std::u16string reader = row.released ? u"" : u"k1";
    const ProgressSnapshot again = table.Snapshot(first, reader).value();
    EXPECT_EQ(again.record.total, row.total) << row.what;
    EXPECT_EQ(again.record.currentName, row.name) << row.what;
    link.Release();
    table.WaitForPendingResets();
  }
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
// that session, and a running upload cannot be taken over by another
// request, even after an older attachment of the same session lets go of it;
// uploads without a key stay readable by id as before.
TEST(ProgressTable, ARecordOfASessionAnswersOnlyThatSession) {
  struct Row {
    const char* what;
    std::u16string owner;   // key of the upload's request
    std::u16string reader;  // key of the reading request
    bool readable;
    std::u16string stranger;     // another key attaching while the upload runs
    bool olderReleased = false;  // an older attachment of the session ends late
  };
  const Row rows[] = {
      {"same session", u"k1", u"k1", true, u"k9"},
      {"other session", u"k1", u"k2", false, u"k9"},
      {"reader without cookies", u"k1", u"", false, u"k9"},
      {"longer key with the owner's prefix", u"k1", u"k1x", false, u"k9"},
      {"upload without a session", u"", u"k2", true, u"k9"},
      {"neither has a session", u"", u"", true, u""},
      {"older attachment released", u"k1", u"k1", true, u"k9", true},
  };
  for (const Row& row : rows) {
    ProgressTable table;
    const std::int32_t id = Allocate(table);
    std::optional<ProgressLink> older;
    if (row.olderReleased) {
      older.emplace(table);
      ASSERT_TRUE(older->Attach(id, row.owner));
    }
    ProgressLink upload(table);
    ASSERT_TRUE(upload.Attach(id, row.owner)) << row.what;
    upload.Start(100);
    upload.SetCurrentName(u"secret-plans.pdf");
    if (older) {
      older->SetCurrentName(u"stale.bin");
      older->Release();
    }
    const std::optional<ProgressSnapshot> seen = table.Snapshot(id, row.reader);
    EXPECT_EQ(seen.has_value(), row.readable) << row.what;
    if (seen) {
      EXPECT_EQ(seen->record.currentName, u"secret-plans.pdf") << row.what;
      EXPECT_EQ(seen->record.working, 1) << row.what;
    }
    ProgressLink stranger(table);
    EXPECT_FALSE(stranger.Attach(id, row.stranger)) << row.what;
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
