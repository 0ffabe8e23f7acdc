#include <gtest/gtest.h>

#include "download/file_download.h"
#include "support/fake_field.h"
#include "unit/download/download_test_env.h"
#include "unit/download/strict_header_host.h"

namespace vant::download {
namespace {

using testing::DownloadTest;
using testing::TakeReport;
using vant::test::FakeField;
using Lines = std::vector<std::string>;

using DownloadBlobTest = DownloadTest;

std::vector<std::size_t> Sizes(const std::vector<std::int32_t>& requests) {
  return {requests.begin(), requests.end()};
}

// The value goes out in GetChunk requests of at most 65,536 bytes, each
// written as it arrives, after the BLOB's own header set: no validators or
// expiry, but ranges are taken.
TEST_F(DownloadBlobTest, ChunksAndHeaders) {
  struct Row {
    std::size_t size;
    std::vector<std::size_t> chunks;
  };
  const Row rows[] = {
      {0, {}},
      {65535, {65535}},
      {65536, {65536}},
      {3 * 65536 + 100, {65536, 65536, 65536, 100}},
  };
  for (const Row& row : rows) {
    const std::string value = vant::testing::Pattern(row.size, 9);
    auto field = FakeField::Create(ado::kAdLongVarBinary, value);
    test::FakeHost host;
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->DownloadBlob(field.get(), u"photo.jpg", kOn), S_OK) << row.size;
    EXPECT_EQ(Sizes(field->requests), row.chunks) << row.size;
    EXPECT_EQ(host.BinaryWriteSizes(), row.chunks) << row.size;
    EXPECT_EQ(host.Output(), value) << row.size;
    EXPECT_EQ(testing::Describe(host.Events()),
              (Lines{"Buffer=0", "ContentType=application/octet-stream",
                     "Content-Disposition: attachment; filename=\"photo.jpg\"",
                     "Accept-Ranges: bytes", "Content-Length: " + std::to_string(row.size)}))
        << row.size;
  }
}

// The name is quoted and escaped as for a file, so a stored name cannot end
// the value and add a parameter (a filename* the browser would prefer).
TEST_F(DownloadBlobTest, NameIsQuotedAndEscaped) {
  struct Row {
    std::u16string name;
    std::u16string disposition;
  };
  const Row rows[] = {
      {u"a b.txt", uR"(inline; filename="a b.txt")"},
      {u"report.pdf; filename*=UTF-8''evil.html",
       uR"(inline; filename="report.pdf; filename*=UTF-8''evil.html")"},
      {u"x\"; filename=evil.html", uR"(inline; filename="x\"; filename=evil.html")"},
      {u"a\\", uR"(inline; filename="a\\")"},
  };
  for (const Row& row : rows) {
    test::FakeHost host;
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    auto field = FakeField::Create(ado::kAdLongVarBinary, "abc");
    EXPECT_EQ(download->DownloadBlob(field.get(), Bstr(row.name), kOff), S_OK);
    EXPECT_EQ(host.Header(u"Content-Disposition").value_or(u""), row.disposition);
  }
}

// A Range is answered from its start to the end, read forward through
// GetChunk in chunks that line up with the start; If-Range cannot match a
// BLOB (it has no validator), so with it the whole value is sent.
TEST_F(DownloadBlobTest, RangesResumeFromTheStart) {
  const std::size_t size = 3 * 65536 + 100;
  const std::string value = vant::testing::Pattern(size, 5);
  constexpr std::size_t kNone = std::string::npos;
  struct Row {
    std::u16string range, ifRange;
    std::string status, contentRange;
    std::size_t from;  // first byte sent, kNone: no body
    std::vector<std::size_t> chunks;
  };
  const Row rows[] = {
      {u"bytes=100-",
       u"",
       "206 Partial content",
       "bytes 100-196707/196708",
       100,
       {100, 65536, 65536, 65536}},
      {u"bytes=65536-999",
       u"",
       "206 Partial content",
       "bytes 65536-196707/196708",
       65536,
       {65536, 65536, 65536, 100}},
      {u"bytes=196707-",
       u"",
       "206 Partial content",
       "bytes 196707-196707/196708",
       196707,
       {65536, 65536, 65536, 99, 1}},
      {u"bytes=196708-", u"", "416 Requested range not satisfiable", "bytes */196708", kNone, {}},
      {u"bytes=-500", u"", "", "", 0, {65536, 65536, 65536, 100}},
      {u"bytes=100-", u"\"abc\"", "", "", 0, {65536, 65536, 65536, 100}},
  };
  for (const Row& row : rows) {
    const std::string label = vant::testing::U8(row.range + u" " + row.ifRange);
    test::FakeHost host;
    host.SetServerVariable(u"HTTP_RANGE", row.range);
    if (!row.ifRange.empty()) host.SetServerVariable(u"HTTP_IF_RANGE", row.ifRange);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    auto field = FakeField::Create(ado::kAdLongVarBinary, value);
    EXPECT_EQ(download->DownloadBlob(field.get(), u"a.bin", kOn), S_OK) << label;
    EXPECT_EQ(host.Status().value_or(u""), vant::testing::U16(row.status)) << label;
    EXPECT_EQ(host.Header(u"Content-Range").value_or(u""), vant::testing::U16(row.contentRange))
        << label;
    const std::string body = row.from == kNone ? "" : value.substr(row.from);
    EXPECT_EQ(host.Header(u"Content-Length").value_or(u""),
              vant::testing::U16(std::to_string(body.size())))
        << label;
    EXPECT_EQ(host.Output(), body) << label;
    EXPECT_EQ(Sizes(field->requests), row.chunks) << label;
  }
}

TEST_F(DownloadBlobTest, NotLongBinaryFailsBeforeAnyHeader) {
  auto text = FakeField::Create(201, "abc");
  EXPECT_EQ(download_->DownloadBlob(text.get(), u"a.txt", kOff), E_FAIL);
  EXPECT_EQ(TakeReport(), "54");
  EXPECT_TRUE(host_.Events().empty());
  EXPECT_TRUE(text->requests.empty());
}

TEST_F(DownloadBlobTest, NoFieldIsAnUnexpectedFailure) {
  auto other = vant::test::NotAField::Create();
  EXPECT_EQ(download_->DownloadBlob(other.get(), u"a.txt", kOff), E_FAIL);
  EXPECT_EQ(TakeReport(), "66|CFileDownload|DownloadBlob");
}

// A failing read ends the download with the field's status and no report;
// a failing write or a vanished client ends the response with 0x40020055.
TEST_F(DownloadBlobTest, ReadAndWriteFailures) {
  const std::string value = vant::testing::Pattern(3 * 65536);
  for (std::uint32_t k = 0; k < 3; ++k) {
    {
      auto field = FakeField::Create(ado::kAdLongVarBinary, value);
      field->failChunkAt = k;
      test::FakeHost host;
      auto download = CFileDownload::Create(cache_);
      ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
      EXPECT_EQ(download->DownloadBlob(field.get(), u"a", kOff), E_UNEXPECTED) << k;
      EXPECT_EQ(TakeReport(), "<none>") << k;
      EXPECT_EQ(host.BinaryWriteSizes().size(), k) << k;
    }
    for (const bool viaWrite : {false, true}) {
      auto field = FakeField::Create(ado::kAdLongVarBinary, value);
      test::FakeHost host;
      if (viaWrite) {
        host.FailWriteAt(k, E_ABORT);
      } else {
        host.DisconnectFrom(k);
      }
      auto download = CFileDownload::Create(cache_);
      ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
      EXPECT_EQ(download->DownloadBlob(field.get(), u"a", kOff), viaWrite ? E_ABORT : E_FAIL) << k;
      EXPECT_EQ(TakeReport(), "55") << k;
      EXPECT_EQ(host.EndCount(), 1) << k;
      EXPECT_EQ(field->requests.size(), viaWrite ? k + 1 : k) << k;
    }
  }
}

// As for a file: a name that would split the header fails with 0x40020069
// and nothing is sent. A Range that cannot be read fails before any body.
TEST_F(DownloadBlobTest, HeaderInjectionOrUnreadableRangeSendsNothing) {
  for (const bool strict : {false, true}) {
    test::FakeHost host;
    auto context = vant::testing::StrictContext::Create(host);
    ComPtr<IUnknown> plain = host.ScriptingContext();
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(strict ? static_cast<IUnknown*>(context.get()) : plain.get()),
              S_OK);
    auto field = FakeField::Create(ado::kAdLongVarBinary, "abc");
    EXPECT_EQ(download->DownloadBlob(field.get(), u"a\r\nSet-Cookie: x=1", kOn), E_FAIL);
    EXPECT_EQ(TakeReport(), "69");
    EXPECT_TRUE(host.Events().empty());
  }
  test::FakeHost host;
  host.Fail(test::HostCall::ServerVariables);
  auto download = CFileDownload::Create(cache_);
  ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
  auto field = FakeField::Create(ado::kAdLongVarBinary, "abc");
  EXPECT_TRUE(Failed(download->DownloadBlob(field.get(), u"a", kOn)));
  EXPECT_EQ(host.Output(), "");
  EXPECT_TRUE(field->requests.empty());
}

}  // namespace
}  // namespace vant::download
