// Statuses and error records of the database access objects. A failed
// member sets the thread's error record (source = the object's ProgID,
// description = what went wrong, SQLite's own message for SQL failures) and
// returns the status, so a page's catch shows the text.
#pragma once

#include <string_view>

#include "host/ado/detail/outcome.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

inline constexpr std::u16string_view kConnectionSource = u"ADODB.Connection";
inline constexpr std::u16string_view kRecordsetSource = u"ADODB.Recordset";
inline constexpr std::u16string_view kFieldSource = u"ADODB.Field";
inline constexpr std::u16string_view kFieldsSource = u"ADODB.Fields";
inline constexpr std::u16string_view kCommandSource = u"ADODB.Command";
inline constexpr std::u16string_view kParameterSource = u"ADODB.Parameter";
inline constexpr std::u16string_view kParametersSource = u"ADODB.Parameters";
inline constexpr std::u16string_view kErrorsSource = u"ADODB.Errors";

// A statement or the database failed; the description is SQLite's message.
inline constexpr HRESULT kDatabaseError = E_FAIL;
// The object is closed (or its connection is) and the call needs it open.
inline constexpr HRESULT kObjectClosed = MakeHresult(0x800A0E78);
// The object is open and the call needs it closed.
inline constexpr HRESULT kObjectOpen = MakeHresult(0x800A0E79);
// BOF or EOF is true, or the current row was deleted.
inline constexpr HRESULT kNoCurrentRecord = MakeHresult(0x800A0BCD);
// No field of that name or index.
inline constexpr HRESULT kItemNotFound = MakeHresult(0x800A0CC1);
// The recordset is read-only or the field has no column to write to.
inline constexpr HRESULT kNotUpdatable = MakeHresult(0x800A0CB3);
// An argument of the wrong type or out of range.
inline constexpr HRESULT kBadArgument = MakeHresult(0x800A0BB9);
// The cursor or the database cannot do this (bookmarks on a forward-only
// cursor, stored procedures); same number as kNotUpdatable.
inline constexpr HRESULT kNotSupported = MakeHresult(0x800A0CB3);
// A forward-only cursor was asked to move backwards.
inline constexpr HRESULT kNoBackwardFetch = MakeHresult(0x80040E24);
// The command has no usable connection.
inline constexpr HRESULT kConnectionInvalid = MakeHresult(0x800A0E7D);
// A value does not convert to the parameter's declared type.
inline constexpr HRESULT kDataConversion = MakeHresult(0x800A0D5D);
// The statement has more `?` parameters than values were given.
inline constexpr HRESULT kMissingParameter = MakeHresult(0x80040E10);
// A command ran longer than its CommandTimeout.
inline constexpr HRESULT kQueryTimeout = MakeHresult(0x80040E31);
// The command has no command text.
inline constexpr HRESULT kNoCommandText = MakeHresult(0x80040E0C);
// A Parameter object appended twice or improperly defined.
inline constexpr HRESULT kObjectInCollection = MakeHresult(0x800A0D27);

using vant::Guarded;
using vant::RaiseError;

// The failures several objects report, with ADO's texts.
Outcome ClosedFailure();           // kObjectClosed
Outcome OpenFailure();             // kObjectOpen
Outcome BadArgumentFailure();      // kBadArgument
Outcome NoCurrentRecordFailure();  // kNoCurrentRecord
Outcome NoBookmarksFailure();      // kNotSupported, for a forward-only cursor

// Raises a failed outcome; returns S_OK for a successful one.
HRESULT Report(const Outcome& outcome, std::u16string_view source) noexcept;

}  // namespace vant::host::ado
