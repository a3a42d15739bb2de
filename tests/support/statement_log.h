#pragma once

// A log of the statements the engine runs, on the test's connections and the program's alike.

#include <mutex>
#include <string>
#include <vector>

#include <sqlite3.h>

namespace torvane::testing {

// Records the text of every statement the engine starts, as the engine has it (bytes unconverted),
// on every connection opened while the log exists — also the program's own connections, which the
// test cannot reach otherwise. One log at a time.
class StatementLog {
 public:
  StatementLog();
  ~StatementLog();
  StatementLog(const StatementLog&) = delete;
  StatementLog& operator=(const StatementLog&) = delete;

  // The statements recorded since the last Take, in order; the log is emptied.
  std::vector<std::string> Take();

 private:
  static int OnConnectionOpened(sqlite3* db, const char** error, const void* api);
  static int OnTrace(unsigned type, void* context, void* statement, void* text);

  std::mutex mutex_;
  std::vector<std::string> statements_;
};

}  // namespace torvane::testing
