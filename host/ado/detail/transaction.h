// BeginTrans / CommitTrans / RollbackTrans over one database. The outer
// level is BEGIN IMMEDIATE, so a writer waits for the write lock (busy
// timeout) at its start rather than failing half way; nested levels are
// savepoints.
#pragma once

#include <cstdint>

#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"

namespace vant::host::ado {

// Starts a level; `level` receives the new nesting level (1 for the outer).
Outcome BeginTransaction(Database& db, std::int32_t* level);
// Ends the innermost level, keeping or undoing its changes. kBadArgument
// when no transaction is active.
Outcome CommitTransaction(Database& db);
Outcome RollbackTransaction(Database& db);

}  // namespace vant::host::ado
