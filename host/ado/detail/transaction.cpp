#include "host/ado/detail/transaction.h"

#include <string>

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

std::string SavepointName(int level) { return "vant_trans_" + std::to_string(level); }

Outcome NoTransaction() { return Outcome::Fail(kBadArgument, u"No transaction is active."); }

}  // namespace

Outcome BeginTransaction(Database& db, std::int32_t* level) {
  if (Outcome open = db.RequireOpen(); !open.ok()) return open;
  int& current = db.transactionLevel();
  const Outcome begun = current == 0 ? db.Exec(db.postgres() ? "BEGIN" : "BEGIN IMMEDIATE")
                                     : db.Exec("SAVEPOINT " + SavepointName(current + 1));
  if (!begun.ok()) return begun;
  *level = ++current;
  return Outcome::Ok();
}

Outcome CommitTransaction(Database& db) {
  if (Outcome open = db.RequireOpen(); !open.ok()) return open;
  int& current = db.transactionLevel();
  if (current == 0) return NoTransaction();
  const Outcome done =
      current == 1 ? db.Exec("COMMIT") : db.Exec("RELEASE " + SavepointName(current));
  if (done.ok()) --current;
  return done;
}

Outcome RollbackTransaction(Database& db) {
  if (Outcome open = db.RequireOpen(); !open.ok()) return open;
  int& current = db.transactionLevel();
  if (current == 0) return NoTransaction();
  if (current == 1) {
    const Outcome done = db.Exec("ROLLBACK");
    if (done.ok()) current = 0;
    return done;
  }
  const std::string name = SavepointName(current);
  const Outcome undone = db.Exec("ROLLBACK TO " + name);
  if (!undone.ok()) return undone;
  const Outcome released = db.Exec("RELEASE " + name);
  if (released.ok()) --current;
  return released;
}

}  // namespace vant::host::ado
