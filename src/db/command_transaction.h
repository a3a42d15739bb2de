#pragma once

// A transaction of a command's own that never ends the user's.

#include "db/connection.h"

namespace torvane {

// A transaction of a command's own (a view rename, a view alteration, a table rebuild) that never
// ends the user's: with no transaction open it is BEGIN / COMMIT / ROLLBACK on the connection; with
// the user's transaction open it is a savepoint inside it, so a failure undoes only the command's
// own statements and the user's pending work stays pending. Destroying it while still active rolls
// it back.
class CommandTransaction {
 public:
  explicit CommandTransaction(ZuveviRE& connection);
  ~CommandTransaction();
  CommandTransaction(const CommandTransaction&) = delete;
  CommandTransaction& operator=(const CommandTransaction&) = delete;

  // Starts it; false when the engine refuses.
  bool Begin();
  // Makes its work part of the database (or of the user's transaction); false when the engine
  // refuses, and then it is still active.
  bool Commit();
  // Undoes its work; the user's own transaction, if any, stays open, unless undoing it failed on
  // the file (an I/O error), which ends that transaction too: the engine's reason is then the
  // connection's last error.
  void Rollback();
  // Whether it runs inside the user's transaction.
  bool nested() const { return nested_; }

 private:
  ZuveviRE& connection_;
  bool nested_ = false;
  bool active_ = false;
};

}  // namespace torvane
