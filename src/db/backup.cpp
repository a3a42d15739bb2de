#include "db/backup.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include <sqlite3.h>

#include "base/files.h"

namespace torvane {
namespace {

// Whether the file's header says write-ahead-log mode (read and write versions 2).
bool HeaderSaysWal(const std::string& path) {
  std::ifstream file(SystemPath(path), std::ios::binary);
  char header[20] = {};
  return file.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

bool NonEmptyFile(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(SystemPath(path), error);
  return !error && size > 0;
}

// A connection closed when it goes.
struct Connection {
  sqlite3* db = nullptr;
  ~Connection() { sqlite3_close_v2(db); }
  bool Open(const std::string& path, int flags, std::string& error) {
    if (sqlite3_open_v2(SystemPath(path).c_str(), &db, flags, nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db, 3000);
      return true;
    }
    error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    return false;
  }
};

bool OnlineBackup(const std::string& source, const std::string& target, std::string& error) {
  Connection from, to;
  if (!from.Open(source, SQLITE_OPEN_READWRITE, error)) return false;
  if (!to.Open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error)) return false;
  sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
  if (backup == nullptr) {
    error = sqlite3_errmsg(to.db);
    return false;
  }
  const int rc = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) {
    error = sqlite3_errstr(rc);
    return false;
  }
  // The copy is a database of its own: leave it in rollback-journal mode with nothing beside it.
  if (sqlite3_exec(to.db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(to.db);
    return false;
  }
  return true;
}

// The file and its journal copied side by side; opening the copy makes the engine roll the journal
// back into it, as it would after a crash.
bool CopyWithJournal(const std::string& source, const std::string& target, std::string& error) {
  const std::string journal = target + "-journal";
  if (!CopyFile(source, target) || !CopyFile(source + "-journal", journal)) {
    error = "cannot copy the file";
    DeleteFile(journal);
    return false;
  }
  bool ok;
  {
    Connection copy;
    ok = copy.Open(target, SQLITE_OPEN_READWRITE, error);
    if (ok && sqlite3_exec(copy.db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                           nullptr) != SQLITE_OK) {
      error = sqlite3_errmsg(copy.db);
      ok = false;
    }
  }
  if (FileExists(journal)) DeleteFile(journal);
  return ok;
}

}  // namespace

bool BackupDatabaseFile(const std::string& source, const std::string& target, std::string& error) {
  error.clear();
  bool ok;
  if (NonEmptyFile(source + "-wal") || HeaderSaysWal(source)) {
    ok = OnlineBackup(source, target, error);
  } else if (NonEmptyFile(source + "-journal")) {
    ok = CopyWithJournal(source, target, error);
  } else {
    ok = CopyFile(source, target);
    if (!ok) error = "cannot copy the file";
  }
  if (!ok && FileExists(target)) DeleteFile(target);
  return ok;
}

}  // namespace torvane
