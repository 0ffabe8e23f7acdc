#include "platform/imaging/detail/image_probe.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/imaging/detail/raw_format.h"

namespace vant::imaging {
namespace {

// One row of expected_format.tsv: file, format name, width, height.
struct Expected {
  std::string file;
  std::string format;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

std::string SamplesFolder() {
  const char* shared = std::getenv("VANT_SHARED");
  return shared == nullptr ? std::string() : std::string(shared) + "/testdata/images/";
}

std::vector<Expected> ReadExpected(const std::string& folder) {
  std::ifstream in(folder + "expected_format.tsv");
  std::vector<Expected> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Expected row;
    std::string loader;
    std::string width;
    std::string height;
    std::getline(fields, row.file, '\t');
    std::getline(fields, row.format, '\t');
    std::getline(fields, loader, '\t');
    std::getline(fields, width, '\t');
    std::getline(fields, height, '\t');
    if (width == "-") continue;  // no decoder reads it
    row.width = std::stoi(width);
    row.height = std::stoi(height);
    rows.push_back(row);
  }
  return rows;
}

std::string Describe(const std::optional<ImageInfo>& info) {
  if (!info) return "not an image: " + LastProbeError();
  std::u16string_view name = ImageFormatName(info->rawFormat);
  return std::string(name.begin(), name.end()) + " " + std::to_string(info->width) + "x" +
         std::to_string(info->height);
}

TEST(ImageProbeTest, SampleImagesReportTheirFormatAndSize) {
  const std::string folder = SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "VANT_SHARED not set";
  const auto rows = ReadExpected(folder);
  ASSERT_GE(rows.size(), 15u);
  int checked = 0;
  for (const Expected& row : rows) {
    const std::string got = Describe(ProbeImage(folder + row.file));
    EXPECT_EQ(got, row.format + " " + std::to_string(row.width) + "x" + std::to_string(row.height))
        << row.file;
    ++checked;
  }
  EXPECT_GE(checked, 18);
}

TEST(ImageProbeTest, NonImagesAndMissingFilesAreNotImages) {
  const std::string folder = SamplesFolder();
  const std::string scratch = std::filesystem::temp_directory_path() / "vant-probe-test";
  std::filesystem::create_directories(scratch);
  std::ofstream(scratch + "/text.jpg") << "plain text, named like a photo";
  std::ofstream(scratch + "/empty.png");
  struct Row {
    std::string path;
  };
  std::vector<Row> rows = {
      {scratch + "/text.jpg"}, {scratch + "/empty.png"}, {scratch + "/missing.gif"}, {scratch}};
  if (!folder.empty()) {
    rows.push_back({folder + "pil_drawing.emf"});
  }
  // First bytes that would pass for an icon or a bitmap but are cut short,
  // and formats ImageMagick would take but nothing here reads.
  std::ofstream(scratch + "/short.bmp") << "BM";
  std::ofstream(scratch + "/drawing.svg") << "<svg xmlns='http://www.w3.org/2000/svg'/>";
  std::ofstream(scratch + "/page.ps") << "%!PS-Adobe-3.0\nshowpage\n";
  std::ofstream(scratch + "/zero.ico", std::ios::binary) << std::string("\0\0\1\0\0\0", 6);
  // Formats the pixel library itself would read, but this product does not:
  // a netpbm picture, a FITS header and a vips matrix file.
  std::ofstream(scratch + "/tiny.ppm", std::ios::binary) << "P6\n1 1\n255\n"
                                                         << std::string(3, '\x7f');
  std::ofstream(scratch + "/sky.fits")
      << "SIMPLE  =                    T" << std::string(2850, ' ');
  std::ofstream(scratch + "/m.mat") << "2 2\n1 2\n3 4\n";
  for (const char* name : {"/short.bmp", "/drawing.svg", "/page.ps", "/zero.ico", "/tiny.ppm",
                           "/sky.fits", "/m.mat"}) {
    rows.push_back({scratch + name});
  }
  for (const Row& row : rows) {
    const auto info = ProbeImage(row.path);
    EXPECT_FALSE(info.has_value()) << row.path << ": " << Describe(info);
    EXPECT_FALSE(LastProbeError().empty()) << row.path;
  }
  std::filesystem::remove_all(scratch);
}

TEST(ImageProbeTest, AFileReplacedUnderItsNameIsProbedAfresh) {
  const std::string folder = SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "VANT_SHARED not set";
  const std::string path = std::filesystem::temp_directory_path() / "vant-probe-replaced.img";
  std::filesystem::copy_file(folder + "canon_40d.jpg", path,
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(Describe(ProbeImage(path)), "JPEG 100x68");
  std::filesystem::copy_file(folder + "pil_hopper.gif", path,
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(Describe(ProbeImage(path)), "GIF 128x128");
  std::filesystem::remove(path);
}

TEST(ImageProbeTest, ProbesFromManyThreads) {
  const std::string folder = SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "VANT_SHARED not set";
  std::vector<std::string> results(8);
  {
    std::vector<std::jthread> threads;
    for (int i = 0; i < 8; ++i) {
      threads.emplace_back([&, i] {
        results[i] = Describe(ProbeImage(folder + (i % 2 ? "pil_hopper.gif" : "kodak_dc210.jpg")));
      });
    }
  }
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(results[i], i % 2 ? "GIF 128x128" : "JPEG 640x480") << i;
  }
}

// The identifiers as the imaging library writes them, to the names scripts read.
TEST(ImageFormatNameTest, IdentifiersNameTheirFormats) {
  const std::pair<const char*, std::u16string_view> rows[] = {
      {"{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}", u"BMP"},
      {"{B96B3CAC-0728-11D3-9D7B-0000F81EF32E}", u"EMF"},
      {"{B96B3CB2-0728-11D3-9D7B-0000F81EF32E}", u"EXIF"},
      {"{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}", u"GIF"},
      {"{B96B3CB5-0728-11D3-9D7B-0000F81EF32E}", u"Icon"},
      {"{b96b3cae-0728-11d3-9d7b-0000f81ef32e}", u"JPEG"},
      {"{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}", u"MemoryBMP"},
      {"{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}", u"PNG"},
      {"{B96B3CB1-0728-11D3-9D7B-0000F81EF32E}", u"TIFF"},
      {"{B96B3CAD-0728-11D3-9D7B-0000F81EF32E}", u"WMF"},
      {"{B96B3CA9-0728-11D3-9D7B-0000F81EF32E}", u"Undefined"},
      {"{B96B3CB3-0728-11D3-9D7B-0000F81EF32E}", u"Undefined"},
      {"{00000000-0000-0000-0000-000000000000}", u"Undefined"},
  };
  for (const auto& [text, name] : rows) {
    const auto guid = ParseGuid(std::string_view(text));
    ASSERT_TRUE(guid.has_value()) << text;
    EXPECT_TRUE(ImageFormatName(*guid) == name) << text;
  }
}

}  // namespace
}  // namespace vant::imaging
