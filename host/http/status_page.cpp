#include "host/http/status_page.h"

#include <boost/beast/http/status.hpp>

#include "host/http/error_page.h"

namespace vant::host::http {
namespace {

using Status = boost::beast::http::status;

constexpr const char* kErrorNames[kErrorKinds] = {"client_error", "server_error", "busy",
                                                  "cancelled", "cut"};
constexpr std::string_view kProxyHeaders[] = {"Forwarded", "X-Forwarded-For", "X-Real-IP", "Via"};

void Add(std::atomic<std::uint64_t>& counter, std::uint64_t n) {
  counter.fetch_add(n, std::memory_order_relaxed);
}

// The counters in order, as name and value, for both renderings.
template <class Emit>
void EachCounter(const StatusReport& r, const Emit& emit) {
  emit("connections", r.connections);
  emit("workers_max", r.maxWorkers);
  emit("workers_busy", r.workers.busy + r.workers.here);
  emit("workers_idle", r.workers.workers - std::min(r.workers.workers, r.workers.busy));
  emit("requests_queued", r.workers.queued);
  emit("uploads_in_progress", r.workers.uploads);
  emit("requests", r.totals.requests);
  emit("bytes_in", r.totals.bytesIn);
  emit("bytes_out", r.totals.bytesOut);
  emit("page_cache_entries", r.cache.entries);
  emit("page_cache_hits", r.cache.hits);
  emit("page_cache_misses", r.cache.misses);
  for (std::size_t i = 0; i < kErrorKinds; ++i)
    emit(std::string("errors_") + kErrorNames[i], r.totals.errors[i]);
  emit("uptime_seconds", r.totals.uptimeSeconds);
}

void SendText(Exchange& exchange, std::string_view type, const std::string& body) {
  exchange.SetContentType(type);
  exchange.AddHeader("Cache-Control", "no-store");
  exchange.Write(body);
  exchange.Finish();
}

}  // namespace

void ServerStats::Count(const AccessRecord& record) {
  Add(requests_, 1);
  Add(bytesIn_, record.bytesIn);
  Add(bytesOut_, record.bytes);
  std::optional<ErrorKind> kind;
  if (record.outcome == Outcome::kCut)
    kind = ErrorKind::kCut;
  else if (record.outcome == Outcome::kCancelled)
    kind = ErrorKind::kCancelled;
  else if (record.status == static_cast<int>(Status::service_unavailable))
    kind = ErrorKind::kBusy;
  else if (record.status >= 500)
    kind = ErrorKind::kServerError;
  else if (record.status >= 400)
    kind = ErrorKind::kClientError;
  if (kind) Add(errors_[static_cast<unsigned>(*kind)], 1);
}

ServerStats::Totals ServerStats::Read() const {
  Totals t;
  t.requests = requests_.load(std::memory_order_relaxed);
  t.bytesIn = bytesIn_.load(std::memory_order_relaxed);
  t.bytesOut = bytesOut_.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < kErrorKinds; ++i)
    t.errors[i] = errors_[i].load(std::memory_order_relaxed);
  t.uptimeSeconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_)
          .count();
  return t;
}

std::string StatusText(const StatusReport& report) {
  std::string out;
  EachCounter(report, [&](const std::string& name, auto value) {
    out += name + ": " + std::to_string(value) + "\n";
  });
  return out;
}

std::string StatusJson(const StatusReport& report) {
  std::string out = "{";
  EachCounter(report, [&](const std::string& name, auto value) {
    if (out.size() > 1) out += ",";
    out += "\"" + name + "\":" + std::to_string(value);
  });
  return out + "}\n";
}

bool MayReadStatus(const RequestHead& head, const std::vector<AddressRange>& allowed,
                   const std::vector<AddressRange>& trusted) {
  if (!InRanges(allowed, head.remote.address)) return false;
  if (InRanges(trusted, head.peer.address)) return true;
  for (const std::string_view name : kProxyHeaders)
    if (head.Header(name)) return false;
  return true;
}

void ServeStatus(Exchange& exchange, const StatusReport& report) {
  if (exchange.Request().queryString == "json")
    return SendText(exchange, "application/json", StatusJson(report));
  SendText(exchange, "text/plain; charset=utf-8", StatusText(report));
}

void ServePing(Exchange& exchange) { SendText(exchange, "text/plain; charset=utf-8", "pong\n"); }

}  // namespace vant::host::http
