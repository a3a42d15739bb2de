#include "db/command_transaction.h"

#include <string>

namespace torvane {
namespace {

// The savepoint a command opens inside the user's transaction.
constexpr char kCommandSavepoint[] = "torvane_command";

}  // namespace

CommandTransaction::CommandTransaction(ZuveviRE& connection) : connection_(connection) {}

CommandTransaction::~CommandTransaction() {
  if (active_) Rollback();
}

bool CommandTransaction::Begin() {
  nested_ = connection_.IsInTransaction();
  active_ = nested_ ? connection_.Execute(std::string("SAVEPOINT ") + kCommandSavepoint)
                    : connection_.BeginTransaction();
  return active_;
}

bool CommandTransaction::Commit() {
  if (!active_) return false;
  const bool ok = nested_ ? connection_.Execute(std::string("RELEASE ") + kCommandSavepoint)
                          : connection_.CommitTransaction();
  if (ok) active_ = false;
  return ok;
}

void CommandTransaction::Rollback() {
  if (nested_) {
    // ROLLBACK TO leaves the savepoint open; RELEASE then ends it without undoing anything else.
    // A ROLLBACK TO that failed on the file may have ended the user's whole transaction, and the
    // savepoint with it: the engine's reason then stays the last error, not RELEASE's.
    if (active_) {
      const bool undone = connection_.Execute(std::string("ROLLBACK TO ") + kCommandSavepoint);
      if (undone || connection_.IsInTransaction()) {
        connection_.Execute(std::string("RELEASE ") + kCommandSavepoint);
      }
    }
  } else {
    connection_.RollbackTransaction();
  }
  active_ = false;
}

}  // namespace torvane
