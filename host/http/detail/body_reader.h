// Pulls a request body from the socket on demand through Beast's parser,
// straight into the caller's buffer; nothing is read ahead.
#pragma once

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/buffer_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <cstdint>
#include <string>

#include "host/http/detail/tracked_stream.h"

namespace vant::host::http::detail {

using RequestParser = boost::beast::http::request_parser<boost::beast::http::buffer_body>;

class BodyReader {
 public:
  // expectContinue: the client sent "Expect: 100-continue" on HTTP/1.1.
  BodyReader(TrackedStream& stream, boost::beast::flat_buffer& buffer, RequestParser& parser,
             bool expectContinue);

  // See Exchange::ReadBody. mayContinue is false once a final response
  // header went out, when a "100 Continue" may no longer be sent. Once
  // `atLeast` bytes arrived, reads on only while bytes are at hand (see
  // Exchange::ReadBodySome).
  std::size_t Read(std::uint8_t* dst, std::size_t n, bool mayContinue,
                   std::size_t atLeast = SIZE_MAX);

  bool Failed() const { return failed_; }
  bool Done() const { return parser_.is_done(); }
  bool Chunked() const { return parser_.chunked(); }
  std::uint64_t DeclaredLength() const;
  std::uint64_t BytesRead() const { return bytesRead_; }

  // After the response: reads and discards what is left of the body, at most
  // limit bytes. False when the connection must close instead (too much
  // left, a failure, or a client still waiting for its "100 Continue").
  bool Drain(std::uint64_t limit);

 private:
  bool SendContinue();
  // True when a read would not wait: bytes are buffered or on the socket.
  bool BytesAtHand();

  TrackedStream& stream_;
  boost::beast::flat_buffer& buffer_;
  RequestParser& parser_;
  bool expectContinue_;
  bool continueSent_ = false;
  bool failed_ = false;
  std::uint64_t bytesRead_ = 0;
};

}  // namespace vant::host::http::detail
