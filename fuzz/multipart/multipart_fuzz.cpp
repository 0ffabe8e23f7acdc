// Fuzz target for the multipart parser: one input is a request to the
// upload object, served through the in-memory host.
//
// Input layout:
//   byte 0        flags: bits 0-1 code page (65001, 949, 932, 1252),
//                 bit 2 TotalLen of 1000, bit 3 save the first file
//   byte 1        count of read faults (0-7), then 3 bytes per fault:
//                 read index, kind (0 short, 1 failing, 2 no array), size / 97
//   then          the boundary, up to a LF (at most 130 bytes)
//   the rest      the request body
//
// Whatever the input: no crash, no leak, no file written outside the upload
// folder, and the upload folder is empty once the object is released.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/automation/automation.h"
#include "progress/progress_table.h"
#include "tests/support/fake_host.h"
#include "upload/file_upload.h"

namespace {

using namespace vant;

constexpr std::int32_t kCodePages[] = {65001, 949, 932, 1252};
constexpr std::size_t kMaxBoundary = 130;
constexpr int kFaultSizeUnit = 97;

// A sandbox folder holding only the upload folder "up".
struct Sandbox {
  Sandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vant-fuzz-XXXXXX").string();
    root = mkdtemp(pattern.data());
    up = root / "up";
    std::filesystem::create_directories(up);
    // Reports read the message configuration: point them at an empty one.
    setenv("VANT_REGISTRY", (root / "registry.reg").c_str(), 1);
    upWindows = u"C:" + Utf8ToUtf16(up.string());
    for (char16_t& c : upWindows) c = c == u'/' ? u'\\' : c;
  }
  std::filesystem::path root, up;
  std::u16string upWindows;
};

Sandbox& TheSandbox() {
  static Sandbox sandbox;
  return sandbox;
}

struct Cursor {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

void ApplyFaults(Cursor& in, test::FakeHost& host) {
  const int faults = in.Byte() % 8;
  for (int i = 0; i < faults; ++i) {
    const std::uint32_t index = in.Byte();
    const std::uint8_t kind = in.Byte() % 3;
    const std::int32_t bytes = in.Byte() * kFaultSizeUnit;
    if (kind == 0) host.ShortReadAt(index, bytes);
    if (kind == 1) host.FailReadAt(index);
    if (kind == 2) host.NonArrayReadAt(index);
  }
}

std::string TakeBoundary(Cursor& in) {
  std::string boundary;
  while (in.size != 0 && boundary.size() < kMaxBoundary) {
    const char c = static_cast<char>(in.Byte());
    if (c == '\n') break;
    boundary += c;
  }
  return boundary;
}

// Everything under the sandbox that is not the upload folder, plus what the
// upload folder still holds.
bool SandboxClean(const Sandbox& box) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(box.root)) {
    if (entry.path() == box.up || entry.path() == box.root / "registry.reg") continue;
    std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
    return false;
  }
  return true;
}

void RunUpload(Cursor& in, std::uint8_t flags, const Sandbox& box) {
  test::FakeHost host;
  ApplyFaults(in, host);
  const std::string boundary = TakeBoundary(in);
  host.SetServerVariable(u"CONTENT_TYPE", Utf8ToUtf16("multipart/form-data; boundary=" + boundary));
  host.SetBody(std::string(reinterpret_cast<const char*>(in.data), in.size));
  host.SetSiteRoot(u"C:\\");
  static progress::ProgressTable table{std::chrono::milliseconds(0)};
  ComPtr<IFileUpload> up = upload::MakeFileUpload(table);
  up->OnStartPage(host.ScriptingContext().get());
  up->put_CodePage(kCodePages[flags & 3]);
  if (flags & 4) up->put_TotalLen(1000);
  up->put_DefaultPath(Bstr(box.upWindows));
  Variant form;
  if (up->get_Form(&form) == S_OK && (flags & 8) != 0) {
    // Saving under the name the browser sent must stay in the folder.
    Bstr saved;
    up->Save(Bstr(box.upWindows), VARIANT_FALSE, &saved);
    up->DeleteAllSavedFiles();
  }
  form = Variant();
  up = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sandbox& box = TheSandbox();
  Cursor in{data, size};
  const std::uint8_t flags = in.Byte();
  RunUpload(in, flags, box);
  if (!SandboxClean(box) || !std::filesystem::is_empty(box.up)) {
    for (const auto& entry : std::filesystem::directory_iterator(box.up)) {
      std::fprintf(stderr, "left in the upload folder: %s\n", entry.path().c_str());
    }
    std::abort();
  }
  return 0;
}
