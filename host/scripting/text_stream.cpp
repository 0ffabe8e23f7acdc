#include "host/scripting/text_stream.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "host/scripting/interfaces.h"
#include "host/scripting/script_error.h"
#include "host/scripting/script_path.h"
#include "platform/fs/file.h"
#include "platform/fs/file_info.h"
#include "platform/fs/path_map.h"
#include "platform/fs/pending_file.h"
#include "platform/sys/ansi_code_page.h"
#include "platform/sys/code_page.h"

namespace vant::host::scripting {
namespace {

constexpr std::size_t kChunkSize = std::size_t{64} * 1024;
// A line longer than this is decoded in pieces even without a line break.
constexpr std::size_t kMaxCarry = std::size_t{1} << 20;
constexpr std::size_t kMaxUtf8Length = 4;
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

HRESULT RaiseStream(RuntimeError error) { return Raise(error, kTextStreamSource); }

// Where reads and writes have got to, counted in characters from 1.
struct Position {
  std::int32_t line = 1;
  std::int32_t column = 1;
  void Advance(std::u16string_view text) {
    for (char16_t c : text) {
      if (c == u'\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
  }
};

// Decodes the file a chunk at a time. ANSI chunks end after a line feed,
// which is never the second byte of a character in the code pages the system
// maps, so no character is split between chunks.
class Reader {
 public:
  Reader(fs::File file, bool unicode) : file_(std::move(file)), unicode_(unicode) {}

  // At least one character ready, or false at the end (or a read error).
  bool Ready() {
    while (next_ == text_.size() && !drained_) {
      if (!Fill()) return false;
    }
    return next_ < text_.size();
  }
  char16_t Peek() const { return text_[next_]; }
  // Up to `count` characters.
  std::u16string Take(std::size_t count) {
    std::u16string out;
    while (out.size() < count && Ready()) {
      const std::size_t n = std::min(count - out.size(), text_.size() - next_);
      out.append(text_, next_, n);
      next_ += n;
    }
    return out;
  }
  // Up to and including the next line feed.
  std::u16string TakeLine() {
    std::u16string out;
    while (Ready()) {
      const std::size_t feed = text_.find(u'\n', next_);
      const std::size_t end = feed == std::u16string::npos ? text_.size() : feed + 1;
      out.append(text_, next_, end - next_);
      next_ = end;
      if (feed != std::u16string::npos) break;
    }
    return out;
  }
  bool failed() const { return failed_; }

 private:
  bool Fill() {
    text_.erase(0, next_);
    next_ = 0;
    std::string raw(kChunkSize, '\0');
    std::size_t got = 0;
    if (!file_.Read(raw.data(), raw.size(), got).ok()) {
      failed_ = true;
      drained_ = true;
      return false;
    }
    carry_.append(raw, 0, got);
    drained_ = got == 0;
    if (!bomChecked_ && (carry_.size() >= 3 || drained_)) SkipBom();
    if (!bomChecked_) return true;
    const std::size_t usable = UsableBytes();
    text_ += Decode(std::string_view(carry_).substr(0, usable));
    carry_.erase(0, usable);
    return true;
  }
  void SkipBom() {
    bomChecked_ = true;
    const std::string_view bom = unicode_ ? kUtf16Bom : kUtf8Bom;
    const bool utf8 = sys::AnsiCodePage() == sys::kCodePageUtf8;
    if ((unicode_ || utf8) && carry_.starts_with(bom)) carry_.erase(0, bom.size());
  }
  std::size_t UsableBytes() const {
    if (drained_) return carry_.size();
    if (unicode_) return carry_.size() & ~std::size_t{1};
    const std::size_t feed = carry_.rfind('\n');
    if (feed != std::string::npos) return feed + 1;
    if (carry_.size() < kMaxCarry) return 0;
    // A long line is cut anyway; in UTF-8 not inside a character.
    return sys::AnsiCodePage() == sys::kCodePageUtf8 ? CompleteUtf8Prefix() : carry_.size();
  }
  // The carried bytes without a last character whose bytes have not all come.
  std::size_t CompleteUtf8Prefix() const {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(carry_[i]); };
    std::size_t lead = carry_.size();
    while (lead > 0 && carry_.size() - lead < kMaxUtf8Length && (byte(lead - 1) & 0xC0) == 0x80) {
      --lead;
    }
    if (lead == 0) return carry_.size();
    --lead;
    const std::size_t need = byte(lead) >= 0xF0   ? 4
                             : byte(lead) >= 0xE0 ? 3
                             : byte(lead) >= 0xC0 ? 2
                                                  : 1;
    return carry_.size() - lead < need ? lead : carry_.size();
  }
  std::u16string Decode(std::string_view bytes) const {
    const auto text =
        sys::DecodeCodePage(unicode_ ? sys::kCodePageUtf16Le : sys::kCodePageAnsi, bytes);
    return text ? *text : std::u16string();
  }

  fs::File file_;
  bool unicode_;
  std::string carry_;
  std::u16string text_;
  std::size_t next_ = 0;
  bool drained_ = false;
  bool bomChecked_ = false;
  bool failed_ = false;
};

class TextStreamObject final
    : public ComObject<TextStreamObject, DispatchImpl<IScriptTextStream>, ISupportErrorInfo> {
 public:
  // A stream that reads.
  explicit TextStreamObject(std::unique_ptr<Reader> reader) : reader_(std::move(reader)) {}
  // A stream that writes to `pending`, committed over or beside the target.
  TextStreamObject(std::unique_ptr<fs::PendingFile> pending, bool unicode, bool replace)
      : writer_(std::move(pending)), unicode_(unicode), replace_(replace) {}
  // A stream the page never closed is committed as Close would, without
  // leaving an error record behind for an unrelated later call.
  ~TextStreamObject() override {
    if (writer_ == nullptr || !writer_->active()) return;
    if (writer_->Write(buffer_).ok()) (void)writer_->Commit(replace_);
  }

  HRESULT get_Line(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = position_.line;
    return S_OK;
  }
  HRESULT get_Column(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = position_.column;
    return S_OK;
  }
  HRESULT get_AtEndOfStream(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kTextStreamSource, [&] {
      if (reader_ == nullptr) return RaiseStream(RuntimeError::kBadFileMode);
      *out = ToVariantBool(!reader_->Ready());
      return S_OK;
    });
  }
  HRESULT get_AtEndOfLine(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kTextStreamSource, [&] {
      if (reader_ == nullptr) return RaiseStream(RuntimeError::kBadFileMode);
      *out =
          ToVariantBool(!reader_->Ready() || reader_->Peek() == u'\n' || reader_->Peek() == u'\r');
      return S_OK;
    });
  }
  HRESULT Read(std::int32_t count, Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kTextStreamSource, [&] {
      if (count < 0) return RaiseStream(RuntimeError::kInvalidCall);
      if (const HRESULT hr = CanRead(); Failed(hr)) return hr;
      *out = Bstr(Consume(reader_->Take(static_cast<std::size_t>(count))));
      return S_OK;
    });
  }
  HRESULT ReadLine(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kTextStreamSource, [&] {
      if (const HRESULT hr = CanRead(); Failed(hr)) return hr;
      *out = Bstr(WithoutLineEnd(Consume(reader_->TakeLine())));
      return S_OK;
    });
  }
  HRESULT ReadAll(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kTextStreamSource, [&] {
      if (const HRESULT hr = CanRead(); Failed(hr)) return hr;
      *out = Bstr(Consume(reader_->Take(std::u16string::npos)));
      return S_OK;
    });
  }
  HRESULT Skip(std::int32_t count) override {
    return Guarded(kTextStreamSource, [&] {
      if (count < 0) return RaiseStream(RuntimeError::kInvalidCall);
      if (const HRESULT hr = CanRead(); Failed(hr)) return hr;
      (void)Consume(reader_->Take(static_cast<std::size_t>(count)));
      return S_OK;
    });
  }
  HRESULT SkipLine() override {
    return Guarded(kTextStreamSource, [&] {
      if (const HRESULT hr = CanRead(); Failed(hr)) return hr;
      (void)Consume(reader_->TakeLine());
      return S_OK;
    });
  }
  HRESULT Write(const Bstr& text) override {
    return Guarded(kTextStreamSource, [&] { return Put(text.view()); });
  }
  HRESULT WriteLine(const Bstr& text) override {
    return Guarded(kTextStreamSource, [&] { return Put(text.str() + u"\r\n"); });
  }
  HRESULT WriteBlankLines(std::int32_t count) override {
    return Guarded(kTextStreamSource, [&] {
      if (count < 0) return RaiseStream(RuntimeError::kInvalidCall);
      std::u16string lines;
      for (std::int32_t i = 0; i < count; ++i) lines += u"\r\n";
      return Put(lines);
    });
  }
  HRESULT Close() override {
    return Guarded(kTextStreamSource, [&] { return Finish(); });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptTextStream::kIid ? S_OK : S_FALSE;
  }

 private:
  HRESULT CanRead() {
    if (reader_ == nullptr) return RaiseStream(RuntimeError::kBadFileMode);
    if (!reader_->Ready()) {
      return RaiseStream(reader_->failed() ? RuntimeError::kDeviceIoError
                                           : RuntimeError::kInputPastEnd);
    }
    return S_OK;
  }
  std::u16string Consume(std::u16string text) {
    position_.Advance(text);
    return text;
  }
  static std::u16string WithoutLineEnd(std::u16string line) {
    if (!line.empty() && line.back() == u'\n') line.pop_back();
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    return line;
  }
  HRESULT Put(std::u16string_view text) {
    if (writer_ == nullptr || !writer_->active()) return RaiseStream(RuntimeError::kBadFileMode);
    const auto bytes =
        sys::EncodeCodePage(unicode_ ? sys::kCodePageUtf16Le : sys::kCodePageAnsi, text);
    if (!bytes) return RaiseStream(RuntimeError::kDeviceIoError);
    buffer_ += *bytes;
    position_.Advance(text);
    return buffer_.size() >= kChunkSize ? Flush() : S_OK;
  }
  // A failed write drops the temporary file: the target keeps its old text.
  HRESULT Flush() {
    const fs::Status written = writer_->Write(buffer_);
    buffer_.clear();
    if (written.ok()) return S_OK;
    writer_->Abandon();
    return RaiseStatus(written, Missing::kPath, kTextStreamSource);
  }
  HRESULT Finish() {
    reader_.reset();
    if (writer_ == nullptr || !writer_->active()) return S_OK;
    if (const HRESULT hr = Flush(); Failed(hr)) return hr;
    if (const fs::Status committed = writer_->Commit(replace_); !committed.ok()) {
      return RaiseStatus(committed, Missing::kPath, kTextStreamSource);
    }
    return S_OK;
  }

  std::unique_ptr<Reader> reader_;
  std::unique_ptr<fs::PendingFile> writer_;
  bool unicode_ = false;
  bool replace_ = true;
  std::string buffer_;
  Position position_;
};

HRESULT OpenForReading(std::u16string_view path, const TextStreamOptions& options, bool unicode,
                       IDispatch** out) {
  fs::File file;
  fs::Status opened = file.OpenRead(path);
  if (opened.error == ENOENT && options.create) {
    opened = file.Open(path, fs::Access::kRead, fs::Disposition::kOpenAlways);
  }
  if (!opened.ok()) {
    const bool folderThere = fs::FolderExists(ParentPart(path));
    return RaiseStatus(opened, folderThere ? Missing::kFile : Missing::kPath);
  }
  auto stream = TextStreamObject::Create(std::make_unique<Reader>(std::move(file), unicode));
  *out = stream.Detach();
  return S_OK;
}

HRESULT OpenForWriting(std::u16string_view path, const TextStreamOptions& options, bool unicode,
                       IDispatch** out) {
  const bool exists = fs::FileExists(path);
  if (!fs::FolderExists(ParentPart(path))) {
    return RaiseStream(RuntimeError::kPathNotFound);
  }
  if (exists && options.mustNotExist) return RaiseStream(RuntimeError::kFileExists);
  if (!exists && !options.create) return RaiseStream(RuntimeError::kFileNotFound);
  const bool append = options.mode == kForAppending;
  auto pending = std::make_unique<fs::PendingFile>();
  if (const fs::Status begun = pending->Begin(path, append); !begun.ok()) {
    return RaiseStatus(begun, Missing::kPath, kTextStreamSource);
  }
  fs::FileAttributes info;
  const bool empty = !append || !exists || (fs::GetAttributes(path, info).ok() && info.size == 0);
  if (unicode && empty) {
    if (const fs::Status written = pending->Write(kUtf16Bom); !written.ok()) {
      return RaiseStatus(written, Missing::kPath, kTextStreamSource);
    }
  }
  auto stream = TextStreamObject::Create(std::move(pending), unicode, !options.mustNotExist);
  *out = stream.Detach();
  return S_OK;
}

}  // namespace

TextStreamOptions TextStreamOptions::NewFile(VARIANT_BOOL overwrite, VARIANT_BOOL unicode) {
  TextStreamOptions options;
  options.mode = kForWriting;
  options.create = true;
  options.format = unicode != VARIANT_FALSE ? kTristateTrue : kTristateFalse;
  options.mustNotExist = overwrite == VARIANT_FALSE;
  return options;
}

HRESULT OpenTextStream(std::u16string_view path, const TextStreamOptions& options,
                       IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (options.format != kTristateFalse && options.format != kTristateTrue &&
      options.format != kTristateUseDefault) {
    return RaiseStream(RuntimeError::kInvalidCall);
  }
  if (!fs::ToHostPath(path)) return RaiseStream(RuntimeError::kBadFileName);
  const bool unicode = options.format == kTristateTrue;
  if (options.mode == kForReading) return OpenForReading(path, options, unicode, out);
  if (options.mode == kForWriting || options.mode == kForAppending) {
    return OpenForWriting(path, options, unicode, out);
  }
  return RaiseStream(RuntimeError::kInvalidCall);
}

}  // namespace vant::host::scripting
