#include "host/pages/translator.h"

#include <optional>

#include "host/pages/detail/include_expander.h"
#include "host/pages/detail/jscript_dialect.h"
#include "host/pages/detail/line_breaks.h"
#include "host/pages/detail/page_scanner.h"
#include "host/pages/detail/script_emitter.h"
#include "host/pages/detail/script_language.h"
#include "host/pages/detail/type_library.h"

namespace vant::host::pages {
namespace {

using detail::Chunk;
using detail::ChunkKind;

class Translation {
 public:
  Translation(detail::ExpandedPage page, const TranslateOptions& options)
      : page_(std::move(page)),
        adoConstants_(options.adoConstants),
        sendsText_(options.sendsText) {}

  std::variant<TranslatedPage, TranslateError> Run();

 private:
  std::optional<TranslateError> ReadDirectives(const std::vector<Chunk>& chunks);
  std::optional<TranslateError> CheckServerScripts(const std::vector<Chunk>& chunks) const;
  TranslatedPage Emit(const std::vector<Chunk>& chunks);
  std::optional<TranslateError> RewriteDialect(TranslatedPage& page) const;
  TranslateError ErrorAt(std::size_t offset, std::string message) const;
  std::string_view Body(const Chunk& chunk) const {
    return std::string_view(page_.text).substr(chunk.bodyBegin, chunk.bodyEnd - chunk.bodyBegin);
  }
  static bool Runs(const Chunk& chunk) {
    return chunk.language.empty() || detail::CanonicalLanguage(chunk.language) == detail::kJScript;
  }

  detail::ExpandedPage page_;
  bool adoConstants_;  // declared for every page of the site
  bool sendsText_;     // false for global.asa: its text is never output
  PageDirectives directives_;
};

std::variant<TranslatedPage, TranslateError> Translation::Run() {
  auto scanned = detail::ScanPage(page_.text);
  if (auto* error = std::get_if<detail::ScanError>(&scanned)) {
    return ErrorAt(error->offset, std::move(error->message));
  }
  const auto& chunks = std::get<std::vector<Chunk>>(scanned);
  if (auto error = ReadDirectives(chunks)) return std::move(*error);
  if (auto error = CheckServerScripts(chunks)) return std::move(*error);
  TranslatedPage page = Emit(chunks);
  if (auto error = RewriteDialect(page)) return std::move(*error);
  return page;
}

// JScript-only forms the engine rejects, rewritten into ES5 (see
// detail/jscript_dialect.h).
std::optional<TranslateError> Translation::RewriteDialect(TranslatedPage& page) const {
  auto error = detail::ApplyConditionalCompilation(page.script);
  if (!error) error = detail::RewriteDottedFunctions(page.script);
  if (!error) return std::nullopt;
  const auto scriptLine = static_cast<int>(
      detail::CountLineBreaks(std::string_view(page.script).substr(0, error->offset)) + 1);
  TranslateError shown{std::move(error->message), page.files[0].virtualPath, 0};
  if (const auto at = page.lines.Find(scriptLine); at && at->file < page.files.size()) {
    shown.file = page.files[at->file].virtualPath;
    shown.line = at->line;
  }
  return shown;
}

// The directive must be the page's first `<% %>` and its only directive.
std::optional<TranslateError> Translation::ReadDirectives(const std::vector<Chunk>& chunks) {
  bool seenScript = false;
  bool seenDirective = false;
  for (const Chunk& chunk : chunks) {
    if (chunk.kind == ChunkKind::kCode || chunk.kind == ChunkKind::kExpression) seenScript = true;
    if (chunk.kind != ChunkKind::kDirective) continue;
    if (seenDirective) return ErrorAt(chunk.begin, "The page has more than one <%@ %> directive.");
    if (seenScript) {
      return ErrorAt(chunk.begin, "The <%@ %> directive must come before any script on the page.");
    }
    seenDirective = true;
    auto parsed = ParseDirectives(Body(chunk));
    if (auto* message = std::get_if<std::string>(&parsed)) {
      return ErrorAt(chunk.begin, std::move(*message));
    }
    directives_ = std::get<PageDirectives>(parsed);
  }
  return std::nullopt;
}

std::optional<TranslateError> Translation::CheckServerScripts(
    const std::vector<Chunk>& chunks) const {
  for (const Chunk& chunk : chunks) {
    if (chunk.kind != ChunkKind::kServerScript || Runs(chunk)) continue;
    // A VBScript block fails the page too: skipping it would leave its
    // functions missing and the page failing later with a misleading error.
    return ErrorAt(chunk.begin,
                   detail::BlockLanguageMessage(detail::CanonicalLanguage(chunk.language)));
  }
  return std::nullopt;
}

TranslatedPage Translation::Emit(const std::vector<Chunk>& chunks) {
  detail::ScriptEmitter emitter(page_.text);
  bool adoConstants = adoConstants_;
  for (const Chunk& chunk : chunks) {
    switch (chunk.kind) {
      case ChunkKind::kText:
        if (sendsText_) {
          emitter.Text(chunk);
        } else {
          emitter.Omit(chunk);
        }
        break;
      case ChunkKind::kCode:
        emitter.Code(chunk);
        break;
      case ChunkKind::kExpression:
        emitter.Expression(chunk);
        break;
      case ChunkKind::kMetadata:
        adoConstants = adoConstants || detail::NamesAdoTypeLibrary(Body(chunk));
        emitter.Omit(chunk);
        break;
      case ChunkKind::kDirective:
      case ChunkKind::kServerScript:
        emitter.Omit(chunk);
        break;
    }
  }
  for (const Chunk& chunk : chunks) {
    if (chunk.kind == ChunkKind::kServerScript && Runs(chunk)) emitter.ServerScript(chunk);
  }
  detail::EmittedScript emitted = emitter.Finish();
  // The library's constants hold from the page's first line on, wherever
  // the comment stands; declared on line 1 so no line moves.
  if (adoConstants) emitted.script.insert(0, detail::AdoConstantDeclarations());
  std::vector<SourcePosition> origins;
  origins.reserve(emitted.pageLines.size());
  for (const int pageLine : emitted.pageLines) {
    origins.push_back(page_.lineOrigins[static_cast<std::size_t>(pageLine) - 1]);
  }
  return TranslatedPage{std::move(emitted.script), directives_, std::move(page_.files),
                        LineMap(std::move(origins))};
}

TranslateError Translation::ErrorAt(std::size_t offset, std::string message) const {
  const auto line = static_cast<std::size_t>(
      detail::CountLineBreaks(std::string_view(page_.text).substr(0, offset)));
  const SourcePosition origin = page_.lineOrigins[line];
  return TranslateError{std::move(message), page_.files[origin.file].virtualPath, origin.line};
}

}  // namespace

std::variant<TranslatedPage, TranslateError> TranslatePage(const SourceLoader& loader,
                                                           const TranslateOptions& options) {
  auto expanded = detail::ExpandIncludes(loader, options.siteRoot, options.pagePath);
  if (auto* error = std::get_if<TranslateError>(&expanded)) return std::move(*error);
  return Translation(std::move(std::get<detail::ExpandedPage>(expanded)), options).Run();
}

bool DeclaresAdoConstants(std::string_view source) {
  const auto scanned = detail::ScanPage(source);
  const auto* chunks = std::get_if<std::vector<Chunk>>(&scanned);
  if (chunks == nullptr) return false;
  for (const Chunk& chunk : *chunks) {
    if (chunk.kind != ChunkKind::kMetadata) continue;
    if (detail::NamesAdoTypeLibrary(
            source.substr(chunk.bodyBegin, chunk.bodyEnd - chunk.bodyBegin))) {
      return true;
    }
  }
  return false;
}

}  // namespace vant::host::pages
