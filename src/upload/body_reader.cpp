#include "upload/body_reader.h"

#include <algorithm>
#include <cstring>

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

// The first CR LF in [first, last), or nullptr.
const std::uint8_t* FindCrLf(const std::uint8_t* first, const std::uint8_t* last) {
  while (first != nullptr && first < last) {
    const auto* cr = static_cast<const std::uint8_t*>(
        std::memchr(first, kCr, static_cast<std::size_t>(last - first)));
    if (cr == nullptr || cr + 1 >= last) return nullptr;
    if (cr[1] == kLf) return cr;
    first = cr + 1;
  }
  return nullptr;
}

}  // namespace

void BodyReader::ReleaseChunk() {
  if (chunk_) (void)chunk_->Unlock();
  chunk_.reset();
  joined_.clear();
  begin_ = end_ = position_ = nullptr;
}

std::int32_t BodyReader::AnnouncedLength() const {
  host::IRequest* const request = context_.Request();
  std::int32_t total = 0;
  if (request == nullptr || Failed(request->get_TotalBytes(&total))) return 0;
  return total;
}

HRESULT BodyReader::ReadPiece(std::int32_t count, std::unique_ptr<SafeArray>* chunk) {
  host::IRequest* const request = context_.Request();
  Variant wanted = Variant::I4(count);
  Variant bytes;
  if (request == nullptr || Failed(request->BinaryRead(&wanted, &bytes))) {
    return errors_.Report(MessageId::kBodyReadFailed);
  }
  // The requested count is used up whatever the host delivered.
  bytesLeft_ -= count;
  SafeArray* const array = bytes.array();
  // An empty array is a valid answer (the body ended early); only a value
  // that is no byte array, or one that cannot be locked, is refused.
  if ((bytes.vt() & VT_ARRAY) == 0 || array == nullptr || array->ElementType() != VT_UI1 ||
      Failed(array->Lock())) {
    return errors_.Report(MessageId::kBodyReadNoData);
  }
  *chunk = bytes.DetachArray();
  return S_OK;
}

bool BodyReader::UsesBlock() {
  if (path_ == Path::Undecided) {
    host::IRequest* const request = context_.Request();
    path_ = request != nullptr &&
                    Succeeded(request->QueryInterface(host::IRequestBodyReader::kIid,
                                                      direct_.ReceiveVoid())) &&
                    direct_
                ? Path::Block
                : Path::Arrays;
  }
  return path_ == Path::Block;
}

bool BodyReader::NextFillKeepsChunk() const {
  if (path_ != Path::Block || bytesLeft_ <= 0) return false;
  return blockFill_ - blockAt_ >= static_cast<std::size_t>(std::min(bytesLeft_, kChunkSize));
}

HRESULT BodyReader::RefillBlock(std::size_t minimum) {
  // The last served bytes go to the lead, so a delimiter's start kept from
  // the chunk before still lies right before the next chunk; the unserved
  // bytes move to the front. The block never takes more than the body has
  // left, so its chunks end where BinaryRead's would.
  std::uint8_t* const data = BlockData();
  const std::size_t lead = std::min(kBlockLead, blockAt_);
  if (lead != 0) std::memcpy(data - lead, data + blockAt_ - lead, lead);
  const std::size_t kept = blockFill_ - blockAt_;
  if (kept != 0 && blockAt_ != 0) std::memmove(data, data + blockAt_, kept);
  blockFill_ = kept;
  blockAt_ = 0;
  const auto room = std::min(bytesLeft_, kBodyBlockSize) - static_cast<std::int32_t>(kept);
  std::int32_t got = 0;
  if (Failed(direct_->ReadBodyInto(data + kept, static_cast<std::int32_t>(minimum), room, &got)) ||
      got < 0 || got > room) {
    // Bytes that arrived before the failure are served first, as a short
    // BinaryRead would; the failure is reported by the read after them.
    return kept != 0 ? S_OK : errors_.Report(MessageId::kBodyReadFailed);
  }
  blockFill_ = kept + static_cast<std::size_t>(got);
  return S_OK;
}

HRESULT BodyReader::ReadBlockPiece(std::int32_t count, const std::uint8_t* previousEnd,
                                   const std::uint8_t** first, const std::uint8_t** last,
                                   bool* follows) {
  const auto wanted = static_cast<std::size_t>(count);
  *follows = block_ && previousEnd == BlockData() + blockAt_;
  if (blockFill_ - blockAt_ < wanted) {
    if (!block_)
      block_ = std::make_unique_for_overwrite<std::uint8_t[]>(kBlockLead + kBodyBlockSize);
    if (Failed(RefillBlock(wanted - (blockFill_ - blockAt_)))) return E_FAIL;
  }
  // The requested count is used up whatever the host delivered.
  bytesLeft_ -= count;
  const std::size_t size = std::min(wanted, blockFill_ - blockAt_);
  *first = BlockData() + blockAt_;
  *last = *first + size;
  blockAt_ += size;
  return S_OK;
}

HRESULT BodyReader::_FillBuffer() {
  return errors_.Guard(u"_FillBuffer", [&]() -> HRESULT {
    const std::uint8_t* const previousEnd = end_;
    ReleaseChunk();
    followsPrevious_ = false;
    if (bytesLeft_ <= 0) return errors_.Report(MessageId::kBodyEndedEarly);
    const std::int32_t count = std::min(bytesLeft_, kChunkSize);
    if (UsesBlock()) {
      const std::uint8_t* first = nullptr;
      const std::uint8_t* last = nullptr;
      if (Failed(ReadBlockPiece(count, previousEnd, &first, &last, &followsPrevious_))) {
        return E_FAIL;
      }
      begin_ = position_ = first;
      end_ = last;
    } else {
      std::unique_ptr<SafeArray> chunk;
      if (Failed(ReadPiece(count, &chunk))) {
        ReleaseChunk();
        return E_FAIL;
      }
      chunk_ = std::move(chunk);
      begin_ = position_ = chunk_->Bytes();
      end_ = begin_ + chunk_->Count();
    }
    progress_.ChunkRead(bytesLeft_);
    return S_OK;
  });
}

HRESULT BodyReader::FailLine(const std::uint8_t** first, const std::uint8_t** last,
                             HRESULT status) {
  *first = *last = nullptr;
  return status;
}

HRESULT BodyReader::_BinaryRead(const std::uint8_t** first, const std::uint8_t** last) {
  *first = *last = nullptr;
  return errors_.Guard(u"_BinaryRead", [&]() -> HRESULT {
    if (const std::uint8_t* crlf = FindCrLf(position_, end_)) {
      *first = position_;
      *last = crlf;
      position_ = crlf + 2;
      return S_OK;
    }
    // The line goes on in the next chunk: keep its start in the line buffer.
    const std::size_t copied = Remaining();
    if (copied > lineBuffer_.size()) {
      return FailLine(first, last, errors_.Report(MessageId::kHeaderLineTooLong));
    }
    lineBuffer_.fill(0);
    if (copied != 0) std::memcpy(lineBuffer_.data(), position_, copied);
    if (Failed(_FillBuffer())) return FailLine(first, last, E_FAIL);
    // CR at the end of one chunk, LF at the start of the next.
    if (copied != 0 && lineBuffer_[copied - 1] == kCr && begin_ < end_ && *begin_ == kLf) {
      *first = lineBuffer_.data();
      *last = lineBuffer_.data() + copied - 1;
      position_ = begin_ + 1;
      return S_OK;
    }
    const std::uint8_t* crlf = FindCrLf(begin_, end_);
    if (crlf == nullptr || copied + static_cast<std::size_t>(crlf - begin_) > lineBuffer_.size()) {
      return FailLine(first, last, errors_.Report(MessageId::kHeaderLineTooLong));
    }
    std::memcpy(lineBuffer_.data() + copied, begin_, static_cast<std::size_t>(crlf - begin_));
    *first = lineBuffer_.data();
    *last = lineBuffer_.data() + copied + (crlf - begin_);
    position_ = crlf + 2;
    return S_OK;
  });
}

HRESULT BodyReader::_Flush() {
  return errors_.Guard(u"_Flush", [&]() -> HRESULT {
    if (flushed_) return errors_.Report(MessageId::kAlreadyFlushed);
    flushed_ = true;
    if (bytesLeft_ == kBodyNotStarted) bytesLeft_ = AnnouncedLength();
    ReleaseChunk();
    while (bytesLeft_ > 0) {
      const std::int32_t count = std::min(bytesLeft_, kChunkSize);
      if (UsesBlock()) {
        const std::uint8_t* first = nullptr;
        const std::uint8_t* last = nullptr;
        bool follows = false;
        if (Failed(ReadBlockPiece(count, nullptr, &first, &last, &follows))) return E_FAIL;
        continue;
      }
      std::unique_ptr<SafeArray> piece;
      if (Failed(ReadPiece(count, &piece))) return E_FAIL;
      (void)piece->Unlock();
    }
    return S_OK;
  });
}

HRESULT BodyReader::ReadOnPastChunkEdge() {
  const std::vector<std::uint8_t> leftover(position_, end_);
  if (Failed(_FillBuffer())) return E_FAIL;
  std::vector<std::uint8_t> joined;
  joined.reserve(leftover.size() + Remaining());
  joined.insert(joined.end(), leftover.begin(), leftover.end());
  joined.insert(joined.end(), begin_, end_);
  joined_ = std::move(joined);
  followsPrevious_ = false;
  begin_ = position_ = joined_.data();
  end_ = begin_ + joined_.size();
  return S_OK;
}

}  // namespace vant::upload
