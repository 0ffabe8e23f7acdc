#include "host/ado/recordset_object.h"

#include "host/ado/ado_error.h"
#include "host/ado/connection_access.h"
#include "host/ado/field_ops.h"
#include "host/ado/fields_object.h"
#include "host/ado/recordset_loader.h"
#include "host/ado/row_writer.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kStateClosed = 0;
constexpr std::int32_t kStateOpen = 1;

Outcome Closed() {
  return Outcome::Fail(kObjectClosed, u"Operation is not allowed when the object is closed.");
}

// The database a Recordset.Open argument names: a Connection object or a
// connection string of its own.
Outcome ConnectionOf(const Variant& given, const MapPathHook& mapPath,
                     std::shared_ptr<Database>* db) {
  const Variant& connection = given.Deref();
  if (connection.vt() == VT_DISPATCH || connection.vt() == VT_UNKNOWN) {
    ComPtr<IConnectionAccess> access;
    IUnknown* object = connection.unknown();
    if (object == nullptr ||
        Failed(object->QueryInterface(IConnectionAccess::kIid, access.ReceiveVoid()))) {
      return Outcome::Fail(kBadArgument, u"The active connection is not a Connection object.");
    }
    *db = access->SharedDatabase();
    return *db ? Outcome::Ok() : Closed();
  }
  if (connection.vt() != VT_BSTR) {
    return Outcome::Fail(kBadArgument, u"The recordset needs a connection or a connection string.");
  }
  std::u16string error;
  const auto path = ResolveDataSource(connection.bstr().view(), mapPath, &error);
  if (!path) return Outcome::Fail(kBadArgument, error);
  return Database::Open(*path, db);
}

// Assigns AddNew/Update's optional field list and values: one name and one
// value, or arrays of each.
Outcome AssignList(RecordsetData& data, const Variant& fields, const Variant& values) {
  const Variant& names = fields.Deref();
  if (names.IsMissing() || names.IsEmpty()) return Outcome::Ok();
  const Variant& given = values.Deref();
  const SafeArray* nameArray = (names.vt() & VT_ARRAY) != 0 ? names.array() : nullptr;
  const SafeArray* valueArray = (given.vt() & VT_ARRAY) != 0 ? given.array() : nullptr;
  if (nameArray == nullptr) {
    std::size_t column = 0;
    if (Outcome found = FindColumn(data, names, &column); !found.ok()) return found;
    return PutFieldValue(data, column, given);
  }
  if (valueArray == nullptr || valueArray->Count() != nameArray->Count()) {
    return Outcome::Fail(kBadArgument, u"The field list and the value list differ in length.");
  }
  for (std::int32_t i = nameArray->LowerBound(); i <= nameArray->UpperBound(); ++i) {
    Variant name;
    Variant value;
    (void)nameArray->GetElement(i, &name);
    (void)valueArray->GetElement(i - nameArray->LowerBound() + valueArray->LowerBound(), &value);
    std::size_t column = 0;
    if (Outcome found = FindColumn(data, name, &column); !found.ok()) return found;
    if (Outcome put = PutFieldValue(data, column, value); !put.ok()) return put;
  }
  return Outcome::Ok();
}

class RecordsetObject final
    : public ComObject<RecordsetObject, DispatchImpl<IAdoRecordset>, ISupportErrorInfo> {
 public:
  RecordsetObject(MapPathHook mapPath, std::shared_ptr<RecordsetData> data, std::u16string source)
      : mapPath_(std::move(mapPath)), data_(std::move(data)), source_(std::move(source)) {}
  ~RecordsetObject() override {
    if (data_) CloseData();
  }

  HRESULT get_Fields(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      if (!data_) return Closed();
      *out = MakeFields(data_).Detach();
      return Outcome::Ok();
    });
  }
  HRESULT put_Item(Variant index, Variant value) override {
    return Run([&] {
      if (!data_) return Closed();
      std::size_t column = 0;
      if (Outcome found = FindColumn(*data_, index, &column); !found.ok()) return found;
      return PutFieldValue(*data_, column, value);
    });
  }
  HRESULT get_State(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = data_ ? kStateOpen : kStateClosed;
    return S_OK;
  }
  HRESULT Open(Variant source, Variant activeConnection, std::int32_t, std::int32_t lockType,
               std::int32_t) override {
    return Run([&] { return OpenRows(source, activeConnection, lockType); });
  }
  HRESULT Close() override {
    return Run([&] {
      if (!data_) return Closed();
      CloseData();
      return Outcome::Ok();
    });
  }
  HRESULT AddNew(Variant fields, Variant values) override {
    return Run([&] { return AddRow(fields, values); });
  }
  HRESULT Update(Variant fields, Variant values) override {
    return Run([&] {
      if (!data_) return Closed();
      if (Outcome assigned = AssignList(*data_, fields, values); !assigned.ok()) return assigned;
      return WritePending(*data_);
    });
  }
  HRESULT CancelUpdate() override {
    return Run([&] {
      if (!data_) return Closed();
      CancelPending(*data_);
      return Outcome::Ok();
    });
  }
  HRESULT Delete(std::int32_t) override {
    return Run([&] { return data_ ? DeleteCurrent(*data_) : Closed(); });
  }
  HRESULT MoveFirst() override {
    return Move([](RecordsetData& d) { d.MoveFirst(); },
                [](const RecordsetData&) { return false; });
  }
  HRESULT MoveLast() override {
    return Move([](RecordsetData& d) { d.MoveLast(); }, [](const RecordsetData&) { return false; });
  }
  HRESULT MoveNext() override {
    return Move([](RecordsetData& d) { d.MoveBy(1); },
                [](const RecordsetData& d) { return d.atEof(); });
  }
  HRESULT MovePrevious() override {
    return Move([](RecordsetData& d) { d.MoveBy(-1); },
                [](const RecordsetData& d) { return d.atBof(); });
  }
  HRESULT get_EOF(VARIANT_BOOL* out) override {
    return Flag(out, [](const RecordsetData& d) { return d.atEof(); });
  }
  HRESULT get_BOF(VARIANT_BOOL* out) override {
    return Flag(out, [](const RecordsetData& d) { return d.atBof(); });
  }
  HRESULT get_RecordCount(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return Closed();
      *out = static_cast<std::int32_t>(data_->liveRowCount());
      return Outcome::Ok();
    });
  }
  HRESULT get_Source(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kRecordsetSource, [&] {
      *out = Bstr(source_);
      return S_OK;
    });
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoRecordset::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kRecordsetSource, [&] { return Report(body(), kRecordsetSource); });
  }

  template <class Test>
  HRESULT Flag(VARIANT_BOOL* out, Test test) {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      if (!data_) return Closed();
      *out = ToVariantBool(test(*data_));
      return Outcome::Ok();
    });
  }

  // Pending changes are written before the row changes, as ADO does; a
  // step past EOF or before BOF (`atEnd`) fails.
  template <class Step, class AtEnd>
  HRESULT Move(Step step, AtEnd atEnd) {
    return Run([&] {
      if (!data_) return Closed();
      if (Outcome written = WritePending(*data_); !written.ok()) return written;
      if (atEnd(*data_)) {
        return Outcome::Fail(kNoCurrentRecord,
                             u"Either BOF or EOF is True, or the current record has been deleted.");
      }
      step(*data_);
      return Outcome::Ok();
    });
  }

  Outcome OpenRows(const Variant& source, const Variant& connection, std::int32_t lockType) {
    if (data_)
      return Outcome::Fail(kObjectOpen, u"Operation is not allowed when the object is open.");
    Bstr text;
    if (Failed(VariantToBstr(source.Deref(), &text)) || text.empty()) {
      return Outcome::Fail(kBadArgument, u"The recordset needs a table name or a query.");
    }
    std::shared_ptr<Database> db;
    if (Outcome found = ConnectionOf(connection, mapPath_, &db); !found.ok()) return found;
    auto data = std::make_shared<RecordsetData>();
    const bool readOnly = lockType == kAdLockReadOnly;
    if (Outcome loaded = LoadRecordset(db, text.view(), readOnly, data.get()); !loaded.ok()) {
      return loaded;
    }
    data_ = std::move(data);
    source_ = text.str();
    return Outcome::Ok();
  }

  Outcome AddRow(const Variant& fields, const Variant& values) {
    if (!data_) return Closed();
    if (Outcome updatable = RequireUpdatable(*data_); !updatable.ok()) return updatable;
    if (Outcome written = WritePending(*data_); !written.ok()) return written;
    Row row;
    row.cells.resize(data_->columns.size());
    data_->positionBeforeAdd = data_->position;
    data_->rows.push_back(std::move(row));
    data_->position = static_cast<std::ptrdiff_t>(data_->rows.size()) - 1;
    data_->ResetRowState();
    data_->mode = EditMode::kAdd;
    if (Outcome assigned = AssignList(*data_, fields, values); !assigned.ok()) return assigned;
    // AddNew with values writes the row at once.
    const Variant& list = fields.Deref();
    return list.IsMissing() || list.IsEmpty() ? Outcome::Ok() : WritePending(*data_);
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
};

}  // namespace

ComPtr<IAdoRecordset> MakeRecordset(MapPathHook mapPath) {
  return ComPtr<IAdoRecordset>::Attach(
      RecordsetObject::Create(std::move(mapPath), nullptr, u"").Detach());
}

ComPtr<IAdoRecordset> MakeOpenRecordset(std::shared_ptr<RecordsetData> data,
                                        std::u16string source) {
  return ComPtr<IAdoRecordset>::Attach(
      RecordsetObject::Create(MapPathHook{}, std::move(data), std::move(source)).Detach());
}

}  // namespace vant::host::ado
