#include "console/sql_console.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/database_commands.h"
#include "app/query_rows.h"
#include "app/transactions.h"
#include "base/files.h"
#include "base/text.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::FaultFiles;
using testing::FileCall;
using testing::QueryText;
using testing::ScopedFaultVfs;
using testing::ScriptedModalServices;

TEST(StatementKindOf, ReadsTheLeadingKeyword) {
  static const struct {
    const char* text;
    StatementKind kind;
  } cases[] = {
      {"select * from t", StatementKind::kQuery},
      {"  SELECT 1", StatementKind::kQuery},
      {"\xA1\xA1Select 1", StatementKind::kQuery},  // a full-width blank is trimmed
      {"selected", StatementKind::kQuery},          // a prefix, not a word
      {"UPDATE t SET a = 1", StatementKind::kExecute},
      {"delete from t", StatementKind::kExecute},
      {"Insert into t values(1)", StatementKind::kExecute},
      {"create table x(a)", StatementKind::kExecute},
      {"dropped", StatementKind::kExecute},
      {"\r\nselect 1", StatementKind::kUnknown},  // line breaks and tabs are not trimmed
      {"\tselect 1", StatementKind::kUnknown},
      {"EXPLAIN select 1", StatementKind::kUnknown},
      {"PRAGMA integrity_check", StatementKind::kUnknown},
      {"VACUUM", StatementKind::kUnknown},
      {"BEGIN", StatementKind::kUnknown},
      {"REPLACE INTO t VALUES(1)", StatementKind::kUnknown},
      {"ALTER TABLE t ADD b", StatementKind::kUnknown},
      {"sel", StatementKind::kUnknown},
      {"", StatementKind::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(StatementKindOf(c.text), c.kind) << c.text;
}

// A console bound to the program and started as its first showing would start it, but not shown:
// the test plays the user.
class SqlConsoleTest : public AppTest {
 protected:
  void Open(const std::string& sql) {
    path_ = MakeDb(sql);
    Start({path_});
    ConnectSqlDialog(app_, dialog_);
    dialog_.on_created();
  }
  // A console on a program started without a database, for tests that open several files.
  void StartEmpty() {
    Start();
    ConnectSqlDialog(app_, dialog_);
    dialog_.on_created();
  }
  // Makes a database file from `sql`, named with `stem`, and opens it in the running program.
  void OpenAnother(const std::string& sql, const std::string& stem) {
    path_ = MakeDb(sql, stem);
    OpenDatabase(app_, path_, false);
  }
  // Types `sql` as the whole text, checks the query kind when `as_query` and presses "确定".
  void Run(const std::string& sql, bool as_query = false) {
    services_.ClearRecords();
    dialog_.sql_box().SetContent(sql);
    if (as_query) dialog_.query_radio().SetChecked(true);
    dialog_.ok_button().Click();
  }
  // Types `sql` as the whole text, checks the execute kind and presses "确定".
  void Execute(const std::string& sql) {
    services_.ClearRecords();
    dialog_.sql_box().SetContent(sql);
    dialog_.execute_radio().SetChecked(true);
    dialog_.ok_button().Click();
  }
  bool QueryKind() { return dialog_.query_radio().IsChecked(); }
  // The log's lines after its line `from` (counted from 0).
  std::vector<std::string> LogLinesAfter(std::size_t from) {
    const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
    return std::vector<std::string>(lines.begin() + std::min(from + 1, lines.size()), lines.end());
  }
  // The only message box shown since the last run; fails the test when there was not exactly one.
  ScriptedModalServices::MessageBoxCall OnlyBox() {
    EXPECT_EQ(services_.message_boxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
    return services_.message_boxes().empty() ? ScriptedModalServices::MessageBoxCall{}
                                             : services_.message_boxes().back();
  }

  std::string path_;
  SqlDialog dialog_;
};

TEST_F(SqlConsoleTest, TheTextSetsTheKindAsItChanges) {
  Open("CREATE TABLE t(a);");
  EXPECT_TRUE(QueryKind());
  dialog_.sql_box().SetContent("delete from t");
  EXPECT_FALSE(QueryKind());
  EXPECT_TRUE(dialog_.execute_radio().IsChecked());
  dialog_.sql_box().SetContent("PRAGMA user_version");  // no keyword: the kind stays
  EXPECT_FALSE(QueryKind());
  dialog_.sql_box().SetContent("  SELECT 1");
  EXPECT_TRUE(QueryKind());
  EXPECT_FALSE(dialog_.execute_radio().IsChecked());
}

TEST_F(SqlConsoleTest, NamesAreInsertedAtTheCaretAndTheClipboardComesBack) {
  Open("CREATE TABLE 商品(a); CREATE VIEW v AS SELECT 1;");
  // The dialog's tree is a copy of the main window's.
  EXPECT_EQ(dialog_.tree().Items(), window_.tree().Items());
  EXPECT_EQ(dialog_.tree().ItemText(1), "商品");
  EXPECT_TRUE(dialog_.tree().IsExpanded(0));

  services_.SetClipboardText("用户的剪贴板");
  dialog_.sql_box().InsertAtCaret("select * from ");
  dialog_.tree().SetSelectedIndex(1);
  dialog_.tree().on_item_double_clicked();
  EXPECT_EQ(dialog_.sql_box().Content(), "select * from 商品");
  EXPECT_EQ(services_.ClipboardText(), "用户的剪贴板");

  // A group item inserts nothing; a view inserts its name.
  dialog_.tree().SetSelectedIndex(0);
  dialog_.tree().on_item_double_clicked();
  EXPECT_EQ(dialog_.sql_box().Content(), "select * from 商品");
  dialog_.tree().SetSelectedIndex(3);
  ASSERT_EQ(dialog_.tree().ItemText(3), "v");
  dialog_.sql_box().InsertAtCaret(", ");
  dialog_.tree().on_item_double_clicked();
  EXPECT_EQ(dialog_.sql_box().Content(), "select * from 商品, v");
  // The kind follows the inserted text.
  dialog_.sql_box().SetContent("");
  dialog_.execute_radio().SetChecked(true);
  dialog_.sql_box().InsertAtCaret("select ");
  EXPECT_TRUE(QueryKind());
}

TEST_F(SqlConsoleTest, AQueryFillsTheMainGrid) {
  Open(
      "CREATE TABLE 商品(名称, 价格); INSERT INTO 商品 VALUES('苹果', 5), ('香蕉', NULL);"
      "CREATE TABLE t(a);");
  SelectTreeItem("t");  // a table shown, its cells editable
  EXPECT_TRUE(window_.grid().IsEditable());
  Run("SELECT 名称, 价格 * 2 AS 双倍 FROM 商品 ORDER BY rowid");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOk);
  Grid& grid = window_.grid();
  ASSERT_EQ(grid.RowCount(), 3);
  ASSERT_EQ(grid.ColumnCount(), 3);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedColumns(), 1);
  const std::vector<std::vector<std::string>> cells = {
      {"序号", "名称", "双倍"}, {"1", "苹果", "10"}, {"2", "香蕉", ""}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.CellText(r, c), cells[r][c]) << r << "," << c;
  }
  EXPECT_EQ(window_.tree().SelectedIndex(), 0);
  EXPECT_FALSE(window_.field_panel().IsVisible());
  EXPECT_EQ(LastLogLine(),
            "SQL查询成功，共2条记录：SELECT 名称, 价格 * 2 AS 双倍 FROM 商品 ORDER BY rowid");
  // The grid shows no table's records now: it cannot be edited in place until a table is shown.
  EXPECT_FALSE(grid.IsEditable());
  SelectTreeItem("t");
  EXPECT_TRUE(window_.grid().IsEditable());
  // The dialog keeps its text.
  EXPECT_EQ(dialog_.sql_box().Content(), "SELECT 名称, 价格 * 2 AS 双倍 FROM 商品 ORDER BY rowid");
}

TEST_F(SqlConsoleTest, QueryKindRunsOnceAndReportsFailures) {
  Open("CREATE TABLE t(a); INSERT INTO t VALUES(1), (2), (9223372036854775807);");
  // A statement with rows of its own runs exactly once.
  Run("INSERT INTO t VALUES(5) RETURNING a", true);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t WHERE a = 5"), "1");
  EXPECT_EQ(window_.grid().CellText(1, 1), "5");
  // A text of several statements runs none of them: a query shows one result.
  Run("SELECT 1; DELETE FROM t");
  EXPECT_EQ(OnlyBox().text,
            "查询类SQL只能是一条语句，这段文本有2条语句，没有执行。\r\n\r\n"
            "请只留下要查询的一条语句；要逐条执行多条语句，请选择“执行类SQL”。");
  EXPECT_EQ(OnlyBox().flags, kMbOkExclamation);
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "4");
  EXPECT_EQ(window_.grid().CellText(1, 1), "5");
  // A trailing ";" or comment does not make a second statement.
  Run("SELECT a FROM t WHERE a = 5; -- the new row", true);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});

  static const struct {
    const char* sql;
    const char* error;
  } failures[] = {
      {"SELECT * FROM 没有的表", "no such table: 没有的表"},
  };
  for (const auto& f : failures) {
    Run(f.sql);
    ASSERT_EQ(services_.message_boxes().size(), 1u) << f.sql;
    EXPECT_EQ(services_.message_boxes()[0].text,
              std::string("SQL语句执行失败！错误信息如下：\r\n\r\n") + f.error)
        << f.sql;
    EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
    EXPECT_EQ(services_.message_boxes()[0].caption, "错误：");
  }
  EXPECT_EQ(LastLogLine(), "[×]SQL语句执行失败：SELECT * FROM 没有的表（no such table: 没有的表）");
  // A query that fails after some rows shows them, but says it failed.
  Run("SELECT abs(-a - 1) FROM t");  // rows in row-id order: 1, 2, then the largest integer
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "SQL语句执行失败！错误信息如下：\r\n\r\ninteger overflow");
  EXPECT_EQ(window_.grid().RowCount(), 3);
  EXPECT_EQ(window_.grid().CellText(2, 1), "3");
  EXPECT_EQ(window_.info_box().Content().rfind("已读到2条记录，查询中途出错，耗时", 0), 0u);
}

// The summary line gives a query's row count and time as a browse's does, and a result without
// rows still shows its column names as the grid's header row.
TEST_F(SqlConsoleTest, AQuerySaysHowManyRowsAndShowsTheColumnsOfAnEmptyResult) {
  Open("CREATE TABLE 商品(名称, 价格); INSERT INTO 商品 VALUES('苹果', 5), ('香蕉', 3);");
  static const struct {
    const char* sql;
    int count;
    std::vector<std::string> header;
  } cases[] = {
      {"SELECT * FROM 商品", 2, {"序号", "名称", "价格"}},
      {"SELECT 名称 AS 品名, 价格 FROM 商品 WHERE 价格 > 100", 0, {"序号", "品名", "价格"}},
      {"SELECT 1 AS 一 WHERE 0", 0, {"序号", "一"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    Run(c.sql, true);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
    Grid& grid = window_.grid();
    ASSERT_EQ(grid.RowCount(), c.count + 1);
    ASSERT_EQ(grid.ColumnCount(), static_cast<int>(c.header.size()));
    EXPECT_EQ(grid.FixedRows(), 1);
    for (int column = 0; column < grid.ColumnCount(); ++column) {
      EXPECT_EQ(grid.CellText(0, column), c.header[column]);
    }
    // "共N条记录，耗时T毫秒。…", T a whole number of milliseconds.
    const std::string info = window_.info_box().Content();
    const std::string head = "共" + std::to_string(c.count) + "条记录，耗时";
    const std::string tail = "毫秒。查询结果不能直接修改。";
    ASSERT_EQ(info.rfind(head, 0), 0u) << info;
    ASSERT_GT(info.size(), head.size() + tail.size());
    EXPECT_EQ(info.substr(info.size() - tail.size()), tail);
    const std::string ms = info.substr(head.size(), info.size() - head.size() - tail.size());
    EXPECT_EQ(ms.find_first_not_of("0123456789"), std::string::npos) << ms;
    EXPECT_EQ(LastLogLine(), "SQL查询成功，共" + std::to_string(c.count) + "条记录：" + c.sql);
  }
}

// A text with no statement in it runs nothing in either kind, and says why.
TEST_F(SqlConsoleTest, ATextWithoutStatementsRunsNothing) {
  Open("CREATE TABLE t(a);");
  const std::string log = window_.log_box().Content();
  for (const bool as_query : {true, false}) {
    for (const char* sql : {"", "  \r\n\t", "-- only a comment\r\n/* and another; */", " ; ;"}) {
      SCOPED_TRACE(std::string(sql) + (as_query ? " (query)" : " (execute)"));
      services_.ClearRecords();
      dialog_.sql_box().SetContent(sql);
      (as_query ? dialog_.query_radio() : dialog_.execute_radio()).SetChecked(true);
      dialog_.ok_button().Click();
      EXPECT_EQ(OnlyBox().text, "没有可执行的SQL语句：文本为空，或只有注释。");
      EXPECT_EQ(OnlyBox().flags, kMbOkExclamation);
      EXPECT_EQ(window_.log_box().Content(), log);
    }
  }
}

TEST_F(SqlConsoleTest, ExecuteKindRunsEveryStatementAndRefreshesTheTree) {
  Open("CREATE TABLE t(a);");
  dialog_.execute_radio().SetChecked(true);
  services_.ClearRecords();
  dialog_.sql_box().SetContent("CREATE TABLE 新表(a); INSERT INTO 新表 VALUES(1); ");
  dialog_.execute_radio().SetChecked(true);
  dialog_.ok_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"SQL语句执行成功！共2条语句，影响1条记录。"});
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (2)", "t", "新表", "视图 (0)"}));
  // The dialog's own copy of the tree stays as it was.
  EXPECT_EQ(dialog_.tree().ItemCount(), 3);

  // A failure half way: what ran before it stays, and the tree shows it.
  Run("CREATE TABLE 第二(a); INSERT INTO 没有(a) VALUES(1); CREATE TABLE 第三(a)");
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "第2条SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 没有\r\n\r\n"
            "失败的语句：INSERT INTO 没有(a) VALUES(1);\r\n"
            "此前的1条语句已执行，影响0条记录，其修改仍然有效；其后的1条语句没有执行。");
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (3)", "t", "第二", "新表", "视图 (0)"}));
}

// Statements are counted as the engine runs them: a trigger's body with its own ";" is one
// statement, and the rows its statements change count with theirs.
TEST_F(SqlConsoleTest, ASuccessSaysHowManyStatementsRanAndRowsChanged) {
  Open("CREATE TABLE t(a); INSERT INTO t VALUES(1), (2), (3);");
  SelectTreeItem("t");
  const std::string sql =
      "CREATE TABLE u(x);\n"
      "CREATE TRIGGER tr AFTER INSERT ON t BEGIN\n"
      "INSERT INTO u VALUES(new.a);\n"
      "INSERT INTO u VALUES(-new.a);\n"
      "END;\n"
      "INSERT INTO t VALUES(4), (5);\n"
      "DELETE FROM t WHERE a < 3;\n"
      "SELECT 1";
  const std::size_t logged = SplitLines(window_.log_box().Content()).size() - 1;
  Execute(sql);
  EXPECT_EQ(OnlyBox().text, "SQL语句执行成功！共5条语句，影响8条记录。");
  EXPECT_EQ(OnlyBox().flags, kMbOk);
  // The log quotes the text on one line; the tree, rebuilt for the new table, shows t again.
  EXPECT_EQ(
      LogLinesAfter(logged),
      (std::vector<std::string>{
          "SQL语句执行成功，共5条语句，影响8条记录：CREATE TABLE u(x); CREATE TRIGGER tr AFTER "
          "INSERT ON t BEGIN INSERT INTO u VALUES(new.a); INSERT INTO u VALUES(-new.a); END; "
          "INSERT INTO t VALUES(4), (5); DELETE FROM t WHERE a < 3; SELECT 1",
          "打开表：t"}));
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(x) FROM u"), "4,-4,5,-5");
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), "3,4,5");
  // The tree lists the new table, and the grid, still on t, shows its rows as the file has them.
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (2)", "t", "u", "视图 (0)"}));
  ASSERT_EQ(window_.grid().RowCount(), 4);
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(window_.grid().CellText(row, 1), std::to_string(row + 2));
  }

  // A new table listed before the shown one does not take its place in the grid.
  Execute("CREATE TABLE a(x)");
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (3)", "a", "t", "u", "视图 (0)"}));
  EXPECT_EQ(window_.tree().ItemText(window_.tree().SelectedIndex()), "t");
  EXPECT_EQ(window_.grid().CellText(1, 1), "3");

  // Statements that change no rows, and a transaction left open, are said to be so.
  Execute("BEGIN; CREATE VIEW v AS SELECT 1");
  EXPECT_EQ(OnlyBox().text,
            "SQL语句执行成功！共2条语句，影响0条记录。\r\n\r\n"
            "当前事务仍未结束，提交事务后修改才会保存到数据库文件中。");
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  Execute("COMMIT");
  EXPECT_EQ(OnlyBox().text, "SQL语句执行成功！共1条语句，影响0条记录。");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM sqlite_master WHERE name = 'v'"), "1");
}

// The failure names the statement by its number and beginning, says why, and how far the text
// got: what ran before it stays in the file, what follows did not run.
TEST_F(SqlConsoleTest, AFailureSaysWhichStatementFailedAndWhatRan) {
  Open("CREATE TABLE t(a); INSERT INTO t VALUES('老');");
  SelectTreeItem("t");
  static const struct {
    const char* name;
    const char* sql;
    const char* message;
    const char* log;
    const char* rows;
  } cases[] = {
      {"first", "INSERT INTO 没有 VALUES(1); INSERT INTO t VALUES('一'); DELETE FROM t",
       "第1条SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 没有\r\n\r\n"
       "失败的语句：INSERT INTO 没有 VALUES(1);\r\n文本中的语句都没有执行。",
       "[×]SQL语句执行失败，第1条语句出错，此前0条语句已执行：INSERT INTO 没有 VALUES(1); "
       "INSERT INTO t VALUES('一'); DELETE FROM t（no such table: 没有）",
       "老"},
      {"middle", "INSERT INTO t VALUES('一');\r\nUPDATE t SET b = 1;\r\nDELETE FROM t;",
       "第2条SQL语句执行失败！错误信息如下：\r\n\r\nno such column: b\r\n\r\n"
       "失败的语句：UPDATE t SET b = 1;\r\n"
       "此前的1条语句已执行，影响1条记录，其修改仍然有效；其后的1条语句没有执行。",
       "[×]SQL语句执行失败，第2条语句出错，此前1条语句已执行：INSERT INTO t VALUES('一'); "
       "UPDATE t SET b = 1; DELETE FROM t;（no such column: b）",
       "老,一"},
      {"last", "UPDATE t SET a = a || '!'; INSERT INTO t VALUES('二'); SELEC 1",
       "第3条SQL语句执行失败！错误信息如下：\r\n\r\nnear \"SELEC\": syntax error\r\n\r\n"
       "失败的语句：SELEC 1\r\n此前的2条语句已执行，影响3条记录，其修改仍然有效。",
       "[×]SQL语句执行失败，第3条语句出错，此前2条语句已执行：UPDATE t SET a = a || '!'; "
       "INSERT INTO t VALUES('二'); SELEC 1（near \"SELEC\": syntax error）",
       "老!,一!,二"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Execute(c.sql);
    EXPECT_EQ(OnlyBox().text, c.message);
    EXPECT_EQ(OnlyBox().flags, kMbOkStop);
    EXPECT_EQ(OnlyBox().caption, "错误：");
    EXPECT_EQ(LastLogLine(), c.log);
    // The file keeps what ran, and the grid, still on t, shows the file.
    EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), c.rows);
    std::string shown;
    for (int row = 1; row < window_.grid().RowCount(); ++row) {
      shown += (shown.empty() ? "" : ",") + window_.grid().CellText(row, 1);
    }
    EXPECT_EQ(shown, c.rows);
  }
}

// Statements that take a while show their progress. A cancel stops the running statement, which the
// engine undoes whole, and runs none after it; the ones before it stay. A query's cancel keeps the
// rows read so far and says it was cancelled.
TEST_F(SqlConsoleTest, ACancelStopsTheRunningStatementAndUndoesIt) {
  Open(
      "CREATE TABLE t(a INTEGER, b TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
      " INSERT INTO t SELECT i, '行' || i FROM n;");
  state_.ProgressDelayMs = 0;
  const Bytes before = ReadFile(path_);
  services_.QueueProgressCancel(1);
  Execute("UPDATE t SET b = b || '改'");
  EXPECT_EQ(OnlyBox().text,
            "SQL语句执行失败！错误信息如下：\r\n\r\n已被用户取消，该语句所做的修改均已撤销。");
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_EQ(services_.progress_windows()[0].title, "执行SQL语句");
  EXPECT_TRUE(services_.progress_windows()[0].cancelled);
  EXPECT_FALSE(state_.Connection.IsInTransaction());
  EXPECT_EQ(ReadFile(path_), before);

  services_.QueueProgressCancel(2);
  Execute("INSERT INTO t VALUES (0, '新'); UPDATE t SET b = 'x'");
  EXPECT_EQ(OnlyBox().text.rfind("第2条SQL语句执行失败！错误信息如下：\r\n\r\n已被用户取消，", 0),
            0u)
      << OnlyBox().text;
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_EQ(
      services_.progress_windows()[0].texts,
      (std::vector<std::string>{"正在执行第1条SQL语句（共2条）：INSERT INTO t VALUES (0, '新');",
                                "正在执行第2条SQL语句（共2条）：UPDATE t SET b = 'x'"}));
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "20001");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t WHERE b = 'x'"), "0");

  services_.QueueProgressCancel(1);
  Run("SELECT count(*) FROM t, t AS u", true);
  EXPECT_NE(OnlyBox().text.find("已被用户取消"), std::string::npos) << OnlyBox().text;
  EXPECT_EQ(services_.progress_windows().at(0).title, "执行SQL查询");
}

// Inside a transaction (begun before, or by the text itself) the statements that ran before a
// failure are still pending: the user keeps them, with the transaction open, or rolls it back.
TEST_F(SqlConsoleTest, AFailureInsideATransactionLetsTheUserKeepOrRollBack) {
  static const struct {
    const char* name;
    bool begun_before;
    const char* sql;
    int answer;
    bool open_after;
    const char* log;
    const char* rows;
  } cases[] = {
      {"text begins, keep", false, "BEGIN; INSERT INTO t VALUES('新'); INSERT INTO 没有 VALUES(1)",
       kIdYes, true, "已保留已执行语句的修改，事务仍未结束。", "老,新"},
      {"text begins, roll back", false,
       "BEGIN; INSERT INTO t VALUES('新'); INSERT INTO 没有 VALUES(1)", kIdNo, false,
       "已回滚事务。", "老"},
      {"begun before, keep", true, "INSERT INTO t VALUES('新'); INSERT INTO 没有 VALUES(1)", kIdYes,
       true, "已保留已执行语句的修改，事务仍未结束。", "老,新"},
      {"begun before, roll back", true, "INSERT INTO t VALUES('新'); INSERT INTO 没有 VALUES(1)",
       kIdNo, false, "已回滚事务。", "老"},
  };
  StartEmpty();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenAnother("CREATE TABLE t(a); INSERT INTO t VALUES('老');", std::string("库") + c.name);
    SelectTreeItem("t");
    if (c.begun_before) BeginTransactionCommand(app_);
    services_.QueueMessageBoxAnswer(c.answer);
    Execute(c.sql);
    const auto box = OnlyBox();
    EXPECT_EQ(box.flags, kMbYesNoAsk);
    const std::string question =
        "\r\n\r\n当前事务仍未结束。要保留已执行语句的修改吗？\r\n"
        "选“是”保留：事务保持打开，可以稍后提交或回滚。\r\n"
        "选“否”回滚事务：事务中尚未提交的修改全部撤销。";
    ASSERT_GT(box.text.size(), question.size());
    EXPECT_EQ(box.text.substr(box.text.size() - question.size()), question);
    // Whether they stay is the user's choice, so the box does not say they stay.
    EXPECT_EQ(box.text.find("其修改仍然有效"), std::string::npos) << box.text;
    EXPECT_EQ(state_.Connection.IsInTransaction(), c.open_after);
    EXPECT_EQ(LastLogLine(), c.log);
    EXPECT_EQ(window_.grid().RowCount() - 1, c.open_after ? 2 : 1);
    // Another program sees nothing before the commit.
    EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), "老");
    if (c.open_after) CommitTransactionCommand(app_);
    EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), c.rows);
    EXPECT_TRUE(CloseDatabase(app_));
  }
}

// A failure in a transaction before any statement of the text ran changes nothing: there is no
// choice to make, only the reminder that the transaction is still open.
TEST_F(SqlConsoleTest, AFailureInATransactionBeforeAnythingRanAsksNothing) {
  Open("CREATE TABLE t(a);");
  BeginTransactionCommand(app_);
  Execute("INSERT INTO t VALUES(1)");
  Execute("INSERT INTO 没有 VALUES(1); INSERT INTO t VALUES(2)");
  EXPECT_EQ(OnlyBox().text,
            "第1条SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 没有\r\n\r\n"
            "失败的语句：INSERT INTO 没有 VALUES(1);\r\n文本中的语句都没有执行。\r\n\r\n"
            "当前事务仍未结束，其中尚未提交的修改都还在。");
  EXPECT_EQ(OnlyBox().flags, kMbOkStop);
  Run("SELECT * FROM 没有", true);
  EXPECT_EQ(OnlyBox().text,
            "SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 没有\r\n\r\n"
            "当前事务仍未结束，其中尚未提交的修改都还在。");
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  CommitTransactionCommand(app_);
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), "1");
}

// A statement that fails writing the file (a full disk at COMMIT) makes the engine roll the whole
// transaction back: the user is told that, not offered a choice, and the grid shows the file.
TEST_F(SqlConsoleTest, ATransactionTheEngineRolledBackIsReportedAsLost) {
  static const struct {
    const char* name;
    bool begun_before;
    const char* sql;
    const char* progress;
  } cases[] = {
      {"text begins", false, "BEGIN; UPDATE t SET a = '新'; COMMIT; INSERT INTO t VALUES('后')",
       "第3条SQL语句执行失败！错误信息如下：\r\n\r\ndatabase or disk is full\r\n\r\n"
       "失败的语句：COMMIT;\r\n此前的2条语句已执行，影响1条记录；其后的1条语句没有执行。"},
      {"begun before", true, "UPDATE t SET a = '新'; COMMIT",
       "第2条SQL语句执行失败！错误信息如下：\r\n\r\ndatabase or disk is full\r\n\r\n"
       "失败的语句：COMMIT\r\n此前的1条语句已执行，影响1条记录。"},
  };
  ScopedFaultVfs vfs;
  StartEmpty();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenAnother("CREATE TABLE t(a); INSERT INTO t VALUES('老');", std::string("库") + c.name);
    SelectTreeItem("t");
    if (c.begun_before) BeginTransactionCommand(app_);
    vfs.Fail(FileCall::kWrite, 1, SQLITE_FULL, false, FaultFiles::kDatabase);
    Execute(c.sql);
    vfs.Heal();
    EXPECT_EQ(OnlyBox().text, std::string(c.progress) +
                                  "\r\n\r\n数据库引擎因此回滚了当前事务：事务中尚未提交的修改"
                                  "都已丢失，表中显示的是数据库文件现在的内容。");
    EXPECT_EQ(OnlyBox().flags, kMbOkStop);
    EXPECT_FALSE(state_.Connection.IsInTransaction());
    EXPECT_EQ(LastLogLine(), "[×]数据库引擎已回滚当前事务，其中尚未提交的修改都已丢失。");
    EXPECT_EQ(window_.grid().CellText(1, 1), "老");
    EXPECT_EQ(window_.grid().RowCount(), 2);
    EXPECT_EQ(QueryText(path_, "SELECT group_concat(a) FROM t"), "老");
    EXPECT_TRUE(CloseDatabase(app_));
  }
}

// A long text is shortened in the log to its first 200 bytes, never inside a character, with its
// whole length; a long failed statement is named by its first 60 bytes.
TEST_F(SqlConsoleTest, LongTextsAreShortenedInTheLogAndTheMessage) {
  Open("CREATE TABLE t(a);");
  std::string value;
  for (int i = 0; i < 300; ++i) value += "中";
  // 23 bytes before the first 中, so an even cut would split one.
  const std::string insert = "INSERT INTO t VALUES ('" + value + "');";
  const std::string bad = "INSERT INTO 无此表 VALUES ('" + value + "')";
  const std::string sql = insert + "\r\n" + bad;
  Execute(sql);
  std::string kept_head = "INSERT INTO t VALUES ('";
  for (int i = 0; i < 88; ++i) kept_head += "中";  // 23 + 176 = 199 bytes
  EXPECT_EQ(LastLogLine(), "[×]SQL语句执行失败，第2条语句出错，此前1条语句已执行：" + kept_head +
                               "…（共" + std::to_string(sql.size()) +
                               "字节）（no such table: 无此表）");
  std::string shown_head = "INSERT INTO 无此表 VALUES ('";  // 28 bytes, then 16 characters
  for (int i = 0; i < 16; ++i) shown_head += "中";
  EXPECT_NE(OnlyBox().text.find("\r\n\r\n失败的语句：" + shown_head + "…\r\n"), std::string::npos)
      << OnlyBox().text;
  EXPECT_EQ(QueryText(path_, "SELECT length(a) FROM t"), "600");
}

// A result of more rows than a screen shows: the first rows at once, the rest as the message loop
// runs. Rows go from 1 to 5000 in column a.
class StreamedQueryTest : public SqlConsoleTest {
 protected:
  void SetUp() override {
    SqlConsoleTest::SetUp();
    Open(
        "CREATE TABLE t(a INTEGER, b TEXT); CREATE TABLE u(x);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
        " INSERT INTO t SELECT i, '行' || i FROM n;");
    state_.QueryFirstRows = 100;
  }
  // Runs `sql` as a query and checks that only its first rows came: the grid shows them and the
  // summary line counts them. Returns how many came.
  int RunStreamed(const std::string& sql) {
    Run(sql, true);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
    EXPECT_TRUE(state_.QueryRows != nullptr);
    const int first = window_.grid().RowCount() - 1;
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 100);
    EXPECT_EQ(window_.info_box().Content(),
              "已读到" + std::to_string(first) + "条记录，正在读取其余记录……");
    return first;
  }
  bool LogHasLineStarting(const std::string& head) {
    const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(head, 0) == 0; });
  }
};

TEST_F(StreamedQueryTest, TheFirstRowsShowAtOnceAndTheRestArrive) {
  const std::string sql = "SELECT a, b FROM t ORDER BY a";
  RunStreamed(sql);
  // The log tells the whole count once it is known.
  EXPECT_NE(LastLogLine().rfind("SQL查询成功", 0), 0u) << LastLogLine();
  // Scrolling to the last row read reads more at once.
  const int before = window_.grid().RowCount();
  ReadMoreQueryRows(app_);
  EXPECT_GT(window_.grid().RowCount(), before);
  WaitForQueryRows();
  Grid& grid = window_.grid();
  ASSERT_EQ(grid.RowCount(), 5001);
  EXPECT_EQ(grid.CellText(0, 1), "a");
  EXPECT_EQ(grid.CellText(5000, 0), "5000");
  EXPECT_EQ(grid.CellText(5000, 2), "行5000");
  EXPECT_EQ(window_.info_box().Content().rfind("共5000条记录，耗时", 0), 0u)
      << window_.info_box().Content();
  EXPECT_EQ(LastLogLine(), "SQL查询成功，共5000条记录：" + sql);
  EXPECT_EQ(services_.message_boxes().size(), 1u);  // the one said when the first rows came
  EXPECT_FALSE(grid.IsEditable());

  // A failure after the first rows: those read stay, and the user is told.
  services_.ClearRecords();
  RunStreamed("SELECT abs(CASE WHEN a = 3000 THEN -9223372036854775807 - 1 ELSE a END) FROM t");
  services_.ClearRecords();
  WaitForQueryRows();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"SQL语句执行失败！错误信息如下：\r\n\r\ninteger overflow"});
  EXPECT_EQ(window_.grid().RowCount(), 3000);
  EXPECT_EQ(window_.info_box().Content().rfind("已读到2999条记录，查询中途出错，耗时", 0), 0u)
      << window_.info_box().Content();
}

// Another statement never runs beside a result half read: the rows are all read first, so that
// even the table being read can be dropped, and the log tells the query before the statement.
TEST_F(StreamedQueryTest, AnotherStatementWaitsUntilEveryRowIsIn) {
  RunStreamed("SELECT * FROM t");
  Execute("DROP TABLE t");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"SQL语句执行成功！共1条语句，影响0条记录。"});
  EXPECT_FALSE(state_.QueryRows);
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM sqlite_master WHERE name = 't'"), "0");
  const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "SQL查询成功，共5000条记录：SELECT * FROM t");
  EXPECT_EQ(lines.back().rfind("SQL语句执行成功", 0), 0u) << lines.back();

  // The same inside the user's transaction, with a rollback.
  ASSERT_TRUE(state_.Connection.Execute("BEGIN; INSERT INTO u VALUES (1);"));
  RunStreamed(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
      " SELECT i FROM n");
  EXPECT_TRUE(RollbackUserTransaction(app_));
  EXPECT_FALSE(state_.QueryRows);
  EXPECT_EQ(window_.grid().RowCount(), 5001);
  EXPECT_FALSE(state_.Connection.IsInTransaction());
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM u"), "0");
}

// Waiting for the rest of the rows shows a progress window after a moment; its cancel stops the
// reading, keeps the rows read, and the command goes on.
TEST_F(StreamedQueryTest, TheWaitForTheRestShowsProgressAndCanBeCancelled) {
  const std::string sql =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000000)"
      " SELECT i FROM n";
  RunStreamed(sql);
  state_.ProgressDelayMs = 0;
  services_.QueueProgressCancel(1);
  Execute("DELETE FROM t WHERE a > 10");
  // The statement's own window follows, not cancelled.
  ASSERT_EQ(services_.progress_windows().size(), 2u);
  EXPECT_FALSE(services_.progress_windows()[1].cancelled);
  EXPECT_EQ(services_.progress_windows()[0].title, "读取查询结果");
  EXPECT_TRUE(services_.progress_windows()[0].cancelled);
  EXPECT_EQ(services_.progress_windows()[0].texts.at(0).rfind("已读到", 0), 0u);
  EXPECT_FALSE(state_.QueryRows);
  const int rows = window_.grid().RowCount() - 1;
  EXPECT_LT(rows, 100000000);
  EXPECT_EQ(window_.grid().CellText(rows, 1), std::to_string(rows));
  EXPECT_TRUE(LogHasLineStarting("SQL查询成功，读到" + std::to_string(rows) +
                                 "条记录后停止读取其余记录：WITH RECURSIVE"))
      << window_.log_box().Content();
  EXPECT_EQ(
      window_.info_box().Content().rfind(
          "已读到" + std::to_string(rows) + "条记录，其余记录没有读取（读取已停止），耗时", 0),
      0u)
      << window_.info_box().Content();
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "10");
}

// Another query, a browse or the close of the database while rows arrive stops them: they are
// not read to their end for nothing.
TEST_F(StreamedQueryTest, ANewResultOrTheCloseStopsTheRows) {
  const std::string endless =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000000)"
      " SELECT i FROM n";
  RunStreamed(endless);
  RunStreamed("SELECT a FROM t");
  WaitForQueryRows();
  EXPECT_EQ(window_.grid().RowCount(), 5001);

  RunStreamed(endless);
  SelectTreeItem("u");
  EXPECT_FALSE(state_.QueryRows);
  EXPECT_EQ(window_.info_box().Content().rfind("共0条记录，", 0), 0u)
      << window_.info_box().Content();
  EXPECT_TRUE(window_.grid().IsEditable());

  RunStreamed(endless);
  EXPECT_TRUE(CloseDatabase(app_));
  EXPECT_FALSE(state_.QueryRows);
  EXPECT_FALSE(state_.Connection.IsOpen());
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// A database kept in UTF-8 by another program: the console's statements, results and messages all
// meet it in UTF-8.
TEST_F(SqlConsoleTest, AUtf8DatabaseGetsUtf8AndShowsItsText) {
  const std::u8string_view made =
      u8"CREATE TABLE 学生 (姓名 TEXT); INSERT INTO 学生 VALUES ('张三');";
  Open(std::string(made.begin(), made.end()));
  ASSERT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
  Run("SELECT 姓名 FROM 学生 WHERE 姓名 = '张三'");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
  EXPECT_EQ(window_.grid().CellText(0, 1), "姓名");
  EXPECT_EQ(window_.grid().CellText(1, 1), "张三");
  Run("SELECT * FROM 不存在");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                "SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 不存在"});
  Run("CREATE TABLE 课程 (名称)");
  EXPECT_EQ(QueryText(path_, "SELECT hex(name) FROM sqlite_master WHERE rootpage > 2"),
            "E8AFBEE7A88B");
}

}  // namespace
}  // namespace torvane
