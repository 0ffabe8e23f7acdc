// The validators a resumable download sends and checks against If-Range:
// the Last-Modified date and an entity tag that names one version of the
// content, so a resumed transfer never splices two versions of a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs/file_info.h"

namespace vant::download {

// "Tue, 05 Sep 2006 13:04:09 GMT" for a Unix time in seconds. The text is
// the calling thread's and stays until its next HttpDate.
std::string_view HttpDate(std::int64_t unixSeconds);

// A strong entity tag: a quotation mark, 32 upper-case hex digits and a
// quotation mark (34 characters). It is derived from the path's cache key,
// the length of the content sent and the file's last-write time, so it
// changes whenever any of them does and stays the same otherwise. The text
// is the calling thread's and stays until its next EntityTag.
std::string_view EntityTag(std::u16string_view path, const fs::FileAttributes& attributes,
                           std::int64_t contentLength);

}  // namespace vant::download
