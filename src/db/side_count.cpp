#include "db/side_count.h"

#include <chrono>
#include <utility>

#include <sqlite3.h>

#include "db/connection.h"

namespace torvane {

int WaitUnlessStopped(void* stopped, int attempts) {
  constexpr int kStepMs = 10;
  if (static_cast<std::atomic<bool>*>(stopped)->load()) return 0;
  if (attempts * kStepMs >= kBusyTimeoutMs) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  return 1;
}

SideCount::SideCount(std::string file, std::string statement, Done done)
    : file_(std::move(file)), statement_(std::move(statement)), done_(std::move(done)) {
  worker_ = std::thread([this] { Run(); });
}

SideCount::~SideCount() {
  Stop();
  Wait();
}

void SideCount::Wait() {
  if (worker_.joinable()) worker_.join();
}

void SideCount::Stop() {
  stopped_ = true;
  std::lock_guard<std::mutex> lock(mutex_);
  if (db_ != nullptr) sqlite3_interrupt(db_);
}

void SideCount::Run() {
  std::int64_t rows = -1;
  sqlite3* db = nullptr;
  // Only reads, on a connection no other thread uses: the engine's own locking of the connection
  // is not needed. A file opened read-only never writes, not even a journal left by a crash.
  if (!stopped_ && sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                   nullptr) == SQLITE_OK) {
    sqlite3_busy_handler(db, WaitUnlessStopped, &stopped_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      db_ = db;
    }
    // A Stop that came before the connection was published has set the flag: checked again now
    // that a later Stop reaches the connection.
    sqlite3_stmt* count = nullptr;
    if (!stopped_ &&
        sqlite3_prepare_v2(db, statement_.c_str(), static_cast<int>(statement_.size()), &count,
                           nullptr) == SQLITE_OK &&
        count != nullptr && sqlite3_step(count) == SQLITE_ROW && !stopped_) {
      rows = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
    std::lock_guard<std::mutex> lock(mutex_);
    db_ = nullptr;
  }
  sqlite3_close_v2(db);
  done_(rows);
}

}  // namespace torvane
