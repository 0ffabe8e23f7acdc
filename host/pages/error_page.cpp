// The pages shown for a failed or timed-out script.
#include <cstdio>
#include <string>
#include <string_view>

#include "host/pages/script_engine.h"
#include "platform/sys/ascii.h"

namespace vant::host::pages {
namespace {

// The status as the eight lower-case hex digits error pages show.
std::string HexNumber(std::int32_t number) {
  char text[16];
  (void)std::snprintf(text, sizeof text, "%08x", static_cast<std::uint32_t>(number));
  return text;
}

std::string Paragraph(std::string_view html) { return "<p>" + std::string(html) + "</p>\n"; }

std::string Page(const std::string& body) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Error</title></head>\n"
         "<body><font face=\"Arial\" size=2>\n" +
         body + "</font></body></html>\n";
}

}  // namespace

std::string RenderErrorPage(const ScriptError& error) {
  std::string body =
      Paragraph("<b>" + sys::EscapeHtml(error.category) + "</b> '" + HexNumber(error.number) + "'");
  if (!error.source.empty()) body += Paragraph(sys::EscapeHtml(error.source));
  body += Paragraph(sys::EscapeHtml(error.description));
  if (!error.file.empty()) {
    std::string where = sys::EscapeHtml(error.file);
    if (error.line > 0) where += ", line " + std::to_string(error.line);
    body += Paragraph(where);
  }
  return Page(body);
}

std::string RenderGenericErrorPage() {
  return Page(Paragraph("<b>An error occurred on the server when processing the URL.</b>") +
              Paragraph("Please contact the system administrator."));
}

std::string RenderTimeoutPage(const std::string& pageVirtualPath) {
  return Page(Paragraph("<b>Script timed out</b>") + Paragraph(sys::EscapeHtml(pageVirtualPath)) +
              Paragraph("The page ran longer than its time limit. A page can raise the limit "
                        "by setting Server.ScriptTimeout."));
}

}  // namespace vant::host::pages
