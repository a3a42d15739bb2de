#include "console/sql_console.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;

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
  // Types `sql` as the whole text, checks the query kind when `as_query` and presses "确定".
  void Run(const std::string& sql, bool as_query = false) {
    services_.ClearRecords();
    dialog_.sql_box().SetContent(sql);
    if (as_query) dialog_.query_radio().SetChecked(true);
    dialog_.ok_button().Click();
  }
  bool QueryKind() { return dialog_.query_radio().IsChecked(); }

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
  // No rows: success, and the empty result.
  Run("SELECT a FROM t WHERE a > 100 AND a < 200");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"查询成功，查询结果已显示到主窗口表格中。"});
  EXPECT_EQ(window_.grid().RowCount(), 1);
  // Only the first statement of the text runs.
  Run("SELECT 1; DELETE FROM t");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "4");

  static const struct {
    const char* sql;
    const char* error;
  } failures[] = {
      // Refused before the engine, which has nothing to report after the last success.
      {"", ""},
      {"  -- only a comment", ""},
      {"SELEC 1", "near \"SELEC\": syntax error"},
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
  // A query that fails after some rows shows them, but says it failed.
  Run("SELECT abs(-a - 1) FROM t");  // rows in row-id order: 1, 2, then the largest integer
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "SQL语句执行失败！错误信息如下：\r\n\r\ninteger overflow");
  EXPECT_EQ(window_.grid().RowCount(), 3);
  EXPECT_EQ(window_.grid().CellText(2, 1), "3");
}

TEST_F(SqlConsoleTest, ExecuteKindRunsEveryStatementAndRefreshesTheTree) {
  Open("CREATE TABLE t(a);");
  dialog_.execute_radio().SetChecked(true);
  services_.ClearRecords();
  dialog_.sql_box().SetContent("CREATE TABLE 新表(a); INSERT INTO 新表 VALUES(1); ");
  dialog_.execute_radio().SetChecked(true);
  dialog_.ok_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"SQL语句执行成功！"});
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (2)", "t", "新表", "视图 (0)"}));
  // The dialog's own copy of the tree stays as it was.
  EXPECT_EQ(dialog_.tree().ItemCount(), 3);

  // A failure half way: what ran before it stays, and the tree shows it.
  Run("CREATE TABLE 第二(a); INSERT INTO 没有(a) VALUES(1); CREATE TABLE 第三(a)");
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 没有");
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (3)", "t", "第二", "新表", "视图 (0)"}));
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
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"SQL语句执行失败！错误信息如下：\r\n\r\nno such table: 不存在"});
  Run("CREATE TABLE 课程 (名称)");
  EXPECT_EQ(QueryText(path_, "SELECT hex(name) FROM sqlite_master WHERE rootpage > 2"),
            "E8AFBEE7A88B");
}

}  // namespace
}  // namespace torvane
