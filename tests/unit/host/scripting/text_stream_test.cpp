#include "host/scripting/text_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/scripting/interfaces.h"
#include "host/scripting/script_error.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/fault_injection.h"
#include "support/scratch.h"

namespace vant::host::scripting {
namespace {

class TextStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::ResetDrives();
    ASSERT_TRUE(folder_.ok());
  }
  void TearDown() override { fs::FaultInjection::Reset(); }
  std::string Host(const std::string& name) const { return folder_.Host(name); }
  std::u16string Win(const std::string& name) const {
    std::u16string out = u"C:" + Utf8ToUtf16(Host(name));
    for (char16_t& c : out) {
      if (c == u'/') c = u'\\';
    }
    return out;
  }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Host(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Host(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  ComPtr<IScriptTextStream> Open(const std::string& name, std::int32_t mode, std::int32_t format,
                                 HRESULT* status = nullptr) const {
    TextStreamOptions options;
    options.mode = mode;
    options.create = true;
    options.format = format;
    ComPtr<IDispatch> object;
    const HRESULT hr = OpenTextStream(Win(name), options, object.Receive());
    if (status != nullptr) *status = hr;
    ComPtr<IScriptTextStream> stream;
    if (Succeeded(hr)) (void)object.As(IScriptTextStream::kIid, &stream);
    return stream;
  }
  static std::string ReadLine(IScriptTextStream& stream) {
    Bstr line;
    return Succeeded(stream.ReadLine(&line)) ? Utf16ToUtf8(line.view()) : "<error>";
  }

  test::ScratchFolder folder_;
};

// Decoding goes a chunk at a time: characters and line ends that straddle a
// chunk, and a line longer than any chunk, must come out whole.
TEST_F(TextStreamTest, LinesAndCharactersAcrossChunksComeOutWhole) {
  const std::string wide = "\xC3\xA9\xE4\xB8\xAD";  // two characters, five bytes
  std::string shortLines;
  for (int i = 0; i < 30000; ++i) shortLines += wide + "\r\n";
  std::string longLine;
  for (int i = 0; i < 500000; ++i) longLine += "\xE4\xB8\xAD";
  Put("t.txt", "\xEF\xBB\xBF" + shortLines + longLine + "\nend");

  auto stream = Open("t.txt", kForReading, kTristateUseDefault);
  ASSERT_TRUE(stream);
  int good = 0;
  for (int i = 0; i < 30000; ++i) good += ReadLine(*stream) == wide;
  EXPECT_EQ(good, 30000);
  EXPECT_TRUE(ReadLine(*stream) == longLine) << "the long line differs";
  std::int32_t line = 0;
  ASSERT_EQ(stream->get_Line(&line), S_OK);
  EXPECT_EQ(line, 30002);
  EXPECT_EQ(ReadLine(*stream), "end");
  Bstr rest;
  EXPECT_EQ(stream->ReadLine(&rest), RuntimeHresult(RuntimeError::kInputPastEnd));
}

TEST_F(TextStreamTest, UnicodeWritesAByteOrderMarkOnceAndReadsItBack) {
  auto writer = Open("u.txt", kForWriting, kTristateTrue);
  ASSERT_TRUE(writer);
  ASSERT_EQ(writer->WriteLine(Bstr(u"a\u4e2d")), S_OK);
  ASSERT_EQ(writer->Close(), S_OK);
  auto appender = Open("u.txt", kForAppending, kTristateTrue);
  ASSERT_TRUE(appender);
  ASSERT_EQ(appender->Write(Bstr(u"b")), S_OK);
  ASSERT_EQ(appender->Close(), S_OK);
  EXPECT_EQ(Get("u.txt"), std::string("\xFF\xFE"
                                      "a\0\x2D\x4E\r\0\n\0b\0",
                                      12));

  auto reader = Open("u.txt", kForReading, kTristateTrue);
  ASSERT_TRUE(reader);
  Bstr all;
  ASSERT_EQ(reader->ReadAll(&all), S_OK);
  EXPECT_EQ(all.str(), u"a\u4e2d\r\nb");
}

// A write that fails leaves the file as it was before the stream opened.
TEST_F(TextStreamTest, FailedWriteLeavesTheOldFileWhole) {
  for (const std::int32_t mode : {kForWriting, kForAppending}) {
    Put("w.txt", "old text");
    auto stream = Open("w.txt", mode, kTristateFalse);
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->Write(Bstr(std::u16string(100000, u'x'))), S_OK);
    fs::FaultInjection::FailNthWrite(0, ENOSPC);
    const HRESULT closed = stream->Close();
    fs::FaultInjection::Reset();
    EXPECT_EQ(closed, RuntimeHresult(RuntimeError::kDiskFull)) << mode;
    EXPECT_EQ(Get("w.txt"), "old text") << mode;
    EXPECT_EQ(folder_.Count(), 1u) << mode;
  }
}

TEST_F(TextStreamTest, WrongDirectionAndBadArgumentsRaiseTheRuntimeErrors) {
  Put("r.txt", "x");
  auto reader = Open("r.txt", kForReading, kTristateFalse);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Write(Bstr(u"y")), RuntimeHresult(RuntimeError::kBadFileMode));
  Bstr text;
  EXPECT_EQ(reader->Read(-1, &text), RuntimeHresult(RuntimeError::kInvalidCall));
  auto writer = Open("w.txt", kForWriting, kTristateFalse);
  ASSERT_TRUE(writer);
  VARIANT_BOOL end = VARIANT_FALSE;
  EXPECT_EQ(writer->get_AtEndOfStream(&end), RuntimeHresult(RuntimeError::kBadFileMode));
  HRESULT status = S_OK;
  EXPECT_FALSE(Open("r.txt", kForReading, 5, &status));
  EXPECT_EQ(status, RuntimeHresult(RuntimeError::kInvalidCall));
  EXPECT_FALSE(Open("none/x.txt", kForWriting, kTristateFalse, &status));
  EXPECT_EQ(status, RuntimeHresult(RuntimeError::kPathNotFound));
}

}  // namespace
}  // namespace vant::host::scripting
