#include "host/http/router.h"

#include <gtest/gtest.h>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

using Kind = Route::Kind;

const char* Name(Kind k) {
  switch (k) {
    case Kind::kPage:
      return "page";
    case Kind::kStatic:
      return "static";
    case Kind::kRedirect:
      return "redirect";
    case Kind::kBadRequest:
      return "bad request";
    case Kind::kForbidden:
      return "forbidden";
    case Kind::kNotFound:
      return "not found";
  }
  return "?";
}

TEST(Router, ResolvesIntoTheSite) {
  testing::TempSite site;
  site.Add("index.html", "home");
  site.Add("upload/save.ASP", "page");
  site.Add("upload/pic.png", "png");
  site.Add("pages/index.asp", "x");
  site.Add("pages/default.htm", "y");  // index.asp is tried before default.htm
  site.Add("docs/default.htm", "d");
  site.AddFolder("empty");
  site.Add("global.asa", "secret");
  site.Add("lib/util.inc", "secret");
  site.Add("lib/data.ASA", "secret");
  site.Add("sub dir/a b.txt", "spaced");

  const struct {
    const char* raw;
    Kind kind;
    const char* virtualPath;
  } rows[] = {
      {"/", Kind::kStatic, "/index.html"},
      {"/upload/save.ASP", Kind::kPage, "/upload/save.ASP"},
      {"/upload/pic.png", Kind::kStatic, "/upload/pic.png"},
      {"/pages/", Kind::kPage, "/pages/index.asp"},
      {"/docs/", Kind::kStatic, "/docs/default.htm"},
      {"/docs", Kind::kRedirect, ""},
      {"/empty/", Kind::kForbidden, ""},
      {"/missing.txt", Kind::kNotFound, ""},
      {"/upload/pic.png/", Kind::kNotFound, ""},
      {"/global.asa", Kind::kNotFound, ""},
      {"/GLOBAL.ASA", Kind::kNotFound, ""},
      {"/lib/util.inc", Kind::kNotFound, ""},
      {"/lib/data.ASA", Kind::kNotFound, ""},
      {"/sub%20dir/a%20b.txt", Kind::kStatic, "/sub dir/a b.txt"},
      {"/../index.html", Kind::kBadRequest, ""},
      {"/upload/%2e%2e/%2e%2e/etc/passwd", Kind::kBadRequest, ""},
      {"/upload%2f..%2f..%2fetc%2fpasswd", Kind::kNotFound, ""},
      {"/index.html%00.png", Kind::kBadRequest, ""},
  };
  const Router router(site.Root() + "/");
  for (const auto& row : rows) {
    const Route r = router.Resolve(row.raw);
    EXPECT_EQ(r.kind, row.kind) << row.raw << " gave " << Name(r.kind) << " " << r.hostPath;
    if (r.kind != row.kind) continue;
    if (r.kind == Kind::kPage || r.kind == Kind::kStatic) {
      EXPECT_EQ(r.virtualPath, row.virtualPath) << row.raw;
      EXPECT_EQ(r.hostPath, site.Root() + row.virtualPath) << row.raw;
    }
  }
}

// In an upload folder no page runs: .asp is a file like any other.
TEST(Router, UploadFoldersRunNoPages) {
  testing::TempSite site;
  for (const char* name : {"uploads/x.asp", "uploads/deep/X.ASP", "uploads/a.html",
                           "uploadsx/p.asp", "p.asp", "Gallery/Photos/y.asp"})
    site.Add(name, "<% x %>");
  const Router router(site.Root(), {"/uploads", "/gallery/photos"});
  const struct {
    const char* raw;
    Kind kind;
    bool uploaded;
  } rows[] = {
      {"/uploads/x.asp", Kind::kStatic, true},
      {"/uploads/deep/X.ASP", Kind::kStatic, true},
      {"/uploads/a.html", Kind::kStatic, true},
      {"/uploadsx/p.asp", Kind::kPage, false},
      {"/p.asp", Kind::kPage, false},
      {"/Gallery/Photos/y.asp", Kind::kStatic, true},
      {"/uploads/../p.asp", Kind::kPage, false},
  };
  for (const auto& row : rows) {
    const Route r = router.Resolve(row.raw);
    EXPECT_EQ(r.kind, row.kind) << row.raw << " gave " << Name(r.kind);
    EXPECT_EQ(r.uploaded, row.uploaded) << row.raw;
  }
}

TEST(Router, RedirectKeepsTheFolderEncoded) {
  testing::TempSite site;
  site.AddFolder("a b");
  const Route r = Router(site.Root()).Resolve("/a%20b");
  ASSERT_EQ(r.kind, Kind::kRedirect);
  EXPECT_EQ(r.location, "/a%20b/");
}

// The router keeps what it found of a file while nothing in the site's
// folders changed: an edit, a replacement, a removal, or a folder on the
// way renamed must each show on the very next request.
TEST(Router, KeptLookupsFollowEveryChange) {
  testing::TempSite site;
  site.Add("app/page.asp", "one");
  const Router router(site.Root());
  const auto at = [&](const std::string& name) { return site.Root() + "/" + name; };
  const auto stamp = [&] { return router.Resolve("/app/page.asp").stamp; };
  const auto first = stamp();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(stamp(), first);
  site.Add("app/page.asp", "longer");
  const auto edited = stamp();
  EXPECT_NE(edited, first) << "an edit went unseen";
  ASSERT_EQ(std::rename(at("app").c_str(), at("gone").c_str()), 0);
  EXPECT_EQ(router.Resolve("/app/page.asp").kind, Kind::kNotFound) << "a renamed folder";
  site.Add("app/page.asp", "three");
  EXPECT_NE(stamp(), edited);
  ASSERT_EQ(std::remove(at("app/page.asp").c_str()), 0);
  EXPECT_EQ(router.Resolve("/app/page.asp").kind, Kind::kNotFound) << "a removed file";
  // A page linked from outside the site: its own folder is not watched.
  testing::TempSite outside;
  outside.Add("target.asp", "one");
  ASSERT_EQ(::symlink((outside.Root() + "/target.asp").c_str(), at("link.asp").c_str()), 0);
  const auto linked = router.Resolve("/link.asp").stamp;
  outside.Add("target.asp", "longer");
  EXPECT_NE(router.Resolve("/link.asp").stamp, linked) << "an edit behind a link went unseen";
}

}  // namespace
}  // namespace vant::host::http
