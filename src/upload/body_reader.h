// The request body as the multipart parser sees it: pulled from the host in
// chunks of 16,384 bytes through Request.BinaryRead, one chunk held at a
// time, offered as header lines (_BinaryRead) and as raw bytes for the
// delimiter scan. Also drains the rest of the body when an upload is
// abandoned, and feeds the byte counters of the attached progress record.
//
// A host whose Request offers IRequestBodyReader is read without byte
// arrays: up to 16 chunks at a time land in one block, and the chunks are
// served from it in place. Chunk sizes, counts and progress updates are the
// same on both paths; only the number of host calls differs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "frame/page_context.h"
#include "platform/automation/automation.h"
#include "progress/progress_link.h"
#include "upload/upload_errors.h"
#include "upload/upload_limits.h"

namespace vant::upload {

class BodyReader {
 public:
  // Reads through the Request that `context` holds at the time of each read;
  // reports through `errors`; updates `progress` after every chunk.
  BodyReader(const frame::PageContext& context, UploadErrors& errors,
             progress::ProgressLink& progress)
      : context_(context), errors_(errors), progress_(progress) {}
  BodyReader(const BodyReader&) = delete;
  BodyReader& operator=(const BodyReader&) = delete;
  ~BodyReader() { ReleaseChunk(); }

  // Parsing starts with a body of `total` bytes, none of them requested yet.
  void Start(std::int32_t total) {
    totalBytes_ = total;
    bytesLeft_ = total;
  }

  // Replaces the current chunk by the next piece of the body (at most
  // 16,384 bytes) and puts the position at its start. Fails, holding no
  // chunk, with 0x40020023 when the announced length is used up, 0x40020006
  // when BinaryRead fails, 0x40020007 when it yields no usable byte array.
  HRESULT _FillBuffer();

  // The next line without its CR LF, as [*first, *last); valid until the
  // next read. A line inside the chunk is returned in place; one that
  // crosses into the next chunk is joined in the line buffer. Fails (both
  // outputs null) when a chunk cannot be read, or with 0x40020008 when the
  // line does not end in the next chunk or does not fit the 2,048-byte
  // line buffer.
  HRESULT _BinaryRead(const std::uint8_t** first, const std::uint8_t** last);

  // Reads and discards the rest of the body; runs at most once (0x40020040
  // the second time). A failing read stops it with 0x40020006 or
  // 0x40020007. Holds no chunk afterwards.
  HRESULT _Flush();

  // When fewer than two bytes are left in the chunk but the body goes on:
  // reads the next chunk and serves the leftover bytes followed by it, so a
  // look at the next two bytes never depends on where the chunk ended.
  // Fails as _FillBuffer.
  HRESULT ReadOnPastChunkEdge();

  // Drops the chunk held, if any.
  void ReleaseChunk();

  // True when the next _FillBuffer leaves the current chunk's bytes where
  // they are (it serves a chunk already in the block), so ranges inside the
  // chunk stay readable after it.
  bool NextFillKeepsChunk() const;
  // True when the previous chunk's last bytes (up to 126 of them) lie just
  // before Begin(), as they do on the block path, also across a refill.
  bool FollowsPrevious() const { return followsPrevious_; }

  // The bytes of the current chunk not yet consumed: [Position(), End()).
  const std::uint8_t* Position() const { return position_; }
  const std::uint8_t* Begin() const { return begin_; }
  const std::uint8_t* End() const { return end_; }
  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - position_); }
  void SetPosition(const std::uint8_t* position) { position_ = position; }

  std::int32_t TotalBytes() const { return totalBytes_; }
  std::int32_t BytesLeft() const { return bytesLeft_; }
  bool Flushed() const { return flushed_; }

 private:
  // One BinaryRead of `count` bytes into *chunk. Reports 0x40020006 or
  // 0x40020007 on failure.
  HRESULT ReadPiece(std::int32_t count, std::unique_ptr<SafeArray>* chunk);
  // The next `count` bytes through IRequestBodyReader, as a range of the
  // block: [*first, *last), short only where the body ends. Reports as
  // ReadPiece.
  // *follows: the previous chunk ended at `previousEnd` right before it.
  HRESULT ReadBlockPiece(std::int32_t count, const std::uint8_t* previousEnd,
                         const std::uint8_t** first, const std::uint8_t** last, bool* follows);
  // Refills the block behind its unserved bytes with at least `minimum`
  // more, keeping the last served bytes in the lead before it. Reports
  // 0x40020006 when the read fails before any byte.
  HRESULT RefillBlock(std::size_t minimum);
  // Decided at the first read: the host reads into our buffer.
  bool UsesBlock();
  HRESULT FailLine(const std::uint8_t** first, const std::uint8_t** last, HRESULT status);
  // Request.TotalBytes, 0 when it cannot be read.
  std::int32_t AnnouncedLength() const;

  const frame::PageContext& context_;
  UploadErrors& errors_;
  progress::ProgressLink& progress_;

  std::int32_t totalBytes_ = 0;
  std::int32_t bytesLeft_ = kBodyNotStarted;
  std::unique_ptr<SafeArray> chunk_;  // locked while held
  const std::uint8_t* begin_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  const std::uint8_t* position_ = nullptr;
  std::array<std::uint8_t, kLineBufferSize> lineBuffer_{};
  std::vector<std::uint8_t> joined_;  // ReadOnPastChunkEdge's leftover + next chunk
  bool flushed_ = false;

  enum class Path { Undecided, Arrays, Block };
  Path path_ = Path::Undecided;
  ComPtr<host::IRequestBodyReader> direct_;  // the host's reader, on the block path
  // On the block path: a lead of kBlockLead bytes, then kBodyBlockSize.
  static constexpr std::size_t kBlockLead = 128;
  std::uint8_t* BlockData() { return block_.get() + kBlockLead; }
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t blockFill_ = 0;  // bytes the block holds
  std::size_t blockAt_ = 0;    // the first byte not served yet
  bool followsPrevious_ = false;
};

}  // namespace vant::upload
