#include "upload/delimiter_scan.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vant::upload {
namespace {

// CR LF "--" in front of the boundary.
constexpr std::size_t kDelimiterPrefix = 4;

}  // namespace

DelimiterScanner::DelimiterScanner(std::vector<std::uint8_t> delimiter)
    : delimiter_(std::move(delimiter)) {}

const std::uint8_t* DelimiterScanner::Find(const std::uint8_t* first,
                                           const std::uint8_t* last) const {
  const std::size_t n = delimiter_.size();
  if (first == nullptr || last - first < static_cast<std::ptrdiff_t>(n)) return nullptr;
  // Candidates are the delimiter's first byte (CR); memchr skips the data
  // between them at memory speed, and a candidate costs at most 126 byte
  // compares, so the search stays linear on any data. (A boundary holds no
  // CR, as a header value cannot, so in practice no byte is compared twice.)
  const std::uint8_t* candidate = first;
  const std::uint8_t* const lastStart = last - n;
  while (candidate <= lastStart) {
    candidate = static_cast<const std::uint8_t*>(
        std::memchr(candidate, delimiter_[0], static_cast<std::size_t>(lastStart - candidate) + 1));
    if (candidate == nullptr) return nullptr;
    // The LF after the CR first: most CRs in file data fail here, cheaply.
    if (candidate[1] == delimiter_[1] &&
        std::memcmp(candidate + 2, delimiter_.data() + 2, n - 2) == 0) {
      return candidate;
    }
    ++candidate;
  }
  return nullptr;
}

bool DelimiterScanner::LineHoldsBoundary(const std::uint8_t* first,
                                         const std::uint8_t* last) const {
  if (first == nullptr) return false;
  const auto boundary = delimiter_.begin() + kDelimiterPrefix;
  return std::search(first, last, boundary, delimiter_.end()) != last;
}

HRESULT DelimiterScanner::Scan(BodyReader& reader, ScanSink& sink) {
  const std::size_t n = delimiter_.size();
  for (;;) {
    const std::uint8_t* const position = reader.Position();
    const std::uint8_t* const end = reader.End();
    if (const std::uint8_t* hit = Find(position, end)) {
      if (!sink.Emit(position, static_cast<std::size_t>(hit - position),
                     ScanPlace::kBeforeDelimiter)) {
        return E_FAIL;
      }
      reader.SetPosition(hit + n);
      return sink.Settle() ? S_OK : E_FAIL;
    }
    // Not in this chunk: all but its last n bytes are data for sure; those
    // n may be the start of a delimiter that ends in the next chunk.
    const std::size_t remaining = reader.Remaining();
    const std::size_t kept = std::min(remaining, n);
    if (remaining > n && !sink.Emit(position, remaining - n, ScanPlace::kChunkHead)) {
      return E_FAIL;
    }
    if (kept != 0) std::memcpy(carry_.data(), end - kept, kept);
    bool found = false;
    if (Failed(CarryAcross(reader, sink, kept, &found))) return E_FAIL;
    if (found) return sink.Settle() ? S_OK : E_FAIL;
  }
}

HRESULT DelimiterScanner::CarryAcross(BodyReader& reader, ScanSink& sink, std::size_t kept,
                                      bool* found) {
  const std::size_t n = delimiter_.size();
  for (bool first = true;; first = false) {
    if (!reader.NextFillKeepsChunk() && !sink.Settle()) return E_FAIL;
    if (Failed(reader._FillBuffer())) return E_FAIL;
    const std::uint8_t* const begin = reader.Begin();
    // The carry buffer's first bytes as they still lie before the chunk.
    const std::uint8_t* const carried =
        first && reader.FollowsPrevious() ? begin - kept : carry_.data();
    const std::size_t chunk = reader.Remaining();
    const std::size_t head = std::min(chunk, n);
    if (head != 0) std::memcpy(carry_.data() + kept, begin, head);
    const std::uint8_t* const carryEnd = carry_.data() + kept + head;
    if (const std::uint8_t* hit = Find(carry_.data(), carryEnd)) {
      const auto offset = static_cast<std::size_t>(hit - carry_.data());
      if (!sink.Emit(carried, offset, ScanPlace::kBeforeCarryHit)) return E_FAIL;
      reader.SetPosition(begin + (offset + n - kept));
      *found = true;
      return S_OK;
    }
    if (chunk > n) {
      if (!sink.Emit(carried, kept, ScanPlace::kKeptTail)) return E_FAIL;
      reader.SetPosition(begin);
      return S_OK;
    }
    // A chunk no longer than the delimiter went into the carry buffer whole
    // (a short read): keep the last n bytes of the buffer and read on, so a
    // delimiter spread over three chunks is still found.
    const std::size_t held = kept + head;
    kept = std::min(held, n);
    if (!sink.Emit(carry_.data(), held - kept, ScanPlace::kKeptTail)) return E_FAIL;
    std::memmove(carry_.data(), carryEnd - kept, kept);
    reader.SetPosition(reader.End());
  }
}

}  // namespace vant::upload
