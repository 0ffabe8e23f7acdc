// Translates a classic server page (JScript) into one script for the engine.
//
// The script writes literal text with Response.Write("…"), runs `<% %>`
// code in place, writes `<%= x %>` as Response.Write(x), and runs the code
// of `<script runat="server">` blocks after the page, as classic pages do
// (their functions are visible everywhere, since the whole page is one
// script). Assignments to call results are rewritten into helper calls (see
// call_result_helpers.h). Script line n is page line n for everything but
// the server script blocks; the line map covers every line. A METADATA
// comment naming the database access type library declares its constants
// for the page.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "host/pages/line_map.h"
#include "host/pages/page_directives.h"
#include "host/pages/source_loader.h"

namespace vant::host::pages {

// Why a page could not be translated, and where.
struct TranslateError {
  std::string message;  // a sentence for the error page
  std::string file;     // virtual path of the file at fault ("/inc/a.inc")
  int line = 0;         // 1-based; 0 when no line applies (the page itself is missing)
};

struct TranslateOptions {
  std::string siteRoot;  // host folder of the site: "/srv/site"
  std::string pagePath;  // virtual path of the page from the site root: "/upload/form.asp"
  // The site's global.asa names the database access type library: every
  // page gets its constants, as if the page named it itself.
  bool adoConstants = false;
  // Whether text between script blocks is written to the response. The
  // application file's text never is: it holds event handlers, and its
  // line breaks must not lead the response of the request that starts the
  // application or a session (a download would begin with them).
  bool sendsText = true;
};

struct TranslatedPage {
  std::string script;             // ES5 program text, UTF-8
  PageDirectives directives;      // defaults when the page has no `<%@ %>`
  std::vector<SourceFile> files;  // [0] the page, then every include file once
  LineMap lines;                  // script line -> file and line
};

// Loads the page and its includes through loader and translates them.
// Fails, with the file and line at fault, when an include cannot be
// resolved or loaded, or a file is not text in the page's code page (see
// detail/include_expander.h), a `<%` or server
// `<script>` is never closed, the `<%@ %>` directive is malformed, comes
// after other script or appears twice, the page asks for a language other
// than JScript, a server script block asks for one other than JScript
// (VBScript included: the message says it is not supported), or the
// JScript-only forms cannot be rewritten (see detail/jscript_dialect.h).
std::variant<TranslatedPage, TranslateError> TranslatePage(const SourceLoader& loader,
                                                           const TranslateOptions& options);

// True when `source` (a page or global.asa, includes not expanded) holds a
// METADATA comment naming the database access type library.
bool DeclaresAdoConstants(std::string_view source);

}  // namespace vant::host::pages
