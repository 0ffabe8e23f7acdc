// The search for the delimiter that ends a part's data. Bytes before it go
// to a sink (a field value in memory, or a temporary file) straight from the
// host's chunk; only a delimiter that straddles two chunks is looked for in
// a small carry buffer holding the tail of one chunk and the head of the
// next.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/automation/hresult.h"
#include "upload/body_reader.h"
#include "upload/upload_limits.h"

namespace vant::upload {

// Where a range of part data was found, as the write-failure report of a
// file part names it.
enum class ScanPlace : char16_t {
  kChunkHead = u'1',        // a chunk without the tail kept for the next search
  kBeforeDelimiter = u'2',  // the bytes before a delimiter found in the chunk
  kBeforeCarryHit = u'3',   // the bytes before a delimiter found in the carry buffer
  kKeptTail = u'4',         // kept tail bytes that turned out to be data
};

// Receives the data of a part. Returns false after reporting its own failure.
// A range handed to Emit stays readable until the sink is told to Settle:
// before the scan reads a chunk that moves the bytes, and when it ends.
class ScanSink {
 public:
  virtual bool Emit(const std::uint8_t* data, std::size_t size, ScanPlace place) = 0;
  // Done with every range emitted so far: keep what is still needed.
  virtual bool Settle() { return true; }

 protected:
  ~ScanSink() = default;
};

class DelimiterScanner {
 public:
  // `delimiter`: CR LF "--" boundary, 6 to 126 bytes.
  explicit DelimiterScanner(std::vector<std::uint8_t> delimiter);
  DelimiterScanner(const DelimiterScanner&) = delete;
  DelimiterScanner& operator=(const DelimiterScanner&) = delete;

  // Hands every byte from the reader's position up to the next delimiter to
  // `sink`, exactly once and in order, and leaves the position just past the
  // delimiter. Fails when a chunk cannot be read (the body ended before a
  // delimiter: 0x40020023) or the sink fails. Where the reader's chunks lie
  // back to back in memory, bytes kept across a chunk edge are emitted from
  // there rather than from the carry buffer, so a sink sees one run of
  // adjoining ranges.
  HRESULT Scan(BodyReader& reader, ScanSink& sink);

  // True when the line holds the boundary (the delimiter without its CR LF
  // "--"): how the first delimiter is recognised after a preamble.
  bool LineHoldsBoundary(const std::uint8_t* first, const std::uint8_t* last) const;

  std::size_t Length() const { return delimiter_.size(); }

 private:
  // The delimiter's start in [first, last), or nullptr.
  const std::uint8_t* Find(const std::uint8_t* first, const std::uint8_t* last) const;
  // Reads on after `kept` tail bytes in the carry buffer. Sets *found when
  // the delimiter straddled the edge; otherwise the position is at the start
  // of the new chunk (or past it, when the whole chunk went to the carry).
  HRESULT CarryAcross(BodyReader& reader, ScanSink& sink, std::size_t kept, bool* found);

  const std::vector<std::uint8_t> delimiter_;
  std::array<std::uint8_t, kCarryBufferSize> carry_{};
};

}  // namespace vant::upload
