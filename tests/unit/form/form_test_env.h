// Scaffolding for the form tests: a scratch folder addressed in Windows
// syntax (drive C: maps to "/"), a message catalog whose texts show the
// identifier and inserts of a report, and file elements as the parser makes
// them.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "form/form_element.h"
#include "frame/message_library.h"
#include "support/component_checks.h"
#include "support/scratch.h"
#include "unit/frame/frame_test_env.h"

namespace vant::form::testing {

// Every message the form raises, as "ID|%1|%2": a report reads back as its
// identifier (last two hex digits) and inserts.
inline constexpr const char* kFormCatalog =
    "[1033]\n"
    "0x40020024 = 24|%1!d!\n"
    "0x40020038 = 38\n"
    "0x40020041 = 41|%1\n"
    "0x40020042 = 42\n"
    "0x40020043 = 43\n"
    "0x40020044 = 44|%1\n"
    "0x40020045 = 45|%1\n"
    "0x40020046 = 46\n"
    "0x40020047 = 47\n"
    "0x40020048 = 48|%1|%2\n"
    "0x40020049 = 49\n"
    "0x40020051 = 51\n"
    "0x40020052 = 52\n"
    "0x40020056 = 56|%1\n"
    "0x40020057 = 57|%1\n"
    "0x40020058 = 58|%1\n"
    "0x40020066 = 66|%1|%2\n";

using vant::test::ReadHostFile;
using vant::test::TakeReport;
using vant::test::U16;
using vant::test::WinPath;
using vant::test::WriteHostFile;

// Windows path on drive C: -> host path.
inline std::string HostPath(std::u16string_view windowsPath) {
  std::string out = Utf16ToUtf8(windowsPath.substr(2));
  for (auto& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

// Per test: a configured catalog, a scratch folder with an upload folder
// "up" in it, and the upload's error flag.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(reg_.UseCatalog(kFormCatalog), registry::ERROR_SUCCESS);
    ASSERT_TRUE(scratch_.ok());
    std::filesystem::create_directories(Host("up"));
    TakeReport();
  }

  // Host and Windows paths of `name` inside the scratch folder.
  std::string Host(const std::string& name) const { return scratch_.Host(name); }
  std::u16string Win(const std::string& name) const { return WinPath(Host(name)); }
  std::u16string UploadFolder() const { return Win("up"); }

  // A file element as the parser leaves it: the bytes in a temporary file
  // of the upload folder, DefaultPath the upload folder.
  ComPtr<CFormElement> FileElement(const std::string& fileName, const std::string& bytes = "data",
                                   const std::string& name = "file1") {
    const std::string temp = "up/KWZ$" + std::to_string(++temps_) + ".tm#";
    WriteHostFile(Host(temp), bytes);
    auto element = CFormElement::Create();
    element->SetMaxFileLen(kLargeLimit);
    element->SetErrorFlagLink(flag_);
    element->SetName(U16(name));
    element->SetFileName(U16(fileName));
    element->SetMimeType(u"text/plain");
    element->SetTempFilePath(Win(temp));
    element->SetFileInfo();
    element->SetDefaultPath(UploadFolder());
    return element;
  }

  ComPtr<CFormElement> FieldElement(const std::string& name, const std::string& value) {
    auto element = CFormElement::Create();
    element->SetMaxFileLen(kLargeLimit);
    element->SetErrorFlagLink(flag_);
    element->SetName(U16(name));
    element->SetValue(U16(value));
    return element;
  }

  static constexpr std::int32_t kLargeLimit = 0x7FFFFFFF;

  frame::testing::ScopedRegistry reg_;
  test::ScratchFolder scratch_;
  const std::string& root_ = scratch_.Path();
  frame::ErrorFlagLink flag_ = std::make_shared<frame::ErrorFlag>();
  int temps_ = 0;
};

}  // namespace vant::form::testing
