// Every sample file against the expected tables: format, size, pixel format,
// resolution and the 23 metadata getters. A failing row names the file and
// the value it got.
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/sys/ansi_code_page.h"
#include "platform/sys/code_page.h"
#include "unit/image/image_test_env.h"

namespace vant::image {
namespace {

using testing::ImageProcTest;
using testing::SamplesFolder;

using Row = std::vector<std::string>;

std::vector<Row> ReadTable(const std::string& name) {
  std::ifstream in(SamplesFolder() + name);
  std::vector<Row> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    Row row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

bool Decodable(const std::string& file) {
  for (const char* ext : {".jpg", ".png", ".gif", ".tif", ".tiff", ".bmp", ".ico", ".wmf"}) {
    if (file.ends_with(ext)) return true;
  }
  return false;
}

// A quoted cell with \xNN escapes as its bytes; "-" (no tag) as "".
std::string CellBytes(const std::string& cell) {
  if (cell == "-") return {};
  std::string bytes;
  for (std::size_t i = 1; i + 1 < cell.size(); ++i) {
    if (cell[i] == '\\' && cell[i + 1] == 'x') {
      bytes.push_back(static_cast<char>(std::stoi(cell.substr(i + 2, 2), nullptr, 16)));
      i += 3;
    } else {
      bytes.push_back(cell[i]);
    }
  }
  return bytes;
}

std::pair<std::uint32_t, std::uint32_t> Ratio(const std::string& cell) {
  const auto slash = cell.find('/');
  return {static_cast<std::uint32_t>(std::stoll(cell.substr(0, slash))),
          static_cast<std::uint32_t>(std::stoll(cell.substr(slash + 1)))};
}

std::string Printf(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// What a getter shows for a raw cell, by the reading rule of its tag.
std::string ExpectedText(const std::string& cell, char rule) {
  if (cell == "-") return "";
  const auto [n, d] = Ratio(cell);
  switch (rule) {
    case 'e':
      return "1/" + std::to_string(d / n);
    case 'f':
      return Printf("F/%.1f", static_cast<double>(n) / d);
    case 'z':
      return d == 0 ? "" : Printf("%.1f", static_cast<double>(n) / d);
    default:
      return cell;  // signed rationals as stored
  }
}

std::string Get(CImageProc& proc, HRESULT (CImageProc::*getter)(Bstr*)) {
  Bstr out;
  EXPECT_EQ((proc.*getter)(&out), S_OK);
  return Utf16ToUtf8(out.view());
}

std::int32_t Get(CImageProc& proc, HRESULT (CImageProc::*getter)(int32_t*)) {
  int32_t out = -1;
  EXPECT_EQ((proc.*getter)(&out), S_OK);
  return out;
}

using SampleTest = ImageProcTest;

// Files that store no resolution read 96 dpi; the table lists what the
// pixel library makes of them.
const std::map<std::string, std::string> kNoStoredResolution{
    {"pil_hopper.gif", "96x96"},
    {"pil_python.ico", "96x96"},
    {"pil_drawing.wmf", "72x72"},
};

// What the format table leaves open for the metafile: its size and pixel
// format at the density it is drawn at.
const std::map<std::string, Row> kUnlisted{
    {"pil_drawing.wmf",
     {"pil_drawing.wmf", "WMF", "magickload", "83", "83", "-", "32bppRGB", "-", "-"}},
};

TEST_F(SampleTest, FormatSizePixelFormatAndResolution) {
  const auto rows = ReadTable("expected_format.tsv");
  ASSERT_GE(rows.size(), 20u);
  for (Row row : rows) {
    const std::string& file = row[0];
    if (!Decodable(file)) continue;
    if (const auto unlisted = kUnlisted.find(file); unlisted != kUnlisted.end()) {
      row = unlisted->second;
    }
    auto proc = Loaded(file);
    const std::string dpi = std::to_string(Get(*proc, &CImageProc::get_HorizontalResolution)) +
                            "x" + std::to_string(Get(*proc, &CImageProc::get_VerticalResolution));
    const auto noStored = kNoStoredResolution.find(file);
    EXPECT_EQ(Get(*proc, &CImageProc::get_ImageFormat), row[1]) << file;
    EXPECT_EQ(Get(*proc, &CImageProc::get_ImageWidth), std::stoi(row[3])) << file;
    EXPECT_EQ(Get(*proc, &CImageProc::get_ImageHeight), std::stoi(row[4])) << file;
    EXPECT_EQ(Get(*proc, &CImageProc::get_PixelFormat), row[6]) << file;
    EXPECT_EQ(dpi, noStored == kNoStoredResolution.end() ? row[8] : noStored->second) << file;
  }
}

TEST_F(SampleTest, MetafilesWithoutADecoderReadFalse) {
  for (const char* file : {"pil_drawing.emf"}) {
    auto proc = CImageProc::Create();
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(proc->SetSourceFile(Sample(file), &ok), S_OK) << file;
    EXPECT_EQ(ok, VARIANT_FALSE) << file;
    EXPECT_EQ(testing::TakeReport(), "<none>") << file;
  }
}

TEST_F(SampleTest, MetadataGettersMatchTheTags) {
  const auto rows = ReadTable("expected_exif_all.tsv");
  ASSERT_GE(rows.size(), 20u);
  for (const Row& r : rows) {
    const std::string& file = r[0];
    if (!Decodable(file)) continue;
    auto p = Loaded(file);
    auto text = [&](const std::string& cell) {
      return Utf16ToUtf8(sys::DecodeCodePage(sys::kCodePageAnsi, CellBytes(cell)).value());
    };
    auto number = [](const std::string& cell) { return cell == "-" ? 0 : std::stoi(cell); };
    EXPECT_EQ(Get(*p, &CImageProc::get_MDEquipMake), text(r[1])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDEquipModel), text(r[2])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDSoftwareUsed), text(r[3])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDDateTime), text(r[4])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDArtist), text(r[5])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDDocumentName), text(r[6])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDImageDescription), text(r[7])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifExposureTime), ExpectedText(r[8], 'e')) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifFNumber), ExpectedText(r[9], 'f')) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifShutterSpeed), ExpectedText(r[10], 's')) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifExposureBias), ExpectedText(r[11], 's')) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifMaximumLensAperture), ExpectedText(r[12], 'f'))
        << file;
    const auto focal = r[13] == "-" ? std::pair<std::uint32_t, std::uint32_t>{0, 1} : Ratio(r[13]);
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifFocalLength),
              static_cast<std::int32_t>(focal.first / focal.second))
        << file;
    const std::string space = r[14] == "-"       ? ""
                              : r[14] == "1"     ? "sRGB"
                              : r[14] == "65535" ? "uncalibreated"
                                                 : "reserved";
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifColorSpace), space) << file;
    const int flash = number(r[15]);
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifFlash), flash == 1 ? 1 : flash == 5 ? 2 : 0) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifISOSpeed), number(r[16])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifExposureProg), number(r[17])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifMeteringMode), number(r[18])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifLightSource), number(r[19])) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifExposureMode), number(r[20])) << file;
    const std::string balance = r[21] == "0" ? "Auto" : r[21] == "1" ? "Manual" : "Unknown";
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifWhiteBalance), balance) << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifExifDigitalZoomRatio), ExpectedText(r[22], 'z'))
        << file;
    EXPECT_EQ(Get(*p, &CImageProc::get_MDExifFocalLengthIn35mm), number(r[23])) << file;
  }
}

// A photo's values stay when the next source carries no tags at all.
TEST_F(SampleTest, ImageWithoutTagsKeepsEarlierValues) {
  auto proc = Loaded("canon_40d.jpg");
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(proc->SetSourceFile(Sample("pil_hopper.gif"), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(Get(*proc, &CImageProc::get_MDEquipModel), "Canon EOS 40D");
  EXPECT_EQ(Get(*proc, &CImageProc::get_ImageFormat), "GIF");
}

}  // namespace
}  // namespace vant::image

namespace vant::image {
namespace {

// Descriptive texts are read in the host's ANSI code page: the same bytes
// give Japanese text under 932 and Korean UTF-8 text under 65001.
using testing::ImageProcTest;

TEST_F(ImageProcTest, TextsFollowTheAnsiCodePage) {
  struct Row {
    std::uint32_t codePage;
    std::string description;
    std::string artist;
  };
  const Row rows[] = {
      {932, "富士山の写真（テスト）", ""},
      {65001, "", "홍길동 (Hong Gildong)"},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(sys::SetAnsiCodePage(row.codePage));
    auto proc = Loaded("synthetic_cjk_sjis_utf8.jpg");
    if (!row.description.empty()) {
      EXPECT_EQ(Get(*proc, &CImageProc::get_MDImageDescription), row.description) << row.codePage;
    }
    if (!row.artist.empty()) {
      EXPECT_EQ(Get(*proc, &CImageProc::get_MDArtist), row.artist) << row.codePage;
    }
  }
  sys::SetAnsiCodePage(sys::kDefaultAnsiCodePage);
}

}  // namespace
}  // namespace vant::image
