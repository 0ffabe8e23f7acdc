// Parsed registry trees, reused while a file stays the same.
#pragma once

#include <memory>
#include <string>

#include "platform/registry/detail/file_store.h"
#include "platform/registry/tree.h"

namespace vant::registry {

// The tree for `text` read from `file` (stamped `stamp`): the one parsed last
// time when the text is byte for byte what was read then, otherwise parsed
// now. Thread-safe; may throw std::bad_alloc.
std::shared_ptr<const Tree> ParsedTree(const std::string& file, std::string text,
                                       const detail::FileStamp& stamp);

// The tree parsed last for `file` with the stamp of the text it came from;
// null and an unsettled stamp when none is kept. Pages create objects many
// times a second and each lookup must see an edit at once, so a lookup
// compares this stamp with the file's (one stat) and reads and parses only
// when they differ.
std::shared_ptr<const Tree> LastParsedTree(const std::string& file, detail::FileStamp* stamp);

// Keeps `stamp`, a newer look at the version parsed last (a later folder
// change count), so the next lookup can trust the count again. Ignored
// when the kept tree is of another version meanwhile.
void KeepStamp(const std::string& file, const detail::FileStamp& stamp);

}  // namespace vant::registry
