// The parser through the upload object and the in-memory host: what
// well-formed bodies give, and what every broken body, failing read and
// failing write leaves behind.
#include "upload/multipart_parser.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "platform/fs/fault_injection.h"
#include "platform/sys/settings.h"
#include "unit/upload/upload_test_env.h"

namespace vant::upload {
namespace {

using testing::Body;
using testing::Bytes;
using testing::ContentType;
using testing::Part;
using testing::ReadHostFile;
using testing::TakeReport;
using testing::U16;

using MultipartParserTest = testing::UploadTest;

TEST_F(MultipartParserTest, WellFormedBodiesGiveEveryPart) {
  // Data that looks like a delimiter without being one.
  const std::string odd = "a\r\n-" + std::string(testing::kBoundary) + "\r\n--\r\n\r";
  struct Row {
    const char* what;
    std::string body;
    std::string contentType;
    std::int32_t codePage;
    std::vector<std::string> names, want;
  };
  const Row rows[] = {
      {"fields and files",
       Body({{"a", "1"}, {"f1", "hello", "a.txt"}, {"b", "two words"}, {"f2", odd, "b.bin"}}),
       ContentType(),
       65001,
       {"a", "b", "f1", "f2"},
       {"a=1", "b=two words", "f1:a.txt=hello", "f2:b.bin=" + odd}},
      {"files larger than the write buffer, one after another",
       Body({{"f1", Bytes(700001, 3), "a"}, {"f2", Bytes(300000, 4), "b"}}),
       ContentType(),
       65001,
       {"f1", "f2"},
       {"f1:a=" + Bytes(700001, 3), "f2:b=" + Bytes(300000, 4)}},
      {"empty file input",
       Body({{"f", "", ""}, {"n", ""}}),
       ContentType(),
       65001,
       {"f", "n"},
       {"f:=", "n="}},
      {"repeated names",
       Body({{"x", "1"}, {"X", "2"}}),
       ContentType(),
       65001,
       {"x"},
       {"x=1", "X=2"}},
      {"UTF-8",
       Body({{"\xED\x95\x9C", "\xE6\x97\xA5\xE6\x9C\xAC", "\xED\x95\x9C.txt"}}),
       ContentType(),
       65001,
       {"\xED\x95\x9C"},
       {"\xED\x95\x9C:\xED\x95\x9C.txt=\xE6\x97\xA5\xE6\x9C\xAC"}},
      {"CP949",
       Body({{"k", "\xC7\xD1\xB1\xDB"}, {"f", "x", "\xC7\xD1.txt"}}),
       ContentType(),
       949,
       {"k", "f"},
       {"k=\xED\x95\x9C\xEA\xB8\x80", "f:\xED\x95\x9C.txt=x"}},
      {"Shift_JIS",
       Body({{"j", "\x93\xFA\x96\x7B"}, {"f", "y", "\x93\xFA.txt"}}),
       ContentType(),
       932,
       {"j", "f"},
       {"j=\xE6\x97\xA5\xE6\x9C\xAC", "f:\xE6\x97\xA5.txt=y"}},
      {"quoted boundary",
       Body({{"q", "v"}}, "abc"),
       "multipart/form-data; boundary=\"abc\"",
       65001,
       {"q"},
       {"q=v"}},
      {"preamble and epilogue",
       Body({{"p", "v"}}, "zz", "ignored preamble\r\n", "\r\ntrailer"),
       ContentType("zz"),
       65001,
       {"p"},
       {"p=v"}},
      {"client path",
       Body({{"f", "d", "C:\\Users\\me\\doc.txt"}}),
       ContentType(),
       65001,
       {"f"},
       {"f:doc.txt=d"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Post(row.body, row.contentType);
    ComPtr<IFileUpload> up = NewUpload();
    up->put_CodePage(row.codePage);
    form::CFormElementMultiCollection* form = FormOf(*up);
    ASSERT_NE(form, nullptr) << TakeReport();
    EXPECT_EQ(Elements(*form, row.names), row.want);
    EXPECT_EQ(TakeReport(), "<none>");
    up = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
  }
}

// Sets a form limit's variable for one scope and installs the settings read
// from the environment, as a host other than vant-host would.
class ScopedLimit {
 public:
  ScopedLimit(const char* variable, const char* value) : variable_(variable) {
    if (value == nullptr) {
      unsetenv(variable_);
    } else {
      setenv(variable_, value, 1);
    }
    sys::InstallSettings(sys::SettingsFromEnvironment());
  }
  ~ScopedLimit() {
    unsetenv(variable_);
    sys::InstallSettings(sys::SettingsFromEnvironment());
  }

 private:
  const char* variable_;
};

std::vector<Part> Fields(std::size_t count, const std::string& value = "") {
  return std::vector<Part>(count, Part("a", value));
}

// Every part begun counts, field or file, empty or not; the preamble and
// epilogue do not. The part past the limit fails the parse after the body
// is drained, and no file of the upload is left.
TEST_F(MultipartParserTest, PartsBeyondTheLimitAreRefused) {
  const Part file("f", "data", "a.bin");
  const Part emptyFile("f", "", "");
  struct Row {
    const char* what;
    const char* limit;
    std::vector<Part> parts;
    std::string report;  // "<none>": parsed
    std::string preamble = "", epilogue = "\r\n";
  };
  const Row rows[] = {
      {"exactly the limit, fields and files", "3", {{"a", "1"}, file, {"b", "2"}}, "<none>"},
      {"one field more", "3", {{"a", "1"}, file, {"b", "2"}, {"c", "3"}}, "67|3"},
      {"the refused part is a file", "3", {file, file, file, file}, "67|3"},
      {"empty fields count", "3", Fields(4), "67|3"},
      {"empty file inputs count", "3", {emptyFile, emptyFile, emptyFile, emptyFile}, "67|3"},
      {"preamble and epilogue are not parts", "2", Fields(2, "v"), "<none>",
       "preamble\r\n--x\r\n\r\n", "\r\nepilogue\r\n"},
      {"a limit of one", "1", {file}, "<none>"},
      {"a limit of one, two parts", "1", {{"a", ""}, file}, "67|1"},
      {"default limit reached", nullptr, Fields(10000), "<none>"},
      {"default limit passed", nullptr, Fields(10001), "67|10000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const ScopedLimit limit(sys::kMaxFormPartsVariable, row.limit);
    const std::string body = Body(row.parts, testing::kBoundary, row.preamble, row.epilogue);
    Post(body);
    ComPtr<IFileUpload> up = NewUpload();
    Variant form;
    const HRESULT hr = up->get_Form(&form);
    EXPECT_EQ(TakeReport(), row.report);
    EXPECT_EQ(hr == S_OK, row.report == "<none>");
    EXPECT_EQ(host().BytesRead(), body.size()) << "drained";
    if (hr == S_OK) {
      std::size_t elements = 0;
      for (const char16_t* name : {u"a", u"b", u"c", u"f"}) {
        const form::CFormElementCollection* collection = FormOf(*up)->Find(name);
        if (collection != nullptr) elements += collection->Elements().size();
      }
      EXPECT_EQ(elements, row.parts.size());
    } else {
      EXPECT_TRUE(FolderFiles().empty()) << "files of the earlier parts are deleted";
    }
    up = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
  }
}

// A field value may hold up to the field size limit, across chunk edges;
// one byte more fails the parse with the field's name and the limit, after
// the body is drained, before the value is kept, and the files of earlier
// parts are deleted. File parts are not fields: they may be larger.
TEST_F(MultipartParserTest, FieldsBeyondTheSizeLimitAreRefused) {
  const std::size_t kDefault = sys::kDefaultMaxFieldSize;
  struct Row {
    const char* what;
    const char* limit;
    std::vector<Part> parts;
    std::string report;  // "<none>": parsed
  };
  const Row rows[] = {
      {"exactly the limit", "5", {{"a", "12345"}}, "<none>"},
      {"one byte more", "5", {{"a", "123456"}}, "68|a|5"},
      {"a file part may be larger", "5", {{"f", "1234567890", "a.bin"}}, "<none>"},
      {"after a file", "5", {{"f", "data", "a.bin"}, {"b", "too long"}}, "68|b|5"},
      {"across chunks, exactly", "40000", {{"a", Bytes(40000, 1)}}, "<none>"},
      {"across chunks, one more", "40000", {{"a", Bytes(40001, 1)}}, "68|a|40000"},
      {"default limit reached", nullptr, {{"a", std::string(kDefault, 'x')}}, "<none>"},
      {"default limit passed",
       nullptr,
       {{"a", std::string(kDefault + 1, 'x')}},
       "68|a|" + std::to_string(kDefault)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const ScopedLimit limit(sys::kMaxFieldSizeVariable, row.limit);
    const std::string body = Body(row.parts);
    Post(body);
    ComPtr<IFileUpload> up = NewUpload();
    Variant form;
    const HRESULT hr = up->get_Form(&form);
    EXPECT_EQ(TakeReport(), row.report);
    EXPECT_EQ(hr == S_OK, row.report == "<none>");
    EXPECT_EQ(host().BytesRead(), body.size()) << "drained";
    if (hr != S_OK) {
      EXPECT_TRUE(FolderFiles().empty()) << "files of earlier parts are deleted";
    }
    up = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
  }
}

// Whatever the body's length, the closing delimiter may end anywhere in a
// chunk: the upload succeeds and the file is byte-identical.
TEST_F(MultipartParserTest, ClosingDelimiterAtEveryOffsetAroundAChunkEdge) {
  for (const std::string epilogue : {"", "\r\n"}) {
    const std::size_t overhead =
        Body({{"f", "", "a.bin"}}, testing::kBoundary, "", epilogue).size();
    for (std::int32_t k = 1; k <= 2; ++k) {
      for (std::int32_t delta = -4; delta <= 4; ++delta) {
        const std::size_t total = static_cast<std::size_t>(kChunkSize * k + delta);
        const std::string data = Bytes(total - overhead, static_cast<unsigned>(total));
        Post(Body({{"f", data, "a.bin"}}, testing::kBoundary, "", epilogue));
        ComPtr<IFileUpload> up = NewUpload();
        Bstr saved;
        ASSERT_EQ(up->SaveAs(Bstr(Win("up\\saved.bin")), VARIANT_TRUE, &saved), S_OK)
            << "body of " << total << " bytes: " << TakeReport();
        EXPECT_TRUE(ReadHostFile(Host("up/saved.bin")) == data) << total;
        up = nullptr;
        EXPECT_EQ(FolderFiles(), std::vector<std::string>{"saved.bin"}) << total;
        std::filesystem::remove(Host("up/saved.bin"));
      }
    }
  }
}

// Over a host that reads into the parser's block: delimiters that straddle
// a chunk edge or a block edge, with a long file after them, whatever the
// host has at hand on each read. Every file reaches the disk intact.
TEST_F(MultipartParserTest, BlockReadsGiveTheSameFormAtEveryEdge) {
  const std::string head = Body({{"f1", "", "a"}});
  const std::size_t dataAt = head.find("octet-stream\r\n\r\n") + 16;
  const std::vector<std::vector<std::int32_t>> atHand = {
      {}, {kBodyBlockSize}, {5000, 70001, kChunkSize + 1, 1, 200000}};
  for (const std::int32_t edge : {kChunkSize, 3 * kChunkSize, kBodyBlockSize}) {
    // Where the delimiter after f1 starts, against the edge.
    for (const int delta : {-42, -41, -20, -1, 0, 1}) {
      const std::string f1 = Bytes(static_cast<std::size_t>(edge + delta) - dataAt, 5);
      const std::string f2 = Bytes(600000, 6);
      const std::string body = Body({{"f1", f1, "a"}, {"f2", f2, "b"}, {"n", "v"}});
      for (const auto& hand : atHand) {
        SCOPED_TRACE(::testing::Message() << edge << "+" << delta << " at hand " << hand.size());
        Post(body);
        host().OfferBodyReader(hand);
        ComPtr<IFileUpload> up = NewUpload();
        form::CFormElementMultiCollection* form = FormOf(*up);
        ASSERT_NE(form, nullptr) << TakeReport();
        EXPECT_TRUE(Elements(*form, {"f1", "f2", "n"}) ==
                    (std::vector<std::string>{"f1:a=" + f1, "f2:b=" + f2, "n=v"}));
        EXPECT_LE(host().ReadRequests().size(), hand.size() == 1 ? 5u : 200u);
      }
    }
  }
}

TEST_F(MultipartParserTest, BrokenRequestsReportOnceAfterDrainingTheBody) {
  const std::string good = Body({{"f", Bytes(20000), "a.bin"}, {"n", "v"}});
  const std::string disposition = "--" + std::string(testing::kBoundary) + "\r\n";
  struct Row {
    const char* what;
    std::string body, contentType, report;
    std::int32_t announced = -1;
  };
  const Row rows[] = {
      {"no body", "", ContentType(), "16"},
      {"not multipart", good, "text/plain; boundary=x", "18"},
      {"no boundary", good, "multipart/form-data", "19"},
      {"delimiter of 5", good, ContentType("a"), "20|5"},
      {"delimiter of 127", good, ContentType(std::string(123, 'b')), "20|127"},
      {"no boundary line", "just text\r\n", ContentType(), "23"},
      {"LF-only lines", "--zz\nContent-Disposition: form-data; name=\"a\"\n\nv\n--zz--\n",
       ContentType("zz"), "23"},
      {"missing name", disposition + "Content-Disposition: form-data\r\n\r\nv\r\n", ContentType(),
       "10"},
      {"unclosed quote", disposition + "Content-Disposition: form-data; name=\"a\r\n\r\nv\r\n",
       ContentType(), "11"},
      {"unquoted name", disposition + "Content-Disposition: form-data; name=a\r\n\r\nv\r\n",
       ContentType(), "12"},
      {"bad file header",
       disposition +
           "Content-Disposition: form-data; name=\"f\"; filename=\"a\"\r\nX-Y: z\r\n\r\nv\r\n",
       ContentType(), "13"},
      {"header longer than the buffer",
       disposition + "Content-Disposition: form-data; name=\"" + std::string(20000, 'n') +
           "\"\r\n\r\nv\r\n",
       ContentType(), "08"},
      {"body shorter than announced", good.substr(0, 15000), ContentType(), "23",
       static_cast<std::int32_t>(good.size())},
      {"closing delimiter cut after its boundary", good.substr(0, good.size() - 4), ContentType(),
       "C1|\xEB\xB9\x84 \xEC\xA0\x95\xEC\x83\x81\xEC\xA0\x81\xEC\x9D\xB8 \xED\x8C\x8C\xEC\x9D\xBC"
       "\xEC\x9D\xB4 \xEC\x97\x85\xEB\xA1\x9C\xEB\x93\x9C \xEB\x90\x98\xEC\x97\x88\xEC\x8A\xB5"
       "\xEB\x8B\x88\xEB\x8B\xA4. "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Post(row.body, row.contentType);
    if (row.announced >= 0) host().SetTotalBytes(row.announced);
    ComPtr<IFileUpload> up = NewUpload();
    Variant form;
    const HRESULT first = up->get_Form(&form);
    EXPECT_EQ(TakeReport(), row.report);
    EXPECT_EQ(host().BytesRead(), row.body.size()) << "drained";
    EXPECT_EQ(up->get_Form(&form), E_FAIL) << "later accesses fail";
    EXPECT_EQ(TakeReport(), "<none>");
    // Only the body cut right after a delimiter still counts as parsed.
    EXPECT_EQ(first == S_OK, row.report.starts_with("C1"));
    up = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
  }
}

TEST_F(MultipartParserTest, TotalLenEndsTheResponseBeforeReporting) {
  const std::string body = Body({{"f", Bytes(5000), "a.bin"}});
  Post(body);
  ComPtr<IFileUpload> up = NewUpload();
  up->put_TotalLen(100);
  Variant form;
  EXPECT_EQ(up->get_Form(&form), E_FAIL);
  EXPECT_EQ(TakeReport(), "17|100");
  EXPECT_EQ(host().EndCount(), 1);
  EXPECT_EQ(host().BytesRead(), body.size());
}

// Fails read N for N = 0, 1, … until the upload gets through: each time
// the right message, every announced byte requested, no file left behind.
TEST_F(MultipartParserTest, EveryFailingBodyReadIsReportedAndCleanedUp) {
  const std::string body = Body({{"f1", Bytes(20000, 1), "a"}, {"f2", Bytes(9000, 2), "b"}});
  enum class Fault { kFail, kNonArray, kShort, kBlockFail, kBlockShort };
  for (const Fault fault :
       {Fault::kFail, Fault::kNonArray, Fault::kShort, Fault::kBlockFail, Fault::kBlockShort}) {
    const bool block = fault == Fault::kBlockFail || fault == Fault::kBlockShort;
    bool through = false;
    for (std::uint32_t n = 0; n < 10 && !through; ++n) {
      SCOPED_TRACE(::testing::Message() << "fault " << static_cast<int>(fault) << " at read " << n);
      test::FakeHost host;
      host.SetBody(body);
      host.SetServerVariable(u"CONTENT_TYPE", U16(ContentType()));
      // On the block path reads deliver no more than BinaryRead's would.
      if (block) host.OfferBodyReader();
      if (fault == Fault::kFail || fault == Fault::kBlockFail) host.FailReadAt(n);
      if (fault == Fault::kNonArray) host.NonArrayReadAt(n);
      if (fault == Fault::kShort || fault == Fault::kBlockShort) host.ShortReadAt(n, 100);
      ComPtr<IFileUpload> up = MakeFileUpload(table_);
      up->OnStartPage(host.ScriptingContext().get());
      up->put_DefaultPath(Bstr(UploadFolder()));
      Variant form;
      const HRESULT hr = up->get_Form(&form);
      const std::vector<std::int32_t> asked = host.ReadRequests();
      if (hr == S_OK) {
        EXPECT_GE(n, 2u) << "every read is needed";
        through = true;
        continue;
      }
      const std::string want = fault == Fault::kFail || fault == Fault::kBlockFail ? "06"
                               : fault == Fault::kNonArray                         ? "07"
                                                                                   : "23";
      EXPECT_EQ(TakeReport(), want);
      const std::int32_t failedAsk = fault == Fault::kFail ? asked.at(n) : 0;
      if (!block) {
        EXPECT_EQ(std::accumulate(asked.begin(), asked.end(), 0) - failedAsk,
                  static_cast<std::int32_t>(body.size()));
      }
      if (fault == Fault::kBlockFail) {
        EXPECT_EQ(host.BytesRead(), body.size()) << "drained";
      }
      EXPECT_TRUE(FolderFiles().empty());
      up = nullptr;
      EXPECT_TRUE(FolderFiles().empty());
    }
    EXPECT_TRUE(through);
  }
}

// Fails temporary-file write N for N = 0, 1, … until the upload succeeds.
// File data reaches the disk when the write buffer fills and at close, so
// a failure is reported with the place of the range that overflowed the
// buffer, or "5" (close) for what was still held back.
TEST_F(MultipartParserTest, EveryFailingFileWriteIsReportedWithItsPlace) {
  const std::string body = Body({{"f1", Bytes(600000, 1), "a"}, {"f2", Bytes(100, 2), "b"}});
  std::set<std::string> places;
  bool through = false;
  for (int n = 0; n < 100 && !through; ++n) {
    SCOPED_TRACE(n);
    Post(body);
    ComPtr<IFileUpload> up = NewUpload();
    fs::FaultInjection::FailNthWrite(n, ENOSPC);
    Variant form;
    const HRESULT hr = up->get_Form(&form);
    fs::FaultInjection::Reset();
    through = hr == S_OK;
    if (through) continue;
    const std::string report = TakeReport();
    EXPECT_TRUE(report.starts_with("63|CFileUpload|_GetFileContents|")) << report;
    places.insert(report.substr(report.size() - 1));
    EXPECT_TRUE(FolderFiles().empty());
    up = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
  }
  EXPECT_TRUE(through);
  EXPECT_EQ(places, (std::set<std::string>{"1", "5"}));
}

}  // namespace
}  // namespace vant::upload
