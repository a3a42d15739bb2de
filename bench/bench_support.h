#pragma once

// What the benchmarks of the database side share: the database side of a browse, the raw engine's
// pass of a query, and the memory of an operation measured in a forked child. Running the
// benchmarks and comparing their figures is bench_run.h's.

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "db/db.h"

namespace torvane::bench {

// The database side of a browse of table t: the stored definition, the cursor, and the first 1000
// rows through Requery and GetAll. Returns a count that depends on all of them.
inline std::size_t DatabaseSideBrowse(ZuveviRE& db) {
  const std::string sql = db.GetTableSql("t");
  SqliteTable cursor;
  if (sql.empty() || !cursor.Open("t", db)) return 0;
  SqliteDataset rows = db.Query("select * from t limit 1000");
  if (!rows.Requery()) return 0;
  const TextTable table = rows.GetAll(true);
  return static_cast<std::size_t>(cursor.GetRecordCount()) + static_cast<std::size_t>(table.rows());
}

// A raw engine connection, read-only; the program ends when the file cannot be opened.
class RawConnection {
 public:
  explicit RawConnection(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      std::exit(1);
    }
  }
  ~RawConnection() { sqlite3_close(db_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The raw result of a query: every cell's text back to back and the end of every cell.
struct RawText {
  std::string text;
  std::vector<std::uint64_t> ends;
};

inline RawText RawQuery(sqlite3* db, const char* sql) {
  RawText result;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  const int columns = sqlite3_column_count(statement);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int c = 0; c < columns; ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
      const int size = sqlite3_column_bytes(statement, c);
      if (size > 0) result.text.append(text, static_cast<std::size_t>(size));
      result.ends.push_back(result.text.size());
    }
  }
  sqlite3_finalize(statement);
  return result;
}

// Resident-set figures of one operation, in bytes.
struct Memory {
  long long baseline = 0;  // before the operation
  long long peak = 0;      // highest while it ran, over the baseline
  long long held = 0;      // still resident while its result is kept, over the baseline
  long long exact = 0;     // bytes the result reports holding itself (0 when it cannot tell)
};

inline long long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
      return std::atoll(line.c_str() + length + 1);
    }
  }
  return 0;
}

// Runs `operation` in a forked child: `prepare` first (opening connections), then the freed heap is
// handed back, the peak mark reset, and the resident set read before, at the peak of and after the
// operation (whose result stays alive until then).
inline Memory MeasureInChild(
    const std::function<std::shared_ptr<void>()>& prepare,
    const std::function<std::shared_ptr<void>(void*, long long&)>& operation) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    std::shared_ptr<void> context = prepare();
    ::malloc_trim(0);
    {
      std::ofstream clear("/proc/self/clear_refs");
      clear << "5";  // resets the peak mark to the current resident set
    }
    Memory m;
    m.baseline = StatusKb("VmRSS") * 1024;
    std::shared_ptr<void> result = operation(context.get(), m.exact);
    m.peak = StatusKb("VmHWM") * 1024 - m.baseline;
    m.held = StatusKb("VmRSS") * 1024 - m.baseline;
    (void)!::write(fds[1], &m, sizeof m);
    ::_exit(0);
  }
  ::close(fds[1]);
  Memory m;
  if (::read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = Memory{};
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return m;
}

}  // namespace torvane::bench
