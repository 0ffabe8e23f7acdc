#include "platform/fs/fault_injection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
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

}  // namespace
}  // namespace vant::fs
