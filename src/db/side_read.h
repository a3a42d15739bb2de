#pragma once

// Reading one long value away from the user-interface thread: a worker thread reads it by row id
// on a read-only connection of its own, a piece at a time, so the window answers while hundreds of
// megabytes are read, and a read the user no longer wants ends soon after it is stopped.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/bytes.h"

struct sqlite3;

namespace torvane {

class SideRead {
 public:
  // What a read found: the whole value, or nothing when it failed or was stopped. `stopped` turns
  // true once the read is stopped, also while `done` runs, so work done with the value there ends
  // early too. Called once, on the worker thread; the read ends when it returns.
  using Done = std::function<void(std::optional<Bytes> value, const std::atomic<bool>& stopped)>;

  // Starts reading at once: opens `file` (the engine's file name) read-only and reads the value of
  // column `column` of table `table` of its main schema in the row whose row id is `row_id` (names
  // as the engine is to get them), then hands it to `done`.
  SideRead(std::string file, std::string table, std::string column, std::int64_t row_id, Done done);
  // Stops the read and waits for the worker to end; `done` has been called by then.
  ~SideRead();
  SideRead(const SideRead&) = delete;
  SideRead& operator=(const SideRead&) = delete;

  // Waits for the read to end by itself; `done` has been called by then.
  void Wait();
  // Asks the read to stop soon; `done` then gets nothing. Safe from any thread, also from inside
  // an engine call of another connection (a busy wait), and more than once.
  void Stop();

 private:
  void Run();
  // The value, read on `db` in pieces; nothing when the engine fails or the read is stopped.
  std::optional<Bytes> ReadValue(sqlite3* db);

  const std::string file_;
  const std::string table_;
  const std::string column_;
  const std::int64_t row_id_;
  const Done done_;
  std::atomic<bool> stopped_{false};
  // Guards `db_` against a Stop that comes while the worker opens or closes its connection.
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::thread worker_;
};

}  // namespace torvane
