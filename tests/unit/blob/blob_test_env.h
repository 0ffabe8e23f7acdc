// A BLOBManager started on the in-memory host over a scratch folder.
#pragma once

#include "blob/blob_manager.h"
#include "support/fake_field.h"
#include "support/fake_host.h"
#include "unit/download/component_test_env.h"

namespace vant::blob::testing {

class BlobManagerTest : public vant::testing::ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    std::filesystem::create_directories(Host("out"));
    host_.SetSiteRoot(vant::testing::WinPath(root_));
    ASSERT_EQ(manager_->OnStartPage(host_.ScriptingContext().get()), S_OK);
  }

  static ComPtr<vant::test::FakeField> Blob(const std::string& value) {
    return vant::test::FakeField::Create(ado::kAdLongVarBinary, value);
  }

  test::FakeHost host_;
  ComPtr<CBLOBManager> manager_ = CBLOBManager::Create();
};

}  // namespace vant::blob::testing
