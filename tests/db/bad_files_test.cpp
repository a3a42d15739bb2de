// Files the layer cannot use as asked: read-only, unreadable, locked by another connection or
// process. Every operation gives its failure value and the engine's message, and nothing is
// written that was not asked for.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/files.h"
#include "db/db.h"
#include "support/file_state.h"
#include "support/locking_process.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace torvane {
namespace {

using testing::FileBytes;
using testing::RawDb;
using testing::RunUnprivileged;
using testing::TempDir;

// Collects failed checks of a child process as text.
class Report {
 public:
  void Check(bool ok, const std::string& what) {
    if (!ok) text_ += what + "\n";
  }
  std::string text() const { return text_; }

 private:
  std::string text_;
};

class BadFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("data.sdb");
    RawDb raw(path_);
    ASSERT_EQ(raw.Exec("CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 'one'), (2, 'two')"), "");
  }
  std::string system_path() const { return SystemPath(path_); }

  TempDir dir_;
  std::string path_;
};

TEST_F(BadFiles, ReadOnlyFileReadsButRefusesEveryWrite) {
  // The folder must be open to the unprivileged user; the file is not writable by it.
  ASSERT_EQ(::chmod(dir_.system_path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(system_path().c_str(), 0444), 0);
  const std::string before = FileBytes(system_path());
  const std::string path = path_;
  const std::string report = RunUnprivileged([path]() {
    Report r;
    r.Check(::geteuid() != 0, "runs unprivileged");
    const std::string readonly = "attempt to write a readonly database";
    ZuveviRE db;
    r.Check(db.Open(path, false), "open");
    r.Check(db.GetTableNames(true, false, false) == std::vector<std::string>{"t"}, "names");
    SqliteTable cursor;
    r.Check(cursor.Open("t", db) && cursor.GetRecordCount() == 2, "cursor open");
    std::string value;
    r.Check(cursor.GoTo(2) && cursor.ReadField(2, value) && value == "two", "read field");
    SqliteDataset rows = db.Query("SELECT a FROM t");
    r.Check(rows.Requery() && rows.GetAll(false).rows() == 2, "query");
    rows.Close();

    r.Check(!db.Execute("INSERT INTO t VALUES (3, 'three')"), "insert refused");
    r.Check(db.GetErrorText() == readonly, "insert message: " + db.GetErrorText());
    r.Check(!db.CreateTable("u", SqliteFieldInfo{"x", 3, 0}), "create refused");
    r.Check(!db.DropTable("t"), "drop refused");
    r.Check(cursor.Edit() && cursor.SetField(2, "zwei") && !cursor.Update(), "update refused");
    r.Check(db.GetErrorText() == readonly, "update message: " + db.GetErrorText());
    r.Check(cursor.AddNew() && cursor.SetField(1, 9) && !cursor.Update(), "insert refused");
    r.Check(cursor.GoTo(1) && !cursor.Delete(), "delete refused");
    r.Check(db.GetErrorText() == readonly, "delete message: " + db.GetErrorText());
    r.Check(cursor.GetRecordCount() == 2, "records kept");
    return r.text();
  });
  if (report == "skip") GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(report, "");
  EXPECT_EQ(FileBytes(system_path()), before);
}

TEST_F(BadFiles, UnreadableFileIsNotOpened) {
  ASSERT_EQ(::chmod(dir_.system_path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(system_path().c_str(), 0000), 0);
  const std::string path = path_;
  const std::string report = RunUnprivileged([path]() {
    Report r;
    ZuveviRE db;
    r.Check(!db.Open(path, false), "open refused");
    r.Check(!db.IsOpen() && db.GetErrorText().empty(), "closed without message");
    // Asked to create it, the engine tries and fails.
    r.Check(!db.Open(path, true), "create refused");
    return r.text();
  });
  if (report == "skip") GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(report, "");
}

TEST_F(BadFiles, LockedByAnotherConnection) {
  RawDb other(path_);
  ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE; INSERT INTO t VALUES (3, 'three')"), "");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path_, false));
  // The lock is held until the test lets go of it: waiting for it would only slow the test.
  db.SetBusyTimeout(0);
  EXPECT_TRUE(db.GetTableNames(true, false, false).empty());
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  EXPECT_EQ(db.GetErrorCode(), 5);
  EXPECT_FALSE(db.Execute("INSERT INTO t VALUES (4, 'four')"));
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  EXPECT_FALSE(db.TableExists("t"));
  EXPECT_EQ(db.GetTableSql("t"), "");
  SqliteTable cursor;
  EXPECT_FALSE(cursor.Open("t", db));
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  // Preparing needs the schema, so the record set gets no statement.
  SqliteDataset rows;
  EXPECT_FALSE(rows.Open("SELECT a FROM t", db));
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  EXPECT_FALSE(rows.Requery());
  EXPECT_TRUE(rows.GetAll(true).empty());

  ASSERT_EQ(other.Exec("COMMIT"), "");
  ASSERT_TRUE(cursor.Open("t", db));
  EXPECT_EQ(cursor.GetRecordCount(), 3);
  ASSERT_TRUE(rows.Open("SELECT a FROM t", db));
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).rows(), 3);
}

TEST_F(BadFiles, WritesWaitForNobodyWhileAnotherConnectionWrites) {
  RawDb other(path_);
  ASSERT_EQ(other.Exec("BEGIN IMMEDIATE; UPDATE t SET b = 'pending'"), "");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path_, false));
  // The lock is held until the test lets go of it: waiting for it would only slow the test.
  db.SetBusyTimeout(0);
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));  // reading is still allowed
  ASSERT_TRUE(cursor.GoTo(1));
  std::string value;
  ASSERT_TRUE(cursor.ReadField("b", value));
  EXPECT_EQ(value, "one");
  ASSERT_TRUE(cursor.Edit());
  ASSERT_TRUE(cursor.SetField("b", "mine"));
  EXPECT_FALSE(cursor.Update());
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  EXPECT_FALSE(cursor.Delete());
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  EXPECT_FALSE(db.CreateTable("u", SqliteFieldInfo{"x", 3, 0}));
  EXPECT_FALSE(db.DropTable("t"));
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  ASSERT_EQ(other.Exec("ROLLBACK"), "");
  EXPECT_EQ(other.Value("SELECT group_concat(b) FROM t"), "one,two");
}

TEST_F(BadFiles, LockedByAnotherProcess) {
  testing::LockingProcess other(system_path(), "BEGIN EXCLUSIVE; DELETE FROM t", "ROLLBACK");
  ASSERT_TRUE(other.holds());

  ZuveviRE db;
  ASSERT_TRUE(db.Open(path_, false));
  // The lock is held until the test lets go of it: waiting for it would only slow the test.
  db.SetBusyTimeout(0);
  EXPECT_FALSE(db.Execute("INSERT INTO t VALUES (5, 'five')"));
  EXPECT_EQ(db.GetErrorText(), "database is locked");
  SqliteTable cursor;
  EXPECT_FALSE(cursor.Open("t", db));

  other.Wait();
  // The other process rolled back: everything is as before, and usable.
  ASSERT_TRUE(cursor.Open("t", db));
  EXPECT_EQ(cursor.GetRecordCount(), 2);
}

// Another program that holds the file locked for a moment (its own short write) is waited for: the
// write that comes meanwhile succeeds once the lock is gone, instead of failing at once.
TEST_F(BadFiles, AShortLockIsWaitedFor) {
  // Still held a moment after the test starts writing.
  testing::LockingProcess other(system_path(), "BEGIN EXCLUSIVE; UPDATE t SET b = 'other'",
                                "COMMIT", 300);
  ASSERT_TRUE(other.holds());

  ZuveviRE db;
  ASSERT_TRUE(db.Open(path_, false));
  other.Release();
  EXPECT_TRUE(db.Execute("INSERT INTO t VALUES (5, 'five')")) << db.GetErrorText();
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  ASSERT_TRUE(cursor.GoTo(1));
  ASSERT_TRUE(cursor.Edit());
  ASSERT_TRUE(cursor.SetField("b", "mine"));
  EXPECT_TRUE(cursor.Update()) << db.GetErrorText();
  other.Wait();
  RawDb check(path_);
  EXPECT_EQ(check.Value("SELECT group_concat(b) FROM t"), "mine,other,five");
}

}  // namespace
}  // namespace torvane
