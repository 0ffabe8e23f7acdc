// A blocking TCP socket that reports every byte moved to its connection's
// clock, so the watchdog sees progress inside long reads and writes.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/system/system_error.hpp>

#include "host/http/socket_faults.h"
#include "host/http/watchdog.h"

namespace vant::host::http::detail {

class TrackedStream {
 public:
  using executor_type = boost::asio::ip::tcp::socket::executor_type;

  TrackedStream(boost::asio::ip::tcp::socket& socket, ConnectionClock& clock)
      : socket_(socket), clock_(clock) {}

  executor_type get_executor() { return socket_.get_executor(); }
  boost::asio::ip::tcp::socket& socket() { return socket_; }
  ConnectionClock& clock() { return clock_; }

  template <class Buffers>
  std::size_t read_some(const Buffers& buffers, boost::system::error_code& ec) {
    if (Injected(SocketFaults::OnRead(clock_.InRequest()), ec)) return 0;
    const std::size_t n = socket_.read_some(buffers, ec);
    if (n > 0) clock_.Touch();
    return n;
  }
  template <class Buffers>
  std::size_t read_some(const Buffers& buffers) {
    boost::system::error_code ec;
    const std::size_t n = read_some(buffers, ec);
    if (ec) throw boost::system::system_error(ec);
    return n;
  }
  template <class Buffers>
  std::size_t write_some(const Buffers& buffers, boost::system::error_code& ec) {
    if (Injected(SocketFaults::OnWrite(), ec)) return 0;
    const std::size_t n = socket_.write_some(buffers, ec);
    if (n > 0) clock_.Touch();
    return n;
  }
  // A write_some whose bytes the kernel may hold back (MSG_MORE) to go out
  // in one segment with the bytes that follow at once, such as a file.
  template <class Buffers>
  std::size_t write_some_more(const Buffers& buffers, boost::system::error_code& ec) {
    if (Injected(SocketFaults::OnWrite(), ec)) return 0;
    const std::size_t n = socket_.send(buffers, MSG_MORE, ec);
    if (n > 0) clock_.Touch();
    return n;
  }
  template <class Buffers>
  std::size_t write_some(const Buffers& buffers) {
    boost::system::error_code ec;
    const std::size_t n = write_some(buffers, ec);
    if (ec) throw boost::system::system_error(ec);
    return n;
  }

 private:
  // A fault armed by the test switch fails the call before the socket moves.
  static bool Injected(int error, boost::system::error_code& ec) {
    if (error == 0) return false;
    ec.assign(error, boost::system::system_category());
    return true;
  }

  boost::asio::ip::tcp::socket& socket_;
  ConnectionClock& clock_;
};

}  // namespace vant::host::http::detail
