#include "db/record_set.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/connection.h"

namespace torvane {
namespace {

// The table as rows of texts, for comparing whole results.
std::vector<std::vector<std::string>> Cells(const TextTable& table) {
  std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(table.rows()));
  for (int r = 0; r < table.rows(); ++r) {
    for (int c = 0; c < table.columns(); ++c) cells[r].emplace_back(table.at(r, c));
  }
  return cells;
}

using Cells_ = std::vector<std::vector<std::string>>;

class RecordSet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Open("", true));
    ASSERT_TRUE(
        db_.Execute("CREATE TABLE t (a, b);"
                    "INSERT INTO t VALUES (1, 'one'), (2, NULL), (3, '')"));
  }
  std::string Count(const std::string& table) {
    SqliteDataset count = db_.Query("SELECT count(*) FROM " + table);
    return count.Requery() ? std::string(count.GetAll(false).at(0, 0)) : "<error>";
  }

  ZuveviRE db_;
};

TEST_F(RecordSet, RowsWithAndWithoutColumnNames) {
  SqliteDataset rows = db_.Query("SELECT a, b AS name FROM t ORDER BY a");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetRowCount(), 3);
  const TextTable plain = rows.GetAll(false);
  EXPECT_EQ(plain.rows(), 3);
  EXPECT_EQ(plain.columns(), 2);
  EXPECT_EQ(Cells(plain), (Cells_{{"1", "one"}, {"2", ""}, {"3", ""}}));
  const TextTable headed = rows.GetAll(true);
  EXPECT_EQ(headed.rows(), 4);
  EXPECT_EQ(Cells(headed), (Cells_{{"a", "name"}, {"1", "one"}, {"2", ""}, {"3", ""}}));
  // Outside the table every cell reads as "".
  for (const auto& [r, c] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 2}}) {
    EXPECT_EQ(headed.at(r, c), "") << r << "," << c;
  }
}

TEST_F(RecordSet, NoRowsGiveTheEmptyTableWithoutHeader) {
  SqliteDataset rows = db_.Query("SELECT a, b FROM t WHERE a > 10");
  EXPECT_TRUE(rows.GetAll(true).empty());  // before any Requery
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetRowCount(), 0);
  const TextTable table = rows.GetAll(true);
  EXPECT_EQ(table.rows(), 0);
  EXPECT_EQ(table.columns(), 0);
  EXPECT_TRUE(TextTable().empty());
  // The columns are known all the same, so an empty result can still show its header.
  EXPECT_EQ(rows.GetColumnNames(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SqliteDataset().GetColumnNames().empty());
  EXPECT_TRUE(db_.Query("SELECT 1 AS 列").GetColumnNames().empty());  // before any Requery
}

TEST_F(RecordSet, StatementsWithSideEffectsRunOncePerRequery) {
  SqliteDataset insert = db_.Query("INSERT INTO t VALUES (4, 'four')");
  ASSERT_TRUE(insert.Requery());
  EXPECT_TRUE(insert.GetAll(true).empty());
  EXPECT_TRUE(insert.GetAll(false).empty());
  EXPECT_EQ(Count("t"), "4");

  SqliteDataset returning =
      db_.Query("INSERT INTO t VALUES (5, 'five'), (6, 'six') RETURNING a, b");
  ASSERT_TRUE(returning.Requery());
  EXPECT_EQ(Cells(returning.GetAll(true)), (Cells_{{"a", "b"}, {"5", "five"}, {"6", "six"}}));
  EXPECT_EQ(Cells(returning.GetAll(false)), (Cells_{{"5", "five"}, {"6", "six"}}));
  EXPECT_EQ(Count("t"), "6");
  ASSERT_TRUE(returning.Requery());
  EXPECT_EQ(Count("t"), "8");
}

TEST_F(RecordSet, OnlyTheFirstStatementOfTheTextRuns) {
  SqliteDataset rows = db_.Query("SELECT count(*) FROM t; DELETE FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "3");
  EXPECT_EQ(Count("t"), "3");
}

TEST_F(RecordSet, SyntaxErrorDropsThePreviousStatement) {
  SqliteDataset rows;
  ASSERT_TRUE(rows.Open("SELECT a FROM t", db_));
  ASSERT_TRUE(rows.Requery());
  EXPECT_FALSE(rows.Open("SELEC a FROM t", db_));
  EXPECT_EQ(db_.GetErrorText(), "near \"SELEC\": syntax error");
  EXPECT_FALSE(rows.Requery());
  EXPECT_TRUE(rows.GetAll(true).empty());
  EXPECT_FALSE(rows.Open("SELECT missing FROM t", db_));
  EXPECT_EQ(db_.GetErrorText(), "no such column: missing");
}

TEST_F(RecordSet, RefusedOpenKeepsTheRecordSetAsItWas) {
  SqliteDataset rows;
  ASSERT_TRUE(rows.Open("SELECT a FROM t", db_));
  ASSERT_TRUE(rows.Requery());
  ZuveviRE closed;
  EXPECT_FALSE(rows.Open("SELECT 1", closed));
  EXPECT_FALSE(rows.Open("", db_));
  EXPECT_EQ(rows.GetAll(false).rows(), 3);
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).rows(), 3);

  SqliteDataset fresh = closed.Query("SELECT 1");
  EXPECT_FALSE(fresh.Requery());
  SqliteDataset empty_sql = db_.Query("");
  EXPECT_FALSE(empty_sql.Requery());
}

TEST_F(RecordSet, TextWithoutAStatementPreparesButCannotRun) {
  SqliteDataset rows;
  EXPECT_TRUE(rows.Open("  -- nothing here", db_));
  EXPECT_FALSE(rows.Requery());
  EXPECT_TRUE(rows.GetAll(true).empty());
}

TEST_F(RecordSet, AnErrorAfterSomeRowsKeepsThoseRows) {
  SqliteDataset rows =
      db_.Query("SELECT CASE WHEN a < 3 THEN a ELSE abs(a - 9223372036854775807 - 4) END FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_FALSE(rows.IsComplete());
  EXPECT_EQ(db_.GetErrorText(), "integer overflow");
  EXPECT_EQ(Cells(rows.GetAll(false)), (Cells_{{"1"}, {"2"}}));

  SqliteDataset at_once = db_.Query("SELECT abs(-9223372036854775807 - 1)");
  EXPECT_FALSE(at_once.Requery());
  EXPECT_EQ(db_.GetErrorText(), "integer overflow");
  EXPECT_TRUE(at_once.GetAll(true).empty());
}

TEST_F(RecordSet, ErrorTextIsEmptyAfterASuccessfulRun) {
  SqliteDataset rows = db_.Query("SELECT a FROM t");
  EXPECT_FALSE(rows.IsComplete());
  ASSERT_TRUE(rows.Requery());
  EXPECT_TRUE(rows.IsComplete());
  SqliteDataset moved = std::move(rows);
  EXPECT_TRUE(moved.IsComplete());
  EXPECT_EQ(db_.GetErrorText(), "");
  EXPECT_EQ(db_.GetErrorCode(), 0);
}

TEST_F(RecordSet, CellsKeepTheirBytes) {
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE v (x); INSERT INTO v VALUES"
                  " (x'610062'), (''), (NULL), ('中文'), (1.5), (-7), (x'')"));
  SqliteDataset rows = db_.Query("SELECT x FROM v ORDER BY rowid");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(Cells(rows.GetAll(false)),
            (Cells_{{std::string("a\0b", 3)}, {""}, {""}, {"中文"}, {"1.5"}, {"-7"}, {""}}));
}

// NULL reads as "" like an empty text or an empty byte value, and only NULL says it is one.
TEST_F(RecordSet, NullIsToldFromEmptyValues) {
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE n (x, y); INSERT INTO n VALUES"
                  " (NULL, ''), (x'', NULL), (0, 'NULL'), (NULL, NULL)"));
  SqliteDataset rows = db_.Query("SELECT x, y FROM n ORDER BY rowid");
  ASSERT_TRUE(rows.Requery());
  const TextTable table = rows.GetAll(true);
  EXPECT_EQ(Cells(table), (Cells_{{"x", "y"}, {"", ""}, {"", ""}, {"0", "NULL"}, {"", ""}}));
  const struct {
    int row, column;
    bool null;
  } cases[] = {
      {0, 0, false},  {0, 1, false},                 // the header row
      {1, 0, true},   {1, 1, false}, {2, 0, false},  // NULL, '', x''
      {2, 1, true},   {3, 0, false}, {3, 1, false},  // NULL, 0, 'NULL'
      {4, 0, true},   {4, 1, true},                  // NULL, NULL
      {-1, 0, false}, {5, 0, false}, {1, 2, false},  // outside
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.IsNull(c.row, c.column), c.null) << c.row << "," << c.column;
  }
  // Without the header row the same cells one row up.
  EXPECT_TRUE(rows.GetAll(false).IsNull(0, 0));
  EXPECT_FALSE(rows.GetAll(false).IsNull(0, 1));
}

TEST_F(RecordSet, ATableStaysValidAfterTheRecordSetMovesOn) {
  SqliteDataset rows = db_.Query("SELECT a, b FROM t ORDER BY a");
  ASSERT_TRUE(rows.Requery());
  const TextTable before = rows.GetAll(true);
  ASSERT_TRUE(db_.Execute("UPDATE t SET b = 'changed'"));
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 1), "changed");
  ASSERT_TRUE(rows.Open("SELECT 1", db_));
  rows.Close();
  EXPECT_EQ(Cells(before), (Cells_{{"a", "b"}, {"1", "one"}, {"2", ""}, {"3", ""}}));
  TextTable copy = before;
  EXPECT_EQ(copy.at(1, 1), "one");
}

TEST_F(RecordSet, CloseEmptiesIt) {
  SqliteDataset rows = db_.Query("SELECT a FROM t");
  ASSERT_TRUE(rows.Requery());
  EXPECT_TRUE(rows.Close());
  EXPECT_FALSE(rows.Requery());
  EXPECT_TRUE(rows.GetAll(true).empty());
  EXPECT_EQ(rows.GetRowCount(), 0);
  EXPECT_TRUE(rows.Close());
}

TEST_F(RecordSet, MovesCarryTheStatement) {
  SqliteDataset first = db_.Query("SELECT a FROM t");
  SqliteDataset second(std::move(first));
  EXPECT_FALSE(first.Requery());  // NOLINT(bugprone-use-after-move): moved-from is empty
  ASSERT_TRUE(second.Requery());
  SqliteDataset third = db_.Query("SELECT b FROM t");
  third = std::move(second);
  ASSERT_TRUE(third.Requery());
  EXPECT_EQ(Cells(third.GetAll(false)), (Cells_{{"1"}, {"2"}, {"3"}}));
  third = db_.Query("SELECT 'x'");
  ASSERT_TRUE(third.Requery());
  EXPECT_EQ(third.GetAll(false).at(0, 0), "x");
  // Only the last one still holds a statement.
  third.Close();
  EXPECT_TRUE(db_.Close());
}

TEST_F(RecordSet, LargeResultsAcrossStorageBlocks) {
  // Cells of every size, some far beyond one storage block, in many rows.
  ASSERT_TRUE(db_.Execute(
      "CREATE TABLE big (n, s); WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k "
      "WHERE i < 30000) INSERT INTO big SELECT i, CASE WHEN i % 10000 = 5 THEN "
      "printf('%.*c', 3000000, 'z') ELSE substr('abcdefghijklmnopqrstuvwxyz', 1, i % 27) END "
      "FROM k"));
  SqliteDataset rows = db_.Query("SELECT n, s, length(s) FROM big ORDER BY n");
  ASSERT_TRUE(rows.Requery());
  const TextTable table = rows.GetAll(true);
  ASSERT_EQ(table.rows(), 30002);
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  for (int i = 0; i <= 30000; ++i) {
    const std::string s = table.at(i + 1, 1);
    ASSERT_EQ(table.at(i + 1, 0), std::to_string(i));
    if (i % 10000 == 5) {
      ASSERT_EQ(s.size(), 3000000u) << i;
      ASSERT_EQ(s.find_first_not_of('z'), std::string_view::npos) << i;
    } else {
      ASSERT_EQ(s, alphabet.substr(0, static_cast<std::size_t>(i % 27))) << i;
    }
    ASSERT_EQ(table.at(i + 1, 2), std::to_string(s.size()));
  }
}

// Read in steps, a result is the same as read at once; a table handed out early sees the rows read
// after it, and a failure part way keeps the rows before it.
TEST_F(RecordSet, RowsReadInStepsAreTheRowsReadAtOnce) {
  ASSERT_TRUE(
      db_.Execute("WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"
                  " INSERT INTO t SELECT i, '行' || i FROM n;"));
  const std::string sql = "SELECT a, b, length(b) FROM t ORDER BY a";
  SqliteDataset whole = db_.Query(sql);
  ASSERT_TRUE(whole.Requery());
  SqliteDataset steps = db_.Query(sql);
  EXPECT_FALSE(steps.IsFetching());
  ASSERT_TRUE(steps.Start());
  EXPECT_TRUE(steps.IsFetching());
  const TextTable early = steps.GetAll(true);
  EXPECT_EQ(early.rows(), 0);  // nothing read yet
  EXPECT_EQ(steps.GetColumnNames(), (std::vector<std::string>{"a", "b", "length(b)"}));
  ASSERT_EQ(steps.Fetch(10, UINT64_MAX), SqliteDataset::Fetched::kMore);
  EXPECT_EQ(steps.GetRowCount(), 10);
  // However late it is, every step reads a row.
  ASSERT_EQ(steps.Fetch(SIZE_MAX, 0), SqliteDataset::Fetched::kMore);
  EXPECT_GE(steps.GetRowCount(), 11);
  const TextTable handed_out = steps.GetAll(true);
  ASSERT_EQ(steps.Fetch(SIZE_MAX, UINT64_MAX), SqliteDataset::Fetched::kDone);
  EXPECT_FALSE(steps.IsFetching());
  EXPECT_TRUE(steps.IsComplete());
  EXPECT_FALSE(steps.FailedAtOnce());
  EXPECT_EQ(steps.GetRowCount(), 1000);
  EXPECT_EQ(Cells(handed_out), Cells(whole.GetAll(true)));
  EXPECT_EQ(steps.Fetch(SIZE_MAX, UINT64_MAX), SqliteDataset::Fetched::kDone);

  // A failure part way: the rows before it are kept, the result is not complete.
  SqliteDataset failing = db_.Query(
      "SELECT a, abs(CASE WHEN a = 500 THEN -9223372036854775807 - 1"
      " ELSE a END) FROM t");
  ASSERT_TRUE(failing.Start());
  ASSERT_EQ(failing.Fetch(100, UINT64_MAX), SqliteDataset::Fetched::kMore);
  ASSERT_EQ(failing.Fetch(SIZE_MAX, UINT64_MAX), SqliteDataset::Fetched::kFailed);
  EXPECT_EQ(failing.GetRowCount(), 499);
  EXPECT_FALSE(failing.IsComplete());
  EXPECT_FALSE(failing.FailedAtOnce());
  EXPECT_EQ(db_.GetErrorText(), "integer overflow");
  // A failure at the first step has no rows.
  SqliteDataset at_once = db_.Query("SELECT abs(-9223372036854775807 - 1)");
  ASSERT_TRUE(at_once.Start());
  EXPECT_EQ(at_once.Fetch(100, UINT64_MAX), SqliteDataset::Fetched::kFailed);
  EXPECT_TRUE(at_once.FailedAtOnce());
  EXPECT_FALSE(at_once.Requery());
}

// A reading stopped part way keeps its rows and lets go of the file: another connection can write
// to it at once.
TEST(RecordSetFile, AStoppedReadingKeepsItsRowsAndHoldsNoLock) {
  const std::string folder = ::testing::TempDir() + "record_set_stop";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/rows.sdb";
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path, true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t(a);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                 " INSERT INTO t SELECT i FROM n;"));
  SqliteDataset rows = db.Query("SELECT a FROM t");
  ASSERT_TRUE(rows.Start());
  ASSERT_EQ(rows.Fetch(100, UINT64_MAX), SqliteDataset::Fetched::kMore);
  ZuveviRE other;
  ASSERT_TRUE(other.Open(path, false));
  other.SetBusyTimeout(0);
  // While the rows are being read, the file is locked for writing.
  EXPECT_FALSE(other.Execute("INSERT INTO t VALUES (0)"));
  rows.StopFetching();
  EXPECT_FALSE(rows.IsFetching());
  EXPECT_FALSE(rows.IsComplete());
  EXPECT_EQ(rows.GetRowCount(), 100);
  EXPECT_EQ(rows.GetAll(false).at(99, 0), "100");
  EXPECT_TRUE(other.Execute("INSERT INTO t VALUES (0)"));
  // Started again, it reads from the beginning.
  ASSERT_TRUE(rows.Start());
  EXPECT_EQ(rows.Fetch(SIZE_MAX, UINT64_MAX), SqliteDataset::Fetched::kDone);
  EXPECT_EQ(rows.GetRowCount(), 5001);
  rows.Close();
  other.Close();
  db.Close();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace torvane
