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

HRESULT BodyReader::_FillBuffer() {
  return errors_.Guard(u"_FillBuffer", [&]() -> HRESULT {
    ReleaseChunk();
    if (bytesLeft_ <= 0) return errors_.Report(MessageId::kBodyEndedEarly);
    std::unique_ptr<SafeArray> chunk;
    if (Failed(ReadPiece(std::min(bytesLeft_, kChunkSize), &chunk))) {
      ReleaseChunk();
      return E_FAIL;
    }
    chunk_ = std::move(chunk);
    begin_ = position_ = chunk_->Bytes();
    end_ = begin_ + chunk_->Count();
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
      std::unique_ptr<SafeArray> piece;
      if (Failed(ReadPiece(std::min(bytesLeft_, kChunkSize), &piece))) return E_FAIL;
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
  begin_ = position_ = joined_.data();
  end_ = begin_ + joined_.size();
  return S_OK;
}

}  // namespace vant::upload
