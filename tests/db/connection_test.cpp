#include "db/connection.h"

#include "db/table_cursor.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "support/fault_vfs.h"
#include "support/file_state.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::FileCall;
using testing::OpenDescriptorsOf;
using testing::RawDb;
using testing::TempDir;
using Names = std::vector<std::string>;

TEST(Connection, OpenInMemoryOnlyWithCreate) {
  static const struct {
    const char* name;
    bool create;
    bool opens;
  } cases[] = {
      {"", true, true},           {":memory:", true, true}, {":MEMORY:", true, true},
      {":Memory:", true, true},   {"", false, false},       {":memory:", false, false},
      {":MEMORY:", false, false},
  };
  for (const auto& c : cases) {
    ZuveviRE db;
    EXPECT_EQ(db.Open(c.name, c.create), c.opens) << "name '" << c.name << "' create " << c.create;
    EXPECT_EQ(db.IsOpen(), c.opens);
    EXPECT_EQ(db.GetErrorText(), "");
    if (c.opens) {
      EXPECT_TRUE(db.Execute("CREATE TABLE t (a)"));
    }
  }
  ZuveviRE defaults;
  EXPECT_FALSE(defaults.Open());
  // No file of that name appears: the in-memory name never reaches the file system.
  EXPECT_FALSE(std::filesystem::exists(":memory:"));
  EXPECT_FALSE(std::filesystem::exists(":MEMORY:"));
}

TEST(Connection, OpenFileNeedsCreateWhenMissing) {
  TempDir dir;
  const std::string path = dir.Path("新 数据库.sdb");
  ZuveviRE db;
  EXPECT_FALSE(db.Open(path, false));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.GetErrorText(), "");
  EXPECT_FALSE(std::filesystem::exists(SystemPath(path)));

  ASSERT_TRUE(db.Open(path, true));
  // The engine made the file under its UTF-8 name.
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(path)));
  ASSERT_TRUE(db.Execute("CREATE TABLE 表一 (名称 TEXT)"));
  EXPECT_TRUE(db.Close());

  ASSERT_TRUE(db.Open(path, false));
  EXPECT_EQ(db.GetTableNames(true, false, false), Names{"表一"});
}

TEST(Connection, OpenInFolderThatDoesNotExistFails) {
  TempDir dir;
  ZuveviRE db;
  EXPECT_FALSE(db.Open(dir.Path("no/such/folder.sdb"), true));
  EXPECT_FALSE(db.IsOpen());
}

TEST(Connection, OpenFolderFails) {
  TempDir dir;
  ZuveviRE db;
  EXPECT_FALSE(db.Open(dir.Path(""), false));
  EXPECT_FALSE(db.Open(dir.Path(""), true));
  EXPECT_FALSE(db.IsOpen());
}

TEST(Connection, OpenWhileOpenClosesThePreviousConnection) {
  TempDir dir;
  const std::string first = dir.Path("first.sdb");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(first, true));
  ASSERT_TRUE(db.Execute("CREATE TABLE a (x)"));
  EXPECT_GE(OpenDescriptorsOf(SystemPath(first)), 1);

  ASSERT_TRUE(db.Open("", true));
  EXPECT_EQ(OpenDescriptorsOf(SystemPath(first)), 0);
  EXPECT_TRUE(db.GetTableNames(true, false, false).empty());

  ASSERT_TRUE(db.Open(first, false));
  EXPECT_EQ(db.GetTableNames(true, false, false), Names{"a"});
  // A refused open still closed what was open.
  EXPECT_FALSE(db.Open(dir.Path("missing.sdb"), false));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(OpenDescriptorsOf(SystemPath(first)), 0);
}

TEST(Connection, ClosedConnectionGivesFailureValues) {
  ZuveviRE db;
  EXPECT_FALSE(db.IsOpen());
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.Execute("CREATE TABLE t (a)"));
  EXPECT_EQ(db.GetErrorText(), "");
  EXPECT_EQ(db.GetErrorCode(), 0);
  EXPECT_EQ(db.GetLastInsertRowId(), 0);
  EXPECT_FALSE(db.BeginTransaction());
  EXPECT_FALSE(db.CommitTransaction());
  EXPECT_FALSE(db.RollbackTransaction());
  EXPECT_TRUE(db.GetTableNames(true, true, false).empty());
  EXPECT_FALSE(db.TableExists("t"));
  EXPECT_EQ(db.GetTableSql("t"), "");
  SqliteDataset query = db.Query("SELECT 1");
  EXPECT_FALSE(query.Requery());
  EXPECT_TRUE(query.GetAll(true).empty());
}

TEST(Connection, ExecuteRunsStatementsInOrderUntilTheFirstError) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  EXPECT_FALSE(db.Execute(""));
  EXPECT_TRUE(db.Execute("CREATE TABLE t (a); INSERT INTO t VALUES (1); SELECT * FROM t;"));
  EXPECT_EQ(db.GetErrorText(), "");
  EXPECT_EQ(db.GetErrorCode(), 0);
  EXPECT_FALSE(
      db.Execute("INSERT INTO t VALUES (2); INSERT INTO nowhere VALUES (3); "
                 "INSERT INTO t VALUES (4)"));
  EXPECT_EQ(db.GetErrorText(), "no such table: nowhere");
  EXPECT_EQ(db.GetErrorCode(), 1);
  SqliteDataset rows = db.Query("SELECT group_concat(a) FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "1,2");
}

// The statements are cut in the text the engine reads: a GBK database reads the trail byte of
// "乣" (0x60) as a closing backquote, a UTF-8 database never sees one inside a character.
TEST(Connection, SplitStatementsCutsTheTextTheEngineReads) {
  const std::string sql = "SELECT 1 AS `乣`; SELECT '中;文'";
  static const struct {
    TextMode mode;
    std::vector<std::string> statements;
  } cases[] = {
      {TextMode::kGbk, {sql}},
      {TextMode::kUtf8, {"SELECT 1 AS `乣`;", "SELECT '中;文'"}},
  };
  for (const auto& c : cases) {
    ZuveviRE db;
    ASSERT_TRUE(db.Open("", true));
    db.SetTextMode(c.mode);
    EXPECT_EQ(db.SplitStatements(sql), c.statements) << static_cast<int>(c.mode);
    EXPECT_TRUE(db.SplitStatements(" -- nothing\n;").empty());
  }
  // Closed, the text is cut as internal text.
  EXPECT_EQ(ZuveviRE().SplitStatements("SELECT 1;SELECT 2").size(), 2u);
}

TEST(Connection, TotalChangesCountRowsOfStatementsAndTriggers) {
  ZuveviRE db;
  EXPECT_EQ(db.GetTotalChanges(), 0);
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t (a); CREATE TABLE log (a);"
                 "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.a); END;"));
  EXPECT_EQ(db.GetTotalChanges(), 0);
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES (1), (2)"));
  EXPECT_EQ(db.GetTotalChanges(), 4);
  ASSERT_TRUE(db.Execute("UPDATE t SET a = a + 1; DELETE FROM log; CREATE TABLE u (b)"));
  EXPECT_EQ(db.GetTotalChanges(), 8);
  EXPECT_FALSE(db.Execute("INSERT INTO nowhere VALUES (1)"));
  EXPECT_EQ(db.GetTotalChanges(), 8);
}

TEST(Connection, ErrorTextIsTheEnginesAndEmptyAfterSuccess) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  EXPECT_EQ(db.GetErrorText(), "");
  EXPECT_FALSE(db.Execute("SELEC 1"));
  EXPECT_EQ(db.GetErrorText(), "near \"SELEC\": syntax error");
  // Refusals before the engine leave the message as it was.
  EXPECT_FALSE(db.Execute(""));
  EXPECT_FALSE(db.TableExists(""));
  EXPECT_EQ(db.GetErrorText(), "near \"SELEC\": syntax error");
  EXPECT_TRUE(db.Execute("CREATE TABLE t (a)"));
  EXPECT_EQ(db.GetErrorText(), "");

  // Long messages are cut to 199 bytes, never inside a two-byte character.
  std::string name = "x";
  for (int i = 0; i < 100; ++i) name += "中";
  EXPECT_FALSE(db.Execute("SELECT * FROM " + name));
  const std::string message = db.GetErrorText();
  EXPECT_EQ(message.size(), 198u);
  EXPECT_EQ(message, ("no such table: " + name).substr(0, 198));
  std::string ascii_name(300, 'y');
  EXPECT_FALSE(db.Execute("SELECT * FROM " + ascii_name));
  EXPECT_EQ(db.GetErrorText(), ("no such table: " + ascii_name).substr(0, 199));
}

TEST(Connection, LastInsertRowId) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  EXPECT_EQ(db.GetLastInsertRowId(), 0);
  ASSERT_TRUE(db.Execute("CREATE TABLE t (a); INSERT INTO t(rowid, a) VALUES (4000000000, 1)"));
  EXPECT_EQ(db.GetLastInsertRowId(), 4000000000);
}

TEST(Connection, Transactions) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.Execute("CREATE TABLE t (a)"));

  EXPECT_FALSE(db.IsInTransaction());
  ASSERT_TRUE(db.BeginTransaction());
  EXPECT_TRUE(db.IsInTransaction());
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES (1)"));
  EXPECT_FALSE(db.BeginTransaction());
  EXPECT_EQ(db.GetErrorText(), "cannot start a transaction within a transaction");
  ASSERT_TRUE(db.RollbackTransaction());
  EXPECT_FALSE(db.IsInTransaction());
  EXPECT_FALSE(db.CommitTransaction());
  EXPECT_EQ(db.GetErrorText(), "cannot commit - no transaction is active");
  EXPECT_FALSE(db.RollbackTransaction());

  ASSERT_TRUE(db.BeginTransaction("work"));
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES (2)"));
  ASSERT_TRUE(db.CommitTransaction("work"));
  SqliteDataset rows = db.Query("SELECT group_concat(a) FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "2");
}

TEST(Connection, TableNamesByKindAndCatalog) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE b (x); CREATE TABLE a (x); CREATE TABLE B2 (x);"
                 "CREATE TABLE \"my table\" (x); CREATE VIEW vb AS SELECT 1;"
                 "CREATE VIEW VA AS SELECT 1; CREATE INDEX ia ON a(x);"
                 "CREATE TRIGGER tr AFTER INSERT ON a BEGIN SELECT 1; END;"
                 "CREATE TEMP TABLE tt (x); CREATE TEMP VIEW tv AS SELECT 1"));
  static const struct {
    bool tables, views, temporary;
    Names expected;
  } cases[] = {
      {true, false, false, {"B2", "a", "b", "my table"}},  // engine byte order: capitals first
      {false, true, false, {"VA", "vb"}},
      {true, true, false, {"B2", "VA", "a", "b", "my table", "vb"}},
      {true, false, true, {"tt"}},
      {false, true, true, {"tv"}},
      {true, true, true, {"tt", "tv"}},
      {false, false, false, {}},
      {false, false, true, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db.GetTableNames(c.tables, c.views, c.temporary), c.expected)
        << c.tables << c.views << c.temporary;
  }
}

TEST(Connection, TableExistsMatchesByLikeInTheMainCatalog) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE axb (x); CREATE VIEW v1 AS SELECT 1; "
                 "CREATE TABLE \"it's\" (x); CREATE INDEX ix ON axb(x); "
                 "CREATE TEMP TABLE tmp (x); CREATE TABLE 商品 (x)"));
  static const struct {
    const char* name;
    bool exists;
  } cases[] = {
      {"axb", true}, {"AXB", true},  {"a_b", true},  {"a%", true},   {"%", true},
      {"v1", true},  {"V1", true},   {"it's", true}, {"商品", true}, {"ax", false},
      {"ix", false}, {"tmp", false}, {"", false},    {"'", false},   {"x' OR '1'='1", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db.TableExists(c.name), c.exists) << c.name;
    EXPECT_EQ(db.GetErrorText(), "") << c.name;
  }
}

TEST(Connection, TableSqlOfTablesAndViewsOnly) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t (a);"
                 "CREATE VIEW v AS SELECT a FROM t;"
                 "CREATE TABLE \"it's\" (q);"
                 "CREATE INDEX i ON t(a);"
                 "CREATE TRIGGER tr AFTER INSERT ON t BEGIN SELECT 1; END;"
                 "CREATE TEMP TABLE tt (b);"
                 "CREATE TEMP VIEW tv AS SELECT 2;"
                 "CREATE TEMP TABLE t (c)"));
  static const struct {
    const char* name;
    const char* sql;
  } cases[] = {
      {"t", "CREATE TABLE t (a)"},  // the main catalog is asked first
      {"v", "CREATE VIEW v AS SELECT a FROM t"},
      {"it's", "CREATE TABLE \"it's\" (q)"},
      {"tt", "CREATE TABLE tt (b)"},
      {"tv", "CREATE VIEW tv AS SELECT 2"},
      {"T", ""},  // exact name
      {"i", ""},
      {"tr", ""},
      {"missing", ""},
      {"", ""},
      {"' OR ''='", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db.GetTableSql(c.name), c.sql) << c.name;
    EXPECT_EQ(db.GetErrorText(), "") << c.name;
  }
}

TEST(Connection, CloseWhileARecordSetHoldsAStatement) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.Execute("CREATE TABLE t (a); INSERT INTO t VALUES (1), (2)"));
  SqliteDataset rows = db.Query("SELECT a FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_FALSE(db.Close());
  EXPECT_FALSE(db.IsOpen());
  EXPECT_TRUE(db.Close());
  // The record set still has its connection and keeps working.
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).rows(), 2);
  EXPECT_TRUE(rows.Close());

  // Once the statement is gone, closing works the first time.
  ASSERT_TRUE(db.Open("", true));
  SqliteDataset done = db.Query("SELECT 1");
  done.Close();
  EXPECT_TRUE(db.Close());
}

// The engine reads the file's header when it opens it: a read that fails there fails the open,
// and the reason stays with the closed connection until the next open.
TEST(Connection, AnOpenTheEngineFailsKeepsItsReason) {
  TempDir dir;
  const std::string path = dir.Path("库.sdb");
  testing::MakeDatabase(path, "CREATE TABLE t (a)");
  testing::ScopedFaultVfs vfs;
  ZuveviRE db;
  vfs.Fail(FileCall::kRead, 1, SQLITE_IOERR, false);
  EXPECT_FALSE(db.Open(path, false));
  EXPECT_EQ(vfs.failures(), 1);
  vfs.Heal();
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.GetErrorText(), "disk I/O error");
  EXPECT_EQ(db.GetErrorCode() & 0xff, SQLITE_IOERR);
  EXPECT_FALSE(db.LastFailure().ok());
  ASSERT_TRUE(db.Open(path, false));
  EXPECT_EQ(db.GetErrorText(), "");
  EXPECT_TRUE(db.Close());
  EXPECT_EQ(db.GetErrorText(), "");
}

TEST(Connection, NotADatabaseOpensButEveryReadFails) {
  TempDir dir;
  const std::string path = dir.Path("notes.sdb");
  const std::string content(4096, 'x');
  ASSERT_TRUE(WriteFile(path, TextToBytes(content)));
  ZuveviRE db;
  // The engine reads the file only when a statement needs it, so opening succeeds.
  ASSERT_TRUE(db.Open(path, false));
  EXPECT_TRUE(db.GetTableNames(true, false, false).empty());
  EXPECT_EQ(db.GetErrorText(), "file is not a database");
  EXPECT_EQ(db.GetErrorCode(), 26);
  EXPECT_FALSE(db.TableExists("t"));
  EXPECT_EQ(db.GetTableSql("t"), "");
  EXPECT_FALSE(db.Execute("CREATE TABLE t (a)"));
  EXPECT_FALSE(db.CreateTable("t", SqliteFieldInfo{"a", 3, 0}));
  EXPECT_FALSE(db.Execute("INSERT INTO t VALUES (1)"));
  EXPECT_EQ(db.GetErrorText(), "file is not a database");
  SqliteTable cursor;
  EXPECT_FALSE(cursor.Open("t", db));
  SqliteDataset query = db.Query("SELECT * FROM sqlite_master");
  EXPECT_FALSE(query.Requery());
  EXPECT_TRUE(db.Close());
  // Nothing was written into it.
  EXPECT_EQ(testing::FileBytes(SystemPath(path)), content);
  EXPECT_FALSE(std::filesystem::exists(SystemPath(path) + "-journal"));
}

// Only statements that would change the file ask the write gate, once each, before they run,
// through every way a statement runs: Execute and a record set alike.
TEST(Connection, WritesAskTheWriteGateFirst) {
  TempDir dir;
  const std::string path = dir.Path("门.sdb");
  testing::MakeDatabase(path, "CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path, false));
  int asked = 0;
  db.SetWriteGate([&] {
    ++asked;
    return std::string();
  });
  static const struct {
    const char* sql;
    bool asks;
  } cases[] = {
      {"SELECT * FROM t", false},
      {"PRAGMA user_version", false},
      {"PRAGMA foreign_keys = ON", false},
      {"BEGIN", false},
      {"SAVEPOINT s", false},
      {"RELEASE s", false},
      {"COMMIT", false},
      {"BEGIN IMMEDIATE", true},
      {"ROLLBACK", false},
      {"INSERT INTO t VALUES(2)", true},
      {"UPDATE t SET a = a + 1", true},
      {"DELETE FROM t WHERE a = 5", true},
      {"CREATE TABLE u(b)", true},
      {"CREATE TEMP TABLE v(c)", true},
      {"DROP TABLE u", true},
      {"PRAGMA user_version = 7", true},
      {"PRAGMA journal_mode = DELETE", true},
      {"VACUUM", true},
  };
  for (const auto& c : cases) {
    asked = 0;
    EXPECT_TRUE(db.Execute(c.sql)) << c.sql << ": " << db.GetErrorText();
    EXPECT_EQ(asked, c.asks ? 1 : 0) << c.sql;
  }
  asked = 0;
  SqliteDataset returning = db.Query("INSERT INTO t VALUES(3) RETURNING a");
  ASSERT_TRUE(returning.Requery()) << db.GetErrorText();
  EXPECT_EQ(asked, 1);
  asked = 0;
  SqliteDataset reading = db.Query("SELECT * FROM t");
  ASSERT_TRUE(reading.Requery());
  EXPECT_EQ(asked, 0);
}

// A refused statement has not run: it fails with the gate's text, and the statements before it in
// the same text stay done.
TEST(Connection, ARefusedWriteChangesNothing) {
  TempDir dir;
  const std::string path = dir.Path("门.sdb");
  testing::MakeDatabase(path, "CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path, false));
  db.SetWriteGate([] { return std::string("还不能写"); });
  const std::string before = testing::FileBytes(SystemPath(path));
  EXPECT_FALSE(db.Execute("PRAGMA foreign_keys = ON; INSERT INTO t VALUES(9)"));
  EXPECT_EQ(db.GetErrorText(), "还不能写");
  EXPECT_EQ(db.GetErrorCode(), SQLITE_ABORT);
  SqliteDataset returning = db.Query("DELETE FROM t RETURNING a");
  EXPECT_FALSE(returning.Requery());
  EXPECT_EQ(db.GetErrorText(), "还不能写");
  EXPECT_TRUE(db.BeginTransaction());
  EXPECT_FALSE(db.Execute("UPDATE t SET a = 2"));
  EXPECT_TRUE(db.IsInTransaction());  // the user's transaction stays, with nothing in it
  EXPECT_TRUE(db.CommitTransaction());
  EXPECT_EQ(testing::FileBytes(SystemPath(path)), before);
  db.SetWriteGate(nullptr);
  EXPECT_TRUE(db.Execute("INSERT INTO t VALUES(9)"));
  EXPECT_EQ(testing::QueryText(path, "SELECT group_concat(a) FROM t"), "1,9");
}

// A statement that has to wait for a lock asks the gate as its wait begins, since the lock may be
// the program's own on another connection: the gate may wait for that to let go; a refusal ends
// the wait at once. A commit asks only there: the writes inside the transaction asked before.
TEST(Connection, AWaitForALockAsksTheWriteGate) {
  TempDir dir;
  const std::string path = dir.Path("锁.sdb");
  testing::MakeDatabase(path, "CREATE TABLE t(a);");
  RawDb reader(path);
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path, false));
  for (const bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "refused" : "let go");
    db.SetWriteGate(nullptr);
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.Execute("INSERT INTO t VALUES(1)"));
    reader.Run("BEGIN; SELECT count(*) FROM t");
    int asked = 0;
    db.SetWriteGate([&] {
      ++asked;
      if (refuse) return std::string("不等了");
      reader.Run("COMMIT");
      return std::string();
    });
    EXPECT_EQ(db.CommitTransaction(), !refuse);
    EXPECT_EQ(asked, 1);
    if (refuse) {
      EXPECT_EQ(db.GetErrorText(), "不等了");
      EXPECT_EQ(db.GetErrorCode(), SQLITE_BUSY);
      EXPECT_TRUE(db.IsInTransaction());
      reader.Run("COMMIT");
      db.SetWriteGate(nullptr);
      EXPECT_TRUE(db.RollbackTransaction());
    }
  }
  EXPECT_EQ(testing::QueryText(path, "SELECT count(*) FROM t"), "1");
}

}  // namespace
}  // namespace torvane
