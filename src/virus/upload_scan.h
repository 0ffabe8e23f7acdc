// The virus scan of one uploaded file, fed the same chunks that go to its
// temporary file. Scanning is on when the host names a clamd daemon; the
// verdict becomes the element's IsInfected and VirusName. A scan never fails
// the upload: when clamd cannot be asked, the host's rule decides whether
// the file counts as infected (VirusName then names the failure), and the
// host log says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/automation/automation.h"

namespace vant::net {
class ClamdStream;
}

namespace vant::virus {

// VirusName prefix of a file marked infected because its scan failed.
inline constexpr char16_t kScanFailedPrefix[] = u"ScanFailed.";

struct ScanVerdict {
  bool infected = false;
  Bstr virusName = Bstr::Null();  // signature or failure name; null when clean
};

class UploadScan {
 public:
  // A scan of a new file, or null when scanning is off.
  static std::unique_ptr<UploadScan> Start();
  ~UploadScan();

  // The next bytes of the file, in order. Never fails.
  void Feed(const std::uint8_t* data, std::size_t size) noexcept;

  // Ends the scan: the verdict for the element. `fileName` only names the
  // file in the log.
  ScanVerdict Finish(const std::u16string& fileName) noexcept;

 private:
  explicit UploadScan(std::unique_ptr<net::ClamdStream> stream);
  std::unique_ptr<net::ClamdStream> stream_;
};

}  // namespace vant::virus
