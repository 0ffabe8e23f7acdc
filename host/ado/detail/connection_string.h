// Connection strings: "Provider=SQLite;Data Source=C:\srv\data\site.db".
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vant::host::ado {

// Maps a virtual path ("/data/site.db") to a Windows path the way
// Server.MapPath does; nullopt when it cannot (outside the site).
using MapPathHook = std::function<std::optional<std::u16string>(std::u16string_view)>;

// The key=value pairs of a connection string, keys folded to lower case and
// trimmed. Pairs are separated by ';'; a value may be quoted with ' or "
// (a doubled quote inside stands for one), or braced as ODBC strings do
// ({a;b}, a doubled '}' inside stands for one), to hold ';' or '='. Pairs without
// '=' are ignored; a later duplicate key wins.
std::map<std::u16string, std::u16string> ParseConnectionString(std::u16string_view text);

// The database file a connection string names ("Data Source", else
// "DataSource", "Database" or "Filename"), as a host path: a Windows path
// ("C:\srv\site.db") goes through the drive table; a path starting with "/"
// is a host path when the file or its folder exists (or no hook is set),
// else a virtual path; virtual and relative paths go through `mapPath`. ":memory:" stays as it is.
// nullopt when no key names a file, the path does not map, or a virtual path comes with no hook.
// `error` receives the reason.
std::optional<std::string> ResolveDataSource(std::u16string_view connectionString,
                                             const MapPathHook& mapPath, std::u16string* error);

}  // namespace vant::host::ado
