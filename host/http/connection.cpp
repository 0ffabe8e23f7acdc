#include "host/http/connection.h"

#include <sys/sendfile.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>

#include "host/http/detail/recorded_exchange.h"
#include "host/http/detail/socket_exchange.h"
#include "host/http/detail/socket_ops.h"
#include "host/http/error_page.h"
#include "host/http/forwarded.h"
#include "host/http/request_dispatch.h"
#include "host/http/request_framing.h"
#include "host/http/socket_faults.h"
#include "host/http/static_file.h"
#include "host/http/url_path.h"
#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using detail::RequestParser;
using detail::SocketExchange;
using detail::TrackedStream;
using tcp = asio::ip::tcp;

constexpr std::uint32_t kHeaderLimit = 64 * 1024;
// Unread body bytes discarded to keep a connection open; past this, close.
constexpr std::uint64_t kDrainLimit = 1 << 20;
// Beast sizes each socket read by the buffer's free capacity (at least 512
// bytes); a roomy buffer keeps request bodies to few, large reads. Only a
// request on a worker holds it; waiting connections keep a small one.
constexpr std::size_t kReadBufferBytes = 64 * 1024;
// A body above this (or a chunked one) makes the request an upload, which
// may hold only the upload share of the workers.
constexpr std::uint64_t kUploadBytes = 256 * 1024;
// What a closing connection reads and discards, so that the client's unsent
// request bytes do not turn our close into a reset that destroys the answer.
constexpr std::size_t kLingerPiece = 16 * 1024;
constexpr std::uint64_t kLingerBytes = 1 << 20;
constexpr int kRetryAfterSeconds = 5;
// A file goes out in sendfile pieces; after a turn's worth the I/O thread
// serves other connections before sending more.
constexpr std::uint64_t kFilePiece = 256 * 1024;
constexpr std::uint64_t kFileTurn = 1 << 20;

Endpoint EndpointOf(const tcp::endpoint& e) { return {e.address().to_string(), e.port()}; }

struct Ends {
  Endpoint remote;
  Endpoint local;
};

Ends EndsOf(tcp::socket& socket) {
  boost::system::error_code ec;
  Ends ends;
  if (const auto r = socket.remote_endpoint(ec); !ec) ends.remote = EndpointOf(r);
  if (const auto l = socket.local_endpoint(ec); !ec) ends.local = EndpointOf(l);
  return ends;
}

Status HeaderErrorStatus(const boost::system::error_code& ec) {
  if (ec == http::error::body_limit) return Status::payload_too_large;
  if (ec == http::error::header_limit) return Status::request_header_fields_too_large;
  return Status::bad_request;
}

bool IsUpload(const RequestParser& parser) {
  return parser.chunked() || parser.content_length().value_or(0) > kUploadBytes;
}

// True for what the parser found wrong with the header (answered 400, 413,
// 431); false for a failed socket, whose client gets no answer.
bool IsHeaderProblem(const boost::system::error_code& ec) {
  return ec.category() == make_error_code(http::error::bad_target).category();
}

// The whole 503 error page with Retry-After, sent while no worker can take
// the request (head: what was read of it, if anything).
std::string BusyResponse(RequestHead head) {
  detail::RecordedExchange reply(std::move(head), false);
  SendErrorPage(reply, Status::service_unavailable);
  reply.AddHeader("Retry-After", std::to_string(kRetryAfterSeconds));
  return reply.HeaderAndBody();
}

// The request head with the client a trusted proxy names.
RequestHead HeadOf(const RequestParser& parser, const Ends& ends, const ConnectionContext& ctx) {
  RequestHead head = detail::MakeRequestHead(parser, ends.remote, ends.local);
  ApplyForwarded(head, ctx.options.trustedProxies);
  return head;
}

// The access record's fields that come from the request; none when the log
// discards its lines (the counters need none of them).
AccessRecord RecordOf(const RequestHead& head, std::int64_t startMs, const AccessLog& log) {
  AccessRecord record;
  if (log.Discards()) return record;
  record.time = std::time(nullptr);
  record.remote = head.remote.address;
  record.method = head.method.empty() ? "-" : head.method;
  record.target = head.target.empty() ? "-" : head.target;
  record.protocol = head.method.empty() ? "" : head.Protocol();
  record.referer = head.Header("Referer").value_or("");
  record.userAgent = head.Header("User-Agent").value_or("");
  record.milliseconds = startMs ? SteadyMillis() - startMs : 0;
  return record;
}

void Record(const ConnectionContext& ctx, const AccessRecord& record) {
  ctx.stats.Count(record);
  ctx.log.Write(record);
}

void Log(const ConnectionContext& ctx, SocketExchange& ex, std::int64_t startMs, bool cut) {
  AccessRecord record = RecordOf(ex.Request(), startMs, ctx.log);
  record.status = ex.Response().StatusCode();
  record.bytes = ex.Response().BodyBytesSent();
  record.bytesIn = ex.Body().BytesRead();
  record.note = ex.LogNote();
  if (cut)
    record.outcome = Outcome::kCut;
  else if (ex.Body().Failed() || ex.Response().Failed())
    record.outcome = Outcome::kCancelled;
  Record(ctx, record);
}

// The status report as it stands now.
StatusReport ReportOf(const ConnectionContext& ctx) {
  StatusReport report;
  report.connections = ctx.open.load();
  report.maxWorkers = ctx.options.threads;
  report.workers = ctx.pool.Snapshot();
  report.cache = ctx.pages.Cache();
  report.totals = ctx.stats.Read();
  return report;
}

// Serves one request whose header has been read (or failed with ec); true
// when the connection may carry another.
bool ServeRequest(TrackedStream& stream, boost::beast::flat_buffer& buffer, RequestParser& parser,
                  boost::system::error_code ec, const Ends& ends, std::int64_t startMs,
                  const ConnectionContext& ctx) {
  stream.clock().BeginRequest();
  SocketExchange ex(stream, buffer, parser, HeadOf(parser, ends, ctx));
  // A body whose end this server and a proxy in front could disagree on is
  // never read: the connection closes after the 400.
  const std::string_view framing = ec ? std::string_view() : FramingProblem(ex.Request());
  const bool refused = ec || !framing.empty();
  if (refused || ctx.stopping.load()) ex.Response().ForceClose();
  if (ec) {
    SendErrorPage(ex, HeaderErrorStatus(ec));
  } else if (!framing.empty()) {
    ex.AppendToLog(framing);
    SendErrorPage(ex, Status::bad_request);
  } else {
    DispatchRequest(ex, ctx.router, ctx.pages);
  }
  ex.Finish();
  bool keep = !refused && ex.Response().KeepAlive() && !ctx.stopping.load();
  if (keep) keep = ex.Body().Drain(kDrainLimit);
  Log(ctx, ex, startMs, stream.clock().WasCut());
  return keep && !stream.clock().WasCut();
}

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, const ConnectionContext& ctx, bool refusal)
      : socket_(std::move(socket)), ctx_(ctx), refusal_(refusal), ends_(EndsOf(socket_)) {
    (refusal_ ? ctx_.refusing : ctx_.open).fetch_add(1);
    watch_.emplace(ctx_.watchdog, clock_, socket_.native_handle());
  }
  ~Connection() {
    watch_.reset();  // before the descriptor can be reused (see Watchdog)
    boost::system::error_code ignored;
    socket_.close(ignored);
    (refusal_ ? ctx_.refusing : ctx_.open).fetch_sub(1);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Waits for the next request's header; the watchdog's keep-alive limit
  // bounds the wait and the header's arrival.
  void ReadHeader() {
    buffer_.shrink_to_fit();  // keeps a pipelined request already read
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    parser_->body_limit(ctx_.options.maxBody);
    http::async_read_header(socket_, buffer_, *parser_,
                            [self = shared_from_this()](boost::system::error_code ec, std::size_t) {
                              if (const int injected = ec ? 0 : SocketFaults::OnHeaderRead())
                                ec.assign(injected, boost::system::system_category());
                              self->OnHeader(ec);
                            });
  }

  // Sends the 503 answer and closes. On an I/O thread.
  void Refuse(std::string_view note) {
    clock_.SetQueued(false);
    clock_.EndRequest();
    LogRefusal(note);
    const bool head = parser_ && parser_->is_header_done();
    answer_ = BusyResponse(head ? HeadOf(*parser_, ends_, ctx_) : RequestHead{});
    if (SocketFaults::OnWrite() != 0) return;  // closes unanswered
    asio::async_write(socket_, asio::buffer(answer_),
                      [self = shared_from_this()](boost::system::error_code ec, std::size_t) {
                        if (!ec) self->Linger();
                      });
  }

 private:
  void OnHeader(boost::system::error_code ec) {
    // A client that closed, or whose socket failed, gets no answer; a header
    // the parser refused gets its error page from a worker.
    if (ec && (ec == http::error::end_of_stream || !parser_->got_some() || !IsHeaderProblem(ec)))
      return;
    if (clock_.WasCut()) return;
    startMs_ = SteadyMillis();
    if (!ec && !ctx_.stopping.load() && ServeFileHere()) return;
    const bool upload = !ec && IsUpload(*parser_);
    // A short request whose body is all read runs here when a worker would
    // start it at once anyway: handing it over would cost two thread
    // switches, more than the page itself. It blocks nothing else: the other
    // I/O threads serve the network, and while all are inside pages that
    // do not finish, a thread more does (see IoThreads).
    if (!upload && (ec || BodyBuffered()) && ctx_.pool.TryRunHere()) {
      Serve(ec);
      ctx_.pool.DoneHere();
      return;
    }
    // Queued requests wait under the pool's own limit, not the watchdog's.
    clock_.SetQueued(true);
    auto self = shared_from_this();
    WorkerPool::Task task;
    task.upload = upload;
    task.run = [self, ec] { self->Serve(ec); };
    task.refuse = [self] {
      asio::post(self->socket_.get_executor(), [self] { self->Refuse("no free worker"); });
    };
    if (!ctx_.pool.Submit(std::move(task))) Refuse("request queue full");
  }

  // True when the request's body, if any, has been read with its header.
  bool BodyBuffered() const {
    return !parser_->chunked() && parser_->content_length().value_or(0) <= buffer_.size();
  }

  // Answers a GET or HEAD without a body for a file of the site on this I/O
  // thread: the static-file rules record the answer, which then goes out
  // asynchronously, the file by sendfile. False, having sent nothing, for
  // any other request, which then goes to a worker.
  bool ServeFileHere() {
    const auto method = parser_->get().method();
    if (method != http::verb::get && method != http::verb::head) return false;
    if (parser_->chunked() || parser_->content_length().value_or(0) != 0) return false;
    const auto target = parser_->get().target();
    std::string_view path;
    std::string_view query;
    SplitTarget(std::string_view(target.data(), target.size()), path, query);
    const ProbePath probe = ProbeOf(path);
    // A page is resolved by the worker that runs it: no file lookup twice,
    // and the I/O thread is free again at once.
    if (probe == ProbePath::kNone && NamesPage(path)) return false;
    RequestHead head = HeadOf(*parser_, ends_, ctx_);
    if (!FramingProblem(head).empty()) return false;
    SplitTarget(head.target, path, query);
    const Route route = probe == ProbePath::kNone ? ctx_.router.Resolve(path) : Route{};
    if (probe == ProbePath::kNone && route.kind != Route::Kind::kStatic) return false;
    try {
      clock_.BeginRequest();
      reply_.emplace(std::move(head), parser_->get().keep_alive());
      if (probe == ProbePath::kNone)
        ServeStaticFile(*reply_, route.hostPath, route.uploaded);
      else
        ServeProbe(*reply_, probe);
      answer_ = reply_->HeaderAndBody();
    } catch (...) {
      reply_.reset();
      return false;
    }
    boost::system::error_code ignored;
    socket_.native_non_blocking(true, ignored);  // sendfile must never block this thread
    fileSent_ = 0;
    // A file of more than one piece goes out in full segments only, its
    // headers in the first; EndFile lets the last short one go.
    held_ = reply_->HasFile() && reply_->FileLength() > kFilePiece;
    if (held_) detail::HoldPartialSegments(socket_.native_handle(), true);
    if (SocketFaults::OnWrite() != 0) {
      EndFile(false);
      return true;
    }
    asio::async_write(socket_, asio::buffer(answer_),
                      [self = shared_from_this()](boost::system::error_code ec, std::size_t) {
                        self->clock_.Touch();
                        if (ec) return self->EndFile(false);
                        self->SendFile();
                      });
    return true;
  }

  // True for a path ending in ".asp" while no upload folder is set (where
  // such a file would be static).
  bool NamesPage(std::string_view path) const {
    return ctx_.options.uploadFolders.empty() && path.size() >= 4 &&
           sys::EqualsNoCase(path.substr(path.size() - 4), ".asp");
  }

  enum class ProbePath { kNone, kStatus, kPing };
  ProbePath ProbeOf(std::string_view path) const {
    const HostOptions& o = ctx_.options;
    if (!o.statusPath.empty() && path == o.statusPath) return ProbePath::kStatus;
    if (!o.pingPath.empty() && path == o.pingPath) return ProbePath::kPing;
    return ProbePath::kNone;
  }

  void ServeProbe(Exchange& reply, ProbePath probe) const {
    if (probe == ProbePath::kPing) return ServePing(reply);
    const HostOptions& o = ctx_.options;
    std::vector<AddressRange> allowed = o.statusAllow;
    if (allowed.empty()) {
      allowed = LoopbackRanges();
      allowed.insert(allowed.end(), o.trustedProxies.begin(), o.trustedProxies.end());
    }
    if (!MayReadStatus(reply.Request(), allowed, o.trustedProxies))
      return SendErrorPage(reply, Status::forbidden);
    ServeStatus(reply, ReportOf(ctx_));
  }

  void SendFile() {
    if (!reply_->HasFile()) return EndFile(true);
    std::uint64_t turn = 0;
    while (fileSent_ < reply_->FileLength()) {
      if (turn >= kFileTurn) {
        asio::post(socket_.get_executor(), [self = shared_from_this()] { self->SendFile(); });
        return;
      }
      if (SocketFaults::OnWrite() != 0) return EndFile(false);
      auto position = static_cast<off_t>(reply_->FileOffset() + fileSent_);
      const auto want = std::min(kFilePiece, reply_->FileLength() - fileSent_);
      const ssize_t n = ::sendfile(socket_.native_handle(), reply_->File(), &position, want);
      if (n > 0) {
        fileSent_ += static_cast<std::uint64_t>(n);
        turn += static_cast<std::uint64_t>(n);
        clock_.Touch();
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        socket_.async_wait(tcp::socket::wait_write,
                           [self = shared_from_this()](boost::system::error_code ec) {
                             if (ec) return self->EndFile(false);
                             self->SendFile();
                           });
        return;
      }
      return EndFile(false);  // a socket error, or the file shrank
    }
    EndFile(true);
  }

  void EndFile(bool sent) {
    if (held_) detail::HoldPartialSegments(socket_.native_handle(), false);
    held_ = false;
    AccessRecord record = RecordOf(reply_->Request(), startMs_, ctx_.log);
    record.status = reply_->StatusCode();
    record.bytes = reply_->BodyBytes() + fileSent_;
    record.note = reply_->LogNote();
    if (!sent) record.outcome = clock_.WasCut() ? Outcome::kCut : Outcome::kCancelled;
    Record(ctx_, record);
    const bool keep = sent && reply_->KeepAlive() && !ctx_.stopping.load() && !clock_.WasCut();
    reply_.reset();
    clock_.EndRequest();
    if (keep) return ReadHeader();
    Linger();
  }

  // On a worker: the request from its first body byte to its last response
  // byte, then back to waiting, or closing.
  void Serve(boost::system::error_code ec) {
    clock_.SetQueued(false);
    bool keep = false;
    try {
      if (!BodyBuffered()) buffer_.reserve(kReadBufferBytes);
      TrackedStream stream(socket_, clock_);
      keep = ServeRequest(stream, buffer_, *parser_, ec, ends_, startMs_, ctx_);
    } catch (...) {
      // Nothing may escape a worker; the connection closes below.
    }
    clock_.EndRequest();
    if (keep && !ctx_.stopping.load()) return ReadHeader();
    Linger();
  }

  // Ends our side and discards what the client still sends for a while, so
  // a response sent ahead of unread request bytes is not destroyed by the
  // reset a plain close would cause. The watchdog bounds the wait.
  void Linger() {
    boost::system::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    if (ignored) return;
    if (!scratch_) scratch_ = std::make_unique<char[]>(kLingerPiece);
    Discard();
  }
  void Discard() {
    socket_.async_read_some(
        asio::buffer(scratch_.get(), kLingerPiece),
        [self = shared_from_this()](boost::system::error_code ec, std::size_t n) {
          self->lingered_ += n;
          if (!ec && self->lingered_ < kLingerBytes) self->Discard();
        });
  }

  void LogRefusal(std::string_view note) {
    const bool head = parser_ && parser_->is_header_done();
    RequestHead request;
    request.remote = ends_.remote;
    if (head) request = HeadOf(*parser_, ends_, ctx_);
    AccessRecord record = RecordOf(request, startMs_, ctx_.log);
    record.status = static_cast<int>(Status::service_unavailable);
    record.note = std::string(note);
    Record(ctx_, record);
  }

  tcp::socket socket_;
  const ConnectionContext& ctx_;
  const bool refusal_;
  const Ends ends_;
  ConnectionClock clock_;
  std::optional<Watchdog::Registration> watch_;
  boost::beast::flat_buffer buffer_;
  std::optional<RequestParser> parser_;
  std::int64_t startMs_ = 0;
  std::string answer_;
  std::optional<detail::RecordedExchange> reply_;  // a file answered on the I/O threads
  std::uint64_t fileSent_ = 0;
  bool held_ = false;  // partial segments held back while a file goes out
  std::unique_ptr<char[]> scratch_;
  std::uint64_t lingered_ = 0;
};

}  // namespace

void StartConnection(tcp::socket socket, const ConnectionContext& context) {
  try {
    std::make_shared<Connection>(std::move(socket), context, false)->ReadHeader();
  } catch (...) {
    // Out of memory for one connection: it closes, the server goes on.
  }
}

void RefuseConnection(tcp::socket socket, const ConnectionContext& context) {
  try {
    std::make_shared<Connection>(std::move(socket), context, true)->Refuse("too many connections");
  } catch (...) {
  }
}

}  // namespace vant::host::http
