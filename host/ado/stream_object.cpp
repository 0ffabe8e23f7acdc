#include "host/ado/ado_objects.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/stream_buffer.h"
#include "host/ado/detail/stream_text.h"
#include "platform/sys/code_page.h"

namespace vant::host::ado {
namespace {

constexpr std::u16string_view kProgId = u"ADODB.Stream";
constexpr std::u16string_view kDefaultCharset = u"Unicode";

constexpr std::int32_t kStateClosed = 0;
constexpr std::int32_t kStateOpen = 1;
constexpr std::int32_t kAdModeRead = 1;
constexpr std::int32_t kAccessBits = 3;

// The call does not fit the stream's type, mode or position.
constexpr HRESULT kNotInContext = MakeHresult(0x800A0C93);
// The stream cannot open anything but its own contents (no URLs).
constexpr HRESULT kNotCapable = MakeHresult(0x800A0CB3);

constexpr std::size_t kChunk = 64 * 1024;
// The furthest a Position past the end may grow the stream.
constexpr std::uint64_t kMaxGrowth = std::numeric_limits<std::int32_t>::max();

Outcome Closed() {
  return Outcome::Fail(kObjectClosed, u"Operation is not allowed when the object is closed.");
}
Outcome NotInContext() {
  return Outcome::Fail(kNotInContext, u"Operation is not allowed in this context.");
}
Outcome BadArgument() {
  return Outcome::Fail(kBadArgument,
                       u"Arguments are of the wrong type, are out of acceptable range, or are in "
                       u"conflict with one another.");
}

// Byte counts above 2^31 come back as doubles, as pages read them.
Variant CountVariant(std::uint64_t value) {
  if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return Variant::I4(static_cast<std::int32_t>(value));
  }
  return Variant::R8(static_cast<double>(value));
}

class StreamObject final
    : public ComObject<StreamObject, DispatchImpl<IAdoStream>, ISupportErrorInfo> {
 public:
  HRESULT get_Size(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return Opened([&] { *out = CountVariant(buffer_.size()); }); });
  }
  HRESULT get_EOS(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return Opened([&] { *out = ToVariantBool(position_ >= buffer_.size()); }); });
  }
  HRESULT get_Position(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return Opened([&] { *out = CountVariant(position_); }); });
  }
  // A position past the end grows the stream with zero bytes.
  HRESULT put_Position(Variant position) override {
    return Run([&] {
      if (!open_) return Closed();
      double value = 0;
      if (Failed(VariantToR8(position, &value)) || !(value >= 0) || value > 9.0e15) {
        return BadArgument();
      }
      const auto target = static_cast<std::uint64_t>(value);
      if (target > buffer_.size()) {
        // Growing writes every zero byte: bounded like a single Read.
        if (target > kMaxGrowth) return BadArgument();
        if (Outcome grown = buffer_.Resize(target); !grown.ok()) return grown;
      }
      position_ = target;
      return Outcome::Ok();
    });
  }
  HRESULT get_Type(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = type_;
    return S_OK;
  }
  HRESULT put_Type(std::int32_t type) override {
    return Run([&] {
      if (type != kAdTypeBinary && type != kAdTypeText) return BadArgument();
      if (open_ && position_ != 0) return NotInContext();
      type_ = type;
      return Outcome::Ok();
    });
  }
  HRESULT get_LineSeparator(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = lineSeparator_;
    return S_OK;
  }
  HRESULT put_LineSeparator(std::int32_t separator) override {
    return Run([&] {
      if (separator != kAdCrLf && separator != kAdLf && separator != kAdCr) return BadArgument();
      lineSeparator_ = separator;
      return Outcome::Ok();
    });
  }
  HRESULT get_State(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = open_ ? kStateOpen : kStateClosed;
    return S_OK;
  }
  HRESULT get_Mode(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = mode_;
    return S_OK;
  }
  HRESULT put_Mode(std::int32_t mode) override {
    return Run([&] {
      if (open_)
        return Outcome::Fail(kObjectOpen, u"Operation is not allowed when the object is open.");
      if (mode < 0) return BadArgument();
      mode_ = mode;
      return Outcome::Ok();
    });
  }
  HRESULT get_Charset(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      *out = Bstr(charset_);
      return Outcome::Ok();
    });
  }
  HRESULT put_Charset(const Bstr& charset) override {
    return Run([&] {
      if (open_ && position_ != 0) return NotInContext();
      const std::optional<std::uint32_t> codePage = CodePageOfCharset(charset.view());
      if (!codePage) return BadArgument();
      charset_ = charset.str();
      codePage_ = *codePage;
      return Outcome::Ok();
    });
  }

  // A Null past the end; adReadAll (or more than is left) gives the rest.
  HRESULT Read(std::int32_t numBytes, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!open_) return Closed();
      if (type_ != kAdTypeBinary) return NotInContext();
      if (numBytes < kAdReadAll) return BadArgument();
      const std::uint64_t left = buffer_.size() - std::min(position_, buffer_.size());
      const std::uint64_t count =
          numBytes == kAdReadAll ? left : std::min<std::uint64_t>(left, numBytes);
      if (count == 0) {
        *out = Variant::Null();
        return Outcome::Ok();
      }
      if (count > std::numeric_limits<std::uint32_t>::max()) {
        return Outcome::Fail(E_OUTOFMEMORY, u"Out of memory.");
      }
      std::unique_ptr<SafeArray> bytes =
          SafeArray::CreateVector(VT_UI1, 0, static_cast<std::uint32_t>(count));
      if (!bytes) return Outcome::Fail(E_OUTOFMEMORY, u"Out of memory.");
      std::size_t got = 0;
      if (Outcome read = buffer_.Read(position_, bytes->Bytes(), count, &got); !read.ok()) {
        return read;
      }
      if (got < count && Failed(bytes->Resize(static_cast<std::uint32_t>(got)))) {
        return Outcome::Fail(E_UNEXPECTED, u"Unexpected failure.");
      }
      position_ += got;
      *out = Variant::Array(std::move(bytes));
      return Outcome::Ok();
    });
  }

  HRESULT Open(Variant source, std::int32_t mode, std::int32_t, const Bstr&, const Bstr&) override {
    return Run([&] {
      if (open_)
        return Outcome::Fail(kObjectOpen, u"Operation is not allowed when the object is open.");
      const Variant& given = source.Deref();
      if (!given.IsMissing() && !given.IsEmpty() && !given.IsNull() &&
          !(given.vt() == VT_BSTR && given.bstr().empty())) {
        return Outcome::Fail(kNotCapable,
                             u"Object or provider is not capable of performing "
                             u"requested operation.");
      }
      if (mode < 0) return BadArgument();
      if (mode != 0) mode_ = mode;
      buffer_.Clear();
      position_ = 0;
      open_ = true;
      return Outcome::Ok();
    });
  }
  HRESULT Close() override {
    return Run([&] {
      if (!open_) return Closed();
      buffer_.Clear();
      position_ = 0;
      open_ = false;
      return Outcome::Ok();
    });
  }
  HRESULT SkipLine() override {
    return Run([&] {
      std::u16string ignored;
      return ReadTextInto(kAdReadLine, &ignored);
    });
  }
  HRESULT Write(Variant buffer) override {
    return Run([&] {
      if (Outcome ready = Writing(kAdTypeBinary); !ready.ok()) return ready;
      const Variant& value = buffer.Deref();
      const SafeArray* array = value.vt() == (VT_ARRAY | VT_UI1) ? value.array() : nullptr;
      if (array == nullptr) return BadArgument();
      const auto* bytes = reinterpret_cast<const char*>(array->Bytes());
      return WriteAtPosition({bytes, array->Count()});
    });
  }
  HRESULT SetEOS() override {
    return Run([&] {
      if (!open_) return Closed();
      if ((mode_ & kAccessBits) == kAdModeRead) return NotInContext();
      return buffer_.Resize(std::min(position_, buffer_.size()));
    });
  }
  // Copies from the position on: bytes from a binary stream, characters
  // (in the destination's charset) between text streams.
  HRESULT CopyTo(IDispatch* destination, std::int32_t charNumber) override {
    return Run([&] {
      if (!open_) return Closed();
      ComPtr<IAdoStream> target;
      if (destination == nullptr ||
          Failed(destination->QueryInterface(IAdoStream::kIid, target.ReceiveVoid())) ||
          static_cast<IAdoStream*>(this) == target.get() || charNumber < kAdReadAll) {
        return BadArgument();
      }
      std::int32_t targetType = 0;
      (void)target->get_Type(&targetType);
      return type_ == kAdTypeText && targetType == kAdTypeText ? CopyText(*target, charNumber)
                                                               : CopyBytes(*target, charNumber);
    });
  }
  HRESULT Flush() override {
    return Run([&] { return open_ ? Outcome::Ok() : Closed(); });
  }
  HRESULT SaveToFile(const Bstr& fileName, std::int32_t options) override {
    return Run([&] {
      if (!open_) return Closed();
      if (options != kAdSaveCreateNotExist && options != kAdSaveCreateOverWrite) {
        return BadArgument();
      }
      return buffer_.Save(fileName.view(), options == kAdSaveCreateOverWrite);
    });
  }
  HRESULT LoadFromFile(const Bstr& fileName) override {
    return Run([&] {
      if (!open_) return Closed();
      if (Outcome loaded = buffer_.Load(fileName.view()); !loaded.ok()) return loaded;
      position_ = 0;
      return Outcome::Ok();
    });
  }
  HRESULT ReadText(std::int32_t numChars, Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      std::u16string text;
      if (Outcome read = ReadTextInto(numChars, &text); !read.ok()) return read;
      *out = Bstr(text);
      return Outcome::Ok();
    });
  }
  // At the start of the stream the charset's byte-order mark goes first.
  HRESULT WriteText(const Bstr& data, std::int32_t options) override {
    return Run([&] {
      if (Outcome ready = Writing(kAdTypeText); !ready.ok()) return ready;
      if (options != 0 && options != kAdWriteLine) return BadArgument();
      std::u16string text = data.str();
      if (options == kAdWriteLine) text += Separator();
      std::optional<std::string> bytes = sys::EncodeCodePage(codePage_, text);
      if (!bytes) return BadArgument();
      if (position_ == 0) bytes->insert(0, ByteOrderMark(codePage_));
      return WriteAtPosition(*bytes);
    });
  }
  HRESULT Cancel() override { return S_OK; }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoStream::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kProgId, [&] { return Report(body(), kProgId); });
  }
  template <class Body>
  Outcome Opened(Body&& body) {
    if (!open_) return Closed();
    body();
    return Outcome::Ok();
  }

  Outcome Writing(std::int32_t type) const {
    if (!open_) return Closed();
    if (type_ != type || (mode_ & kAccessBits) == kAdModeRead) return NotInContext();
    return Outcome::Ok();
  }

  Outcome WriteAtPosition(std::string_view bytes) {
    if (Outcome written = buffer_.Write(position_, bytes); !written.ok()) return written;
    position_ += bytes.size();
    return Outcome::Ok();
  }

  std::u16string_view Separator() const {
    if (lineSeparator_ == kAdLf) return u"\n";
    if (lineSeparator_ == kAdCr) return u"\r";
    return u"\r\n";
  }

  std::uint64_t Left() const { return buffer_.size() - std::min(position_, buffer_.size()); }

  // A text read at the start of the stream steps over the charset's mark.
  Outcome SkipByteOrderMark() {
    const std::string_view mark = ByteOrderMark(codePage_);
    if (position_ != 0 || mark.empty()) return Outcome::Ok();
    std::string start;
    if (Outcome read = buffer_.ReadString(0, mark.size(), &start); !read.ok()) return read;
    if (start == mark) position_ = mark.size();
    return Outcome::Ok();
  }

  Outcome ReadTextInto(std::int32_t numChars, std::u16string* text) {
    if (!open_) return Closed();
    if (type_ != kAdTypeText) return NotInContext();
    if (numChars < kAdReadLine) return BadArgument();
    if (Outcome skipped = SkipByteOrderMark(); !skipped.ok()) return skipped;
    TextRead read;
    if (Outcome done = ReadTextAt(buffer_, position_, codePage_, numChars, Separator(), &read);
        !done.ok()) {
      return done;
    }
    position_ += read.bytes;
    *text = std::move(read.text);
    return Outcome::Ok();
  }

  Outcome CopyBytes(IAdoStream& target, std::int32_t count) {
    std::uint64_t left = count == kAdReadAll ? Left() : std::min<std::uint64_t>(Left(), count);
    while (left > 0) {
      const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
      std::string bytes;
      if (Outcome read = buffer_.ReadString(position_, take, &bytes); !read.ok()) return read;
      if (bytes.empty()) break;
      Variant chunk = Variant::Array(SafeArray::FromBytes(bytes.data(), bytes.size()));
      if (const HRESULT hr = target.Write(chunk); Failed(hr)) return TargetFailed(hr);
      position_ += bytes.size();
      left -= bytes.size();
    }
    return Outcome::Ok();
  }

  Outcome CopyText(IAdoStream& target, std::int32_t count) {
    std::int64_t left = count;  // -1: everything
    while (left != 0 && Left() > 0) {
      const std::int32_t take =
          left < 0 ? static_cast<std::int32_t>(kChunk)
                   : static_cast<std::int32_t>(std::min<std::int64_t>(left, kChunk));
      std::u16string text;
      if (Outcome read = ReadTextInto(take, &text); !read.ok()) return read;
      if (text.empty()) break;
      if (const HRESULT hr = target.WriteText(Bstr(text), 0); Failed(hr)) return TargetFailed(hr);
      if (left > 0) left -= static_cast<std::int64_t>(text.size());
    }
    return Outcome::Ok();
  }

  // The destination's failure as its own call recorded it.
  static Outcome TargetFailed(HRESULT hr) {
    ComPtr<IErrorInfo> info;
    Bstr description;
    if (GetErrorInfo(0, info.Receive()) == S_OK && info) (void)info->GetDescription(&description);
    return Outcome::Fail(hr, description.str());
  }

  bool open_ = false;
  std::int32_t type_ = kAdTypeText;
  std::int32_t mode_ = 0;
  std::int32_t lineSeparator_ = kAdCrLf;
  std::u16string charset_{kDefaultCharset};
  std::uint32_t codePage_ = sys::kCodePageUtf16Le;
  std::uint64_t position_ = 0;
  StreamBuffer buffer_;
};

}  // namespace

ComPtr<IAdoStream> MakeStream() {
  return ComPtr<IAdoStream>::Attach(StreamObject::Create().Detach());
}

}  // namespace vant::host::ado
