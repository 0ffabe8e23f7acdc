#include "host/http/url_path.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

using Error = DecodedPath::Error;

struct Row {
  const char* raw;
  Error error;
  const char* path = "";
  bool trailing = false;
};

TEST(DecodeRequestPath, Table) {
  const Row rows[] = {
      {"/", Error::kNone, "/", true},
      {"/a.txt", Error::kNone, "/a.txt"},
      {"/a%20b.asp", Error::kNone, "/a b.asp"},
      {"/dir/", Error::kNone, "/dir", true},
      {"//a///b", Error::kNone, "/a/b"},
      {"/a/./b", Error::kNone, "/a/b"},
      {"/a/b/../c", Error::kNone, "/a/c"},
      {"/a/%2e%2e/c", Error::kNone, "/c"},
      {"/a/..", Error::kNone, "/", true},
      {"/%E6%97%A5.txt", Error::kNone, "/\xE6\x97\xA5.txt"},
      {"/..", Error::kBadRequest},
      {"/../etc/passwd", Error::kBadRequest},
      {"/a/../../etc/passwd", Error::kBadRequest},
      {"/%2e%2e/etc/passwd", Error::kBadRequest},
      {"/%2E%2E/%2e%2E/x", Error::kBadRequest},
      {"/a%00.txt", Error::kBadRequest},
      {"/a%zz", Error::kBadRequest},
      {"/a%2", Error::kBadRequest},
      {"a.txt", Error::kBadRequest},
      {"", Error::kBadRequest},
      {"/..%2fetc%2fpasswd", Error::kNotFound},
      {"/a%2fb", Error::kNotFound},
      {"/a%5cb", Error::kNotFound},
      {"/a\\..\\b", Error::kNotFound},
      {"/.git/config", Error::kNotFound},
      {"/a/.htaccess", Error::kNotFound},
  };
  for (const Row& row : rows) {
    const DecodedPath d = DecodeRequestPath(row.raw);
    EXPECT_EQ(d.error, row.error) << row.raw << " gave path '" << d.path << "'";
    if (row.error != Error::kNone || d.error != Error::kNone) continue;
    EXPECT_EQ(d.path, row.path) << row.raw;
    EXPECT_EQ(d.trailingSlash, row.trailing) << row.raw;
  }
}

TEST(SplitTarget, PathAndQuery) {
  const struct {
    const char* target;
    const char* path;
    const char* query;
  } rows[] = {
      {"/a.asp?x=1&y=%20", "/a.asp", "x=1&y=%20"},
      {"/a.asp", "/a.asp", ""},
      {"/a.asp?", "/a.asp", ""},
      {"/a?b?c", "/a", "b?c"},
      {"http://host:8080/p/q.asp?z", "/p/q.asp", "z"},
      {"http://host", "/", ""},
  };
  for (const auto& row : rows) {
    std::string_view path, query;
    SplitTarget(row.target, path, query);
    EXPECT_EQ(path, row.path) << row.target;
    EXPECT_EQ(query, row.query) << row.target;
  }
}

TEST(EncodePath, KeepsSlashesEscapesTheRest) {
  EXPECT_EQ(EncodePath("/a b/c%d\"e"), "/a%20b/c%25d%22e");
  EXPECT_EQ(EncodePath("/\xE6\x97\xA5"), "/%E6%97%A5");
}

}  // namespace
}  // namespace vant::host::http
