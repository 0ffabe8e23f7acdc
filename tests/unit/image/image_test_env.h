// An image processor started on the in-memory host over a scratch folder,
// with a catalog whose texts read back as "ID|insert", and the sample images.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "frame/message_library.h"
#include "image/image_proc.h"
#include "support/component_checks.h"
#include "support/fake_host.h"
#include "support/scratch.h"
#include "unit/frame/frame_test_env.h"

namespace vant::image::testing {

inline constexpr const char* kImageCatalog =
    "[1033]\n"
    "0x40020009 = 09\n"
    "0x40020035 = 35|%1\n"
    "0x40020036 = 36\n"
    "0x40020037 = 37|%1\n"
    "0x40020063 = 63|%2|%3|%4\n"
    "0x40020066 = 66|%1|%2\n";

using vant::test::TakeReport;
using vant::test::WinPath;

inline std::string SamplesFolder() {
  const char* shared = std::getenv("VANT_SHARED");
  return std::string(shared == nullptr ? "/work/shared" : shared) + "/testdata/images/";
}

class ImageProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(reg_.UseCatalog(kImageCatalog), registry::ERROR_SUCCESS);
    ASSERT_TRUE(scratch_.ok());
    host_.SetSiteRoot(WinPath(root_));
    TakeReport();
  }

  std::string Host(const std::string& name) const { return scratch_.Host(name); }
  std::u16string Win(const std::string& name) const { return WinPath(Host(name)); }
  static std::u16string Sample(const std::string& name) { return WinPath(SamplesFolder() + name); }

  // A new processor on the page, its source set to the sample `name`.
  ComPtr<CImageProc> Loaded(const std::string& name) {
    auto proc = CImageProc::Create();
    EXPECT_EQ(proc->OnStartPage(host_.ScriptingContext().get()), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(proc->SetSourceFile(Sample(name), &ok), S_OK) << name;
    EXPECT_EQ(ok, VARIANT_TRUE) << name;
    return proc;
  }

  frame::testing::ScopedRegistry reg_;
  test::FakeHost host_;
  test::ScratchFolder scratch_;
  const std::string& root_ = scratch_.Path();
};

}  // namespace vant::image::testing
