#pragma once

// A file system layer for the engine that fails chosen calls on purpose: a disk that fills up, a
// write or a sync that fails, a lock another program holds. It wraps the engine's default layer
// and, while a ScopedFaultVfs lives, stands in as the default, so every connection the program
// opens goes through it.

#include <sqlite3.h>

namespace torvane::testing {

// The file calls a fault can be put on.
enum class FileCall { kRead, kWrite, kSync, kTruncate, kLock, kFileSize };

// Which files a fault hits: every file, only database files, or only their journals and logs.
enum class FaultFiles { kAll, kDatabase, kJournal };

class ScopedFaultVfs {
 public:
  // Registers the layer as the default one. Faults are off until Fail.
  ScopedFaultVfs();
  // Restores the previous default layer. Connections opened through this layer must be closed
  // first.
  ~ScopedFaultVfs();
  ScopedFaultVfs(const ScopedFaultVfs&) = delete;
  ScopedFaultVfs& operator=(const ScopedFaultVfs&) = delete;

  // From now on the `nth` call (1 for the next one) of kind `call` on the files `files` returns
  // `code` without reaching the disk; with `sticky`, every later call of that kind does too (a
  // full disk stays full). Replaces any earlier fault.
  void Fail(FileCall call, int nth, int code, bool sticky = true,
            FaultFiles files = FaultFiles::kAll);
  // Turns the fault off: every call reaches the disk again.
  void Heal();
  // How many calls the fault has failed so far.
  int failures() const;
  // How many calls of the fault's kind were made since Fail (failed or not).
  int calls() const;
};

}  // namespace torvane::testing
