#include "platform/fs/fault_injection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

namespace vant::fs {
namespace {

TEST(FaultInjection, FailsTheNthOperationOnceThenSwitchesOff) {
  FaultInjection::FailNthWrite(2, ENOSPC);
  EXPECT_EQ(FaultInjection::OnWrite(), 0);
  EXPECT_EQ(FaultInjection::OnWrite(), 0);
  EXPECT_EQ(FaultInjection::OnWrite(), ENOSPC);
  EXPECT_EQ(FaultInjection::OnWrite(), 0);
  // Kinds count separately.
  FaultInjection::FailNthOpen(0, EMFILE);
  EXPECT_EQ(FaultInjection::OnRename(), 0);
  EXPECT_EQ(FaultInjection::OnOpen(), EMFILE);
  FaultInjection::FailNthRename(0, EIO);
  FaultInjection::Reset();
  EXPECT_EQ(FaultInjection::OnRename(), 0);
}

// A repeating fault fails every (n + 1)th operation until switched off.
TEST(FaultInjection, RepeatingFaultFailsEveryPeriod) {
  ASSERT_TRUE(FaultInjection::Arm({"write", 1, EIO, true}));
  std::string got;
  for (int i = 0; i < 6; ++i) got += FaultInjection::OnWrite() == EIO ? 'F' : '.';
  EXPECT_EQ(got, ".F.F.F");
  FaultInjection::Reset();
  EXPECT_EQ(FaultInjection::OnWrite(), 0);
}

TEST(FaultInjection, ExactlyOneThreadSeesTheFault) {
  constexpr int kThreads = 8;
  constexpr int kCallsPerThread = 1000;
  FaultInjection::FailNthWrite(kThreads * kCallsPerThread / 2, EIO);
  std::atomic<int> faults{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kCallsPerThread; ++i) {
        if (FaultInjection::OnWrite() == EIO) ++faults;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(faults.load(), 1);
}

TEST(FaultInjection, ParsesPlans) {
  const struct {
    const char* plan;
    bool ok;
    const char* items;  // kind/n/error of each item, ";"-separated
  } rows[] = {
      {"", true, ""},
      {"write:3:ENOSPC", true, "write/3/28;"},
      {" write:0:EIO , rename:2:EXDEV,", true, "write/0/5;rename/2/18;"},
      {"body-read:1:ECONNRESET,socket-write:0:EPIPE", true, "body-read/1/104;socket-write/0/32;"},
      {"open:0:24", true, "open/0/24;"},
      {"write:2:EIO:repeat", true, "write/2/5/repeat;"},
      {"write:2:EIO:again", false, ""},
      {"write:3", false, ""},
      {"write::EIO", false, ""},
      {"write:-1:EIO", false, ""},
      {"write:1x:EIO", false, ""},
      {"write:1:ENOTANERROR", false, ""},
      {"write:1:0", false, ""},
      {":1:EIO", false, ""},
  };
  for (const auto& row : rows) {
    std::vector<FaultItem> items;
    std::string problem;
    EXPECT_EQ(FaultInjection::ParsePlan(row.plan, items, problem), row.ok) << row.plan;
    std::string got;
    for (const FaultItem& item : items)
      got += item.kind + "/" + std::to_string(item.n) + "/" + std::to_string(item.error) +
             (item.repeat ? "/repeat;" : ";");
    if (row.ok) {
      EXPECT_EQ(got, row.items) << row.plan;
    } else {
      EXPECT_NE(problem.find("bad fault item"), std::string::npos) << row.plan;
    }
  }
}

TEST(FaultInjection, ArmTakesOnlyFileKinds) {
  EXPECT_TRUE(FaultInjection::Arm({"rename", 1, EXDEV}));
  EXPECT_FALSE(FaultInjection::Arm({"socket-write", 0, EPIPE}));
  EXPECT_EQ(FaultInjection::OnRename(), 0);
  EXPECT_EQ(FaultInjection::OnRename(), EXDEV);
  EXPECT_TRUE(FaultInjection::Arm({"open", 0, EMFILE}));
  EXPECT_EQ(FaultInjection::OnOpen(), EMFILE);
  FaultInjection::Reset();
}

}  // namespace
}  // namespace vant::fs
