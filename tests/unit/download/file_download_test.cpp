#include "download/file_download.h"

#include <gtest/gtest.h>

#include "download/validators.h"
#include "platform/fs/fault_injection.h"
#include "platform/fs/folder_watch.h"
#include "unit/download/download_test_env.h"
#include "unit/download/strict_header_host.h"

namespace vant::download {
namespace {

using testing::Describe;
using testing::DownloadTest;
using testing::TakeReport;
using testing::U16;
using Lines = std::vector<std::string>;

// 2006-09-05 13:04:09 UTC, a Tuesday.
constexpr std::int64_t kModified = 1157461449;
const std::string kLastModified = "Last-Modified: Tue, 05 Sep 2006 13:04:09 GMT";
const Lines kPrepare = {"Buffer=0", "Expires=0", "ContentType=application/octet-stream"};

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FileDownloadTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    content_ = vant::testing::Pattern(1000);
    path_ = MakeFile("report.pdf", content_);
    SetModified("report.pdf", kModified);
  }

  std::string content_;
  std::u16string path_;
};

// Which headers each kind of download writes, and in what order.
TEST_F(FileDownloadTest, HeadersInOrder) {
  struct Row {
    const char* what;
    const char16_t* name;
    VARIANT_BOOL attach;
    VARIANT_BOOL resume;
    const char16_t* range;
    Lines headers;
  };
  const Row rows[] = {
      {"inline, leaf name",
       u"",
       kOff,
       kOff,
       nullptr,
       {"Content-Disposition: inline; filename=\"report.pdf\"", "Content-Length: 1000"}},
      {"attachment, given name",
       u"x y.bin",
       kOn,
       kOff,
       nullptr,
       {"Content-Disposition: attachment; filename=\"x y.bin\"", "Content-Length: 1000"}},
      {"quote and backslash in the name are escaped, never a parameter of their own",
       u"a\"; filename=evil\\.txt",
       kOn,
       kOff,
       nullptr,
       {"Content-Disposition: attachment; filename=\"a\\\"; filename=evil\\\\.txt\"",
        "Content-Length: 1000"}},
      {"resume off ignores Range",
       u"",
       kOff,
       kOff,
       u"bytes=100-",
       {"Content-Disposition: inline; filename=\"report.pdf\"", "Content-Length: 1000"}},
      {"resume must be exactly true",
       u"",
       kOff,
       VARIANT_BOOL{1},
       u"bytes=100-",
       {"Content-Disposition: inline; filename=\"report.pdf\"", "Content-Length: 1000"}},
      {"resume, no Range",
       u"",
       kOff,
       kOn,
       nullptr,
       {"Content-Disposition: inline; filename=\"report.pdf\"", "Accept-Ranges: bytes",
        kLastModified, "ETag: <tag>", "Content-Length: 1000"}},
      {"resume with Range",
       u"",
       kOff,
       kOn,
       u"bytes=100-",
       {"Status=206 Partial content", "Content-Disposition: inline; filename=\"report.pdf\"",
        "Accept-Ranges: bytes", "ETag: <tag>", "Content-Range: bytes 100-999/1000",
        "Content-Length: 900"}},
  };
  for (const Row& row : rows) {
    test::FakeHost host;
    if (row.range != nullptr) host.SetServerVariable(u"HTTP_RANGE", row.range);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path_, row.name, row.attach, row.resume), S_OK) << row.what;
    EXPECT_EQ(testing::Describe(host.Events()), Join(kPrepare, row.headers)) << row.what;
    const std::size_t from = row.range != nullptr && row.resume == kOn ? 100 : 0;
    EXPECT_EQ(host.Output(), content_.substr(from)) << row.what;
    EXPECT_EQ(TakeReport(), "<none>") << row.what;
  }
}

// Range values: the start of the first range counts; hostile values never
// read outside the content.
TEST_F(FileDownloadTest, RangeRows) {
  struct Row {
    const char16_t* range;
    const char* status;  // "" for none
    const char* contentRange;
    const char* contentLength;
    std::size_t bodyFrom;  // npos: no body
  };
  constexpr std::size_t kNone = std::string::npos;
  const Row rows[] = {
      {u"bytes=100-", "206 Partial content", "bytes 100-999/1000", "900", 100},
      {u"bytes=100-199", "206 Partial content", "bytes 100-999/1000", "900", 100},
      {u"bytes=0-", "206 Partial content", "bytes 0-999/1000", "1000", 0},
      {u"bytes=999-", "206 Partial content", "bytes 999-999/1000", "1", 999},
      {u"BYTES=10-", "206 Partial content", "bytes 10-999/1000", "990", 10},
      {u"bytes=100-,300-400", "206 Partial content", "bytes 100-999/1000", "900", 100},
      {u"bytes=1000-", "416 Requested range not satisfiable", "bytes */1000", "0", kNone},
      {u"bytes=5000-6000", "416 Requested range not satisfiable", "bytes */1000", "0", kNone},
      {u"bytes=99999999999999999999999-", "416 Requested range not satisfiable", "bytes */1000",
       "0", kNone},
      {u"bytes=-500", "", "", "1000", 0},
      {u"bytes=--5", "", "", "1000", 0},
      {u"bytes=", "", "", "1000", 0},
      {u"bytes", "", "", "1000", 0},
      {u"byt", "", "", "1000", 0},
      {u"b", "", "", "1000", 0},
      {u"items=100-", "", "", "1000", 0},
      {u"bytes=abc-", "", "", "1000", 0},
      {u"bytes=100", "", "", "1000", 0},
      {u"bytes= 100-", "", "", "1000", 0},
      {u"bytes=+100-", "", "", "1000", 0},
  };
  for (const Row& row : rows) {
    const std::string label = vant::testing::U8(row.range);
    test::FakeHost host;
    host.SetServerVariable(u"HTTP_RANGE", row.range);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path_, u"", kOff, kOn), S_OK) << label;
    EXPECT_EQ(host.Status().value_or(u""), U16(row.status)) << label;
    EXPECT_EQ(host.Header(u"Content-Range").value_or(u""), U16(row.contentRange)) << label;
    EXPECT_EQ(host.Header(u"Content-Length").value_or(u""), U16(row.contentLength)) << label;
    EXPECT_EQ(host.Output(), row.bodyFrom == kNone ? "" : content_.substr(row.bodyFrom)) << label;
    // Every answer with a body carries the disposition; a 416 does not.
    EXPECT_EQ(host.Header(u"Content-Disposition").has_value(), row.bodyFrom != kNone) << label;
  }
}

// If-Range must name this version of the file (its tag or its date);
// anything else gets the whole file with status 200.
TEST_F(FileDownloadTest, IfRangeMatchAndMismatch) {
  ASSERT_EQ(download_->Download(path_, u"", kOff, kOn), S_OK);
  const std::u16string tag = host_.Header(u"ETag").value_or(u"");
  ASSERT_EQ(tag.size(), 34u);
  const std::u16string other = tag.substr(0, 5) + (tag[5] == u'0' ? u"1" : u"0") + tag.substr(6);
  struct Row {
    const char* what;
    std::u16string ifRange;
    bool partial;
  };
  const Row rows[] = {
      {"same tag", tag, true},          {"same date", u"Tue, 05 Sep 2006 13:04:09 GMT", true},
      {"no If-Range", u"", true},       {"other tag", other, false},
      {"weak tag", u"W/" + tag, false}, {"other date", u"Tue, 05 Sep 2006 13:04:10 GMT", false},
  };
  for (const Row& row : rows) {
    test::FakeHost host;
    host.SetServerVariable(u"HTTP_RANGE", u"bytes=600-");
    if (!row.ifRange.empty()) host.SetServerVariable(u"HTTP_IF_RANGE", row.ifRange);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path_, u"", kOff, kOn), S_OK) << row.what;
    EXPECT_EQ(host.Status().has_value(), row.partial) << row.what;
    EXPECT_EQ(host.Output(), content_.substr(row.partial ? 600 : 0)) << row.what;
    EXPECT_EQ(host.Header(u"ETag").value_or(u""), tag) << row.what;
  }
}

// A new version of the file (changed time or length) gets a new tag, so a
// resume against the old one restarts instead of splicing versions.
TEST_F(FileDownloadTest, TagFollowsTheFileVersion) {
  ASSERT_EQ(download_->Download(path_, u"", kOff, kOn), S_OK);
  const std::u16string before = host_.Header(u"ETag").value_or(u"");
  auto tagNow = [&] {
    test::FakeHost host;
    auto download = CFileDownload::Create(cache_);
    EXPECT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path_, u"", kOff, kOn), S_OK);
    return host.Header(u"ETag").value_or(u"");
  };
  EXPECT_EQ(tagNow(), before);
  SetModified("report.pdf", kModified + 1);
  const std::u16string touched = tagNow();
  EXPECT_NE(touched, before);
  MakeFile("report.pdf", content_ + "x");
  SetModified("report.pdf", kModified + 1);
  EXPECT_NE(tagNow(), touched);
}

// Chunks of 65,536 bytes; a body of whole chunks ends with an empty write.
TEST_F(FileDownloadTest, ChunkSizes) {
  struct Row {
    std::size_t size;
    const char16_t* range;
    std::vector<std::size_t> writes;
  };
  const Row rows[] = {
      {0, nullptr, {0}},
      {100, nullptr, {100}},
      {65535, nullptr, {65535}},
      {65536, nullptr, {65536, 0}},
      {65537, nullptr, {65536, 1}},
      {131072, nullptr, {65536, 65536, 0}},
      {3 * 65536 + 100, nullptr, {65536, 65536, 65536, 100}},
      {131072, u"bytes=65536-", {65536, 0}},
      {131072, u"bytes=1-", {65536, 65535}},
  };
  for (const Row& row : rows) {
    const std::string content = vant::testing::Pattern(row.size, 3);
    const std::u16string path = MakeFile("chunks.bin", content);
    test::FakeHost host;
    if (row.range != nullptr) host.SetServerVariable(u"HTTP_RANGE", row.range);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path, u"", kOff, kOn), S_OK) << row.size;
    EXPECT_EQ(host.BinaryWriteSizes(), row.writes) << row.size;
    const std::size_t from = row.range == nullptr ? 0 : row.size - host.Output().size();
    EXPECT_EQ(host.Output(), content.substr(from)) << row.size;
  }
}

// A client gone before chunk k, or a write failing at chunk k: the response
// is ended, 0x40020055 reported, and no further chunk is read or sent.
TEST_F(FileDownloadTest, ClientGoneOrWriteFailsAtChunkK) {
  const std::string content = vant::testing::Pattern(3 * 65536 + 100, 5);
  const std::u16string path = MakeFile("big.bin", content);
  for (const bool viaWrite : {false, true}) {
    for (std::uint32_t k = 0; k < 4; ++k) {
      test::FakeHost host;
      if (viaWrite) {
        host.FailWriteAt(k);
      } else {
        host.DisconnectFrom(k);
      }
      auto download = CFileDownload::Create(cache_);
      ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
      EXPECT_EQ(download->Download(path, u"", kOff, kOff), E_FAIL) << k;
      EXPECT_EQ(TakeReport(), "55") << k;
      EXPECT_EQ(host.EndCount(), 1) << k;
      EXPECT_EQ(host.BinaryWriteSizes().size(), k) << k;
      EXPECT_EQ(host.Output(), content.substr(0, 65536 * k)) << k;
    }
  }
}

// On a host that sends files itself, the disk path hands it the open file
// and the range in one call, with the same headers and bytes as the chunk
// loop and no byte array. A client gone before or during the send ends the
// response with 0x40020055; a failure while the client is still there is
// the file's. The cache keeps sending views of its bytes.
TEST_F(FileDownloadTest, HostThatSendsFilesGetsTheRange) {
  struct Row {
    const char* what;
    const char16_t* range;
    std::int32_t failWrite;  // -1: none
    std::int32_t goneFrom;   // -1: never
    std::string report;      // "" : success, same output as the chunk loop
  };
  const Row rows[] = {
      {"whole file", nullptr, -1, -1, ""},
      {"tail of a range", u"bytes=600-", -1, -1, ""},
      {"range at the last byte", u"bytes=999-", -1, -1, ""},
      {"unsatisfiable range sends nothing", u"bytes=1000-", -1, -1, ""},
      {"client gone before the send", nullptr, -1, 0, "55"},
      {"client gone during the send", nullptr, 0, 1, "55"},
      {"send fails, client still there", nullptr, 0, -1, "63|CFileDownload|DownloadForFile|3"},
  };
  auto run = [&](const Row& row, bool offer, test::FakeHost& host) {
    if (offer) host.OfferFileWrites();
    if (row.range != nullptr) host.SetServerVariable(u"HTTP_RANGE", row.range);
    if (row.failWrite >= 0) host.FailWriteAt(static_cast<std::uint32_t>(row.failWrite));
    if (row.goneFrom >= 0) host.DisconnectFrom(static_cast<std::uint32_t>(row.goneFrom));
    auto download = CFileDownload::Create(cache_);
    EXPECT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    const HRESULT hr = download->Download(path_, u"", kOff, kOn);
    EXPECT_EQ(hr, row.report.empty() ? S_OK : E_FAIL) << row.what;
    EXPECT_EQ(TakeReport(), row.report.empty() ? "<none>" : row.report) << row.what;
  };
  for (const Row& row : rows) {
    test::FakeHost sender;
    run(row, true, sender);
    EXPECT_TRUE(sender.BinaryWriteSizes().empty()) << row.what;
    if (!row.report.empty()) {
      EXPECT_EQ(sender.Output(), "") << row.what;
      EXPECT_EQ(sender.EndCount(), row.report == "55" ? 1 : 0) << row.what;
      continue;
    }
    test::FakeHost loop;
    run(row, false, loop);
    EXPECT_EQ(Describe(sender.Events()), Describe(loop.Events())) << row.what;
    EXPECT_EQ(sender.Output(), loop.Output()) << row.what;
  }
  // A cached file goes to such a host as the cache's memory file, with the
  // same output as the chunk loop of views gives any other host.
  ASSERT_EQ(cache_.AddCacheFile(path_), S_OK);
  for (const char16_t* range : {static_cast<const char16_t*>(nullptr), u"bytes=600-"}) {
    test::FakeHost sender;
    test::FakeHost loop;
    run({"cached", range, -1, -1, ""}, true, sender);
    run({"cached", range, -1, -1, ""}, false, loop);
    EXPECT_TRUE(sender.BinaryWriteSizes().empty());
    EXPECT_EQ(sender.Output(), loop.Output());
    EXPECT_EQ(loop.BinaryWriteSizes().size(), 1u);
  }
  ASSERT_EQ(cache_.RemoveCacheFile(path_), S_OK);
}

TEST_F(FileDownloadTest, MissingFileOrFolderSendsNothing) {
  std::filesystem::create_directories(Host("folder"));
  for (const std::u16string& path : {Win("nothing.bin"), Win("folder")}) {
    test::FakeHost host;
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path, u"", kOff, kOn), E_FAIL);
    EXPECT_EQ(TakeReport(), "53|" + vant::testing::U8(path));
    EXPECT_TRUE(host.Events().empty());
  }
}

// A file that exists but cannot be opened: a system error, and not one
// header (no Content-Length that could not be honoured).
TEST_F(FileDownloadTest, UnreadableFileSendsNothing) {
  fs::FaultInjection::FailNthOpen(0, EACCES);
  EXPECT_EQ(download_->Download(path_, u"", kOff, kOn), E_FAIL);
  fs::FaultInjection::Reset();
  EXPECT_EQ(TakeReport(), "63|CFileDownload|DownloadForFile|1");
  EXPECT_TRUE(host_.Events().empty());
}

TEST_F(FileDownloadTest, VirtualPathsAreMappedPhysicalOnesAreNot) {
  MakeFile("files/a.bin", "virtual");
  EXPECT_EQ(download_->DownloadVirtual(u"/files/a.bin", u"", kOff, kOff), S_OK);
  EXPECT_EQ(host_.Output(), "virtual");
  EXPECT_EQ(host_.MapPathCalls(), std::vector<std::u16string>{u"/files/a.bin"});
  EXPECT_EQ(download_->Download(path_, u"", kOff, kOff), S_OK);
  EXPECT_EQ(host_.MapPathCalls().size(), 1u);
}

// A display name that would split the header fails the download with
// 0x40020069 before anything is sent, on a host that refuses such values
// and on one that would accept them.
TEST_F(FileDownloadTest, HeaderInjectionIsNeverSent) {
  const std::u16string names[] = {u"a.txt\r\nSet-Cookie: x=1", u"a.txt\nX: 1", u"a.txt\rX: 1",
                                  std::u16string(u"a.txt\0X: 1", 10)};
  for (const std::u16string& name : names) {
    for (const bool strict : {false, true}) {
      test::FakeHost host;
      auto context = vant::testing::StrictContext::Create(host);
      ComPtr<IUnknown> plain = host.ScriptingContext();
      auto download = CFileDownload::Create(cache_);
      ASSERT_EQ(download->OnStartPage(strict ? static_cast<IUnknown*>(context.get()) : plain.get()),
                S_OK);
      EXPECT_EQ(download->Download(path_, name, kOn, kOn), E_FAIL);
      EXPECT_EQ(TakeReport(), "69");
      EXPECT_TRUE(host.Events().empty());
    }
  }
}

// Only the first error of an object reaches the script.
TEST_F(FileDownloadTest, FirstErrorOnly) {
  EXPECT_EQ(download_->Download(Win("a"), u"", kOff, kOff), E_FAIL);
  EXPECT_EQ(TakeReport(), "53|" + vant::testing::U8(Win("a")));
  host_.DisconnectFrom(0);
  EXPECT_EQ(download_->Download(path_, u"", kOff, kOff), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");
}

// Descriptors kept for the next download of the same file are let go
// before each count, and the change notices' queue exists before the
// first: only what a download leaves behind is counted.
TEST_F(FileDownloadTest, NoDescriptorLeaks) {
  (void)fs::FolderChangeCount();
  fs::ReleaseKeptFiles();
  const int before = vant::testing::OpenDescriptorCount();
  for (int i = 0; i < 20; ++i) {
    test::FakeHost host;
    host.SetServerVariable(u"HTTP_RANGE", i % 2 ? u"bytes=10-" : u"bytes=5000-");
    if (i % 3 == 0) host.DisconnectFrom(0);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    (void)download->Download(path_, u"", kOff, kOn);
    (void)download->Download(Win("missing"), u"", kOff, kOn);
  }
  TakeReport();
  fs::ReleaseKeptFiles();
  EXPECT_EQ(vant::testing::OpenDescriptorCount(), before);
}

}  // namespace
}  // namespace vant::download
