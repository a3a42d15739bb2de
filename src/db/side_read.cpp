#include "db/side_read.h"

#include <algorithm>
#include <utility>

#include <sqlite3.h>

#include "db/side_count.h"

namespace torvane {
namespace {

// How much of the value one engine call reads: small enough that a stop is heard within a few
// milliseconds, large enough that the calls cost nothing beside the copying.
constexpr int kPieceBytes = 1 << 20;

}  // namespace

SideRead::SideRead(std::string file, std::string table, std::string column, std::int64_t row_id,
                   Done done)
    : file_(std::move(file)),
      table_(std::move(table)),
      column_(std::move(column)),
      row_id_(row_id),
      done_(std::move(done)) {
  worker_ = std::thread([this] { Run(); });
}

SideRead::~SideRead() {
  Stop();
  Wait();
}

void SideRead::Wait() {
  if (worker_.joinable()) worker_.join();
}

void SideRead::Stop() {
  stopped_ = true;
  std::lock_guard<std::mutex> lock(mutex_);
  if (db_ != nullptr) sqlite3_interrupt(db_);
}

void SideRead::Run() {
  std::optional<Bytes> value;
  sqlite3* db = nullptr;
  // Only reads, on a connection no other thread uses (as SideCount's).
  if (!stopped_ && sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                   nullptr) == SQLITE_OK) {
    sqlite3_busy_handler(db, WaitUnlessStopped, &stopped_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      db_ = db;
    }
    if (!stopped_) value = ReadValue(db);
    std::lock_guard<std::mutex> lock(mutex_);
    db_ = nullptr;
  }
  sqlite3_close_v2(db);
  if (stopped_) value.reset();
  done_(std::move(value), stopped_);
}

std::optional<Bytes> SideRead::ReadValue(sqlite3* db) {
  // The handle reads the stored bytes as they are, text or bytes, as the cursor's own read by row
  // id does; every piece comes from the one read transaction the handle holds.
  sqlite3_blob* blob = nullptr;
  if (sqlite3_blob_open(db, "main", table_.c_str(), column_.c_str(), row_id_, 0, &blob) !=
      SQLITE_OK) {
    sqlite3_blob_close(blob);
    return std::nullopt;
  }
  const int size = sqlite3_blob_bytes(blob);
  Bytes value(static_cast<std::size_t>(size));
  int done = 0;
  while (done < size && !stopped_) {
    const int piece = std::min(kPieceBytes, size - done);
    if (sqlite3_blob_read(blob, value.data() + done, piece, done) != SQLITE_OK) break;
    done += piece;
  }
  sqlite3_blob_close(blob);
  if (done < size || stopped_) return std::nullopt;
  return value;
}

}  // namespace torvane
