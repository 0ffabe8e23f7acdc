#include "platform/imaging/detail/bmp_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <limits>
#include <vector>

namespace vant::imaging::detail {
namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kBitsPerPixel = 24;
constexpr int kBytesPerPixel = 3;

std::uint64_t RowBytes(std::int64_t width) {
  return (static_cast<std::uint64_t>(width) * kBytesPerPixel + 3) & ~std::uint64_t{3};
}

void PutLe16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void PutLe32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::array<unsigned char, kBmpHeaderBytes> Headers(int width, int height) {
  std::array<unsigned char, kBmpHeaderBytes> h{};
  h[0] = 'B';
  h[1] = 'M';
  PutLe32(&h[2], static_cast<std::uint32_t>(BmpFileBytes(width, height)));
  PutLe32(&h[10], kBmpHeaderBytes);
  PutLe32(&h[14], kInfoHeaderBytes);
  PutLe32(&h[18], static_cast<std::uint32_t>(width));
  PutLe32(&h[22], static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  PutLe16(&h[26], 1);                                   // planes
  PutLe16(&h[28], kBitsPerPixel);
  PutLe32(&h[34], static_cast<std::uint32_t>(RowBytes(width) * static_cast<std::uint64_t>(height)));
  // Compression, resolutions and palette counts stay 0.
  return h;
}

bool WriteAllAt(int fd, const unsigned char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

struct RowSink {
  int fd;
  int height;
  std::vector<unsigned char> row;  // one padded row, BGR
};

// Called by the library in order, top to bottom, one strip at a time; each
// row goes to its place counted from the bottom of the file.
int WriteStrip(VipsRegion* region, VipsRect* area, void* arg) {
  auto* sink = static_cast<RowSink*>(arg);
  for (int y = area->top; y < area->top + area->height; ++y) {
    const auto* in = reinterpret_cast<const unsigned char*>(VIPS_REGION_ADDR(region, 0, y));
    for (int x = 0; x < area->width; ++x) {
      sink->row[kBytesPerPixel * x] = in[kBytesPerPixel * x + 2];
      sink->row[kBytesPerPixel * x + 1] = in[kBytesPerPixel * x + 1];
      sink->row[kBytesPerPixel * x + 2] = in[kBytesPerPixel * x];
    }
    const std::uint64_t offset =
        kBmpHeaderBytes + static_cast<std::uint64_t>(sink->height - 1 - y) * sink->row.size();
    if (!WriteAllAt(sink->fd, sink->row.data(), sink->row.size(), offset)) {
      vips_error("bmpsave", "cannot write the file");
      return -1;
    }
  }
  return 0;
}

struct Fd {
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int fd;
};

}  // namespace

std::uint64_t BmpFileBytes(std::int64_t width, std::int64_t height) {
  return kBmpHeaderBytes + RowBytes(width) * static_cast<std::uint64_t>(height);
}

void SaveBmp24(const vips::VImage& image, const std::string& path) {
  if (image.bands() != kBytesPerPixel || image.format() != VIPS_FORMAT_UCHAR) {
    throw vips::VError("bmpsave: not an 8-bit three-band image");
  }
  const int width = image.width();
  const int height = image.height();
  if (BmpFileBytes(width, height) > std::numeric_limits<std::uint32_t>::max()) {
    throw vips::VError("bmpsave: too large for a bitmap");
  }
  Fd file(open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (file.fd < 0) throw vips::VError("bmpsave: cannot open the file");
  const auto headers = Headers(width, height);
  if (!WriteAllAt(file.fd, headers.data(), headers.size(), 0)) {
    throw vips::VError("bmpsave: cannot write the file");
  }
  RowSink sink{file.fd, height, std::vector<unsigned char>(RowBytes(width), 0)};
  if (vips_sink_disc(image.get_image(), WriteStrip, &sink) != 0) throw vips::VError();
  const int fd = file.fd;
  file.fd = -1;
  if (close(fd) != 0) throw vips::VError("bmpsave: cannot write the file");
}

}  // namespace vant::imaging::detail
