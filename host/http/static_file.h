// Sending a file of the site as it is: content type, Last-Modified,
// conditional GET and single byte ranges.
#pragma once

#include <string>

#include "host/http/exchange.h"

namespace vant::host::http {

// Answers GET or HEAD for the file at hostPath: 200 with the whole file,
// 206 for one satisfiable range (Range ignored when If-Range does not match
// Last-Modified), 416 for an unsatisfiable one, 304 when If-Modified-Since is
// not older than the file, 405 for other methods, 404 when the file cannot
// be opened. The body is streamed in pieces, never held in memory.
//
// uploaded: the file lies in an upload folder and may be anything a
// visitor sent. Every answer then carries "X-Content-Type-Options: nosniff"
// and "Content-Security-Policy: sandbox; default-src 'none'", and every
// type but the raster images browsers show in <img> (PNG, JPEG, GIF, WebP,
// BMP, icons) is sent with "Content-Disposition: attachment", so HTML,
// SVG and scripts are saved, never run in the site's origin.
void ServeStaticFile(Exchange& exchange, const std::string& hostPath, bool uploaded = false);

}  // namespace vant::host::http
