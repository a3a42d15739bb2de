#pragma once

// Another program holding a database file locked: a child process of the test that takes the lock
// with a transaction of its own and keeps it until the test lets it go.

#include <string>

#include <sys/types.h>

namespace torvane::testing {

class LockingProcess {
 public:
  // Starts the child: it opens `path` (a system path), runs `sql`, which begins a transaction
  // (for example "BEGIN EXCLUSIVE; DELETE FROM t"), and reports whether it succeeded; the
  // constructor returns once it has. The child then holds the transaction until Release(), waits
  // `linger_ms` more (so that a write the test starts meanwhile meets the lock), runs `finish`
  // ("COMMIT" or "ROLLBACK") and exits. Texts are passed on byte for byte.
  LockingProcess(const std::string& path, const std::string& sql, const std::string& finish,
                 int linger_ms = 0);
  // Releases the child and waits for it to end.
  ~LockingProcess();
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;

  // Whether the child holds the lock: its transaction began and `sql` ran.
  bool holds() const { return holds_; }
  // Lets the child finish its transaction; returns at once. Further calls do nothing.
  void Release();
  // Releases the child and waits until it has ended (its transaction finished). Further calls do
  // nothing.
  void Wait();

 private:
  pid_t child_ = -1;
  int release_fd_ = -1;
  bool holds_ = false;
};

}  // namespace torvane::testing
