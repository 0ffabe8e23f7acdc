#include "host/ado/ado_objects.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/connection_access.h"
#include "host/ado/detail/field_ops.h"
#include "host/ado/detail/recordset_cursor.h"
#include "host/ado/detail/recordset_source.h"
#include "host/ado/detail/recordset_view.h"
#include "host/ado/detail/row_writer.h"
#include "host/ado/detail/rows_export.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kStateClosed = 0;
constexpr std::int32_t kStateOpen = 1;
constexpr std::int32_t kAdLockOptimistic = 3;
constexpr std::int32_t kAdClipString = 2;
constexpr std::int32_t kDefaultPageSize = 10;

// Recordset.Supports options.
constexpr std::int32_t kAdHoldRecords = 0x100;
constexpr std::int32_t kAdMovePrevious = 0x200;
constexpr std::int32_t kAdBookmark = 0x2000;
constexpr std::int32_t kAdApproxPosition = 0x4000;
constexpr std::int32_t kAdFind = 0x80000;
constexpr std::int32_t kAdAddNew = 0x1000400;
constexpr std::int32_t kAdDelete = 0x1000800;
constexpr std::int32_t kAdUpdate = 0x1008000;

Outcome NoBackwardFetch() {
  return Outcome::Fail(kNoBackwardFetch, u"Rowset does not support fetching backward.");
}
bool Given(const Variant& value) {
  const Variant& v = value.Deref();
  return !v.IsMissing() && !v.IsEmpty();
}

class RecordsetObject final
    : public ComObject<RecordsetObject, DispatchImpl<IAdoRecordset>, ISupportErrorInfo> {
 public:
  explicit RecordsetObject(MapPathHook mapPath) : mapPath_(std::move(mapPath)) {}
  RecordsetObject(std::shared_ptr<RecordsetData> data, std::u16string source, Variant connection)
      : data_(std::move(data)),
        source_(std::move(source)),
        connection_(std::move(connection)),
        cursorType_(kAdOpenForwardOnly),
        lockType_(kAdLockReadOnly) {}
  // The rows stay with any Field still held (conn.Execute(sql)(0) outlives
  // its recordset); only an unfinished edit goes.
  ~RecordsetObject() override {
    if (data_) CancelPending(*data_);
  }

  HRESULT get_Fields(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      if (!data_) return ClosedFailure();
      *out = MakeFields(data_).Detach();
      return Outcome::Ok();
    });
  }
  HRESULT put_Item(Variant index, Variant value) override {
    return Run([&] {
      if (!data_) return ClosedFailure();
      std::size_t column = 0;
      if (Outcome found = FindColumn(*data_, index, &column); !found.ok()) return found;
      return PutFieldValue(*data_, column, value);
    });
  }
  HRESULT get_State(std::int32_t* out) override {
    return Read(out, data_ ? kStateOpen : kStateClosed);
  }
  HRESULT Open(Variant source, Variant activeConnection, std::int32_t cursorType,
               std::int32_t lockType, std::int32_t options) override {
    return Run([&] { return OpenRows(source, activeConnection, cursorType, lockType, options); });
  }
  HRESULT Close() override {
    return Run([&] {
      if (!data_) return ClosedFailure();
      CloseData();
      return Outcome::Ok();
    });
  }
  HRESULT AddNew(Variant fields, Variant values) override {
    return Run([&] { return AddRow(fields, values); });
  }
  HRESULT Update(Variant fields, Variant values) override {
    return Run([&] {
      if (!data_) return ClosedFailure();
      if (Outcome assigned = AssignFieldList(*data_, fields, values); !assigned.ok())
        return assigned;
      return WritePending(*data_);
    });
  }
  HRESULT CancelUpdate() override {
    return Run([&] {
      if (!data_) return ClosedFailure();
      CancelPending(*data_);
      return Outcome::Ok();
    });
  }
  HRESULT Delete(std::int32_t) override {
    return Run([&] { return data_ ? DeleteCurrent(*data_) : ClosedFailure(); });
  }
  HRESULT MoveFirst() override {
    return Step(
        false, [](RecordsetData& d) { d.MoveFirst(); }, [](const RecordsetData&) { return false; });
  }
  HRESULT MoveLast() override {
    return Step(
        false, [](RecordsetData& d) { d.MoveLast(); }, [](const RecordsetData&) { return false; });
  }
  HRESULT MoveNext() override {
    return Step(
        false, [](RecordsetData& d) { d.MoveBy(1); },
        [](const RecordsetData& d) { return d.atEof(); });
  }
  HRESULT MovePrevious() override {
    return Step(
        true, [](RecordsetData& d) { d.MoveBy(-1); },
        [](const RecordsetData& d) { return d.atBof(); });
  }
  HRESULT get_EOF(VARIANT_BOOL* out) override {
    return Flag(out, [](const RecordsetData& d) { return d.atEof(); });
  }
  HRESULT get_BOF(VARIANT_BOOL* out) override {
    return Flag(out, [](const RecordsetData& d) { return d.atBof(); });
  }
  HRESULT get_RecordCount(std::int32_t* out) override {
    return Number(
        out, [&] { return ForwardOnly() ? -1 : static_cast<std::int32_t>(data_->liveRowCount()); });
  }
  HRESULT get_Source(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kRecordsetSource, [&] {
      *out = Bstr(source_);
      return S_OK;
    });
  }
  HRESULT put_Source(Variant value) override {
    return Run([&] {
      if (data_) return OpenFailure();
      const Variant& given = value.Deref();
      sourceCommand_.Reset();
      if (given.vt() == VT_DISPATCH && given.dispatch() != nullptr) {
        sourceCommand_ = ComPtr<IDispatch>(given.dispatch());
        source_.clear();
        return Outcome::Ok();
      }
      Bstr text;
      if (Failed(VariantToBstr(given, &text))) return BadArgumentFailure();
      source_ = text.str();
      return Outcome::Ok();
    });
  }
  HRESULT get_ActiveConnection(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kRecordsetSource, [&] {
      *out = connection_.IsEmpty() ? Variant::Null() : connection_;
      return S_OK;
    });
  }
  HRESULT put_ActiveConnection(Variant value) override {
    return Run([&] {
      const Variant& given = value.Deref();
      // An open recordset may only be cut loose from its connection.
      if (data_ && !given.IsNull() && !given.IsEmpty()) return OpenFailure();
      connection_ = given.IsNull() ? Variant() : given;
      return Outcome::Ok();
    });
  }
  HRESULT get_CursorType(std::int32_t* out) override { return Read(out, cursorType_); }
  HRESULT put_CursorType(std::int32_t value) override {
    return SetWhileClosed(&cursorType_, value, kAdOpenForwardOnly, kAdOpenStatic);
  }
  HRESULT get_CursorLocation(std::int32_t* out) override { return Read(out, cursorLocation_); }
  HRESULT put_CursorLocation(std::int32_t value) override {
    return SetWhileClosed(&cursorLocation_, value, kAdUseServer, kAdUseClient);
  }
  HRESULT get_LockType(std::int32_t* out) override { return Read(out, lockType_); }
  HRESULT put_LockType(std::int32_t value) override {
    return SetWhileClosed(&lockType_, value, kAdLockUnspecified, kAdLockBatchOptimistic);
  }
  HRESULT get_CacheSize(std::int32_t* out) override { return Read(out, cacheSize_); }
  HRESULT put_CacheSize(std::int32_t value) override {
    return Run([&] { return value < 1 ? BadArgumentFailure() : Store(&cacheSize_, value); });
  }
  HRESULT get_MaxRecords(std::int32_t* out) override { return Read(out, maxRecords_); }
  HRESULT put_MaxRecords(std::int32_t value) override {
    return SetWhileClosed(&maxRecords_, value, 0, INT32_MAX);
  }
  HRESULT get_PageSize(std::int32_t* out) override { return Read(out, pageSize_); }
  HRESULT put_PageSize(std::int32_t value) override {
    return Run([&] { return value < 1 ? BadArgumentFailure() : Store(&pageSize_, value); });
  }
  HRESULT get_PageCount(std::int32_t* out) override {
    return Number(out,
                  [&] { return ForwardOnly() ? -1 : PageCount(data_->liveRowCount(), pageSize_); });
  }
  HRESULT get_AbsolutePage(std::int32_t* out) override {
    return Number(out, [&] {
      const std::int32_t special = SpecialPosition();
      return special != 0 ? special : PageOf(CurrentOrdinal(*data_), pageSize_);
    });
  }
  HRESULT put_AbsolutePage(std::int32_t page) override {
    return Positioned([&] {
      if (page < 1 || page > PageCount(data_->liveRowCount(), pageSize_))
        return BadArgumentFailure();
      MoveToOrdinal(*data_, FirstOfPage(page, pageSize_));
      return Outcome::Ok();
    });
  }
  HRESULT get_AbsolutePosition(std::int32_t* out) override {
    return Number(out, [&] {
      const std::int32_t special = SpecialPosition();
      return special != 0 ? special : static_cast<std::int32_t>(CurrentOrdinal(*data_));
    });
  }
  HRESULT put_AbsolutePosition(std::int32_t position) override {
    return Positioned([&] {
      if (position < 1 || static_cast<std::size_t>(position) > data_->liveRowCount()) {
        return BadArgumentFailure();
      }
      MoveToOrdinal(*data_, position);
      return Outcome::Ok();
    });
  }
  HRESULT get_Bookmark(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return ClosedFailure();
      if (ForwardOnly()) return NoBookmarksFailure();
      const Row* row = data_->current();
      if (row == nullptr) return NoCurrentRecordFailure();
      *out = Variant::I4(BookmarkOf(*row));
      return Outcome::Ok();
    });
  }
  HRESULT put_Bookmark(Variant value) override {
    return Positioned([&] {
      std::ptrdiff_t index = -1;
      if (Outcome found = RowOfBookmark(*data_, value, &index); !found.ok()) return found;
      data_->position = index;
      data_->ResetRowState();
      return Outcome::Ok();
    });
  }
  HRESULT get_Filter(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kRecordsetSource, [&] {
      *out = filter_;
      return S_OK;
    });
  }
  HRESULT put_Filter(Variant value) override {
    return Run([&] {
      if (data_) {
        if (Outcome written = WritePending(*data_); !written.ok()) return written;
        if (Outcome applied = ApplyFilter(*data_, value); !applied.ok()) return applied;
      }
      filter_ = value.Deref();
      return Outcome::Ok();
    });
  }
  HRESULT get_Sort(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kRecordsetSource, [&] {
      *out = Bstr(sort_);
      return S_OK;
    });
  }
  HRESULT put_Sort(const Bstr& value) override {
    return Run([&] {
      if (data_) {
        if (Outcome written = WritePending(*data_); !written.ok()) return written;
        if (Outcome applied = ApplySort(*data_, value.view()); !applied.ok()) return applied;
      }
      sort_ = value.str();
      return Outcome::Ok();
    });
  }
  HRESULT get_EditMode(std::int32_t* out) override {
    return Number(out, [&] {
      return data_->mode == EditMode::kAdd ? 2 : (data_->mode == EditMode::kEdit ? 1 : 0);
    });
  }
  HRESULT Move(std::int32_t count, Variant start) override {
    return Run([&] { return MoveRows(count, start); });
  }
  HRESULT Find(const Bstr& criteria, std::int32_t skip, std::int32_t direction,
               Variant start) override {
    return Run([&] {
      if (!data_) return ClosedFailure();
      if (ForwardOnly() && direction < 0) return NoBackwardFetch();
      if (Outcome written = WritePending(*data_); !written.ok()) return written;
      std::ptrdiff_t from = data_->position;
      if (Given(start)) {
        if (Outcome found = StartRow(start, &from); !found.ok()) return found;
      } else if (data_->current() == nullptr) {
        return NoCurrentRecordFailure();
      }
      return FindRow(*data_, criteria.view(), from, skip, direction);
    });
  }
  HRESULT GetRows(std::int32_t rows, Variant start, Variant fields, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (Outcome ready = ReadyToExport(rows, start); !ready.ok()) return ready;
      std::vector<std::size_t> columns;
      if (Outcome listed = ColumnList(*data_, fields, &columns); !listed.ok()) return listed;
      return ExportRows(*data_, rows, columns, out);
    });
  }
  HRESULT GetString(std::int32_t format, std::int32_t rows, const Bstr& columnDelimiter,
                    const Bstr& rowDelimiter, const Bstr& nullExpression, Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (format != kAdClipString) return BadArgumentFailure();
      if (Outcome ready = ReadyToExport(rows, Variant()); !ready.ok()) return ready;
      std::u16string text;
      const ClipFormat clip{columnDelimiter.str(), rowDelimiter.str(), nullExpression.str()};
      if (Outcome done = ExportText(*data_, rows, clip, &text); !done.ok()) return done;
      *out = Bstr(text);
      return Outcome::Ok();
    });
  }
  HRESULT Requery(std::int32_t) override {
    return Run([&] { return Reload(); });
  }
  HRESULT Supports(std::int32_t options, VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return ClosedFailure();
      std::int32_t supported = kAdHoldRecords | kAdFind;
      if (!ForwardOnly()) supported |= kAdMovePrevious | kAdBookmark | kAdApproxPosition;
      if (data_->updatable()) supported |= kAdAddNew | kAdDelete | kAdUpdate;
      *out = ToVariantBool((options & ~supported) == 0);
      return Outcome::Ok();
    });
  }
  // One statement gives one recordset: there is never a next one.
  HRESULT NextRecordset(Variant, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] { return data_ ? Outcome::Ok() : ClosedFailure(); });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoRecordset::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kRecordsetSource, [&] { return Report(body(), kRecordsetSource); });
  }
  static HRESULT Read(std::int32_t* out, std::int32_t value) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }
  static Outcome Store(std::int32_t* target, std::int32_t value) {
    *target = value;
    return Outcome::Ok();
  }
  HRESULT SetWhileClosed(std::int32_t* target, std::int32_t value, std::int32_t low,
                         std::int32_t high) {
    return Run([&] {
      if (data_) return OpenFailure();
      return value < low || value > high ? BadArgumentFailure() : Store(target, value);
    });
  }
  // A number that needs the recordset open.
  template <class Value>
  HRESULT Number(std::int32_t* out, Value value) {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return ClosedFailure();
      *out = value();
      return Outcome::Ok();
    });
  }
  template <class Test>
  HRESULT Flag(VARIANT_BOOL* out, Test test) {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return ClosedFailure();
      *out = ToVariantBool(test(*data_));
      return Outcome::Ok();
    });
  }
  // A move that needs bookmarks (AbsolutePage, AbsolutePosition, Bookmark).
  template <class Body>
  HRESULT Positioned(Body&& body) {
    return Run([&] {
      if (!data_) return ClosedFailure();
      if (ForwardOnly()) return NoBookmarksFailure();
      if (Outcome written = WritePending(*data_); !written.ok()) return written;
      return body();
    });
  }

  bool ForwardOnly() const { return cursorType_ == kAdOpenForwardOnly; }

  // adPosUnknown, adPosBOF or adPosEOF when there is no row number; 0 else.
  std::int32_t SpecialPosition() const {
    if (ForwardOnly()) return kAdPosUnknown;
    if (data_->position < 0) return kAdPosBof;
    if (data_->position >= static_cast<std::ptrdiff_t>(data_->rows.size())) return kAdPosEof;
    return 0;
  }

  // Pending changes are written before the row changes, as ADO does; a
  // step past EOF or before BOF (`atEnd`) fails.
  template <class Apply, class AtEnd>
  HRESULT Step(bool backward, Apply apply, AtEnd atEnd) {
    return Run([&] {
      if (!data_) return ClosedFailure();
      if (backward && ForwardOnly()) return NoBackwardFetch();
      if (Outcome written = WritePending(*data_); !written.ok()) return written;
      if (atEnd(*data_)) return NoCurrentRecordFailure();
      apply(*data_);
      return Outcome::Ok();
    });
  }

  Outcome StartRow(const Variant& start, std::ptrdiff_t* index) const {
    return RowOfStart(*data_, start, !ForwardOnly(), index);
  }

  Outcome MoveRows(std::int32_t count, const Variant& start) {
    if (!data_) return ClosedFailure();
    if (ForwardOnly() && count < 0) return NoBackwardFetch();
    if (Outcome written = WritePending(*data_); !written.ok()) return written;
    if (Given(start)) {
      std::ptrdiff_t index = 0;
      if (Outcome found = StartRow(start, &index); !found.ok()) return found;
      data_->position = index;
    } else if ((count > 0 && data_->atEof()) || (count < 0 && data_->atBof())) {
      return NoCurrentRecordFailure();
    }
    MoveToOrdinal(*data_, CurrentOrdinal(*data_) + count);
    return Outcome::Ok();
  }

  Outcome ReadyToExport(std::int32_t rows, const Variant& start) {
    if (!data_) return ClosedFailure();
    if (rows < -1) return BadArgumentFailure();
    if (Outcome written = WritePending(*data_); !written.ok()) return written;
    if (!Given(start)) return Outcome::Ok();
    std::ptrdiff_t index = 0;
    if (Outcome found = StartRow(start, &index); !found.ok()) return found;
    data_->position = index;
    data_->ResetRowState();
    return Outcome::Ok();
  }

  Outcome OpenRows(const Variant& source, const Variant& connection, std::int32_t cursorType,
                   std::int32_t lockType, std::int32_t options) {
    if (data_) return OpenFailure();
    CommandRequest request;
    const SourceDefaults defaults{sourceCommand_.get(), source_, &connection_};
    if (Outcome asked = DescribeSource(source, connection, options, defaults, mapPath_, &request);
        !asked.ok()) {
      return asked;
    }
    const std::int32_t lock = lockType != kAdLockUnspecified ? lockType : lockType_;
    auto data = std::make_shared<RecordsetData>();
    if (Outcome loaded = LoadSource(request, lock == kAdLockReadOnly, maxRecords_, data.get());
        !loaded.ok()) {
      RecordConnectionError(request.connection.get(), loaded, kRecordsetSource);
      return loaded;
    }
    data_ = std::move(data);
    // A client cursor is always static, as ADO makes it.
    cursorType_ = cursorLocation_ == kAdUseClient ? kAdOpenStatic
                  : cursorType >= 0               ? cursorType
                                                  : cursorType_;
    lockType_ = lock == kAdLockUnspecified ? kAdLockOptimistic : lock;
    source_ = request.text;
    parameters_ = std::move(request.parameters);
    commandType_ = request.commandType;
    if (request.connection) connection_ = Variant::Dispatch(request.connection.get());
    return ApplyView();
  }

  // Sort and Filter set before Open (or kept over Requery) apply to the rows.
  Outcome ApplyView() {
    if (!sort_.empty()) {
      if (Outcome sorted = ApplySort(*data_, sort_); !sorted.ok()) return sorted;
    }
    const Variant& filter = filter_;
    const bool none = filter.vt() != VT_BSTR ? true : filter.bstr().empty();
    if (none) return Outcome::Ok();
    return ApplyFilter(*data_, filter);
  }

  // Requery: the same statement read again into the same data, so Fields
  // handed out see the new rows.
  Outcome Reload() {
    if (!data_) return ClosedFailure();
    if (Outcome written = WritePending(*data_); !written.ok()) return written;
    CommandRequest request;
    request.db = data_->db;
    request.text = source_;
    request.parameters = parameters_;
    request.commandType = commandType_;
    RecordsetData fresh;
    if (Outcome loaded = LoadSource(request, data_->readOnly, maxRecords_, &fresh); !loaded.ok())
      return loaded;
    CancelPending(*data_);
    *data_ = std::move(fresh);
    return ApplyView();
  }

  Outcome AddRow(const Variant& fields, const Variant& values) {
    if (!data_) return ClosedFailure();
    if (Outcome updatable = RequireUpdatable(*data_); !updatable.ok()) return updatable;
    if (Outcome written = WritePending(*data_); !written.ok()) return written;
    Row row;
    row.cells.resize(data_->columns.size());
    row.ordinal = data_->nextOrdinal++;
    data_->positionBeforeAdd = data_->position;
    data_->rows.push_back(std::move(row));
    data_->position = static_cast<std::ptrdiff_t>(data_->rows.size()) - 1;
    data_->ResetRowState();
    data_->mode = EditMode::kAdd;
    if (Outcome assigned = AssignFieldList(*data_, fields, values); !assigned.ok()) return assigned;
    // AddNew with values writes the row at once.
    return Given(fields) ? WritePending(*data_) : Outcome::Ok();
  }

  // Pending changes and spill files go; Fields handed out see a closed set.
  void CloseData() {
    CancelPending(*data_);
    data_->open = false;
    data_->rows.clear();
    data_.reset();
  }

  MapPathHook mapPath_;
  std::shared_ptr<RecordsetData> data_;
  std::u16string source_;
  ComPtr<IDispatch> sourceCommand_;  // Source set to a Command object
  Variant connection_;               // ActiveConnection: a Connection object or a string
  std::vector<Variant> parameters_;  // the values the rows were read with (Requery)
  std::int32_t commandType_ = -1;
  std::int32_t cursorType_ = kAdOpenForwardOnly;
  std::int32_t cursorLocation_ = kAdUseServer;
  // Unspecified keeps rows updatable where the source allows it.
  std::int32_t lockType_ = kAdLockUnspecified;
  std::int32_t cacheSize_ = 1;
  std::int32_t maxRecords_ = 0;
  std::int32_t pageSize_ = kDefaultPageSize;
  Variant filter_ = Variant::I4(kAdFilterNone);
  std::u16string sort_;
};

}  // namespace

ComPtr<IAdoRecordset> MakeRecordset(MapPathHook mapPath) {
  return ComPtr<IAdoRecordset>::Attach(RecordsetObject::Create(std::move(mapPath)).Detach());
}

ComPtr<IAdoRecordset> MakeExecuteResult(std::shared_ptr<RecordsetData> data, std::u16string source,
                                        Variant connection) {
  return ComPtr<IAdoRecordset>::Attach(
      RecordsetObject::Create(std::move(data), std::move(source), std::move(connection)).Detach());
}

}  // namespace vant::host::ado
