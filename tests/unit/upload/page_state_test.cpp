#include "upload/page_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_host.h"

namespace vant::upload {
namespace {

using test::FakeHost;
using test::HostCall;
using test::Intrinsic;

struct UploadRow {
  const char* name;
  bool session;
  std::vector<HostCall> failing;
  std::int32_t uploadTimeout;
  std::int32_t codePage;  // after the call, starting from -1
  std::vector<std::int32_t> sessionTimeouts;
  std::int32_t saved;
};

TEST(UploadPageStateTest, UploadSettingsFollowTheSession) {
  const UploadRow rows[] = {
      {"with session", true, {}, 3600, 932, {60}, 90},
      {"minutes truncate", true, {}, 119, 932, {1}, 90},
      {"without session", false, {}, 3600, 0, {}, 90},
      {"code page unreadable", true, {HostCall::SessionCodePage}, 3600, -1, {60}, 90},
      {"session timeout refused", true, {HostCall::SessionTimeout}, 3600, 932, {}, 90},
      {"script timeout unreadable", true, {HostCall::ScriptTimeoutGet}, 3600, 932, {60}, -1},
  };
  for (const UploadRow& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    host.SetSessionCodePage(932);
    if (!row.session) host.Remove(Intrinsic::Session);
    for (const HostCall call : row.failing) host.Fail(call);
    frame::PageContext ctx;
    ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Upload), S_OK);
    std::int32_t codePage = -1;
    UploadPageState state;
    ApplyUploadSessionSettings(ctx, row.uploadTimeout, &codePage, &state);
    EXPECT_EQ(state.sessionTaken, row.session);
    EXPECT_EQ(codePage, row.codePage);
    EXPECT_EQ(host.SessionTimeoutPuts(), row.sessionTimeouts);
    EXPECT_EQ(state.savedScriptTimeout, row.saved);
    EXPECT_EQ(host.ScriptTimeoutPuts(), std::vector<std::int32_t>{row.uploadTimeout});
  }
}

TEST(UploadPageStateTest, RestoreScriptTimeoutPutsBackTheSavedValueOnce) {
  FakeHost host;
  frame::PageContext ctx;
  ASSERT_EQ(ctx.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Upload), S_OK);
  std::int32_t codePage = -1;
  UploadPageState state;
  ApplyUploadSessionSettings(ctx, 3600, &codePage, &state);
  RestoreScriptTimeout(ctx, &state);
  RestoreScriptTimeout(ctx, &state);
  EXPECT_EQ(host.ScriptTimeoutPuts(), (std::vector<std::int32_t>{3600, 90}));
  EXPECT_EQ(host.ScriptTimeout(), 90);
  EXPECT_EQ(state.savedScriptTimeout, UploadPageState::kNoSavedTimeout);
}

TEST(UploadPageStateTest, RestoreWithoutSavedValueOrServerDoesNothing) {
  FakeHost host;
  frame::PageContext ctx;
  UploadPageState unsaved;
  RestoreScriptTimeout(ctx, &unsaved);
  UploadPageState saved;
  saved.savedScriptTimeout = 90;
  RestoreScriptTimeout(ctx, &saved);  // no Server held
  EXPECT_TRUE(host.ScriptTimeoutPuts().empty());
  EXPECT_EQ(saved.savedScriptTimeout, UploadPageState::kNoSavedTimeout);
}

}  // namespace
}  // namespace vant::upload
