#include "host/http/detail/body_reader.h"

#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <vector>

namespace vant::host::http::detail {
namespace {

namespace http = boost::beast::http;

constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
constexpr std::size_t kDrainPiece = 16 * 1024;

}  // namespace

BodyReader::BodyReader(TrackedStream& stream, boost::beast::flat_buffer& buffer,
                       RequestParser& parser, bool expectContinue)
    : stream_(stream), buffer_(buffer), parser_(parser), expectContinue_(expectContinue) {}

std::uint64_t BodyReader::DeclaredLength() const {
  if (parser_.chunked()) return 0;
  return parser_.content_length().value_or(0);
}

bool BodyReader::SendContinue() {
  continueSent_ = true;
  boost::system::error_code ec;
  boost::asio::write(stream_, boost::asio::buffer(kContinue.data(), kContinue.size()), ec);
  return !ec;
}

bool BodyReader::BytesAtHand() {
  if (buffer_.size() != 0) return true;
  boost::system::error_code ec;
  return stream_.socket().available(ec) != 0 && !ec;
}

std::size_t BodyReader::Read(std::uint8_t* dst, std::size_t n, bool mayContinue,
                             std::size_t atLeast) {
  if (failed_ || parser_.is_done()) return 0;
  if (expectContinue_ && !continueSent_ && mayContinue && !SendContinue()) {
    failed_ = true;
    return 0;
  }
  if (n == 0) return 0;
  auto& body = parser_.get().body();
  body.data = dst;
  body.size = n;
  // read_some, not read: read would block for more bytes once dst is full.
  boost::system::error_code ec;
  const std::size_t waitFor = std::min(atLeast, n);
  while (body.size > 0 && !parser_.is_done() && !ec && (n - body.size < waitFor || BytesAtHand())) {
    http::read_some(stream_, buffer_, parser_, ec);
    if (ec == http::error::need_buffer) ec = {};
  }
  const std::size_t got = n - body.size;
  body.data = nullptr;
  body.size = 0;
  bytesRead_ += got;
  if (ec) failed_ = true;
  return got;
}

bool BodyReader::Drain(std::uint64_t limit) {
  if (parser_.is_done()) return true;
  if (failed_ || (expectContinue_ && !continueSent_)) return false;
  if (const auto left = parser_.content_length_remaining(); left && *left > limit) return false;
  std::vector<std::uint8_t> scratch(kDrainPiece);
  std::uint64_t drained = 0;
  while (!parser_.is_done() && drained <= limit) {
    const std::size_t got = Read(scratch.data(), scratch.size(), false);
    if (failed_) return false;
    drained += got;
  }
  return parser_.is_done();
}

}  // namespace vant::host::http::detail
