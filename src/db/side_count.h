#pragma once

// Counting a table's rows away from the user-interface thread: a worker thread asks the engine for
// count(*) on a read-only connection of its own, so a browse shows its first rows at once and
// learns the count later, however large the table.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

namespace torvane {

// The busy handler of a worker thread's connection (sqlite3_busy_handler, its argument the worker's
// std::atomic<bool> stop flag): it waits for a lock another program holds as long as a statement of
// the program's own connection would, but gives up at once when the work is stopped.
int WaitUnlessStopped(void* stopped, int attempts);

class SideCount {
 public:
  // What a count found: the number of rows, or -1 when it failed or was stopped. Called once, on
  // the worker thread.
  using Done = std::function<void(std::int64_t rows)>;

  // Starts counting at once: opens `file` (the engine's file name) read-only and runs `statement`
  // (a "SELECT count(*) ..." as the engine is to get it), then hands the first column to `done`.
  SideCount(std::string file, std::string statement, Done done);
  // Stops the count and waits for the worker to end; `done` has been called by then.
  ~SideCount();
  SideCount(const SideCount&) = delete;
  SideCount& operator=(const SideCount&) = delete;

  // Waits for the count to end by itself; `done` has been called by then.
  void Wait();
  // Asks the count to stop soon (the engine's interrupt); `done` then gets -1. Safe from any
  // thread, also from inside an engine call of another connection (a busy wait), and more than
  // once.
  void Stop();

 private:
  void Run();

  const std::string file_;
  const std::string statement_;
  const Done done_;
  std::atomic<bool> stopped_{false};
  // Guards `db_` against a Stop that comes while the worker opens or closes its connection.
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::thread worker_;
};

}  // namespace torvane
