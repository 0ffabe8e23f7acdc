#include "host/ado/ado_objects.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/connection_access.h"
#include "host/ado/detail/execute.h"
#include "host/ado/detail/pg_sql.h"
#include "host/ado/interfaces.h"
#include "host/ado/parameters_object.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kAdCmdUnknown = 8;
constexpr std::int32_t kAdVariant = 12;
constexpr std::int32_t kStateClosed = 0;

// What the Parameters collection's Refresh needs from its command.
struct CommandState {
  ConnectionRef connection;
  std::u16string text;
  std::shared_ptr<ParameterList> parameters = std::make_shared<ParameterList>();
};

Outcome Invalid() {
  return Outcome::Fail(kConnectionInvalid,
                       u"The connection cannot be used to perform this operation. It is either "
                       u"closed or invalid in this context.");
}

// On PostgreSQL, one parameter per `?` of the whole text: "Param1", ...
Outcome RefreshPgParameters(CommandState& state) {
  int count = 0;
  (void)NumberPgPlaceholders(Utf16ToUtf8(state.text), &count);
  state.parameters->clear();
  for (int i = 1; i <= count; ++i) {
    auto data = std::make_shared<ParameterData>();
    data->name = u"Param" + Utf8ToUtf16(std::to_string(i));
    data->type = kAdVariant;
    data->appended = true;
    ComPtr<IDispatch> object = ComPtr<IDispatch>::Attach(MakeParameter(data).Detach());
    state.parameters->push_back({std::move(data), std::move(object)});
  }
  return Outcome::Ok();
}

// Refresh: one input parameter per `?` of the first statement, named as
// the statement names it (":name", "@name") or "Param1", "Param2", ...
Outcome RefreshParameters(CommandState& state) {
  if (!state.connection.db || !state.connection.db->is_open()) return Invalid();
  if (state.connection.db->postgres()) return RefreshPgParameters(state);
  Statement stmt;
  if (Outcome prepared = state.connection.db->Prepare(Utf16ToUtf8(state.text), &stmt);
      !prepared.ok()) {
    return prepared;
  }
  state.parameters->clear();
  const int count = stmt ? sqlite3_bind_parameter_count(stmt.get()) : 0;
  for (int i = 1; i <= count; ++i) {
    auto data = std::make_shared<ParameterData>();
    const char* name = sqlite3_bind_parameter_name(stmt.get(), i);
    data->name = name != nullptr ? Utf8ToUtf16(name) : u"Param" + Utf8ToUtf16(std::to_string(i));
    data->type = kAdVariant;
    data->appended = true;
    ComPtr<IDispatch> object = ComPtr<IDispatch>::Attach(MakeParameter(data).Detach());
    state.parameters->push_back({std::move(data), std::move(object)});
  }
  return Outcome::Ok();
}

// Execute's RecordsAffected is an [out] argument.
void StoreAffected(const Variant& target, std::int64_t affected) {
  if ((target.vt() & VT_BYREF) == 0 || target.byref() == nullptr) return;
  *target.byref() = Variant::I4(static_cast<std::int32_t>(affected));
}

class CommandObject final : public ComObject<CommandObject, DispatchImpl<IAdoCommand>,
                                             ICommandAccess, ISupportErrorInfo> {
 public:
  explicit CommandObject(MapPathHook mapPath) : mapPath_(std::move(mapPath)) {
    auto state = state_;
    parameters_ = ComPtr<IDispatch>::Attach(
        MakeParameters(state_->parameters, [state] { return RefreshParameters(*state); }).Detach());
  }

  HRESULT get_Parameters(IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = ComPtr<IDispatch>(parameters_.get()).Detach();
    return S_OK;
  }
  HRESULT put_Item(Variant index, Variant value) override {
    return Run([&] {
      std::size_t at = 0;
      if (Outcome found = FindParameter(*state_->parameters, index, &at); !found.ok()) {
        return found;
      }
      (*state_->parameters)[at].data->value = value.Deref();
      return Outcome::Ok();
    });
  }
  HRESULT get_ActiveConnection(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    *out = state_->connection.object ? Variant::Dispatch(state_->connection.object.get())
                                     : Variant::Null();
    return S_OK;
  }
  // A connection string opens a connection of the command's own at once.
  HRESULT put_ActiveConnection(Variant value) override {
    return Run([&] {
      const Variant& given = value.Deref();
      if (given.IsNull() || given.IsEmpty()) {
        state_->connection = {};
        return Outcome::Ok();
      }
      ConnectionRef ref;
      if (Outcome resolved = ResolveConnection(given, mapPath_, &ref); !resolved.ok()) {
        return resolved;
      }
      state_->connection = std::move(ref);
      return Outcome::Ok();
    });
  }
  HRESULT get_CommandText(Bstr* out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kCommandSource, [&] {
      *out = Bstr(state_->text);
      return S_OK;
    });
  }
  HRESULT put_CommandText(const Bstr& value) override {
    return Guarded(kCommandSource, [&] {
      state_->text = value.str();
      return S_OK;
    });
  }
  HRESULT get_CommandType(std::int32_t* out) override { return Read(out, commandType_); }
  HRESULT put_CommandType(std::int32_t value) override {
    commandType_ = value;
    return S_OK;
  }
  HRESULT get_CommandTimeout(std::int32_t* out) override { return Read(out, commandTimeout_); }
  HRESULT put_CommandTimeout(std::int32_t value) override {
    return Run([&] {
      if (value < 0) return Outcome::Fail(kBadArgument, u"The timeout cannot be negative.");
      commandTimeout_ = value;
      return Outcome::Ok();
    });
  }
  HRESULT get_Prepared(VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = ToVariantBool(prepared_);
    return S_OK;
  }
  HRESULT put_Prepared(VARIANT_BOOL value) override {
    prepared_ = value != VARIANT_FALSE;
    return S_OK;
  }
  HRESULT get_State(std::int32_t* out) override { return Read(out, kStateClosed); }
  HRESULT Execute(Variant recordsAffected, Variant parameters, std::int32_t options,
                  IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Run([&] { return Run(recordsAffected, parameters, options, out); });
  }
  HRESULT CreateParameter(const Bstr& name, std::int32_t type, std::int32_t direction,
                          std::int32_t size, Variant value, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    return Guarded(kCommandSource, [&] {
      auto data = std::make_shared<ParameterData>();
      data->name = name.str();
      data->type = type;
      data->direction = direction;
      data->size = size;
      const Variant& given = value.Deref();
      if (!given.IsMissing()) data->value = given;
      *out = MakeParameter(std::move(data)).Detach();
      return S_OK;
    });
  }
  HRESULT Cancel() override { return S_OK; }

  Outcome Describe(CommandRequest* out) override {
    if (!state_->connection.db || !state_->connection.db->is_open()) return Invalid();
    if (state_->text.empty()) {
      return Outcome::Fail(kNoCommandText, u"Command text was not set for the command object.");
    }
    out->db = state_->connection.db;
    out->connection = state_->connection.object;
    out->text = state_->text;
    out->commandType = commandType_ == kAdCmdUnknown ? -1 : commandType_;
    out->parameters.clear();
    for (const ParameterEntry& entry : *state_->parameters) {
      Variant converted;
      if (Outcome done = ConvertForType(entry.data->type, entry.data->value, &converted);
          !done.ok()) {
        return done;
      }
      out->parameters.push_back(std::move(converted));
    }
    return Outcome::Ok();
  }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IAdoCommand::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kCommandSource, [&] { return Report(body(), kCommandSource); });
  }
  static HRESULT Read(std::int32_t* out, std::int32_t value) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }

  // Values passed to Execute replace the Parameters' values in order.
  static void Override(const Variant& given, std::vector<Variant>* values) {
    const Variant& list = given.Deref();
    if ((list.vt() & VT_ARRAY) == 0 || list.array() == nullptr) {
      if (!list.IsMissing() && !list.IsEmpty() && !list.IsNull() && values->empty()) {
        values->push_back(list);
      }
      return;
    }
    const SafeArray& array = *list.array();
    for (std::uint32_t i = 0; i < array.Count(); ++i) {
      Variant item;
      (void)array.GetElement(array.LowerBound() + static_cast<std::int32_t>(i), &item);
      if (i < values->size()) {
        (*values)[i] = std::move(item);
      } else {
        values->push_back(std::move(item));
      }
    }
  }

  Outcome Run(const Variant& recordsAffected, const Variant& parameters, std::int32_t options,
              IDispatch** out) {
    CommandRequest request;
    Outcome done = Describe(&request);
    if (done.ok()) {
      Override(parameters, &request.parameters);
      if (options != -1 && (options & ~kAdExecuteFlags) != 0) {
        request.commandType = options & ~kAdExecuteFlags;
      }
      LoadOptions load;
      load.parameters = request.parameters;
      load.commandType = request.commandType == kAdCmdUnknown ? -1 : request.commandType;
      load.timeout = commandTimeout_;
      std::shared_ptr<RecordsetData> rows;
      std::int64_t affected = 0;
      done = ExecuteCommand(request.db, request.text, &rows, &affected, load);
      if (done.ok()) {
        StoreAffected(recordsAffected, affected);
        if (options == -1 || (options & kAdExecuteNoRecords) == 0) {
          *out = MakeExecuteResult(std::move(rows), request.text,
                                   Variant::Dispatch(request.connection.get()))
                     .Detach();
        }
      }
    }
    RecordConnectionError(state_->connection.object.get(), done, kCommandSource);
    return done;
  }

  MapPathHook mapPath_;
  std::shared_ptr<CommandState> state_ = std::make_shared<CommandState>();
  ComPtr<IDispatch> parameters_;
  std::int32_t commandType_ = kAdCmdUnknown;
  std::int32_t commandTimeout_ = 30;
  bool prepared_ = false;
};

}  // namespace

ComPtr<IAdoCommand> MakeCommand(MapPathHook mapPath) {
  return ComPtr<IAdoCommand>::Attach(CommandObject::Create(std::move(mapPath)).Detach());
}

}  // namespace vant::host::ado
