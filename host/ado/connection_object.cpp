#include "host/ado/connection_object.h"

#include "host/ado/ado_error.h"
#include "host/ado/connection_access.h"
#include "host/ado/database.h"
#include "host/ado/execute.h"
#include "host/ado/recordset_object.h"
#include "host/ado/transaction.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kStateClosed = 0;
constexpr std::int32_t kStateOpen = 1;

Outcome Closed() {
  return Outcome::Fail(kObjectClosed, u"Operation is not allowed when the object is closed.");
}

Outcome AlreadyOpen() {
  return Outcome::Fail(kObjectOpen, u"Operation is not allowed when the object is open.");
}

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
  ~ConnectionObject() override {
    if (db_) db_->Close();
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
      if (IsOpen()) return AlreadyOpen();
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
      if (!IsOpen()) return Closed();
      db_->Close();
      db_.reset();
      return Outcome::Ok();
    });
  }
  HRESULT Execute(const Bstr& commandText, Variant recordsAffected, std::int32_t,
                  IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] {
      if (!IsOpen()) return Closed();
      std::shared_ptr<RecordsetData> rows;
      std::int64_t affected = 0;
      if (Outcome done = ExecuteCommand(db_, commandText.view(), &rows, &affected); !done.ok()) {
        return done;
      }
      StoreAffected(recordsAffected, affected);
      *out = MakeOpenRecordset(std::move(rows), commandText.str()).Detach();
      return Outcome::Ok();
    });
  }
  HRESULT BeginTrans(std::int32_t* level) override {
    if (level == nullptr) return E_POINTER;
    return Run([&] { return IsOpen() ? BeginTransaction(*db_, level) : Closed(); });
  }
  HRESULT CommitTrans() override {
    return Run([&] { return IsOpen() ? CommitTransaction(*db_) : Closed(); });
  }
  HRESULT RollbackTrans() override {
    return Run([&] { return IsOpen() ? RollbackTransaction(*db_) : Closed(); });
  }

  std::shared_ptr<Database> SharedDatabase() override { return IsOpen() ? db_ : nullptr; }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoConnection::kIid ? S_OK : S_FALSE;
  }

 private:
  bool IsOpen() const { return db_ && db_->is_open(); }

  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kConnectionSource, [&] { return Report(body(), kConnectionSource); });
  }

  Outcome OpenDatabase(const Bstr& given) {
    if (IsOpen()) return AlreadyOpen();
    const std::u16string text = given.empty() ? connectionString_ : given.str();
    std::u16string error;
    const auto path = ResolveDataSource(text, mapPath_, &error);
    if (!path) return Outcome::Fail(kBadArgument, error);
    if (Outcome opened = Database::Open(*path, &db_); !opened.ok()) return opened;
    connectionString_ = text;
    return Outcome::Ok();
  }

  MapPathHook mapPath_;
  std::u16string connectionString_;
  std::shared_ptr<Database> db_;
};

}  // namespace

ComPtr<IAdoConnection> MakeConnection(MapPathHook mapPath) {
  return ComPtr<IAdoConnection>::Attach(ConnectionObject::Create(std::move(mapPath)).Detach());
}

}  // namespace vant::host::ado
