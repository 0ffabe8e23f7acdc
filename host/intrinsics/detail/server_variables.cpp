#include "host/intrinsics/detail/server_variables.h"

#include <array>
#include <functional>

#include "host/intrinsics/detail/map_path.h"
#include "host/intrinsics/text_codec.h"
#include "platform/fs/path_map.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::string_view kHttpPrefix = "HTTP_";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsUpper(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// One character of a header name as it appears after HTTP_: upper case,
// '-' as '_'.
char VariableChar(char c) { return c == '-' ? '_' : Upper(c); }

std::string VariableSuffix(std::string_view headerName) {
  std::string out(headerName);
  for (char& c : out) c = VariableChar(c);
  return out;
}

std::string ServerName(const http::RequestHead& head) {
  std::string host = head.Header("Host").value_or(head.local.address);
  // Strip the port, leaving a bracketed IPv6 literal whole.
  const std::size_t colon = host.rfind(':');
  if (colon != std::string::npos && host.find(']', colon) == std::string::npos) host.resize(colon);
  return host;
}

std::string AllHttp(const http::RequestHead& head) {
  std::string out;
  for (const std::string& name : ServerVariableNames(head)) {
    if (!name.starts_with(kHttpPrefix)) continue;
    if (auto value = LookupServerVariable(name, ServerFacts{&head, {}, {}, {}})) {
      out.append(name).append(":").append(*value).append("\n");
    }
  }
  return out;
}

std::string AllRaw(const http::RequestHead& head) {
  std::string out;
  for (const auto& field : head.headers)
    out.append(field.name).append(": ").append(field.value).append("\r\n");
  return out;
}

std::string PathTranslated(const ServerFacts& facts) {
  std::u16string error;
  const auto path = MapSitePath(DecodeUtf8(facts.scriptPath), "/", facts.siteRootHostPath, &error);
  return path ? Narrow(*path) : std::string();
}

std::string ApplPhysicalPath(const ServerFacts& facts) {
  const auto root = fs::ToWindowsPath(facts.siteRootHostPath);
  if (!root) return {};
  std::string path = Narrow(*root);
  if (!path.ends_with('\\')) path.push_back('\\');
  return path;
}

using Getter = std::function<std::string(const ServerFacts&)>;
struct FixedVariable {
  std::string_view name;
  Getter get;
};

const std::vector<FixedVariable>& FixedVariables() {
  static const std::vector<FixedVariable> table = {
      {"ALL_HTTP", [](const ServerFacts& f) { return AllHttp(*f.head); }},
      {"ALL_RAW", [](const ServerFacts& f) { return AllRaw(*f.head); }},
      {"APPL_PHYSICAL_PATH", ApplPhysicalPath},
      {"AUTH_TYPE", [](const ServerFacts&) { return std::string(); }},
      {"AUTH_USER", [](const ServerFacts&) { return std::string(); }},
      {"CONTENT_LENGTH",
       [](const ServerFacts& f) { return f.head->Header("Content-Length").value_or("0"); }},
      {"CONTENT_TYPE",
       [](const ServerFacts& f) { return f.head->Header("Content-Type").value_or(""); }},
      {"GATEWAY_INTERFACE", [](const ServerFacts&) { return std::string("CGI/1.1"); }},
      {"HTTPS", [](const ServerFacts& f) { return std::string(f.head->https ? "on" : "off"); }},
      {"LOCAL_ADDR", [](const ServerFacts& f) { return f.head->local.address; }},
      {"LOGON_USER", [](const ServerFacts&) { return std::string(); }},
      {"PATH_INFO", [](const ServerFacts& f) { return std::string(f.scriptPath); }},
      {"PATH_TRANSLATED", PathTranslated},
      {"QUERY_STRING", [](const ServerFacts& f) { return f.head->queryString; }},
      {"REMOTE_ADDR", [](const ServerFacts& f) { return f.head->remote.address; }},
      {"REMOTE_HOST", [](const ServerFacts& f) { return f.head->remote.address; }},
      {"REMOTE_PORT", [](const ServerFacts& f) { return std::to_string(f.head->remote.port); }},
      {"REMOTE_USER", [](const ServerFacts&) { return std::string(); }},
      {"REQUEST_METHOD", [](const ServerFacts& f) { return f.head->method; }},
      {"SCRIPT_NAME", [](const ServerFacts& f) { return std::string(f.scriptPath); }},
      {"SERVER_NAME", [](const ServerFacts& f) { return ServerName(*f.head); }},
      {"SERVER_PORT", [](const ServerFacts& f) { return std::to_string(f.head->local.port); }},
      {"SERVER_PORT_SECURE",
       [](const ServerFacts& f) { return std::string(f.head->https ? "1" : "0"); }},
      {"SERVER_PROTOCOL", [](const ServerFacts& f) { return f.head->Protocol(); }},
      {"SERVER_SOFTWARE", [](const ServerFacts& f) { return std::string(f.serverSoftware); }},
      {"URL", [](const ServerFacts& f) { return std::string(f.scriptPath); }},
  };
  return table;
}

// Whether header `name` and the header part `suffix` of a variable name are
// the same in variable form (VariableSuffix), compared in place: a lookup
// would otherwise copy the name asked for and every header name.
bool HasVariableSuffix(std::string_view name, std::string_view suffix) {
  if (name.size() != suffix.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (VariableChar(name[i]) != VariableChar(suffix[i])) return false;
  }
  return true;
}

// Headers whose variable name ends in `suffix`, joined with ", ".
std::optional<std::string> HeaderVariable(std::string_view suffix, const http::RequestHead& head) {
  std::optional<std::string> joined;
  for (const auto& field : head.headers) {
    if (!HasVariableSuffix(field.name, suffix)) continue;
    if (joined)
      joined->append(", ").append(field.value);
    else
      joined = field.value;
  }
  return joined;
}

}  // namespace

std::string HttpVariableName(std::string_view headerName) {
  return std::string(kHttpPrefix) + VariableSuffix(headerName);
}

std::optional<std::string> LookupServerVariable(std::string_view name, const ServerFacts& facts) {
  if (facts.head == nullptr) return std::nullopt;
  for (const FixedVariable& v : FixedVariables()) {
    if (EqualsUpper(v.name, name)) return v.get(facts);
  }
  if (name.size() > kHttpPrefix.size() &&
      EqualsUpper(name.substr(0, kHttpPrefix.size()), kHttpPrefix)) {
    // An underscore asked for matches a dash sent: compare in variable form.
    return HeaderVariable(name.substr(kHttpPrefix.size()), *facts.head);
  }
  return std::nullopt;
}

std::vector<std::string> ServerVariableNames(const http::RequestHead& head) {
  std::vector<std::string> names;
  for (const FixedVariable& v : FixedVariables()) names.emplace_back(v.name);
  for (const auto& field : head.headers) {
    std::string name = HttpVariableName(field.name);
    bool seen = false;
    for (const auto& n : names) seen = seen || n == name;
    if (!seen) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace vant::host::intrinsics
