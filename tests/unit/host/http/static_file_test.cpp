#include "host/http/static_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/http/http_date.h"
#include "http_test_support.h"

namespace vant::host::http {
namespace {

using testing::RawClient;
using testing::TempSite;
using testing::TestServer;

std::string Digits(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + i % 10));
  return s;
}

TEST(StaticFile, ContentTypes) {
  TempSite site;
  const struct {
    const char* name;
    const char* type;
  } rows[] = {
      {"a.html", "text/html"},
      {"a.HTM", "text/html"},
      {"a.css", "text/css"},
      {"a.js", "text/javascript"},
      {"a.json", "application/json"},
      {"a.png", "image/png"},
      {"a.jpg", "image/jpeg"},
      {"a.jpeg", "image/jpeg"},
      {"a.gif", "image/gif"},
      {"a.svg", "image/svg+xml"},
      {"a.ico", "image/x-icon"},
      {"a.txt", "text/plain"},
      {"a.pdf", "application/pdf"},
      {"a.wasm", "application/wasm"},
      {"a.woff2", "font/woff2"},
      {"a.bin", "application/octet-stream"},
      {"noext", "application/octet-stream"},
  };
  for (const auto& row : rows) site.Add(row.name, "x");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  for (const auto& row : rows) {
    const auto r = server.Get(std::string("/") + row.name);
    ASSERT_TRUE(r) << row.name;
    EXPECT_EQ(r->status, 200) << row.name;
    EXPECT_EQ(r->Header("Content-Type").value_or("none"), row.type) << row.name;
    EXPECT_EQ(r->Header("Accept-Ranges").value_or(""), "bytes") << row.name;
  }
}

// Files of an upload folder never run in the site's origin: markup and
// scripts are attachments, pictures stay inline for <img>, all sandboxed.
TEST(StaticFile, UploadFolderFilesAreSandboxed) {
  TempSite site;
  const struct {
    const char* name;
    const char* disposition;  // "" when absent
  } rows[] = {
      {"uploads/a.html", "attachment"},
      {"uploads/a.svg", "attachment"},
      {"uploads/a.js", "attachment"},
      {"uploads/x.asp", "attachment"},
      {"uploads/noext", "attachment"},
      {"uploads/a.png", ""},
      {"uploads/a.JPG", ""},
      {"uploads/a.gif", ""},
  };
  for (const auto& row : rows) site.Add(row.name, "<script>x</script>");
  site.Add("a.html", "<p>site page</p>");
  TestServer server(site, [](HostOptions& o) { o.uploadFolders = {"/uploads"}; });
  ASSERT_TRUE(server.Started());
  for (const auto& row : rows) {
    const auto r = server.Get(std::string("/") + row.name);
    ASSERT_TRUE(r) << row.name;
    EXPECT_EQ(r->status, 200) << row.name;
    EXPECT_EQ(r->Header("Content-Disposition").value_or(""), row.disposition) << row.name;
    EXPECT_EQ(r->Header("X-Content-Type-Options").value_or(""), "nosniff") << row.name;
    EXPECT_EQ(r->Header("Content-Security-Policy").value_or(""), "sandbox; default-src 'none'")
        << row.name;
  }
  const auto page = server.Get("/a.html");
  ASSERT_TRUE(page);
  EXPECT_FALSE(page->Header("Content-Security-Policy") || page->Header("Content-Disposition"))
      << "files outside upload folders are sent as before";
}

TEST(StaticFile, Ranges) {
  TempSite site;
  const std::string content = Digits(1000);
  site.Add("f.bin", content);
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const struct {
    const char* range;
    int status;
    const char* contentRange;  // "" when absent
    std::size_t first;
    std::size_t length;
  } rows[] = {
      {"bytes=0-9", 206, "bytes 0-9/1000", 0, 10},
      {"bytes=990-", 206, "bytes 990-999/1000", 990, 10},
      {"bytes=-5", 206, "bytes 995-999/1000", 995, 5},
      {"bytes=995-100000", 206, "bytes 995-999/1000", 995, 5},
      {"bytes=-2000", 206, "bytes 0-999/1000", 0, 1000},
      {"bytes=1000-", 416, "bytes */1000", 0, 0},
      {"bytes=5000-6000", 416, "bytes */1000", 0, 0},
      {"bytes=-0", 416, "bytes */1000", 0, 0},
      {"bytes=5-1", 200, "", 0, 1000},
      {"bytes=abc", 200, "", 0, 1000},
      {"bytes=0-1,3-4", 200, "", 0, 1000},
      {"lines=0-1", 200, "", 0, 1000},
      {"bytes=18446744073709551616-", 416, "bytes */1000", 0, 0},
  };
  for (const auto& row : rows) {
    const auto r = server.Get("/f.bin", std::string("Range: ") + row.range + "\r\n");
    ASSERT_TRUE(r) << row.range;
    EXPECT_EQ(r->status, row.status) << row.range;
    EXPECT_EQ(r->Header("Content-Range").value_or(""), row.contentRange) << row.range;
    EXPECT_EQ(r->body, content.substr(row.first, row.length)) << row.range;
  }
}

TEST(StaticFile, IfRangeMustMatchLastModified) {
  TempSite site;
  site.Add("f.txt", "0123456789");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const auto full = server.Get("/f.txt");
  ASSERT_TRUE(full);
  const std::string stamp = full->Header("Last-Modified").value_or("");
  const auto matching = server.Get("/f.txt", "Range: bytes=2-3\r\nIf-Range: " + stamp + "\r\n");
  ASSERT_TRUE(matching);
  EXPECT_EQ(matching->status, 206);
  EXPECT_EQ(matching->body, "23");
  const auto stale = server.Get("/f.txt", "Range: bytes=2-3\r\nIf-Range: \"some-etag\"\r\n");
  ASSERT_TRUE(stale);
  EXPECT_EQ(stale->status, 200);
  EXPECT_EQ(stale->body, "0123456789");
}

TEST(StaticFile, NotModifiedSince) {
  TempSite site;
  site.Add("f.txt", "data");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  struct stat st {};
  ::stat((site.Root() + "/f.txt").c_str(), &st);
  const struct {
    std::time_t since;
    int status;
  } rows[] = {{st.st_mtime, 304}, {st.st_mtime + 3600, 304}, {st.st_mtime - 1, 200}};
  for (const auto& row : rows) {
    const auto r = server.Get("/f.txt", "If-Modified-Since: " + FormatHttpDate(row.since) + "\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, row.status) << FormatHttpDate(row.since);
    EXPECT_EQ(r->body, row.status == 200 ? "data" : "");
    EXPECT_EQ(r->Header("Last-Modified").value_or(""), FormatHttpDate(st.st_mtime));
  }
  const auto junk = server.Get("/f.txt", "If-Modified-Since: whenever\r\n");
  ASSERT_TRUE(junk);
  EXPECT_EQ(junk->status, 200);
}

TEST(StaticFile, HeadSendsHeadersOnlyAndOtherMethodsAreRefused) {
  TempSite site;
  site.Add("f.txt", "twelve bytes");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  RawClient client(server.Port());
  const auto head = client.Request("HEAD /f.txt HTTP/1.1\r\nHost: t\r\n\r\n", true);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->Header("Content-Length").value_or(""), "12");
  // The same connection carries on, proving no body bytes followed the HEAD answer.
  const auto post = client.Request("POST /f.txt HTTP/1.1\r\nHost: t\r\nContent-Length: 0\r\n\r\n");
  ASSERT_TRUE(post);
  EXPECT_EQ(post->status, 405);
  EXPECT_EQ(post->Header("Allow").value_or(""), "GET, HEAD");
}

TEST(StaticFile, LargeFileArrivesWhole) {
  TempSite site;
  const std::string big = Digits(3 * 1024 * 1024 + 17);
  site.Add("big.bin", big);
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const auto r = server.Get("/big.bin");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Header("Content-Length").value_or(""), std::to_string(big.size()));
  EXPECT_TRUE(r->body == big) << "got " << r->body.size() << " bytes";
}

// A file kept open between requests never outlives an edit: each change
// shows at the next request, with its own length.
TEST(StaticFile, AnEditShowsAtTheNextRequest) {
  TempSite site;
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  for (const std::string body : {"first version", "second", "", "the fourth, longer version"}) {
    site.Add("page.txt", body);
    for (int again = 0; again < 2; ++again) {
      const auto r = server.Get("/page.txt");
      ASSERT_TRUE(r);
      EXPECT_EQ(r->body, body);
    }
  }
}

}  // namespace
}  // namespace vant::host::http
