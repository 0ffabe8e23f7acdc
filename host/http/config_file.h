// The vant-host configuration file: one "key = value" per line, the key
// being a long option's name without "--" ("max-body = 100M"). Blank lines
// and lines starting with '#' or ';' are skipped; a value may be put in
// double quotes to keep spaces at its ends. Repeatable options take one line
// per value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vant::host::http {

struct ConfigEntry {
  std::string name;  // "max-body"
  std::string value;
  unsigned line = 0;  // from 1
};

struct ConfigText {
  std::vector<ConfigEntry> entries;
  std::string error;  // "line 3: ..." when the text is malformed
  bool ok() const { return error.empty(); }
};

// Splits the text into entries; does not check the names or values.
ConfigText ParseConfigText(std::string_view text);

// Reads and splits the file; the error names the file when it cannot be read
// or is larger than a configuration file can sensibly be (1 MiB).
ConfigText ReadConfigFile(const std::string& path);

}  // namespace vant::host::http
