#include "db/side_count.h"

#include <atomic>
#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/table_cursor.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::MakeDatabase;
using testing::RawDb;
using testing::TempDir;

// What a count handed over, and whether it did.
struct Result {
  std::atomic<std::int64_t> rows{-100};
  SideCount::Done Take() {
    return [this](std::int64_t found) { rows = found; };
  }
};

// The count runs on the table's own file, through its own connection: the Chinese name reaches
// the engine as the file keeps its texts.
TEST(SideCount, CountsTheTableOnAConnectionOfItsOwn) {
  TempDir dir;
  static const struct {
    const char* file;
    TextMode mode;
  } cases[] = {{"国标.sdb", TextMode::kGbk}, {"万国码.sdb", TextMode::kUtf8}};
  for (const auto& c : cases) {
    const std::string path = dir.Path(c.file);
    ZuveviRE db;
    ASSERT_TRUE(db.Open(path, true));
    db.SetTextMode(c.mode);
    ASSERT_TRUE(
        db.Execute("CREATE TABLE 商品(名称 TEXT);"
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
                   " INSERT INTO 商品 SELECT '货' || i FROM n;"));
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open("商品", db));
    Result result;
    std::unique_ptr<SideCount> count = cursor.CountRowsAside(result.Take());
    ASSERT_NE(count, nullptr) << c.file;
    count->Wait();
    EXPECT_EQ(result.rows, 1500) << c.file;
  }
}

// Where another connection would not see what this one sees, nothing is started: the caller
// counts on its own connection instead.
TEST(SideCount, NoneWhereAnotherConnectionCannotSeeTheRows) {
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("库.sdb"), true));
  ASSERT_TRUE(db.Execute("CREATE TABLE t(a); CREATE TEMP TABLE 临时(a); INSERT INTO t VALUES(1)"));
  SqliteTable cursor;
  Result result;
  ASSERT_TRUE(cursor.Open("临时", db));
  EXPECT_EQ(cursor.CountRowsAside(result.Take()), nullptr) << "a temporary table";
  ASSERT_TRUE(cursor.Open("t", db));
  ASSERT_TRUE(db.Execute("BEGIN; SELECT * FROM t"));
  EXPECT_NE(cursor.CountRowsAside(result.Take()), nullptr) << "a transaction that only read";
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES(2)"));
  EXPECT_EQ(cursor.CountRowsAside(result.Take()), nullptr) << "rows not committed yet";
  ASSERT_TRUE(db.Execute("COMMIT"));
  cursor.Close();
  EXPECT_EQ(cursor.CountRowsAside(result.Take()), nullptr) << "a closed cursor";

  ZuveviRE memory;
  ASSERT_TRUE(memory.Open("", true));
  ASSERT_TRUE(memory.Execute("CREATE TABLE t(a)"));
  ASSERT_TRUE(cursor.Open("t", memory));
  EXPECT_EQ(cursor.CountRowsAside(result.Take()), nullptr) << "a database in memory";
}

// A count waiting for a lock another program holds gives up as soon as it is stopped, not when
// the wait for the lock runs out; it hands over no count then.
TEST(SideCount, AStoppedCountEndsAtOnceAndCountsNothing) {
  TempDir dir;
  const std::string path = dir.Path("库.sdb");
  MakeDatabase(path, "CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path));
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  RawDb other(path);
  ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE; INSERT INTO t VALUES(2)"), "");
  Result result;
  std::unique_ptr<SideCount> count = cursor.CountRowsAside(result.Take());
  ASSERT_NE(count, nullptr);
  count->Stop();
  count->Stop();
  count.reset();
  EXPECT_EQ(result.rows, -1);
  other.Run("ROLLBACK");
}

// A statement that has to wait for a lock first runs the connection's busy hook, once per wait:
// the hook lets go of the lock that stands in the way and the write goes through.
TEST(SideCount, AWriteThatWaitsForALockRunsTheBusyHookFirst) {
  TempDir dir;
  const std::string path = dir.Path("库.sdb");
  MakeDatabase(path, "CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  RawDb reader(path);
  // A read transaction keeps its shared lock, which a commit has to wait for.
  reader.Run("BEGIN");
  ASSERT_EQ(reader.Value("SELECT count(*) FROM t"), "1");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path));
  int calls = 0;
  db.SetOnBusy([&] {
    ++calls;
    reader.Run("COMMIT");
  });
  EXPECT_TRUE(db.Execute("INSERT INTO t VALUES(2)")) << db.GetErrorText();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(reader.Value("SELECT count(*) FROM t"), "2");
}

}  // namespace
}  // namespace torvane
