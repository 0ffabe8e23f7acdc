// Shared helpers of the database access object tests: a scratch folder per
// test, late-bound calls the way a page makes them, and the error record.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/ado/ado_objects.h"
#include "platform/automation/automation.h"
#include "support/scratch.h"

namespace vant::host::ado::test {

// The shared scratch folder with TMPDIR pointed into it while it lives, so
// spill files can be counted.
class ScratchFolder : public ::vant::test::ScratchFolder {
 public:
  ScratchFolder() {
    std::filesystem::create_directories(root() / "tmp");
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old != nullptr ? old : "";
    hadTmp_ = old != nullptr;
    ::setenv("TMPDIR", (root() / "tmp").c_str(), 1);
  }
  ~ScratchFolder() {
    if (hadTmp_) {
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

  std::string Db(const std::string& name = "site.db") const { return Host(name); }
  std::u16string ConnectionString(const std::string& name = "site.db") const {
    return u"Provider=SQLite;Data Source=" + Utf8ToUtf16(Db(name));
  }
  // Files the spill logic left in the temp folder.
  int SpillFiles() const {
    int count = 0;
    for (const std::string& name : List("tmp")) count += name.rfind("vant-ado-", 0) == 0 ? 1 : 0;
    return count;
  }
  std::filesystem::path root() const { return Path(); }

 private:
  std::string oldTmp_;
  bool hadTmp_ = false;
};

// A late-bound call by name; `hr` receives the status.
inline Variant Call(IDispatch* object, std::u16string_view name, std::vector<Variant> args = {},
                    HRESULT* hr = nullptr,
                    std::uint16_t flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
  DISPID id = DISPID_UNKNOWN;
  HRESULT status = name.empty() ? S_OK : object->GetIDsOfNames(name, &id);
  if (name.empty()) id = DISPID_VALUE;
  Variant result;
  if (Succeeded(status)) {
    DispParams params{std::move(args)};
    status = object->Invoke(id, flags, params, &result);
  }
  if (hr != nullptr) {
    *hr = status;
  } else {
    EXPECT_EQ(status, S_OK) << "calling " << Utf16ToUtf8(name);
  }
  return result;
}

// A property put by name ("" for the default member); the value goes last.
inline HRESULT Put(IDispatch* object, std::u16string_view name, std::vector<Variant> args) {
  HRESULT hr = S_OK;
  Call(object, name, std::move(args), &hr, DISPATCH_PROPERTYPUT);
  return hr;
}

inline Variant Str(std::u16string_view text) { return Variant::String(Bstr(text)); }

// The object a call returned (AddRef'd).
inline ComPtr<IDispatch> Object(const Variant& value) {
  EXPECT_EQ(value.vt(), VT_DISPATCH);
  return ComPtr<IDispatch>(value.dispatch());
}

// The thread's error record as (source, description), cleared after.
inline std::pair<std::u16string, std::u16string> TakeError() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return {};
  Bstr source;
  Bstr description;
  info->GetSource(&source);
  info->GetDescription(&description);
  return {source.str(), description.str()};
}

inline std::string Text(const Variant& value) {
  Bstr text;
  if (Failed(VariantToBstr(value, &text))) return "<vt " + std::to_string(value.vt()) + ">";
  return Utf16ToUtf8(text.str());
}

inline std::int32_t Int(const Variant& value) {
  std::int32_t number = 0;
  EXPECT_EQ(VariantToI4(value, &number), S_OK) << "vt " << value.vt();
  return number;
}

inline std::vector<std::uint8_t> Bytes(const Variant& value) {
  if ((value.vt() & VT_ARRAY) == 0 || value.array() == nullptr) return {};
  const SafeArray& array = *value.array();
  return {array.Bytes(), array.Bytes() + array.Count()};
}

inline Variant ByteArray(const std::vector<std::uint8_t>& bytes) {
  return Variant::Array(SafeArray::FromBytes(bytes.data(), bytes.size()));
}

// An open connection on the scratch database.
inline ComPtr<IDispatch> OpenConnection(const ScratchFolder& folder,
                                        const std::string& name = "site.db") {
  ComPtr<IDispatch> connection = CreateAdoObject(u"ADODB.Connection");
  Call(connection.get(), u"Open", {Str(folder.ConnectionString(name))});
  return connection;
}

inline void Exec(IDispatch* connection, std::u16string_view sql) {
  Call(connection, u"Execute", {Str(sql)});
}

// A recordset opened on `connection` with an updatable lock.
inline ComPtr<IDispatch> OpenRecordset(IDispatch* connection, std::u16string_view source,
                                       std::int32_t lockType = 3) {
  ComPtr<IDispatch> rs = CreateAdoObject(u"ADODB.Recordset");
  Call(rs.get(), u"Open",
       {Str(source), Variant::Dispatch(connection), Variant::I4(1), Variant::I4(lockType)});
  return rs;
}

inline bool Flag(IDispatch* rs, std::u16string_view name) {
  return Call(rs, name).boolVal() != VARIANT_FALSE;
}

}  // namespace vant::host::ado::test
