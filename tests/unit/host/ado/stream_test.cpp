#include "host/ado/ado_objects.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ado_test_support.h"
#include "host/ado/detail/ado_error.h"
#include "platform/fs/fault_injection.h"

namespace vant::host::ado {
namespace {

using test::Call;
using test::Put;
using test::Str;

constexpr HRESULT kFileNotOpened = MakeHresult(0x800A0BBA);
constexpr HRESULT kWriteFailed = MakeHresult(0x800A0BBC);
constexpr HRESULT kNotInContext = MakeHresult(0x800A0C93);

std::u16string WindowsPath(const std::filesystem::path& host) {
  std::u16string path = u"C:" + Utf8ToUtf16(host.string());
  for (char16_t& c : path) c = c == u'/' ? u'\\' : c;
  return path;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
  return bytes;
}

Variant Bytes(std::string_view bytes) {
  return Variant::Array(SafeArray::FromBytes(bytes.data(), bytes.size()));
}

std::string AsString(const Variant& value) {
  const std::vector<std::uint8_t> bytes = test::Bytes(value);
  return {bytes.begin(), bytes.end()};
}

class StreamTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::FaultInjection::Reset(); }

  // An open stream of the given type.
  ComPtr<IDispatch> Open(std::int32_t type, std::u16string_view charset = u"") {
    ComPtr<IDispatch> stream = CreateAdoObject(u"ADODB.Stream.6.0");
    EXPECT_TRUE(stream);
    EXPECT_EQ(Put(stream.get(), u"Type", {Variant::I4(type)}), S_OK);
    if (!charset.empty()) {
      EXPECT_EQ(Put(stream.get(), u"Charset", {Str(charset)}), S_OK);
    }
    Call(stream.get(), u"Open");
    return stream;
  }

  // Everything from the start, read in pieces the way download pages do.
  static std::string ReadAll(IDispatch* stream, std::int32_t piece) {
    EXPECT_EQ(Put(stream, u"Position", {Variant::I4(0)}), S_OK);
    std::string all;
    for (int reads = 0; reads < 100000 && Call(stream, u"EOS").boolVal() == VARIANT_FALSE;
         ++reads) {
      all += AsString(Call(stream, u"Read", {Variant::I4(piece)}));
    }
    EXPECT_TRUE(Call(stream, u"Read", {Variant::I4(piece)}).IsNull()) << "a read past the end";
    return all;
  }

  test::ScratchFolder folder_;
};

// Contents past the memory limit move to a temporary file that is unlinked
// at once; growing, cutting and reading back keep every byte.
TEST_F(StreamTest, LargeContentsSpillToAnUnlinkedFileIntact) {
  ComPtr<IDispatch> stream = Open(kAdTypeBinary);
  const std::string data = Pattern(3 * 1024 * 1024 + 17);
  for (std::size_t at = 0; at < data.size(); at += 100000) {
    Call(stream.get(), u"Write", {Bytes(std::string_view(data).substr(at, 100000))});
  }
  EXPECT_EQ(test::Int(Call(stream.get(), u"Size")), static_cast<std::int32_t>(data.size()));
  EXPECT_EQ(folder_.SpillFiles(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(folder_.root() / "tmp"));
  EXPECT_EQ(ReadAll(stream.get(), 65536), data);

  // Cut at 2 MB, then set the position past the end: the gap reads as zeros
  // even where the old bytes lay on disk.
  ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4(2 << 20)}), S_OK);
  Call(stream.get(), u"SetEOS");
  ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4((2 << 20) + 5000)}), S_OK);
  Call(stream.get(), u"Write", {Bytes("end")});
  const std::string want = data.substr(0, 2 << 20) + std::string(5000, '\0') + "end";
  EXPECT_EQ(ReadAll(stream.get(), 1 << 20), want);
}

// A loaded file is read in place; a change copies it first, so the file on
// disk stays as it was.
TEST_F(StreamTest, LoadedFileIsReadInPlaceAndNeverWrittenBack) {
  for (const std::size_t size : {std::size_t{1000}, std::size_t{(1 << 20) + 1000}}) {
    SCOPED_TRACE(size);
    const auto path = folder_.root() / "source.bin";
    const std::string data = Pattern(size);
    WriteFile(path, data);
    ComPtr<IDispatch> stream = Open(kAdTypeBinary);
    Call(stream.get(), u"LoadFromFile", {Str(WindowsPath(path))});
    EXPECT_EQ(ReadAll(stream.get(), 4096), data);
    ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4(10)}), S_OK);
    Call(stream.get(), u"Write", {Bytes("XYZ")});
    std::string changed = data;
    changed.replace(10, 3, "XYZ");
    EXPECT_EQ(ReadAll(stream.get(), 65536), changed);
    EXPECT_EQ(ReadFile(path), data);
  }
}

// A loaded file cut short under the stream ends the stream there, so a
// read loop until EOS ends too.
TEST_F(StreamTest, LoadedFileThatShrinksEndsTheStream) {
  const auto path = folder_.root() / "shrinking.bin";
  const std::string data = Pattern(100000);
  WriteFile(path, data);
  ComPtr<IDispatch> stream = Open(kAdTypeBinary);
  Call(stream.get(), u"LoadFromFile", {Str(WindowsPath(path))});
  std::filesystem::resize_file(path, 1000);
  EXPECT_EQ(ReadAll(stream.get(), 4096), data.substr(0, 1000));
  EXPECT_EQ(test::Int(Call(stream.get(), u"Size")), 1000);
}

// SaveToFile over an existing file with every open, write and rename failing
// in turn: either the new contents are in place or the old file is whole,
// and no temporary file is left.
TEST_F(StreamTest, EveryInjectedFaultInSaveLeavesTheOldFileWhole) {
  const auto target = folder_.root() / "saved.bin";
  const std::string fresh = Pattern(200000);
  ComPtr<IDispatch> stream = Open(kAdTypeBinary);
  Call(stream.get(), u"Write", {Bytes(fresh)});
  const struct {
    const char* kind;
    void (*arm)(int, int);
  } kinds[] = {{"open", fs::FaultInjection::FailNthOpen},
               {"write", fs::FaultInjection::FailNthWrite},
               {"rename", fs::FaultInjection::FailNthRename}};
  for (const auto& kind : kinds) {
    for (int n = 0;; ++n) {
      SCOPED_TRACE(std::string(kind.kind) + " #" + std::to_string(n));
      WriteFile(target, "old contents");
      kind.arm(n, ENOSPC);
      HRESULT hr = S_OK;
      Call(stream.get(), u"SaveToFile", {Str(WindowsPath(target)), Variant::I4(2)}, &hr);
      fs::FaultInjection::Reset();
      int files = 0;
      for (const auto& entry : std::filesystem::directory_iterator(folder_.root())) {
        files += entry.is_regular_file() ? 1 : 0;
      }
      EXPECT_EQ(files, 1) << "a temporary file was left";
      if (hr == S_OK) {
        EXPECT_EQ(ReadFile(target), fresh);
        break;
      }
      EXPECT_EQ(hr, kWriteFailed);
      EXPECT_EQ(test::TakeError().second, u"Write to file failed.");
      EXPECT_EQ(ReadFile(target), "old contents");
      ASSERT_LT(n, 20) << "never succeeded";
    }
  }
}

// What a text stream writes for each charset, and that reading it back
// steps over the byte-order mark.
TEST_F(StreamTest, TextIsWrittenInTheCharsetWithItsMark) {
  const struct {
    std::u16string_view charset;
    std::string bytes;
  } rows[] = {
      {u"Unicode", std::string("\xFF\xFE"
                               "h\0\xE9\0",
                               6)},
      {u"unicodeFFFE", std::string("\xFE\xFF\0h\0\xE9", 6)},
      {u"UTF-8", "\xEF\xBB\xBFh\xC3\xA9"},
      {u"iso-8859-1", "h\xE9"},
      {u"windows-1252", "h\xE9"},
      {u"shift_jis", "h?"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf16ToUtf8(row.charset));
    ComPtr<IDispatch> stream = Open(kAdTypeText, row.charset);
    Call(stream.get(), u"WriteText", {Str(u"h\u00E9")});
    ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4(0)}), S_OK);
    ASSERT_EQ(Put(stream.get(), u"Type", {Variant::I4(kAdTypeBinary)}), S_OK);
    EXPECT_EQ(AsString(Call(stream.get(), u"Read")), row.bytes);
    if (row.bytes.find('?') != std::string::npos) continue;
    ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4(0)}), S_OK);
    ASSERT_EQ(Put(stream.get(), u"Type", {Variant::I4(kAdTypeText)}), S_OK);
    EXPECT_EQ(test::Text(Call(stream.get(), u"ReadText")), "h\xC3\xA9");
  }
}

// Counted and line reads stop on character boundaries, also for lines
// longer than the first read window and for multi-byte characters.
TEST_F(StreamTest, TextReadsStopOnCharacterAndLineBoundaries) {
  const std::u16string longLine(10000, u'\u3042');
  const std::u16string text = u"h\u00E9llo\U0001F600\r\n" + longLine + u"\r\nlast";
  for (const std::u16string_view charset : {u"utf-8", u"Unicode", u"shift_jis"}) {
    SCOPED_TRACE(Utf16ToUtf8(charset));
    ComPtr<IDispatch> stream = Open(kAdTypeText, charset);
    Call(stream.get(), u"WriteText", {Str(text)});
    ASSERT_EQ(Put(stream.get(), u"Position", {Variant::I4(0)}), S_OK);
    if (charset != u"shift_jis") {
      EXPECT_EQ(Call(stream.get(), u"ReadText", {Variant::I4(2)}).bstr().str(), u"h\u00E9");
      EXPECT_EQ(Call(stream.get(), u"ReadText", {Variant::I4(5)}).bstr().str(), u"llo\U0001F600");
      Call(stream.get(), u"SkipLine");
    } else {
      Call(stream.get(), u"SkipLine");
    }
    const std::u16string line =
        Call(stream.get(), u"ReadText", {Variant::I4(kAdReadLine)}).bstr().str();
    EXPECT_TRUE(line == longLine) << "a line of " << line.size() << " characters";
    EXPECT_EQ(Call(stream.get(), u"ReadText", {Variant::I4(kAdReadLine)}).bstr().str(), u"last");
    EXPECT_NE(Call(stream.get(), u"EOS").boolVal(), VARIANT_FALSE);
    EXPECT_EQ(Call(stream.get(), u"ReadText").bstr().str(), u"");
  }
}

// The statuses and texts pages test for.
TEST_F(StreamTest, FailuresRaiseTheirNumberAndText) {
  const auto existing = folder_.root() / "there.txt";
  WriteFile(existing, "keep");
  const auto missing = WindowsPath(folder_.root() / "none.bin");
  const struct {
    const char* what;
    std::int32_t type;
    std::u16string_view member;
    std::vector<Variant> args;
    HRESULT status;
    std::u16string_view text;
  } rows[] = {
      {"Read on text",
       kAdTypeText,
       u"Read",
       {},
       kNotInContext,
       u"Operation is not allowed in this context."},
      {"ReadText on binary",
       kAdTypeBinary,
       u"ReadText",
       {},
       kNotInContext,
       u"Operation is not allowed in this context."},
      {"Write of a string", kAdTypeBinary, u"Write", {Str(u"abc")}, kBadArgument, {}},
      {"missing file",
       kAdTypeBinary,
       u"LoadFromFile",
       {Str(missing)},
       kFileNotOpened,
       u"File could not be opened."},
      {"relative path", kAdTypeBinary, u"LoadFromFile", {Str(u"there.txt")}, kFileNotOpened, {}},
      {"folder",
       kAdTypeBinary,
       u"LoadFromFile",
       {Str(WindowsPath(folder_.root()))},
       kFileNotOpened,
       {}},
      {"existing target",
       kAdTypeBinary,
       u"SaveToFile",
       {Str(WindowsPath(existing))},
       kWriteFailed,
       u"Write to file failed."},
      {"unknown charset", kAdTypeText, u"Charset", {Str(u"klingon")}, kBadArgument, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ComPtr<IDispatch> stream = Open(row.type);
    HRESULT hr = S_OK;
    if (row.member == u"Charset") {
      hr = Put(stream.get(), row.member, row.args);
    } else {
      Call(stream.get(), row.member, row.args, &hr);
    }
    EXPECT_EQ(hr, row.status);
    const auto [source, description] = test::TakeError();
    EXPECT_EQ(source, u"ADODB.Stream");
    if (!row.text.empty()) {
      EXPECT_EQ(description, row.text);
    }
  }
  EXPECT_EQ(ReadFile(existing), "keep");

  // The charset and type hold for the whole text: they change only at the start.
  ComPtr<IDispatch> written = Open(kAdTypeText);
  Call(written.get(), u"WriteText", {Str(u"x")});
  EXPECT_EQ(Put(written.get(), u"Charset", {Str(u"utf-8")}), kNotInContext);
  EXPECT_EQ(Put(written.get(), u"Type", {Variant::I4(kAdTypeBinary)}), kNotInContext);

  ComPtr<IDispatch> closed = CreateAdoObject(u"adodb.stream");
  HRESULT hr = S_OK;
  Call(closed.get(), u"Size", {}, &hr);
  EXPECT_EQ(hr, kObjectClosed);
  EXPECT_FALSE(CreateAdoObject(u"ADODB.Streamer"));
}

}  // namespace
}  // namespace vant::host::ado
