// A FileDownload started on the in-memory host, with a cache of its own,
// and a readable summary of what it wrote to the response.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "download/file_download.h"
#include "support/fake_host.h"
#include "unit/download/component_test_env.h"

namespace vant::download::testing {

using vant::testing::TakeReport;
using vant::testing::U16;
using vant::testing::U8;

// Every response event but the body writes, one line each; an entity tag
// of the expected shape (quotation marks around 32 upper-case hex digits)
// reads as <tag>.
inline std::vector<std::string> Describe(const std::vector<test::ResponseEvent>& events) {
  using Kind = test::ResponseEvent::Kind;
  static const std::regex kTag("\"[0-9A-F]{32}\"");
  std::vector<std::string> lines;
  for (const auto& e : events) {
    switch (e.kind) {
      case Kind::Buffer:
        lines.push_back("Buffer=" + std::to_string(e.number));
        break;
      case Kind::Expires:
        lines.push_back("Expires=" + std::to_string(e.number));
        break;
      case Kind::ContentType:
        lines.push_back("ContentType=" + U8(e.text));
        break;
      case Kind::Status:
        lines.push_back("Status=" + U8(e.text));
        break;
      case Kind::End:
        lines.push_back("End");
        break;
      case Kind::Header: {
        const std::string value = U8(e.text);
        lines.push_back(U8(e.name) + ": " + (std::regex_match(value, kTag) ? "<tag>" : value));
        break;
      }
      default:
        break;
    }
  }
  return lines;
}

class DownloadTest : public vant::testing::ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    host_.SetSiteRoot(vant::testing::WinPath(root_));
    ASSERT_EQ(download_->OnStartPage(host_.ScriptingContext().get()), S_OK);
  }
  void TearDown() override {
    download_->OnEndPage();
    ComponentTest::TearDown();
  }

  static constexpr VARIANT_BOOL kOn = VARIANT_TRUE;
  static constexpr VARIANT_BOOL kOff = VARIANT_FALSE;

  test::FakeHost host_;
  CCache cache_;
  ComPtr<CFileDownload> download_ = CFileDownload::Create(cache_);
};

}  // namespace vant::download::testing
