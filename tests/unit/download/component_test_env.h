// Scaffolding shared by the download and BLOB tests: a message catalog whose
// texts read back as "ID|insert|…", a scratch folder addressed in Windows
// syntax (drive C: maps to "/") and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/message_library.h"
#include "platform/automation/automation.h"
#include "support/component_checks.h"
#include "support/scratch.h"
#include "unit/frame/frame_test_env.h"

namespace vant::testing {

// %1 of 0x40020063 is the system's text; the report keeps its other inserts.
inline constexpr const char* kCatalog =
    "[1033]\n"
    "0x40020025 = 25\n"
    "0x40020033 = 33|%1\n"
    "0x40020034 = 34|%1\n"
    "0x40020053 = 53|%1\n"
    "0x40020054 = 54\n"
    "0x40020055 = 55\n"
    "0x40020056 = 56|%1\n"
    "0x40020058 = 58|%1\n"
    "0x40020059 = 59\n"
    "0x40020060 = 60\n"
    "0x40020061 = 61\n"
    "0x40020062 = 62|%1\n"
    "0x40020063 = 63|%2|%3|%4\n"
    "0x40020066 = 66|%1|%2\n"
    "0x40020069 = 69\n";

using vant::test::OpenDescriptorCount;
using vant::test::ReadHostFile;
using vant::test::TakeReport;
using vant::test::U16;
using vant::test::U8;
using vant::test::WinPath;
using vant::test::WriteHostFile;

// `n` bytes of a pattern that differs at every offset of a chunk.
inline std::string Pattern(std::size_t n, unsigned salt = 0) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251 + salt) & 0xFF);
  return bytes;
}

// Per test: a configured catalog and a scratch folder.
class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(reg_.UseCatalog(kCatalog), registry::ERROR_SUCCESS);
    ASSERT_TRUE(scratch_.ok());
    TakeReport();
  }

  std::string Host(const std::string& name) const { return scratch_.Host(name); }
  std::u16string Win(const std::string& name) const { return WinPath(Host(name)); }

  // Writes a file in the scratch folder and returns its Windows path.
  std::u16string MakeFile(const std::string& name, const std::string& bytes) const {
    WriteHostFile(Host(name), bytes);
    return Win(name);
  }

  // Sets the last-write time of a scratch file to a Unix time.
  void SetModified(const std::string& name, std::int64_t unixSeconds) const {
    using namespace std::chrono;
    const auto sys = system_clock::time_point(seconds(unixSeconds));
    std::filesystem::last_write_time(Host(name), std::chrono::file_clock::from_sys(sys));
  }

  // Names in a scratch folder, sorted.
  std::vector<std::string> List(const std::string& folder) const { return scratch_.List(folder); }

  frame::testing::ScopedRegistry reg_;
  test::ScratchFolder scratch_;
  const std::string& root_ = scratch_.Path();
};

}  // namespace vant::testing
