// Lays out the data folders of the soak site.
#pragma once

#include <string>

namespace soak {

// Creates files/, cache/ (the known files), img/ (the sample JPEGs copied
// from imagesDir), up/, thumbs/ and db/ under site. Returns "" on success,
// else what failed.
std::string MakeSiteFiles(const std::string& site, const std::string& imagesDir);

}  // namespace soak
