#include "host/ado/ado_objects.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/connection_access.h"
#include "host/ado/detail/database.h"
#include "host/ado/detail/execute.h"
#include "host/ado/detail/open_database.h"
#include "host/ado/detail/schema.h"
#include "host/ado/detail/transaction.h"
#include "host/ado/errors_object.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kStateClosed = 0;
constexpr std::int32_t kStateOpen = 1;
constexpr std::u16string_view kVersion = u"2.8";

// Execute's RecordsAffected is an [out] argument: written when the caller
// passed a reference.
void StoreAffected(const Variant& target, std::int64_t affected) {
  if ((target.vt() & VT_BYREF) == 0 || target.byref() == nullptr) return;
  *target.byref() = Variant::I4(static_cast<std::int32_t>(affected));
}

class ConnectionObject final : public ComObject<ConnectionObject, DispatchImpl<IAdoConnection>,
                                                IConnectionAccess, ISupportErrorInfo> {
 public:
  explicit ConnectionObject(MapPathHook mapPath) : mapPath_(std::move(mapPath)) {}
  // Over a database the caller opened: it closes when its last user lets
  // go, not when this object does.
  ConnectionObject(std::shared_ptr<Database> db, std::u16string connectionString)
      : connectionString_(std::move(connectionString)), db_(std::move(db)), ownsDatabase_(false) {}
  ~ConnectionObject() override {
    if (db_ && ownsDatabase_) db_->Close();
  }

  HRESULT get_ConnectionString(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kConnectionSource, [&] {
      *out = Bstr(connectionString_);
      return S_OK;
    });
  }
  HRESULT put_ConnectionString(const Bstr& value) override {
    return Run([&] {
      if (IsOpen()) return OpenFailure();
      connectionString_ = value.str();
      return Outcome::Ok();
    });
  }
  HRESULT get_State(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = IsOpen() ? kStateOpen : kStateClosed;
    return S_OK;
  }
  HRESULT Open(const Bstr& connectionString, Variant, Variant, std::int32_t) override {
    return Run([&] { return OpenDatabase(connectionString); });
  }
  HRESULT Close() override {
    return Run([&] {
      if (!IsOpen()) return ClosedFailure();
      db_->Close();
      db_.reset();
      return Outcome::Ok();
    });
  }
  HRESULT Execute(const Bstr& commandText, Variant recordsAffected, std::int32_t options,
                  IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      if (!IsOpen()) return ClosedFailure();
      LoadOptions load;
      load.commandType = options == -1 ? -1 : options & ~kAdExecuteFlags;
      std::shared_ptr<RecordsetData> rows;
      std::int64_t affected = 0;
      if (Outcome done = ExecuteCommand(db_, commandText.view(), &rows, &affected, load);
          !done.ok()) {
        return done;
      }
      StoreAffected(recordsAffected, affected);
      // adExecuteNoRecords: the page asked for no recordset at all.
      if (options != -1 && (options & kAdExecuteNoRecords) != 0) return Outcome::Ok();
      *out =
          MakeExecuteResult(std::move(rows), commandText.str(), Variant::Dispatch(this)).Detach();
      return Outcome::Ok();
    });
  }
  HRESULT BeginTrans(std::int32_t* level) override {
    if (level == nullptr) return E_POINTER;
    return Run([&] { return IsOpen() ? BeginTransaction(*db_, level) : ClosedFailure(); });
  }
  HRESULT CommitTrans() override {
    return Run([&] { return IsOpen() ? CommitTransaction(*db_) : ClosedFailure(); });
  }
  HRESULT RollbackTrans() override {
    return Run([&] { return IsOpen() ? RollbackTransaction(*db_) : ClosedFailure(); });
  }
  HRESULT get_Errors(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kConnectionSource, [&] {
      *out = MakeErrors(errors_).Detach();
      return S_OK;
    });
  }
  HRESULT get_CommandTimeout(std::int32_t* out) override { return Read(out, commandTimeout_); }
  HRESULT put_CommandTimeout(std::int32_t value) override {
    return Run([&] {
      if (value < 0) return BadArgumentFailure();
      if (db_) db_->setCommandTimeout(value);
      return Store(&commandTimeout_, value);
    });
  }
  HRESULT get_ConnectionTimeout(std::int32_t* out) override {
    return Read(out, connectionTimeout_);
  }
  HRESULT put_ConnectionTimeout(std::int32_t value) override {
    return Run([&] {
      if (IsOpen()) return OpenFailure();
      return value < 0 ? BadArgumentFailure() : Store(&connectionTimeout_, value);
    });
  }
  HRESULT get_CursorLocation(std::int32_t* out) override { return Read(out, cursorLocation_); }
  HRESULT put_CursorLocation(std::int32_t value) override {
    return Run([&] {
      if (value != kAdUseServerLocation && value != kAdUseClientLocation)
        return BadArgumentFailure();
      return Store(&cursorLocation_, value);
    });
  }
  HRESULT get_Mode(std::int32_t* out) override { return Read(out, mode_); }
  HRESULT put_Mode(std::int32_t value) override {
    return Run([&] { return IsOpen() ? OpenFailure() : Store(&mode_, value); });
  }
  HRESULT get_Version(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kConnectionSource, [&] {
      *out = Bstr(kVersion);
      return S_OK;
    });
  }
  HRESULT OpenSchema(std::int32_t schema, Variant restrictions, Variant, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      if (!IsOpen()) return ClosedFailure();
      std::shared_ptr<RecordsetData> rows;
      if (Outcome loaded = LoadSchema(db_, schema, restrictions, &rows); !loaded.ok()) {
        return loaded;
      }
      *out = MakeExecuteResult(std::move(rows), u"", Variant::Dispatch(this)).Detach();
      return Outcome::Ok();
    });
  }

  std::shared_ptr<Database> SharedDatabase() override { return IsOpen() ? db_ : nullptr; }
  void RecordError(const Outcome& failure, std::u16string_view source) override {
    errors_->assign(1, MakeErrorEntry(failure, source));
  }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoConnection::kIid ? S_OK : S_FALSE;
  }

 private:
  static constexpr std::int32_t kAdUseServerLocation = 2;
  static constexpr std::int32_t kAdUseClientLocation = 3;

  bool IsOpen() const { return db_ && db_->is_open(); }

  // A failure is also the connection's Errors collection; an operation
  // that succeeds leaves the collection as it was, as ADO does.
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kConnectionSource, [&] {
      const Outcome outcome = body();
      if (!outcome.ok()) RecordError(outcome, kConnectionSource);
      return Report(outcome, kConnectionSource);
    });
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

  Outcome OpenDatabase(const Bstr& given) {
    if (IsOpen()) return OpenFailure();
    const std::u16string text = given.empty() ? connectionString_ : given.str();
    if (Outcome opened = OpenDatabaseOf(text, mapPath_, connectionTimeout_, &db_); !opened.ok()) {
      return opened;
    }
    ownsDatabase_ = true;
    db_->setCommandTimeout(commandTimeout_);
    connectionString_ = text;
    return Outcome::Ok();
  }

  MapPathHook mapPath_;
  std::u16string connectionString_;
  std::shared_ptr<Database> db_;
  bool ownsDatabase_ = true;
  std::shared_ptr<ErrorList> errors_ = std::make_shared<ErrorList>();
  std::int32_t commandTimeout_ = 30;
  std::int32_t connectionTimeout_ = 15;
  std::int32_t cursorLocation_ = kAdUseServerLocation;
  std::int32_t mode_ = 0;  // adModeUnknown
};

}  // namespace

ComPtr<IAdoConnection> MakeConnection(MapPathHook mapPath) {
  return ComPtr<IAdoConnection>::Attach(ConnectionObject::Create(std::move(mapPath)).Detach());
}

ComPtr<IAdoConnection> MakeConnectionOn(std::shared_ptr<Database> db,
                                        std::u16string connectionString) {
  return ComPtr<IAdoConnection>::Attach(
      ConnectionObject::Create(std::move(db), std::move(connectionString)).Detach());
}

Outcome ResolveConnection(const Variant& given, const MapPathHook& mapPath, ConnectionRef* out) {
  const Variant& connection = given.Deref();
  const Outcome invalid = Outcome::Fail(
      kConnectionInvalid,
      u"The connection cannot be used to perform this operation. It is either closed or invalid "
      u"in this context.");
  if (connection.vt() == VT_DISPATCH || connection.vt() == VT_UNKNOWN) {
    ComPtr<IConnectionAccess> access;
    IUnknown* object = connection.unknown();
    if (object == nullptr ||
        Failed(object->QueryInterface(IConnectionAccess::kIid, access.ReceiveVoid()))) {
      return invalid;
    }
    out->db = access->SharedDatabase();
    if (!out->db) return invalid;
    (void)object->QueryInterface(IID_IDispatch, out->object.ReceiveVoid());
    return Outcome::Ok();
  }
  if (connection.vt() != VT_BSTR || connection.bstr().empty()) return invalid;
  constexpr std::int32_t kConnectTimeout = 15;
  if (Outcome opened = OpenDatabaseOf(connection.bstr().view(), mapPath, kConnectTimeout, &out->db);
      !opened.ok()) {
    return opened;
  }
  out->object =
      ComPtr<IDispatch>::Attach(MakeConnectionOn(out->db, connection.bstr().str()).Detach());
  return Outcome::Ok();
}

void RecordConnectionError(IDispatch* connection, const Outcome& failure,
                           std::u16string_view source) {
  if (connection == nullptr || failure.ok()) return;
  ComPtr<IConnectionAccess> access;
  if (Succeeded(connection->QueryInterface(IConnectionAccess::kIid, access.ReceiveVoid()))) {
    access->RecordError(failure, source);
  }
}

}  // namespace vant::host::ado
