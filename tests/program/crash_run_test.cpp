// The program killed with SIGKILL at random moments of a long write, again and again, each time on
// a fresh copy of the file; after every kill the files must be whole:
//   - a table rebuild by the table designer, a console UPDATE and the COMMIT of a large
//   transaction,
//     each on a table of a million rows, run by crash_driver (the program's own code in a real main
//     window): the file passes the engine's integrity check and holds either everything it held
//     before or everything the work makes of it, table by table, nothing in between;
//   - the backup the program makes when it opens a 200 MB file, run by the program itself: every
//     file in the backup folder under a finished backup's name is a byte-for-byte copy of the file;
//     the temporary copies a kill leaves keep their temporary name, and the next start removes
//     them.
//
// Each kind of work is first run once to its end, which gives the file it makes and how long the
// work takes; the kill moments are then drawn evenly over that span. TORVANE_CRASH_SEED fixes the
// draw (the seed used is printed). With TORVANE_RELIABILITY_OUT naming a file, each kind appends a
// line to it: "crash", the work, the kill points tried and the files found whole, separated by
// tabs.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "base/codec.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kKillPoints = 20;
// How long any one run may take before the test gives up on it: a hang, not a slow machine.
constexpr auto kRunLimit = std::chrono::minutes(5);

// The file the driver's work starts from: a million rows in t, with an index, and a small table
// beside it that no work touches.
constexpr char kMillionRowsSql[] =
    "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, n INTEGER);"
    "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 1000000)"
    " INSERT INTO t SELECT i, 'name' || i, i % 977 FROM c;"
    "CREATE INDEX t_n ON t(n);"
    "CREATE TABLE other(k TEXT, v);"
    "INSERT INTO other VALUES('甲', 1), ('乙', x'00ff'), ('丙', NULL);";

// Each table's contents as one number, and the catalog's as another ("<catalog>"): the CREATE
// texts, and every row in row-id order with each value's type.
using Digests = std::map<std::string, std::uint64_t>;

void Mix(std::uint64_t& hash, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ULL;
  }
}

// Digests of every rows of `sql` on `db`; false with `error` set when it cannot be read.
bool DigestRows(sqlite3* db, const std::string& sql, std::uint64_t& hash, std::string& error) {
  hash = 0xcbf29ce484222325ULL;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const unsigned char type = static_cast<unsigned char>(sqlite3_column_type(stmt, c));
      Mix(hash, &type, 1);
      const void* blob = sqlite3_column_blob(stmt, c);
      const std::uint32_t size = static_cast<std::uint32_t>(sqlite3_column_bytes(stmt, c));
      Mix(hash, &size, sizeof size);
      if (blob != nullptr) Mix(hash, blob, size);
    }
  }
  if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE;
}

// Opens `path` (file-system bytes) as the program would next, which rolls back what a kill left
// in a journal, runs the integrity check and digests every table. "" when the file is whole,
// otherwise what is wrong with it.
std::string CheckFile(const std::string& path, Digests& digests) {
  digests.clear();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    const std::string error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return "cannot open: " + error;
  }
  std::string problem;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    if (text == nullptr || std::string(text) != "ok") {
      problem = "integrity check: " + std::string(text != nullptr ? text : "?");
    }
  } else {
    problem = std::string("integrity check failed: ") + sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  std::vector<std::string> tables;
  if (problem.empty() &&
      sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
                         -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
  }
  std::string error;
  if (problem.empty() &&
      !DigestRows(db, "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name",
                  digests["<catalog>"], error)) {
    problem = "catalog unreadable: " + error;
  }
  for (const std::string& table : tables) {
    if (!problem.empty()) break;
    std::string quoted = "\"";
    for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    if (!DigestRows(db, "SELECT * FROM " + quoted + " ORDER BY _rowid_", digests[table], error)) {
      problem = "table " + table + " unreadable: " + error;
    }
  }
  sqlite3_close(db);
  return problem;
}

// What differs between two sets of digests, by table.
std::string Differences(const Digests& found, const Digests& expected) {
  std::string text;
  for (const auto& [name, digest] : expected) {
    const auto it = found.find(name);
    if (it == found.end()) {
      text += " " + name + " missing;";
    } else if (it->second != digest) {
      text += " " + name + " differs;";
    }
  }
  for (const auto& [name, digest] : found) {
    if (expected.count(name) == 0) text += " " + name + " extra;";
  }
  return text;
}

// A process of the program's own, its standard output read through a pipe.
class Child {
 public:
  // Starts `argv[0]` with `argv` and the extra environment variables `env` ("NAME=value").
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], STDOUT_FILENO);
      for (const std::string& pair : env) ::putenv(const_cast<char*>(pair.c_str()));
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Child() {
    Kill();
    if (out_ >= 0) ::close(out_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }

  // Reads the output until a line `line` comes; false when the output ends or kRunLimit passes
  // first.
  bool WaitForLine(const std::string& line) {
    const auto end = Clock::now() + kRunLimit;
    while (Clock::now() < end) {
      for (std::size_t at = read_.find('\n'); at != std::string::npos; at = read_.find('\n')) {
        const std::string got = read_.substr(0, at);
        read_.erase(0, at + 1);
        if (got == line) return true;
      }
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) return false;
      read_.append(buffer, static_cast<std::size_t>(n));
    }
    return false;
  }

  // Kills the process with SIGKILL, if it still runs, and reaps it; its exit status, or -1 when
  // it was killed.
  int Kill() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGKILL);
    return Reap();
  }

  // Waits for the process to end by itself; its exit code, -1 when a signal ended it.
  int Wait() {
    if (pid_ <= 0) return status_;
    return Reap();
  }

 private:
  int Reap() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string read_;
};

// The random draw of kill moments, seeded from TORVANE_CRASH_SEED or at random.
std::mt19937_64 SeededEngine() {
  const char* fixed = std::getenv("TORVANE_CRASH_SEED");
  const std::uint64_t seed = fixed != nullptr && fixed[0] != '\0'
                                 ? std::strtoull(fixed, nullptr, 10)
                                 : std::random_device{}();
  std::printf("kill moments drawn with TORVANE_CRASH_SEED=%llu\n",
              static_cast<unsigned long long>(seed));
  return std::mt19937_64(seed);
}

// Appends "crash<TAB>work<TAB>points<TAB>intact" to the file TORVANE_RELIABILITY_OUT names, when it
// names one, in one write, so that test programs running side by side do not mix their lines.
void WriteFigures(const std::string& work, int points, int intact) {
  const char* out = std::getenv("TORVANE_RELIABILITY_OUT");
  if (out == nullptr || out[0] == '\0') return;
  const std::string line =
      "crash\t" + work + "\t" + std::to_string(points) + "\t" + std::to_string(intact) + "\n";
  const int fd = ::open(out, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << "cannot write " << out;
  EXPECT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(fd);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class CrashRunTest : public ::testing::Test {
 protected:
  // The environment of every program the run starts: the offscreen platform, and the user's
  // folders inside the temporary folder.
  std::vector<std::string> Environment() const {
    return {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir_.system_path() + "/config",
            "XDG_DATA_HOME=" + dir_.system_path() + "/data"};
  }

  // Kills crash_driver doing `kind` kKillPoints times, each on a fresh copy of the million-row
  // file, and checks the file after each kill.
  void RunDriverKills(const std::string& kind, const std::string& work);

  testing::TempDir dir_;
};

void CrashRunTest::RunDriverKills(const std::string& kind, const std::string& work) {
  const std::string base = dir_.system_path() + "/base.db";
  testing::MakeDatabase(FromUtf8(base), kMillionRowsSql);
  Digests before;
  ASSERT_EQ(CheckFile(base, before), "");
  const std::string copy = dir_.system_path() + "/work.db";
  auto fresh_copy = [&] {
    for (const char* suffix : {"", "-journal"}) fs::remove(copy + suffix);
    fs::copy_file(base, copy);
  };

  // Once to the end: what the work makes, and how long it takes.
  fresh_copy();
  Digests after;
  Clock::duration span{};
  {
    Child driver({TORVANE_CRASH_DRIVER, kind, copy}, Environment());
    ASSERT_TRUE(driver.started());
    ASSERT_TRUE(driver.WaitForLine("ready")) << "the driver never got ready";
    const auto start = Clock::now();
    ASSERT_TRUE(driver.WaitForLine("done")) << "the driver never finished";
    span = Clock::now() - start;
    ASSERT_EQ(driver.Wait(), 0) << "the work did not succeed";
  }
  ASSERT_EQ(CheckFile(copy, after), "");
  ASSERT_NE(before, after) << "the work changed nothing";
  std::printf("%s: the work takes %.2f s once ready\n", kind.c_str(), Seconds(span));

  std::mt19937_64 engine = SeededEngine();
  std::uniform_int_distribution<std::int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(span).count());
  int intact = 0, old_state = 0, new_state = 0;
  for (int point = 1; point <= kKillPoints; ++point) {
    fresh_copy();
    const auto wait = std::chrono::microseconds(moment(engine));
    {
      Child driver({TORVANE_CRASH_DRIVER, kind, copy}, Environment());
      ASSERT_TRUE(driver.started());
      ASSERT_TRUE(driver.WaitForLine("ready")) << "the driver never got ready";
      std::this_thread::sleep_for(wait);
      driver.Kill();
    }
    Digests found;
    const std::string problem = CheckFile(copy, found);
    if (problem.empty() && found == before) {
      ++old_state;
    } else if (problem.empty() && found == after) {
      ++new_state;
    }
    if (problem.empty() && (found == before || found == after)) {
      ++intact;
    } else {
      ADD_FAILURE() << kind << ", kill " << point << " at " << Seconds(wait) << " s: "
                    << (problem.empty() ? "neither before nor after; against before:" +
                                              Differences(found, before) +
                                              " against after:" + Differences(found, after)
                                        : problem);
    }
  }
  std::printf("%s: %d kills, %d files whole (%d as before, %d as after)\n", kind.c_str(),
              kKillPoints, intact, old_state, new_state);
  WriteFigures(work, kKillPoints, intact);
}

TEST_F(CrashRunTest, TableRebuildByTheDesignerLeavesTheOldTableOrTheNew) {
  RunDriverKills("rebuild", "table rebuild (designer), 1M rows");
}

TEST_F(CrashRunTest, ConsoleUpdateLeavesEveryRowOldOrEveryRowNew) {
  RunDriverKills("update", "console UPDATE, 1M rows");
}

TEST_F(CrashRunTest, CommitOfALargeTransactionLeavesItAllOrNothing) {
  RunDriverKills("commit", "COMMIT of a large transaction, 1M rows");
}

// The names in the backup folder `folder` (file-system bytes).
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

bool IsTemporary(const std::string& name) { return name.rfind(".torvane-backup-", 0) == 0; }

// Whether files `a` and `b` hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (fa && fb) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    if (fa.gcount() != fb.gcount() || !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin()))
      return false;
  }
  return fa.eof() && fb.eof();
}

TEST_F(CrashRunTest, BackupAtOpenLeavesNoPartialFileUnderABackupsName) {
  // A copy of the program of its own, whose backups go beside it in the temporary folder, as a
  // build tree's or a portable copy's do.
  const std::string program_dir = dir_.system_path() + "/program";
  fs::create_directories(program_dir);
  const fs::path built = TORVANE_PROGRAM;
  const std::string program = program_dir + "/torvane";
  fs::copy_file(built, program);
  for (const auto& entry : fs::directory_iterator(built.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && (name.ends_with(".txt") || name.ends_with(".md"))) {
      fs::copy_file(entry.path(), program_dir + "/" + name);
    }
  }
  const std::string folder = program_dir + "/" + ToUtf8("数据库备份");

  // A 200 MB database.
  const std::string file = dir_.system_path() + "/big.db";
  testing::MakeDatabase(FromUtf8(file),
                        "CREATE TABLE big(id INTEGER PRIMARY KEY, b BLOB);"
                        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c"
                        " WHERE i < 3200) INSERT INTO big SELECT i, randomblob(65536) FROM c;");
  ASSERT_GE(fs::file_size(file), 200u * 1000 * 1000);

  // Waits until the backup folder holds a file whose name `wanted` accepts, polling; false when
  // kRunLimit passes first.
  auto wait_for = [&](auto wanted) {
    const auto end = Clock::now() + kRunLimit;
    while (Clock::now() < end) {
      for (const std::string& name : Entries(folder)) {
        if (wanted(name)) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  };
  auto started = [](const std::string&) { return true; };
  auto finished = [](const std::string& name) { return !IsTemporary(name); };

  // Checks the folder after a run: every finished backup is the whole file; then deletes them,
  // leaving the temporary files for the next start to clear. "" when all is well.
  auto check_folder = [&]() {
    std::string problem;
    for (const std::string& name : Entries(folder)) {
      if (IsTemporary(name)) continue;
      if (!SameBytes(folder + "/" + name, file)) problem += " " + name + " is not the whole file;";
      fs::remove(folder + "/" + name);
    }
    return problem;
  };

  // Once to the end: how long the copy takes, from its temporary file's appearing to its naming.
  Clock::duration span{};
  {
    Child torvane({program, file}, Environment());
    ASSERT_TRUE(torvane.started());
    ASSERT_TRUE(wait_for(started)) << "no backup was begun";
    const auto start = Clock::now();
    ASSERT_TRUE(wait_for(finished)) << "the backup was never finished";
    span = Clock::now() - start;
    torvane.Kill();
  }
  ASSERT_EQ(check_folder(), "");
  std::printf("backup: the copy takes %.2f s\n", Seconds(span));

  std::mt19937_64 engine = SeededEngine();
  std::uniform_int_distribution<std::int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(span).count());
  int intact = 0, partial_left = 0;
  for (int point = 1; point <= kKillPoints; ++point) {
    const auto wait = std::chrono::microseconds(moment(engine));
    {
      Child torvane({program, file}, Environment());
      ASSERT_TRUE(torvane.started());
      // The temporary files an earlier kill left do not count as this run's start.
      const std::vector<std::string> left = Entries(folder);
      ASSERT_TRUE(wait_for([&](const std::string& name) {
        return std::find(left.begin(), left.end(), name) == left.end();
      })) << "no backup was begun";
      std::this_thread::sleep_for(wait);
      torvane.Kill();
    }
    for (const std::string& name : Entries(folder)) partial_left += IsTemporary(name) ? 1 : 0;
    const std::string problem = check_folder();
    if (problem.empty()) {
      ++intact;
    } else {
      ADD_FAILURE() << "backup, kill " << point << " at " << Seconds(wait) << " s:" << problem;
    }
  }
  std::printf("backup: %d kills, %d folders whole, %d temporary files seen after them\n",
              kKillPoints, intact, partial_left);

  // The next start clears what the killed programs left, and makes its backup whole.
  {
    Child torvane({program, file}, Environment());
    ASSERT_TRUE(torvane.started());
    ASSERT_TRUE(wait_for(finished)) << "the backup was never finished";
    torvane.Kill();
  }
  for (const std::string& name : Entries(folder)) {
    EXPECT_FALSE(IsTemporary(name)) << name << " was left behind by a killed program";
  }
  EXPECT_EQ(check_folder(), "");
  // The file itself was only read.
  Digests digests;
  EXPECT_EQ(CheckFile(file, digests), "");
  WriteFigures("backup at open, 200 MB", kKillPoints, intact);
}

}  // namespace
}  // namespace torvane
