#include "upload/body_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "unit/upload/upload_test_env.h"

namespace vant::upload {
namespace {

using testing::Bytes;
using testing::ReaderRig;

using BodyReaderTest = testing::UploadTest;

TEST_F(BodyReaderTest, RequestsFullChunksThenTheRemainder) {
  ReaderRig rig(table_, Bytes(2 * kChunkSize + 7));
  for (int i = 0; i < 3; ++i) ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
  EXPECT_EQ(rig.reader.Remaining(), 7u);
  EXPECT_EQ(rig.host.ReadRequests(), (std::vector<std::int32_t>{kChunkSize, kChunkSize, 7}));
  EXPECT_EQ(rig.reader._FillBuffer(), E_FAIL);
  EXPECT_EQ(testing::TakeReport(), "23");
  EXPECT_EQ(rig.reader.Begin(), nullptr);
}

TEST_F(BodyReaderTest, UpdatesTheProgressRecordAfterEveryChunk) {
  const std::int32_t id = table_.AllocateProgressId().value();
  const std::int32_t total = 2 * kChunkSize + 7;
  ReaderRig rig(table_, Bytes(total));
  ASSERT_TRUE(rig.progress.Attach(id));
  for (const std::int32_t left : {kChunkSize + 7, 7, 0}) {
    ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
    EXPECT_EQ(table_.Snapshot(id)->record.remaining, left);
  }
}

// A host that reads into the reader's block serves the same chunks and
// progress as BinaryRead, in fewer calls, whatever it has at hand; the
// bytes before each chunk are the previous chunk's tail, across refills too.
TEST_F(BodyReaderTest, BlockPathServesTheChunksBinaryReadWould) {
  const std::string body = Bytes(20 * kChunkSize + 7);
  const std::vector<std::vector<std::int32_t>> atHand = {
      {}, {kBodyBlockSize}, {5000, 70001, kChunkSize + 1, 1, 200000}};
  for (const auto& hand : atHand) {
    SCOPED_TRACE(hand.size());
    const std::int32_t id = table_.AllocateProgressId().value();
    ReaderRig rig(table_, body);
    rig.host.OfferBodyReader(hand);
    ASSERT_TRUE(rig.progress.Attach(id));
    std::size_t at = 0;
    while (at < body.size()) {
      ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
      const std::size_t size = rig.reader.Remaining();
      ASSERT_EQ(size, std::min<std::size_t>(kChunkSize, body.size() - at));
      ASSERT_TRUE(std::string(rig.reader.Begin(), rig.reader.End()) == body.substr(at, size)) << at;
      EXPECT_EQ(table_.Snapshot(id)->record.remaining,
                static_cast<std::int32_t>(body.size() - at - size));
      if (at != 0) {
        ASSERT_TRUE(rig.reader.FollowsPrevious());
        ASSERT_TRUE(std::string(rig.reader.Begin() - 126, rig.reader.Begin()) ==
                    body.substr(at - 126, 126));
      }
      at += size;
    }
    EXPECT_EQ(rig.reader._FillBuffer(), E_FAIL);
    EXPECT_EQ(testing::TakeReport(), "23");
    if (hand.size() == 1) {
      EXPECT_EQ(rig.host.ReadRequests().size(), 2u);
    }
  }
}

TEST_F(BodyReaderTest, JoinsLinesAcrossTheChunkEdge) {
  // Each row: where the line's CR sits relative to the first chunk's end.
  for (const int crAt : {-3, -2, -1, 0, 1}) {
    SCOPED_TRACE(crAt);
    const std::string filler(kChunkSize + crAt - 102, 'f');
    const std::string line = "a\rb" + std::string(97, 'x');
    ReaderRig rig(table_, filler + "\r\n" + line + "\r\nnext\r\n");
    ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
    EXPECT_EQ(rig.Line(), filler);
    EXPECT_EQ(rig.Line(), line);
    EXPECT_EQ(rig.Line(), "next");
  }
}

TEST_F(BodyReaderTest, RefusesLinesThatDoNotFitOrDoNotEnd) {
  const std::pair<std::string, std::string> rows[] = {
      // A line crossing the edge longer than the 2,048-byte buffer.
      {std::string(kChunkSize - 1000, 'a') + "\r\n" + std::string(3000, 'b') + "\r\n", "08"},
      // No CR LF in the whole next chunk.
      {"ab\r\n" + std::string(kChunkSize + 100, 'c') + "\r\n", "08"},
      // The body ends inside the line.
      {"ab\r\ncd", "23"},
  };
  for (const auto& [body, report] : rows) {
    ReaderRig rig(table_, body);
    ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
    EXPECT_EQ(rig.Line(), body.substr(0, body.find("\r\n")));
    EXPECT_EQ(rig.Line(), "<failed>");
    EXPECT_EQ(testing::TakeReport(), report) << body.size();
    EXPECT_EQ(rig.host.BytesRead(), body.size()) << "the body is drained";
  }
}

TEST_F(BodyReaderTest, FlushBeforeParsingDrainsTheAnnouncedBodyOnce) {
  ReaderRig rig(table_, Bytes(3 * kChunkSize + 1), false);
  EXPECT_EQ(rig.reader._Flush(), S_OK);
  EXPECT_EQ(rig.host.TotalBytesCalls(), 1);
  EXPECT_EQ(rig.host.ReadRequests(),
            (std::vector<std::int32_t>{kChunkSize, kChunkSize, kChunkSize, 1}));
  EXPECT_EQ(rig.reader._Flush(), E_FAIL);
  EXPECT_EQ(testing::TakeReport(), "40");
}

TEST_F(BodyReaderTest, ReadOnPastChunkEdgeServesTheLeftoverFirst) {
  ReaderRig rig(table_, std::string(kChunkSize - 1, 'a') + "-" + "-tail");
  ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
  rig.reader.SetPosition(rig.reader.End() - 1);
  ASSERT_EQ(rig.reader.ReadOnPastChunkEdge(), S_OK);
  EXPECT_EQ(std::string(rig.reader.Position(), rig.reader.End()), "--tail");
}

}  // namespace
}  // namespace vant::upload
