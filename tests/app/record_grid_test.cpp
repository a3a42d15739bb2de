#include "app/record_grid.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "editing/record_commands.h"
#include "support/app_fixture.h"
#include "support/statement_log.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::MakeDatabase;
using testing::QueryText;

TEST(BrowseInfoText, ReportsCountLimitAndTime) {
  static const struct {
    std::int64_t count;
    double ms;
    ItemKind kind;
    const char* read_only;
    const char* text;
  } cases[] = {
      {2500, 31, ItemKind::kTable, "",
       "共2500条记录，显示前1000条，耗时31毫秒。可直接修改文本字段。"},
      {12, 0, ItemKind::kView, "", "共12条记录，已全部显示，耗时0毫秒。"},
      {1000, 5, ItemKind::kView, "", "共1000条记录，显示前1000条，耗时5毫秒。"},
      {999, 5, ItemKind::kTable, "", "共999条记录，已全部显示，耗时5毫秒。可直接修改文本字段。"},
      {3000000000, 2, ItemKind::kTable, "",
       "共3000000000条记录，显示前1000条，耗时2毫秒。可直接修改文本字段。"},
      {kCountPending, 4, ItemKind::kTable, "",
       "正在统计记录数，显示前1000条，耗时4毫秒。可直接修改文本字段。"},
      {kCountPending, 4, ItemKind::kView, "", "正在统计记录数，显示前1000条，耗时4毫秒。"},
      {kCountFailed, 4, ItemKind::kTable, "只读。",
       "记录数统计失败，显示前1000条，耗时4毫秒。只读。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BrowseInfoText(c.count, {1000, c.ms, c.kind, c.read_only}), c.text) << c.text;
  }
}

TEST_F(AppTest, BrowseShowsRowsDefinitionCountsAndLogs) {
  const std::string path = MakeDb(
      "CREATE TABLE 销售(编号 INTEGER PRIMARY KEY, 名称 TEXT, 价格);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
      " INSERT INTO 销售(名称, 价格) SELECT '商品' || i, NULL FROM n;");
  Start({path});
  SelectTreeItem("销售");
  WaitForCount();
  Grid& grid = window_.grid();
  EXPECT_EQ(window_.definition_box().Content(),
            "CREATE TABLE 销售(编号 INTEGER PRIMARY KEY, 名称 TEXT, 价格)");
  ASSERT_EQ(grid.RowCount(), 1001);
  ASSERT_EQ(grid.ColumnCount(), 4);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedColumns(), 1);
  EXPECT_EQ(grid.CellText(0, 0), "序号");
  EXPECT_EQ(grid.CellText(0, 2), "名称");
  EXPECT_EQ(grid.CellText(1, 0), "1");
  EXPECT_EQ(grid.CellText(1000, 0), "1000");
  EXPECT_EQ(grid.CellText(1000, 2), "商品1000");
  EXPECT_EQ(grid.CellText(5, 3), "");  // NULL
  const std::string info = window_.info_box().Content();
  EXPECT_EQ(info.rfind("共1500条记录，显示前1000条，耗时", 0), 0u) << info;
  EXPECT_NE(info.find("毫秒。可直接修改文本字段。"), std::string::npos);
  EXPECT_EQ(window_.record_number_box().ItemCount(), 1000);
  EXPECT_EQ(window_.record_number_box().ItemText(999), "1000");
  EXPECT_EQ(window_.record_number_box().SelectedIndex(), -1);
  EXPECT_EQ(window_.field_name_box().ItemCount(), 3);
  EXPECT_EQ(window_.field_name_box().ItemText(1), "名称");
  EXPECT_TRUE(window_.field_panel().IsVisible());
  EXPECT_EQ(LastLogLine(), "打开表：销售");
}

// A browse makes each column as wide as its first rows' texts need, up to a limit however long a
// value is; a NULL and an empty text both read as "". Shown again, the table keeps its widths.
TEST_F(AppTest, BrowseFitsColumnsToTheirTexts) {
  const std::string path = MakeDb(
      "CREATE TABLE 文章(编号 INTEGER PRIMARY KEY, 标题 TEXT, 正文 TEXT, 备注 TEXT);"
      "INSERT INTO 文章(标题, 正文, 备注) VALUES"
      " ('短', replace(hex(zeroblob(500000)), '0', '长文'), NULL),"
      " ('一个比列宽长一些的标题', 'x', '');");
  Start({path});
  SelectTreeItem("文章");
  Grid& grid = window_.grid();
  ASSERT_EQ(grid.ColumnCount(), 5);
  EXPECT_EQ(QueryText(path, "SELECT length(CAST(正文 AS BLOB)) FROM 文章 WHERE 编号 = 1"),
            "4000000");
  const struct {
    int column;
    int narrowest, widest;
  } cases[] = {
      {0, 60, 60},    // 序号
      {1, 60, 60},    // 编号
      {2, 100, 299},  // 标题: eleven characters
      {3, 300, 300},  // 正文: four megabytes
      {4, 60, 60},    // 备注: NULL and ""
  };
  std::vector<int> widths;
  for (const auto& c : cases) {
    widths.push_back(grid.ColumnWidth(c.column));
    EXPECT_GE(widths.back(), c.narrowest) << c.column;
    EXPECT_LE(widths.back(), c.widest) << c.column;
  }
  EXPECT_EQ(grid.CellText(1, 4), "");
  EXPECT_EQ(grid.CellText(2, 4), "");
  ReloadShownTable(app_);
  for (const auto& c : cases) EXPECT_EQ(grid.ColumnWidth(c.column), widths[c.column]);
}

TEST_F(AppTest, EmptyTableShowsOnlyTheHeaderCells) {
  Start({MakeDb("CREATE TABLE 空表(a, b);")});
  SelectTreeItem("空表");
  EXPECT_EQ(window_.grid().RowCount(), 1);
  EXPECT_EQ(window_.grid().ColumnCount(), 2);
  EXPECT_EQ(window_.grid().CellText(0, 0), "序号");
  EXPECT_EQ(window_.grid().CellText(0, 1), "");
  EXPECT_EQ(window_.info_box().Content().rfind("共0条记录，已全部显示，", 0), 0u);
  EXPECT_EQ(window_.record_number_box().ItemCount(), 0);
  EXPECT_EQ(window_.field_name_box().ItemCount(), 2);
}

TEST_F(AppTest, ViewIsShownWithoutTheFieldPanelAndIsNotEdited) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a); INSERT INTO t VALUES('x'); CREATE VIEW 视图一 AS SELECT a FROM t;");
  Start({path});
  SelectTreeItem("视图一");
  const std::string info = window_.info_box().Content();
  EXPECT_EQ(info.find("可直接修改文本字段。"), std::string::npos) << info;
  EXPECT_FALSE(window_.field_panel().IsVisible());
  EXPECT_EQ(LastLogLine(), "打开视图：视图一");
  if (window_.grid().RowCount() == 2) {  // the engine could select the view's rows
    Grid& grid = window_.grid();
    grid.SetCurrentCell(1, 1);
    grid.on_editing_begins();
    grid.SetCellText(1, 1, "changed");
    grid.on_editing_ends();
    EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "x");
  }
}

TEST_F(AppTest, NamesThatNeedQuotingCanBeBrowsedAndEdited) {
  const std::string path = MakeDb(
      "CREATE TABLE \"my table\"(\"select\", b); INSERT INTO \"my table\" VALUES('v', 1);"
      "CREATE TABLE \"t where 1=1 --\"(a); INSERT INTO \"t where 1=1 --\" VALUES(1), (2);");
  Start({path});
  SelectTreeItem("my table");
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(window_.grid().CellText(0, 1), "select");
  EXPECT_EQ(window_.grid().CellText(1, 1), "v");

  Grid& grid = window_.grid();
  grid.SetCurrentCell(1, 1);
  grid.on_editing_begins();
  grid.SetCellText(1, 1, "w");
  grid.on_editing_ends();
  EXPECT_EQ(QueryText(path, "SELECT \"select\" FROM \"my table\""), "w");

  SelectTreeItem("t where 1=1 --");
  EXPECT_EQ(window_.grid().RowCount(), 3);
}

TEST_F(AppTest, GridEditWritesTheFileAndLogs) {
  const std::string path = MakeDb(
      "CREATE TABLE 商品(编号 INTEGER PRIMARY KEY, 名称 TEXT, 价格 INTEGER);"
      "INSERT INTO 商品 VALUES(1, '苹果', 5), (7, NULL, 3);");
  Start({path});
  SelectTreeItem("商品");
  Grid& grid = window_.grid();

  // The second grid row is the record with row id 7; its NULL shows as an empty cell.
  grid.SetCurrentCell(2, 2);
  EXPECT_EQ(window_.record_number_box().SelectedIndex(), 1);
  EXPECT_EQ(window_.field_name_box().SelectedIndex(), 1);
  grid.on_editing_begins();
  EXPECT_EQ(state_.EditStartText, "");
  grid.SetCellText(2, 2, "香蕉");
  grid.on_editing_ends();
  EXPECT_EQ(QueryText(path, "SELECT 名称 FROM 商品 WHERE 编号 = 7"), "香蕉");
  EXPECT_EQ(LastLogLine(), "已修改 名称 字段值：香蕉");

  // A number typed into an integer column is written as text; the column's affinity stores 9.
  grid.SetCurrentCell(1, 3);
  grid.on_editing_begins();
  grid.SetCellText(1, 3, "9");
  grid.on_editing_ends();
  EXPECT_EQ(QueryText(path, "SELECT typeof(价格) || 价格 FROM 商品 WHERE 编号 = 1"), "integer9");

  // Unchanged text writes and logs nothing.
  const std::string log = window_.log_box().Content();
  grid.on_editing_begins();
  grid.on_editing_ends();
  EXPECT_EQ(window_.log_box().Content(), log);
  EXPECT_TRUE(services_.message_boxes().empty());
}

TEST_F(AppTest, GridEditOnALockedDatabaseReportsTheEngineError) {
  const std::string path = MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('old');");
  Start({path});
  SelectTreeItem("t");
  // Another connection holds the write lock (readers may still read).
  testing::RawDb other(path);
  ASSERT_EQ(other.Exec("BEGIN IMMEDIATE"), "");
  // The lock is held throughout: waiting for it would only slow the test.
  state_.Connection.SetBusyTimeout(0);

  Grid& grid = window_.grid();
  grid.SetCurrentCell(1, 1);
  grid.on_editing_begins();
  grid.SetCellText(1, 1, "new");
  grid.on_editing_ends();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "修改字段值失败！错误信息如下：\r\n\r\ndatabase is locked");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(services_.message_boxes()[0].caption, "错误：");
  EXPECT_EQ(grid.CellText(1, 1), "old");  // the cell shows what the file holds
  other.Run("ROLLBACK");
  EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "old");
}

TEST_F(AppTest, AResultOfManyRowsFillsTheGridAndMakesWayForTheNext) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a INTEGER, b TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000)"
      " INSERT INTO t SELECT i, '行' || i FROM n;");
  Start({path});
  ASSERT_TRUE(state_.RecordSet.Open("SELECT a, b FROM t ORDER BY a", state_.Connection));
  ASSERT_TRUE(state_.RecordSet.Requery());
  Grid& grid = window_.grid();
  FillGrid(grid, state_.RecordSet.GetAll(true), true, true);
  Runtime::ProcessEvents();
  ASSERT_EQ(grid.RowCount(), 200001);
  ASSERT_EQ(grid.ColumnCount(), 3);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedColumns(), 1);
  static const struct {
    int row, column;
    const char* text;
  } cases[] = {{0, 0, "序号"},         {0, 2, "b"},           {1, 0, "1"},
               {1, 2, "行1"},          {100000, 1, "100000"}, {200000, 0, "200000"},
               {200000, 2, "行200000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(grid.CellText(c.row, c.column), c.text) << c.row << "," << c.column;
  }
  grid.SetCurrentCell(200000, 2);
  EXPECT_EQ(grid.CurrentRow(), 200000);

  // A browse of the table afterwards shows its first rows only; a group shows no data.
  SelectTreeItem("t");
  EXPECT_EQ(grid.RowCount(), 1001);
  EXPECT_EQ(grid.CellText(1000, 2), "行1000");
  window_.tree().SetSelectedIndex(0);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.ColumnCount(), 1);
  EXPECT_EQ(grid.CellText(0, 0), "无数据");
}

// A browse reads the rows it shows, their keys and the count, never every key of the table: the
// first rows show as soon at ten million rows as at ten. Records further down another program
// deletes meanwhile leave the shown rows addressed by their own keys.
TEST_F(AppTest, ABrowseReadsTheShownRowsAndTheCountButNotEveryKey) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a INTEGER, b TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
      " INSERT INTO t SELECT i, '行' || i FROM n;");
  testing::StatementLog log;
  Start({path});
  (void)log.Take();
  SelectTreeItem("t");
  for (const std::string& statement : log.Take()) {
    EXPECT_NE(statement, "SELECT _ROWID_ FROM t ORDER BY _ROWID_ ") << "every key was read";
  }
  Grid& grid = window_.grid();
  EXPECT_EQ(grid.RowCount(), 1001);
  WaitForCount();
  EXPECT_EQ(window_.info_box().Content().rfind("共1500条记录，显示前1000条，", 0), 0u)
      << window_.info_box().Content();
  // Rows before the last shown one go; the last shown row still edits its own record.
  testing::RawDb(path).Run("DELETE FROM t WHERE a < 10");
  grid.SetCurrentCell(1000, 2);
  grid.on_editing_begins();
  grid.SetCellText(1000, 2, "改过");
  grid.on_editing_ends();
  EXPECT_EQ(QueryText(path, "SELECT a FROM t WHERE b = '改过'"), "1000");
}

// The count of a large table comes after its rows. A count still running gives way to whatever
// the user does next: a write of the program's own (which would otherwise wait for the count's
// read lock), another table, a closed database. A view over three copies of the table has more
// rows than any count in a test could finish.
TEST_F(AppTest, ACountStillRunningGivesWayToAWriteAnotherTableAndTheClose) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a INTEGER, b TEXT); CREATE TABLE s(x); INSERT INTO s VALUES (1), (2);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
      " INSERT INTO t SELECT i, '行' || i FROM n;"
      "CREATE VIEW 三倍 AS SELECT t.a FROM t, t AS u, t AS w;");
  Start({path});
  SelectTreeItem("三倍");
  EXPECT_EQ(window_.grid().RowCount(), 1001);
  EXPECT_EQ(window_.info_box().Content().rfind("正在统计记录数，显示前1000条，耗时", 0), 0u)
      << window_.info_box().Content();
  ASSERT_NE(state_.PendingCount, nullptr);

  EXPECT_TRUE(state_.Connection.Execute("UPDATE t SET b = '改' WHERE a = 1"))
      << state_.Connection.GetErrorText();
  EXPECT_EQ(QueryText(path, "SELECT b FROM t WHERE a = 1"), "改");
  Runtime::ProcessEvents();
  EXPECT_NE(state_.PendingCount, nullptr) << "the count is taken again after the write";

  SelectTreeItem("s");
  EXPECT_EQ(state_.PendingCount, nullptr);
  for (int round = 0; round < 3; ++round) Runtime::ProcessEvents();
  EXPECT_EQ(window_.info_box().Content().rfind("共2条记录，已全部显示，", 0), 0u)
      << window_.info_box().Content();

  SelectTreeItem("三倍");
  ASSERT_NE(state_.PendingCount, nullptr);
  ASSERT_TRUE(CloseDatabase(app_));
  EXPECT_EQ(state_.PendingCount, nullptr);
  EXPECT_TRUE(services_.message_boxes().empty());
}

// Another program appends rows while the count runs: the count is the table's at one moment,
// before or after the append, and the next browse counts every row.
TEST_F(AppTest, TheCountIsTheTablesAtOneMomentWhileAnotherProgramAppends) {
  const std::string path = MakeDb(
      "PRAGMA journal_mode = WAL; CREATE TABLE t(a INTEGER, b TEXT); CREATE TABLE s(x);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
      " INSERT INTO t SELECT i, '行' || i FROM n;");
  Start({path});
  SelectTreeItem("t");
  testing::RawDb(path).Run("INSERT INTO t SELECT a + 1500, b FROM t");
  WaitForCount();
  const std::string info = window_.info_box().Content();
  EXPECT_TRUE(info.rfind("共1500条记录，", 0) == 0 || info.rfind("共3000条记录，", 0) == 0) << info;
  SelectTreeItem("s");
  SelectTreeItem("t");
  WaitForCount();
  EXPECT_EQ(window_.info_box().Content().rfind("共3000条记录，显示前1000条，", 0), 0u)
      << window_.info_box().Content();
}

// Rows the user's transaction wrote and has not committed are the program's alone: its own
// connection counts them, at once.
TEST_F(AppTest, RowsTheUsersTransactionWroteAreCountedByTheProgramsConnection) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a INTEGER);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
      " INSERT INTO t SELECT i FROM n;");
  Start({path});
  ASSERT_TRUE(state_.Connection.Execute("BEGIN; INSERT INTO t SELECT a FROM t WHERE a <= 500"));
  SelectTreeItem("t");
  EXPECT_EQ(state_.PendingCount, nullptr);
  EXPECT_EQ(window_.info_box().Content().rfind("共2000条记录，显示前1000条，", 0), 0u)
      << window_.info_box().Content();
  ASSERT_TRUE(state_.Connection.Execute("ROLLBACK"));
}

TEST_F(AppTest, CurrentCellReadsTheFieldIntoThePanel) {
  Start({MakeDb("CREATE TABLE t(a TEXT, n INTEGER); INSERT INTO t VALUES('第一行', 42);")});
  SelectTreeItem("t");
  window_.grid().SetCurrentCell(1, 1);
  EXPECT_EQ(window_.text_value_box().Content(), "第一行");
  window_.field_tabs().SetCurrentPage(1);
  window_.grid().SetCurrentCell(1, 2);
  EXPECT_EQ(window_.integer_value_box().Content(), "42");
  EXPECT_EQ(window_.text_value_box().Content(), "");
}

TEST_F(AppTest, ATableWithoutRowIdIsBrowsedEditedAndDeletedByItsKey) {
  const std::string path = MakeDb(
      "CREATE TABLE 配对(\"名 字\" TEXT, 号 INTEGER, 值, PRIMARY KEY(号, \"名 字\")) WITHOUT ROWID;"
      "INSERT INTO 配对 VALUES('乙', 1, 'b1'), ('甲', 2, 'a2'), ('甲', 1, 'a1');");
  Start({path});
  SelectTreeItem("配对");
  ASSERT_TRUE(services_.message_boxes().empty()) << services_.message_boxes()[0].text;
  Grid& grid = window_.grid();
  // Rows come in primary-key order.
  ASSERT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.CellText(1, 3), "a1");
  EXPECT_EQ(grid.CellText(2, 3), "b1");
  EXPECT_EQ(grid.CellText(3, 3), "a2");
  EXPECT_NE(window_.info_box().Content().find("可直接修改文本字段。"), std::string::npos);

  EditCell(2, 3, "乙一");
  EXPECT_EQ(QueryText(path, "SELECT 值 FROM 配对 WHERE 号 = 1 AND \"名 字\" = '乙'"), "乙一");
  // The key itself edited in the grid: the row follows its record to the new key.
  EditCell(2, 2, "5");
  EXPECT_EQ(QueryText(path, "SELECT 值 FROM 配对 WHERE 号 = 5"), "乙一");
  EditCell(2, 3, "又改");
  EXPECT_EQ(QueryText(path, "SELECT 值 FROM 配对 WHERE 号 = 5"), "又改");
  EXPECT_EQ(QueryText(path, "SELECT group_concat(值) FROM 配对 WHERE 号 <> 5"), "a1,a2");
  // A key the table holds already: the engine refuses, and nothing changes.
  EditCell(1, 1, "乙");
  EditCell(1, 2, "5");
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM 配对"), "3");
  ASSERT_FALSE(services_.message_boxes().empty());
  EXPECT_NE(services_.message_boxes().back().text.find("UNIQUE"), std::string::npos);
  // The refusal shows the table as the file has it, in key order again.
  EXPECT_EQ(grid.CellText(1, 3), "a1");
  EXPECT_EQ(grid.CellText(2, 3), "a2");
  EXPECT_EQ(grid.CellText(3, 3), "又改");

  // The field panel reads and writes the record of the row.
  grid.SetCurrentCell(2, 3);
  window_.field_tabs().SetCurrentPage(0);
  EXPECT_EQ(window_.text_value_box().Content(), "a2");
  window_.text_value_box().SetContent("面板");
  window_.write_text_button().Click();
  EXPECT_EQ(QueryText(path, "SELECT 值 FROM 配对 WHERE 号 = 2"), "面板");

  EXPECT_EQ(grid.CellText(2, 3), "面板");
  // Deleting removes exactly the chosen record.
  grid.SetCurrentCell(2, 1);
  services_.QueueMessageBoxAnswer(kIdYes);
  DeleteCurrentRecord(app_);
  EXPECT_EQ(QueryText(path, "SELECT group_concat(值) FROM (SELECT 值 FROM 配对 ORDER BY 号)"),
            "a1,又改");
}

TEST_F(AppTest, AFailedBrowseSaysWhyAndShowsNothingOfTheTableBefore) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a); INSERT INTO t VALUES('old rows');"
      "CREATE VIEW 坏视图 AS SELECT 不存在 FROM t;");
  Start({path});
  SelectTreeItem("t");
  ASSERT_EQ(window_.grid().CellText(1, 1), "old rows");
  services_.ClearRecords();
  SelectTreeItem("坏视图");
  const std::string reason = state_.Connection.GetErrorText();
  EXPECT_NE(reason.find("不存在"), std::string::npos) << reason;
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"打开视图失败：坏视图\r\n\r\n" + reason});
  EXPECT_EQ(LastLogLine(), "[×]打开视图失败！坏视图（" + reason + "）");
  EXPECT_EQ(window_.grid().RowCount(), 1);
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
  EXPECT_EQ(window_.info_box().Content(), "");
  EXPECT_EQ(window_.definition_box().Content(), "");
  EXPECT_FALSE(window_.field_panel().IsVisible());
  EXPECT_FALSE(state_.Cursor.IsOpen());
  EXPECT_TRUE(state_.ShownRecordKeys.empty());
}

TEST_F(AppTest, AVirtualTableIsShownReadOnlyAndSaysWhy) {
  const std::string path = MakeDb(
      "CREATE VIRTUAL TABLE 文档 USING fts5(正文); INSERT INTO 文档 VALUES('你好'), ('世界');");
  Start({path});
  SelectTreeItem("文档");
  ASSERT_TRUE(services_.message_boxes().empty()) << services_.message_boxes()[0].text;
  EXPECT_EQ(window_.grid().CellText(2, 1), "世界");
  const std::string reason = state_.Cursor.GetReadOnlyReason();
  ASSERT_NE(reason, "");
  const std::string info = window_.info_box().Content();
  EXPECT_EQ(info.find("可直接修改文本字段。"), std::string::npos) << info;
  EXPECT_NE(info.find(reason), std::string::npos) << info;
  EXPECT_FALSE(window_.grid().IsEditable());

  // The field panel reads, and its write is refused with the reason.
  window_.grid().SetCurrentCell(1, 1);
  window_.field_tabs().SetCurrentPage(0);
  EXPECT_EQ(window_.text_value_box().Content(), "你好");
  window_.write_text_button().Click();
  EXPECT_EQ(MessageTexts().back(), "写字段值失败！错误信息如下：\r\n\r\n" + reason);
  InsertEmptyRecord(app_);
  EXPECT_EQ(MessageTexts().back(), "插入空记录失败！" + reason);
  EXPECT_EQ(QueryText(path, "SELECT group_concat(正文) FROM 文档"), "你好,世界");
}

}  // namespace
}  // namespace torvane
