// One HTTP request and its response, as the page engine and the intrinsic
// objects see it. The server hands a socket-backed Exchange to the page
// handler; tests and in-memory hosts may implement it themselves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vant::host::http {

struct HeaderField {
  std::string name;  // as the client spelled it
  std::string value;
};

struct Endpoint {
  std::string address;  // numeric, "127.0.0.1" or "::1"
  std::uint16_t port = 0;
};

// The request line and headers, fixed once the header has been read.
struct RequestHead {
  std::string method;                // "GET", "POST", ...
  std::string target;                // raw request target, "/a%20b.asp?x=1"
  std::string path;                  // decoded, normalised path, "/a b.asp"
  std::string queryString;           // raw text after '?', without the '?'
  unsigned version = 11;             // 10 for HTTP/1.0, 11 for HTTP/1.1
  std::vector<HeaderField> headers;  // in received order
  Endpoint remote;                   // the client: the peer, or whom a trusted proxy names
  Endpoint local;
  Endpoint peer;       // the connection's other end, a proxy or the client
  bool https = false;  // a trusted proxy says the client came over HTTPS

  // Value of a header looked up without regard to case; repeated headers are
  // joined with ", ". Nothing when the header is absent.
  std::optional<std::string> Header(std::string_view name) const;
  // "HTTP/1.0" or "HTTP/1.1".
  std::string Protocol() const;
  // True when the client may have reached the site over HTTPS: a trusted
  // proxy said so (https), or any client sent "X-Forwarded-Proto: https".
  // Use it only to restrict (a Secure cookie): a client that sends the
  // header itself harms no one but itself. The HTTPS variable reads https.
  bool CameOverHttps() const;
};

// True when every byte may stand in a header field value or a reason
// phrase: tab, space, visible ASCII, or bytes from 0x80 up. Other control
// characters (CR, LF, NUL, but also VT, FF, DEL) are refused: some clients
// and proxies take them as line ends or separators. SetStatus, AddHeader
// and SetContentType accept only such text.
bool IsFieldText(std::string_view text);

class Exchange {
 public:
  virtual ~Exchange() = default;

  virtual const RequestHead& Request() const = 0;

  // Declared body length: the Content-Length. A chunked body has no declared
  // length, so for it this is the number of body bytes read so far (0 before
  // the first read, the full length once ReadBody returned 0).
  virtual std::uint64_t TotalBytes() const = 0;
  virtual bool BodyIsChunked() const = 0;

  // Reads up to n body bytes into dst, waiting until n bytes arrived or the
  // body ended. Returns 0 at the end of the body. When the client fails (gone,
  // cut off by a deadline, malformed chunking, body above the maximum) the
  // call returns what it got, possibly 0, and BodyFailed() turns true. The
  // first call answers "Expect: 100-continue" if the client asked for it.
  virtual std::size_t ReadBody(std::uint8_t* dst, std::size_t n) = 0;
  // The same, but waits only for `minimum` of the n bytes and then takes
  // what has already arrived, up to n, without waiting: a large buffer fills
  // as fast as the client sends without delaying the bytes it has.
  virtual std::size_t ReadBodySome(std::uint8_t* dst, std::size_t minimum, std::size_t n) {
    return ReadBody(dst, std::min(minimum, n));
  }
  virtual bool BodyFailed() const = 0;

  // False once the client closed or reset the connection, or a write failed.
  virtual bool IsClientConnected() const = 0;

  // Status line text after the protocol, sent verbatim: "404 Not Found".
  // False (and ignored) after the headers went out, or when the text does not
  // start with a three-digit code of 200..999 or is not IsFieldText.
  virtual bool SetStatus(std::string_view statusLine) = 0;
  // Adds a header; never replaces one. False, and nothing is sent, when the
  // headers already went out, the name is not an HTTP token, the value is
  // not IsFieldText, or the name is one the server owns
  // (Transfer-Encoding, Connection). A Content-Length must be a number; it
  // then fixes the body length instead of chunking.
  virtual bool AddHeader(std::string_view name, std::string_view value) = 0;
  // Content-Type sent unless the page added its own; default "text/html",
  // empty sends none. False after the headers went out or when the type is
  // not IsFieldText.
  virtual bool SetContentType(std::string_view type) = 0;

  // Buffered (the default): writes collect until Flush or Finish. Turning
  // buffering off is allowed only while nothing was written or sent.
  virtual bool SetBuffered(bool buffered) = 0;
  virtual bool IsBuffered() const = 0;
  // Body bytes. False once the client is gone or the response finished.
  virtual bool Write(const void* data, std::size_t n) = 0;
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Body bytes from an open file: length bytes from offset, sent in pieces,
  // never whole in memory (sendfile when the body is not chunked). When
  // buffered, the buffered bytes are flushed first (headers included) and
  // later writes are buffered again. A file that ends sooner ends the write
  // early and still returns true. False once the client is gone, a write
  // failed or the file could not be read.
  virtual bool WriteFile(int fd, std::uint64_t offset, std::uint64_t length) = 0;
  // Sends the headers and the buffered bytes now; later output is chunked
  // (HTTP/1.1) or ends with the connection (HTTP/1.0) unless the page set a
  // Content-Length. Does nothing when unbuffered.
  virtual bool Flush() = 0;
  // Drops buffered body bytes not yet sent; headers stay.
  virtual void Clear() = 0;
  // Ends the response: sends what is buffered (with a Content-Length when
  // nothing was sent yet) or the last chunk. Later calls do nothing.
  virtual bool Finish() = 0;
  virtual bool HeadersSent() const = 0;

  // Text appended to this request's access-log line.
  virtual void AppendToLog(std::string_view text) = 0;
};

}  // namespace vant::host::http
