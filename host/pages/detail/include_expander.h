// Textual expansion of `<!-- #include file|virtual="…" -->`, done before the
// page is read as script, as classic pages do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/pages/line_map.h"
#include "host/pages/source_loader.h"
#include "host/pages/translator.h"

namespace vant::host::pages::detail {

// Limits that keep hostile or mistaken pages from exhausting the host.
inline constexpr std::size_t kMaxIncludeDepth = 32;
inline constexpr std::size_t kMaxExpandedBytes = std::size_t{16} * 1024 * 1024;

struct ExpandedPage {
  std::string text;                         // the page with every include in place
  std::vector<SourceFile> files;            // [0] the page, then each include once
  std::vector<SourcePosition> lineOrigins;  // [n] = where line n+1 of text starts
  std::uint32_t codePage = 0;               // the code page the files were read in
};

// Loads the page at pageVirtualPath (under the host folder siteRoot) and
// replaces each include directive with the included file, recursively.
// `file=` is relative to the including file's folder, `virtual=` to the site
// root (a `file=` path starting with '/' also starts there). Every file is
// decoded to UTF-8 by DecodeSourceText in the code page the page's
// directive declares (DeclaredCodePage), else the host's ANSI code page.
// Fails, naming the file and line of the directive at fault, when: the page
// or an include cannot be loaded, a file is not valid text in the code page
// (naming the line of its first bad byte), a directive is malformed, a path leaves
// the site root or names a drive, a file includes itself (directly or
// through others), includes nest deeper than kMaxIncludeDepth, or the
// expanded text grows past kMaxExpandedBytes.
std::variant<ExpandedPage, TranslateError> ExpandIncludes(const SourceLoader& loader,
                                                          std::string_view siteRoot,
                                                          std::string_view pageVirtualPath);

}  // namespace vant::host::pages::detail
