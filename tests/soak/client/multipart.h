// Builds multipart/form-data request bodies for the soak's uploads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soak {

struct Part {
  std::string name;
  std::string fileName;  // empty: a plain field
  std::string data;
};

struct MultipartBody {
  std::string contentType;  // with the boundary
  std::string body;
};

// One body holding the parts in order. The boundary is chosen so that it
// occurs in no part's data.
MultipartBody BuildMultipart(const std::vector<Part>& parts, std::uint64_t salt);

}  // namespace soak
