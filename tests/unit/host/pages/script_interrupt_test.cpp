#include "host/pages/script_interrupt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "page_test_support.h"

namespace vant::host::pages {
namespace {

using Clock = std::chrono::steady_clock;

// The engine build must poll the interrupt: a runaway loop ends with an
// error that its own catch block cannot swallow.
TEST(ScriptInterruptTest, DeadlineStopsARunawayLoop) {
  ScriptInterrupt interrupt;
  interrupt.SetDeadline(Clock::now() + std::chrono::milliseconds(100));
  testing::ScriptRunner runner(&interrupt);
  const auto started = Clock::now();
  const auto run = runner.Run("try { for (;;) {} } catch (e) {} Response.Write('after');");
  const auto elapsed = Clock::now() - started;
  EXPECT_FALSE(run.ok);
  EXPECT_NE(run.error.find("RangeError"), std::string::npos) << run.error;
  EXPECT_EQ(run.output.find("after"), std::string::npos) << run.output;
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST(ScriptInterruptTest, AbortFromAnotherThreadStopsTheScript) {
  ScriptInterrupt interrupt;
  testing::ScriptRunner runner(&interrupt);
  std::thread aborter([&interrupt] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    interrupt.Abort();
  });
  const auto run = runner.Run("try { for (;;) {} } finally { for (;;) {} }");
  aborter.join();
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(interrupt.Aborted());
}

TEST(ScriptInterruptTest, NoDeadlineLetsScriptsFinish) {
  ScriptInterrupt interrupt;
  testing::ScriptRunner runner(&interrupt);
  const auto run = runner.Run("for (var i = 0; i < 300000; i++) {} Response.Write(i);");
  EXPECT_TRUE(run.ok) << run.error;
  EXPECT_EQ(run.output, "300000");
}

}  // namespace
}  // namespace vant::host::pages
