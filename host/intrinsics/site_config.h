// Settings of the site that shape every page's intrinsic objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vant::host::intrinsics {

inline constexpr std::int32_t kDefaultScriptTimeoutSeconds = 90;
// The locale pages get when neither the page nor the session sets one
// (English, United States).
inline constexpr std::int32_t kDefaultLcid = 1033;
// Largest urlencoded body Request.Form reads into memory; larger forms are
// refused (uploads go through BinaryRead and a component instead).
inline constexpr std::size_t kDefaultMaxFormBytes = 16u << 20;
// Most name=value pairs Request.Form and Request.QueryString read, and most
// cookies Request.Cookies reads (as many as an upload form may have parts).
inline constexpr std::size_t kDefaultMaxInputVars = 10'000;

struct SiteConfig {
  // The site folder on the host, absolute ("/srv/site"); MapPath never
  // leaves it.
  std::string rootHostPath;
  std::int32_t scriptTimeoutSeconds = kDefaultScriptTimeoutSeconds;
  std::size_t maxFormBytes = kDefaultMaxFormBytes;
  std::size_t maxInputVars = kDefaultMaxInputVars;
  // SERVER_SOFTWARE.
  std::string serverSoftware = "VANT-Host/3.1";
};

// What the page handler knows about the page before it runs.
struct RequestedPage {
  // The requested page from the site root, "/upload/save.asp".
  std::string virtualPath;
  // From the page directive (CODEPAGE=, LCID=); 0 when the page sets none.
  std::uint32_t codePage = 0;
  std::int32_t lcid = 0;
};

}  // namespace vant::host::intrinsics
