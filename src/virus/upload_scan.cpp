#include "virus/upload_scan.h"

#include "platform/net/clamd_stream.h"
#include "platform/sys/scan_settings.h"
#include "platform/sys/utf.h"

namespace vant::virus {
namespace {

using Kind = net::ClamdVerdict::Kind;

// The VirusName of a failed scan marked infected.
std::u16string FailureName(Kind kind) {
  std::u16string name = kScanFailedPrefix;
  switch (kind) {
    case Kind::kUnreachable:
      return name + u"Unreachable";
    case Kind::kTimeout:
      return name + u"Timeout";
    case Kind::kTooLarge:
      return name + u"TooLarge";
    default:
      return name + u"Error";
  }
}

}  // namespace

UploadScan::UploadScan(std::unique_ptr<net::ClamdStream> stream) : stream_(std::move(stream)) {}

UploadScan::~UploadScan() = default;

std::unique_ptr<UploadScan> UploadScan::Start() {
  const sys::ScanSettings& settings = sys::GetScanSettings();
  if (settings.clamd.empty()) return nullptr;
  net::ClamdAddress address;
  if (!net::ParseClamdAddress(settings.clamd, address)) {
    // The host checks the address; an unusable one set by hand is unreachable.
    address = net::ClamdAddress{true, "/nonexistent", {}, 0};
  }
  return std::unique_ptr<UploadScan>(new UploadScan(
      std::make_unique<net::ClamdStream>(address, settings.timeout, settings.maxStream)));
}

void UploadScan::Feed(const std::uint8_t* data, std::size_t size) noexcept {
  try {
    stream_->Send(data, size);
  } catch (...) {
    // Finish reports the broken stream; the upload goes on.
  }
}

ScanVerdict UploadScan::Finish(const std::u16string& fileName) noexcept {
  ScanVerdict verdict;
  try {
    const net::ClamdVerdict answer = stream_->Finish();
    if (answer.kind == Kind::kClean) return verdict;
    if (answer.kind == Kind::kFound) {
      verdict.infected = true;
      verdict.virusName = Bstr(sys::Utf8ToUtf16(answer.text));
      return verdict;
    }
    const bool infected = sys::GetScanSettings().infectedOnError;
    net::LogScanProblem("\"" + sys::Utf16ToUtf8(fileName) + "\" counted as " +
                        (infected ? "infected" : "clean") + ": " + answer.text);
    if (infected) {
      verdict.infected = true;
      verdict.virusName = Bstr(FailureName(answer.kind));
    }
  } catch (...) {
    verdict.infected = sys::GetScanSettings().infectedOnError;
    if (verdict.infected) verdict.virusName = Bstr(FailureName(Kind::kFailed));
  }
  return verdict;
}

}  // namespace vant::virus
