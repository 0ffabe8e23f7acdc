#include "host/pages/detail/include_expander.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "host/pages/detail/line_breaks.h"
#include "host/pages/detail/source_text.h"
#include "host/pages/detail/virtual_path.h"
#include "host/pages/page_directives.h"
#include "platform/sys/ansi_code_page.h"

namespace vant::host::pages::detail {
namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kIncludeWord = "#include";
constexpr std::string_view kDirectiveForm = "<!-- #include file=\"name\" --> or virtual=\"/path\"";

struct Directive {
  std::size_t begin = 0;  // the `<!--`
  std::size_t end = 0;    // after the `-->`
  bool isVirtual = false;
  std::string path;
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - std::min(at, text.size()) < word.size()) return false;
  return std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// Reads `file="x"` / `virtual='x'` / `file=x` and the closing `-->` from at.
std::optional<Directive> ReadDirectiveTail(std::string_view text, std::size_t at) {
  Directive directive;
  if (StartsWithNoCase(text, at, "virtual")) {
    directive.isVirtual = true;
    at += 7;
  } else if (StartsWithNoCase(text, at, "file")) {
    at += 4;
  } else {
    return std::nullopt;
  }
  at = SkipBlanks(text, at);
  if (at >= text.size() || text[at] != '=') return std::nullopt;
  at = SkipBlanks(text, at + 1);
  if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
    const std::size_t close = text.find(text[at], at + 1);
    if (close == std::string_view::npos) return std::nullopt;
    directive.path = text.substr(at + 1, close - at - 1);
    at = close + 1;
  } else {
    const std::size_t begin = at;
    while (at < text.size() && !IsBlank(text[at]) && !text.substr(at).starts_with(kCommentClose))
      ++at;
    directive.path = text.substr(begin, at - begin);
  }
  at = SkipBlanks(text, at);
  if (!text.substr(at).starts_with(kCommentClose)) return std::nullopt;
  directive.end = at + kCommentClose.size();
  return directive;
}

class IncludeExpander {
 public:
  IncludeExpander(const SourceLoader& loader, std::string_view siteRoot)
      : loader_(loader), siteRoot_(siteRoot) {}

  std::variant<ExpandedPage, TranslateError> Run(std::string_view pageVirtualPath);

 private:
  struct Found {
    std::optional<Directive> directive;  // none: no more directives
    bool malformed = false;
  };

  Found FindDirective(std::string_view text, std::size_t from) const;
  bool ExpandFile(std::size_t file, std::string_view text, int& line);
  bool Include(std::size_t file, const Directive& directive, int line);
  std::optional<std::string> ResolveOrFail(std::size_t file, const Directive& directive, int line);
  void Append(std::size_t file, std::string_view piece, int& line);
  std::size_t AddFile(const std::string& virtualPath, const std::string& hostPath);
  std::optional<std::string> DecodeOrFail(std::size_t file, std::string_view bytes);
  bool Fail(std::size_t file, int line, std::string message);
  std::string ChainText(std::size_t last) const;

  const SourceLoader& loader_;
  std::string siteRoot_;
  ExpandedPage page_;
  std::vector<std::size_t> open_;  // files being expanded, outermost first
  bool lineStartPending_ = true;   // the next character appended starts a line
  std::optional<TranslateError> error_;
};

std::variant<ExpandedPage, TranslateError> IncludeExpander::Run(std::string_view pageVirtualPath) {
  const std::string virtualPath(pageVirtualPath);
  const std::string hostPath = HostPathOf(siteRoot_, virtualPath);
  auto source = loader_.Load(hostPath);
  if (!source) return TranslateError{"The page " + virtualPath + " was not found.", virtualPath, 0};
  AddFile(virtualPath, hostPath);
  // The page's own directive names the code page of the page and of every
  // file it includes; without one the host's ANSI code page applies.
  page_.codePage = DeclaredCodePage(*source).value_or(sys::AnsiCodePage());
  const auto text = DecodeOrFail(0, *source);
  if (!text) return std::move(*error_);
  int line = 1;
  open_.push_back(0);
  if (!ExpandFile(0, *text, line) || error_) return std::move(*error_);
  if (lineStartPending_) page_.lineOrigins.push_back({0, line});  // the empty last line
  return std::move(page_);
}

// Finds the next `<!-- #include`; a comment that is not an include is text.
IncludeExpander::Found IncludeExpander::FindDirective(std::string_view text,
                                                      std::size_t from) const {
  for (std::size_t at = text.find(kCommentOpen, from); at != std::string_view::npos;
       at = text.find(kCommentOpen, at + 1)) {
    const std::size_t word = SkipBlanks(text, at + kCommentOpen.size());
    if (!StartsWithNoCase(text, word, kIncludeWord)) continue;
    const std::size_t afterWord = word + kIncludeWord.size();
    const std::size_t tail = SkipBlanks(text, afterWord);
    auto directive = tail > afterWord ? ReadDirectiveTail(text, tail) : std::nullopt;
    if (!directive) return Found{Directive{at, at, false, {}}, true};
    directive->begin = at;
    return Found{std::move(directive), false};
  }
  return Found{};
}

// Appends text with its includes expanded; line counts text's lines.
bool IncludeExpander::ExpandFile(std::size_t file, std::string_view text, int& line) {
  std::size_t at = 0;
  for (;;) {
    const Found found = FindDirective(text, at);
    const std::size_t pieceEnd = found.directive ? found.directive->begin : text.size();
    Append(file, text.substr(at, pieceEnd - at), line);
    if (error_) return false;
    if (found.malformed) {
      return Fail(file, line,
                  "Malformed #include directive; write " + std::string(kDirectiveForm) + ".");
    }
    if (!found.directive) return true;
    if (!Include(file, *found.directive, line)) return false;
    // The directive's own line breaks still count in the including file.
    const auto& d = *found.directive;
    line += CountLineBreaks(text.substr(d.begin, d.end - d.begin));
    at = d.end;
  }
}

bool IncludeExpander::Include(std::size_t file, const Directive& directive, int line) {
  const auto virtualPath = ResolveOrFail(file, directive, line);
  if (!virtualPath) return false;
  const std::string hostPath = HostPathOf(siteRoot_, *virtualPath);
  for (const std::size_t open : open_) {
    if (page_.files[open].hostPath != hostPath) continue;
    return Fail(file, line,
                "The include file " + *virtualPath + " includes itself (" + ChainText(file) +
                    " -> " + *virtualPath + ").");
  }
  if (open_.size() >= kMaxIncludeDepth) {
    return Fail(
        file, line,
        "Include files are nested more than " + std::to_string(kMaxIncludeDepth) + " deep.");
  }
  auto source = loader_.Load(hostPath);
  if (!source) return Fail(file, line, "The include file " + *virtualPath + " was not found.");
  const std::size_t included = AddFile(*virtualPath, hostPath);
  const auto text = DecodeOrFail(included, *source);
  if (!text) return false;
  int includedLine = 1;
  open_.push_back(included);
  const bool ok = ExpandFile(included, *text, includedLine);
  open_.pop_back();
  return ok;
}

std::optional<std::string> IncludeExpander::ResolveOrFail(std::size_t file,
                                                          const Directive& directive, int line) {
  const std::string folder =
      directive.isVirtual ? "" : VirtualFolder(page_.files[file].virtualPath);
  auto resolved = ResolveVirtualPath(folder, directive.path);
  if (resolved) return resolved;
  const bool parent = directive.path.find("..") != std::string::npos;
  Fail(file, line,
       parent
           ? "The include path \"" + directive.path +
                 "\" leaves the site root; '..' may not go above it."
           : "The include path \"" + directive.path + "\" does not name a file inside the site.");
  return std::nullopt;
}

// Appends piece and records where each line it starts comes from. A line
// takes the origin of its first character, so an included file's lines are
// attributed to it even when the directive sat mid-line.
void IncludeExpander::Append(std::size_t file, std::string_view piece, int& line) {
  if (error_) return;
  if (page_.text.size() + piece.size() > kMaxExpandedBytes) {
    Fail(file, line,
         "The page and its include files are larger than " + std::to_string(kMaxExpandedBytes) +
             " bytes.");
    return;
  }
  std::size_t at = 0;
  while (at < piece.size()) {
    if (lineStartPending_) page_.lineOrigins.push_back({file, line});
    lineStartPending_ = false;
    std::size_t next = at;
    while (next < piece.size() && LineBreakAt(piece, next) == 0) ++next;
    const std::size_t breakLength = LineBreakAt(piece, next);
    page_.text.append(piece.substr(at, next - at + breakLength));
    at = next + breakLength;
    if (breakLength == 0) break;
    ++line;
    lineStartPending_ = true;
  }
}

std::size_t IncludeExpander::AddFile(const std::string& virtualPath, const std::string& hostPath) {
  for (std::size_t i = 0; i < page_.files.size(); ++i) {
    if (page_.files[i].hostPath == hostPath) return i;
  }
  page_.files.push_back({virtualPath, hostPath});
  return page_.files.size() - 1;
}

// The file's bytes as UTF-8 text, or nullopt after failing at the line of
// the first byte sequence the page's code page does not define.
std::optional<std::string> IncludeExpander::DecodeOrFail(std::size_t file, std::string_view bytes) {
  auto decoded = DecodeSourceText(bytes, page_.codePage);
  if (auto* text = std::get_if<std::string>(&decoded)) return std::move(*text);
  const auto& error = std::get<SourceTextError>(decoded);
  Fail(file, error.line, SourceTextMessage(error, page_.files[file].virtualPath));
  return std::nullopt;
}

// Records the first failure; later ones are consequences of it.
bool IncludeExpander::Fail(std::size_t file, int line, std::string message) {
  if (!error_) error_ = TranslateError{std::move(message), page_.files[file].virtualPath, line};
  return false;
}

// "/a.asp -> /inc/b.inc": the open files down to last.
std::string IncludeExpander::ChainText(std::size_t last) const {
  std::string chain;
  for (const std::size_t open : open_) {
    if (!chain.empty()) chain += " -> ";
    chain += page_.files[open].virtualPath;
    if (open == last) break;
  }
  return chain;
}

}  // namespace

std::variant<ExpandedPage, TranslateError> ExpandIncludes(const SourceLoader& loader,
                                                          std::string_view siteRoot,
                                                          std::string_view pageVirtualPath) {
  return IncludeExpander(loader, siteRoot).Run(pageVirtualPath);
}

}  // namespace vant::host::pages::detail
