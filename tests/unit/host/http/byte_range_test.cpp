#include "host/http/byte_range.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

using Kind = ByteRange::Kind;

struct Row {
  const char* header;
  std::uint64_t length;
  Kind kind;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

const char* Name(Kind k) {
  return k == Kind::kFull ? "full" : k == Kind::kPartial ? "partial" : "unsatisfiable";
}

TEST(ByteRange, Table) {
  const Row rows[] = {
      {"bytes=0-0", 1000, Kind::kPartial, 0, 0},
      {"bytes=0-499", 1000, Kind::kPartial, 0, 499},
      {"bytes=500-999", 1000, Kind::kPartial, 500, 999},
      {"bytes=500-", 1000, Kind::kPartial, 500, 999},
      {"bytes=900-5000", 1000, Kind::kPartial, 900, 999},  // end clamped
      {"bytes=-100", 1000, Kind::kPartial, 900, 999},
      {"bytes=-1000", 1000, Kind::kPartial, 0, 999},
      {"bytes=-5000", 1000, Kind::kPartial, 0, 999},  // suffix longer than file
      {"BYTES=1-2", 1000, Kind::kPartial, 1, 2},
      {" bytes=1 - 2 ", 1000, Kind::kPartial, 1, 2},
      {"bytes =1-2", 1000, Kind::kFull},
      {"bytes=0-99999999999999999999999", 1000, Kind::kPartial, 0, 999},  // end saturates
      {"bytes=1000-", 1000, Kind::kUnsatisfiable},
      {"bytes=1000-2000", 1000, Kind::kUnsatisfiable},
      {"bytes=99999999999999999999999-", 1000, Kind::kUnsatisfiable},
      {"bytes=-0", 1000, Kind::kUnsatisfiable},
      {"bytes=0-", 0, Kind::kUnsatisfiable},  // empty file
      {"bytes=-5", 0, Kind::kUnsatisfiable},
      {"", 1000, Kind::kFull},
      {"bytes=", 1000, Kind::kFull},
      {"bytes=-", 1000, Kind::kFull},
      {"bytes=5-1", 1000, Kind::kFull},  // reversed
      {"bytes=a-b", 1000, Kind::kFull},
      {"bytes=1-2x", 1000, Kind::kFull},
      {"bytes=--5", 1000, Kind::kFull},
      {"bytes=-1-2", 1000, Kind::kFull},
      {"bytes=+1-2", 1000, Kind::kFull},
      {"bytes=0-1,5-6", 1000, Kind::kFull},  // several ranges: ignored
      {"items=0-1", 1000, Kind::kFull},
      {"bytes 0-1", 1000, Kind::kFull},
      {"0-1", 1000, Kind::kFull},
  };
  for (const Row& row : rows) {
    const ByteRange r = ParseRange(row.header, row.length);
    EXPECT_EQ(r.kind, row.kind) << "'" << row.header << "' of " << row.length << ": got "
                                << Name(r.kind) << " " << r.first << "-" << r.last;
    if (r.kind == Kind::kPartial && row.kind == Kind::kPartial) {
      EXPECT_EQ(r.first, row.first) << row.header;
      EXPECT_EQ(r.last, row.last) << row.header;
    }
  }
}

}  // namespace
}  // namespace vant::host::http
