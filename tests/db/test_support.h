#pragma once

// Helpers shared by the tests of the database access layer: temporary folders, a second raw engine
// connection, a log of the statements the engine runs, and running code as an unprivileged user.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <sqlite3.h>

namespace torvane::testing {

// A fresh temporary folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // A path inside the folder, as internal text.
  std::string Path(const std::string& name) const;
  // The folder as the file system names it (UTF-8).
  const std::string& system_path() const { return path_; }

 private:
  std::string path_;
};

// A raw engine connection of the test's own, for preparing files and checking what the layer did.
class RawDb {
 public:
  // Opens (and creates) the file at `path` (internal text).
  explicit RawDb(const std::string& path);
  ~RawDb();
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  // Runs `sql`; returns the engine's message on failure and "" on success.
  std::string Exec(const std::string& sql);
  // The first column of the first row as text ("<null>" for NULL, "<none>" without rows,
  // "<error: message>" on failure).
  std::string Value(const std::string& sql);
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// Records the text of every statement the engine starts, on every connection opened while the log
// exists (also the layer's own connections, which the test cannot reach otherwise).
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

// How many of this process's open file descriptors refer to the file at `system_path`.
int OpenDescriptorsOf(const std::string& system_path);

// Runs `body` in a child process as an unprivileged user (or as this user when not root) and
// returns what it reported: "" when all its checks passed. Returns "skip" when privileges could not
// be dropped.
std::string RunUnprivileged(const std::function<std::string()>& body);

// The bytes of a file (as the file system names it); empty when it cannot be read.
std::string FileBytes(const std::string& system_path);

}  // namespace torvane::testing
