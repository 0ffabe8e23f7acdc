// A configuration key and catalog for the error reporting tests, and a way to
// take the error record a report left on the thread.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "frame/message_library.h"
#include "platform/automation/automation.h"
#include "unit/frame/frame_test_env.h"

namespace vant::frame::testing {

inline constexpr const char* kTestCatalog =
    "[1033]\n"
    "0x40020048 = Cannot move %1 to %2.\n"
    "0x40020017 = Body over %1!d! bytes.\n"
    "0x40020063 = System: %1in %2.%3 at %4\n"
    "0x40020066 = Unexpected in %1.%2\n"
    "0x40020006 = Read failed.\n"
    "0x40020016 = No body.\n"
    "0x40020052 = No element.\n"
    "[1041]\n"
    "0x40020048 = JA %1 -> %2\n"
    "0x40020017 = JA %1!d!\n"
    "[1042]\n"
    "0x40020048 = KO %1 -> %2\n"
    "0x40020017 = KO %1!d!\n";

// What a report attached: source and description of the thread's record.
struct Record {
  std::u16string source;
  std::u16string description;
};

// Takes the thread's error record (the slot is empty afterwards).
inline std::optional<Record> TakeRecord() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return std::nullopt;
  Bstr source;
  Bstr description;
  info->GetSource(&source);
  info->GetDescription(&description);
  return Record{source.str(), description.str()};
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalog_ = reg_.dir().Write("res/messages.cat", kTestCatalog);
    TakeRecord();  // start with an empty slot
  }

  // Writes the configuration key: ResPath and LangID when given.
  void Configure(std::optional<std::u16string> resPath, std::optional<uint32_t> langId) {
    const std::u16string key = registry::KeyPath(registry::Root::LocalMachine, kConfigKey);
    ASSERT_EQ(reg_.Open().Edit([&](registry::Tree& t) {
      t.DeleteTree(key);
      t.CreateKey(key);
      if (resPath) t.SetString(key, kResPathValue, *resPath);
      if (langId) t.SetDword(key, kLangIdValue, *langId);
      return registry::ERROR_SUCCESS;
    }),
              registry::ERROR_SUCCESS);
  }
  void RemoveConfig() {
    ASSERT_EQ(reg_.Open().Edit([](registry::Tree& t) {
      t.DeleteTree(registry::KeyPath(registry::Root::LocalMachine, kConfigKey));
      return registry::ERROR_SUCCESS;
    }),
              registry::ERROR_SUCCESS);
  }
  void Configure(uint32_t langId) { Configure(Utf8ToUtf16(catalog_), langId); }

  ScopedRegistry reg_;
  std::string catalog_;
};

}  // namespace vant::frame::testing
