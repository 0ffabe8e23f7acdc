// Scaffolding for the upload tests: a message catalog whose texts read back
// as "ID|insert|…", a scratch upload folder addressed in Windows syntax, the
// in-memory host, multipart bodies built from parts, and a look at the
// parsed form.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/form_element_multi_collection.h"
#include "progress/progress_table.h"
#include "tests/support/fake_host.h"
#include "unit/form/form_test_env.h"
#include "upload/body_reader.h"
#include "upload/file_upload.h"

namespace vant::upload::testing {

using form::testing::HostPath;
using form::testing::ReadHostFile;
using form::testing::TakeReport;
using form::testing::U16;
using form::testing::WinPath;
using form::testing::WriteHostFile;

// 0x40020063 leaves out the system text, which varies with the C library.
inline constexpr const char* kUploadCatalog =
    "[1033]\n"
    "0x40020003 = 03\n0x40020004 = 04\n0x40020005 = 05|%1\n0x40020006 = 06\n"
    "0x40020007 = 07\n0x40020008 = 08\n0x40020010 = 10\n0x40020011 = 11\n"
    "0x40020012 = 12\n0x40020013 = 13\n0x40020014 = 14\n0x40020015 = 15\n"
    "0x40020016 = 16\n0x40020017 = 17|%1!d!\n0x40020018 = 18\n0x40020019 = 19\n"
    "0x40020020 = 20|%1!d!\n0x40020021 = 21\n0x40020022 = 22|%1\n0x40020023 = 23\n"
    "0x40020028 = 28\n0x40020029 = 29\n0x40020031 = 31\n0x40020032 = 32\n"
    "0x40020040 = 40\n0x40020058 = 58|%1\n0x40020063 = 63|%2|%3|%4\n"
    "0x40020065 = 65\n0x40020066 = 66|%1|%2\n0x40020067 = 67|%1!d!\n"
    "0x40020068 = 68|%1|%2!d!\n0xC0020001 = C1|%1\n";

struct Part {
  Part(std::string name, std::string data) : name(std::move(name)), data(std::move(data)) {}
  Part(std::string name, std::string data, std::string fileName,
       std::string contentType = "application/octet-stream")
      : name(std::move(name)),
        data(std::move(data)),
        fileName(std::move(fileName)),
        contentType(std::move(contentType)) {}

  std::string name;
  std::string data;
  std::optional<std::string> fileName;  // a file part when set
  std::string contentType = "application/octet-stream";
};

inline constexpr char kBoundary[] = "----WebKitFormBoundary7MA4YWxkTrZu0gW";

// A browser-style body: every part, then the closing delimiter and CR LF.
inline std::string Body(const std::vector<Part>& parts, const std::string& boundary = kBoundary,
                        const std::string& preamble = "", const std::string& epilogue = "\r\n") {
  std::string body = preamble;
  for (const Part& part : parts) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
    if (part.fileName) {
      body += "; filename=\"" + *part.fileName + "\"\r\nContent-Type: " + part.contentType;
    }
    body += "\r\n\r\n" + part.data + "\r\n";
  }
  return body + "--" + boundary + "--" + epilogue;
}

inline std::string ContentType(const std::string& boundary = kBoundary) {
  return "multipart/form-data; boundary=" + boundary;
}

// Deterministic bytes of every value, CR LF and dashes included.
inline std::string Bytes(std::size_t size, unsigned seed = 1) {
  std::string out(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    out[i] = static_cast<char>(seed >> 16);
  }
  return out;
}

// A reader on an in-memory host serving `body`, as the parser drives it.
struct ReaderRig {
  ReaderRig(progress::ProgressTable& table, const std::string& body, bool start = true)
      : progress(table) {
    host.SetBody(body);
    EXPECT_EQ(context.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Upload), S_OK);
    errors.SetDrain([this] {
      if (!reader.Flushed()) reader._Flush();
    });
    if (start) reader.Start(static_cast<std::int32_t>(body.size()));
  }
  std::string Line() {
    const std::uint8_t* first = nullptr;
    const std::uint8_t* last = nullptr;
    if (reader._BinaryRead(&first, &last) != S_OK) return "<failed>";
    return std::string(first, last);
  }

  test::FakeHost host;
  frame::PageContext context;
  UploadErrors errors{std::make_shared<frame::ErrorFlag>()};
  progress::ProgressLink progress;
  BodyReader reader{context, errors, progress};
};

class UploadTest : public form::testing::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    const std::string catalog = reg_.dir().Write("res/messages.cat", kUploadCatalog);
    const std::u16string key = registry::KeyPath(registry::Root::LocalMachine, frame::kConfigKey);
    ASSERT_EQ(reg_.Open().Edit([&](registry::Tree& t) {
      t.SetString(key, frame::kResPathValue, U16(catalog));
      return registry::ERROR_SUCCESS;
    }),
              registry::ERROR_SUCCESS);
    Post("");
  }

  // A new request with `body`; the host of the previous one is dropped.
  void Post(const std::string& body, const std::string& contentType = ContentType()) {
    host_ = std::make_unique<test::FakeHost>();
    host_->SetSiteRoot(WinPath(root_));
    host_->SetBody(body);
    host_->SetServerVariable(u"CONTENT_TYPE", U16(contentType));
  }
  test::FakeHost& host() { return *host_; }

  // A started upload object with DefaultPath the upload folder and UTF-8.
  ComPtr<IFileUpload> NewUpload(bool setPath = true) {
    ComPtr<IFileUpload> up = MakeFileUpload(table_);
    EXPECT_EQ(up->OnStartPage(host_->ScriptingContext().get()), S_OK);
    up->put_CodePage(65001);
    if (setPath) {
      EXPECT_EQ(up->put_DefaultPath(Bstr(UploadFolder())), S_OK);
    }
    return up;
  }

  static form::CFormElementMultiCollection* FormOf(IFileUpload& up) {
    Variant form;
    if (up.get_Form(&form) != S_OK) return nullptr;
    return static_cast<form::CFormElementMultiCollection*>(
        static_cast<IFormElementMultiCollection*>(form.dispatch()));
  }

  // Every element as "name=value" or "name:fileName=<file bytes>".
  static std::vector<std::string> Elements(const form::CFormElementMultiCollection& form,
                                           const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& name : names) {
      const form::CFormElementCollection* collection = form.Find(U16(name));
      if (collection == nullptr) continue;
      for (const auto& element : collection->Elements()) {
        const form::FormItem& item = element->Item();
        out.push_back(Utf16ToUtf8(item.Name) + (item.IsFileItem
                                                    ? ":" + Utf16ToUtf8(item.FileName) + "=" +
                                                          ReadHostFile(HostPath(item.TempFilePath))
                                                    : "=" + Utf16ToUtf8(item.Value)));
      }
    }
    return out;
  }

  // Names of the files now in the upload folder.
  std::vector<std::string> FolderFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Host("up"))) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::unique_ptr<test::FakeHost> host_;
  progress::ProgressTable table_{std::chrono::milliseconds(100)};
};

}  // namespace vant::upload::testing
