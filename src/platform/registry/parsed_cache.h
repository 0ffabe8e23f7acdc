// Parsed registry trees, reused while a file's text stays the same.
#pragma once

#include <memory>
#include <string>

#include "platform/registry/tree.h"

namespace vant::registry {

// The tree for `text` read from `file`: the one parsed last time when the
// text is byte for byte what was read then, otherwise parsed now. Pages
// create objects many times a second and each lookup reads the file afresh
// (it may be edited at any time), so comparing the text is what keeps
// parsing off that path. Thread-safe; may throw std::bad_alloc.
std::shared_ptr<const Tree> ParsedTree(const std::string& file, std::string text);

}  // namespace vant::registry
