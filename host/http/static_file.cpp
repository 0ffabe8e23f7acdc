#include "host/http/static_file.h"

#include "host/http/byte_range.h"
#include "host/http/error_page.h"
#include "host/http/http_date.h"
#include "host/http/mime_types.h"
#include "platform/fs/shared_file.h"

namespace vant::host::http {
namespace {

bool NotModifiedSince(const RequestHead& request, std::time_t modified) {
  const auto since = request.Header("If-Modified-Since");
  if (!since) return false;
  const auto when = ParseHttpDate(*since);
  return when && modified <= *when;
}

// A Range counts only when If-Range, if present, names our Last-Modified.
ByteRange RequestedRange(const RequestHead& request, std::uint64_t size,
                         const std::string& lastModified) {
  const auto range = request.Header("Range");
  if (!range) return {};
  const auto ifRange = request.Header("If-Range");
  if (ifRange && *ifRange != lastModified) return {};
  return ParseRange(*range, size);
}

void SendUnsatisfiable(Exchange& exchange, std::uint64_t size) {
  exchange.SetStatus(StatusLine(Status::range_not_satisfiable));
  exchange.AddHeader("Content-Range", "bytes */" + std::to_string(size));
  exchange.SetContentType("");
  exchange.Finish();
}

// Types a browser can only show as a picture: no script, no markup.
constexpr std::string_view kInlineImageTypes[] = {"image/png",  "image/jpeg", "image/gif",
                                                  "image/webp", "image/bmp",  "image/x-icon"};

void AddUploadHeaders(Exchange& exchange, std::string_view contentType) {
  exchange.AddHeader("X-Content-Type-Options", "nosniff");
  exchange.AddHeader("Content-Security-Policy", "sandbox; default-src 'none'");
  for (const std::string_view type : kInlineImageTypes)
    if (type == contentType) return;
  exchange.AddHeader("Content-Disposition", "attachment");
}

}  // namespace

void ServeStaticFile(Exchange& exchange, const std::string& hostPath, bool uploaded) {
  const RequestHead& request = exchange.Request();
  if (request.method != "GET" && request.method != "HEAD") {
    exchange.AddHeader("Allow", "GET, HEAD");
    return SendErrorPage(exchange, Status::method_not_allowed);
  }
  // Kept open for the next request while nothing on its path changes.
  fs::SharedFile file;
  if (!file.OpenHost(hostPath).ok() || !file.attributes().isFile)
    return SendErrorPage(exchange, Status::not_found);
  const std::time_t modified = file.attributes().lastWriteSeconds;

  const std::string_view contentType = ContentTypeFor(hostPath);
  if (uploaded) AddUploadHeaders(exchange, contentType);
  const std::uint64_t size = file.attributes().size;
  const std::string lastModified = FormatHttpDate(modified);
  exchange.AddHeader("Last-Modified", lastModified);
  exchange.AddHeader("Accept-Ranges", "bytes");
  if (NotModifiedSince(request, modified)) {
    exchange.SetStatus(StatusLine(Status::not_modified));
    exchange.SetContentType("");
    exchange.Finish();
    return;
  }
  const ByteRange range = RequestedRange(request, size, lastModified);
  if (range.kind == ByteRange::Kind::kUnsatisfiable) return SendUnsatisfiable(exchange, size);

  std::uint64_t offset = 0;
  std::uint64_t length = size;
  if (range.kind == ByteRange::Kind::kPartial) {
    offset = range.first;
    length = range.length();
    exchange.SetStatus(StatusLine(Status::partial_content));
    exchange.AddHeader("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                            std::to_string(range.last) + "/" +
                                            std::to_string(size));
  }
  exchange.SetContentType(contentType);
  exchange.SetBuffered(false);
  exchange.AddHeader("Content-Length", std::to_string(length));
  exchange.WriteFile(file.fd(), offset, length);
  exchange.Finish();
}

}  // namespace vant::host::http
