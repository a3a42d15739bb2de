#include "console/sql_templates.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "console/sql_console.h"
#include "support/app_fixture.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using Lines = std::vector<std::string>;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(TemplateLines, SplitAtCrLfOnly) {
  static const struct {
    std::string file;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"select 1", {"select 1"}},
      {"select 1\r\ndelete from t", {"select 1", "delete from t"}},
      {"select 1\r\n", {"select 1"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"a\nb\nc", {"a\nb\nc"}},  // LF alone is part of the line
      {"a\rb", {"a\rb"}},
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // a zero byte ends the text
      {"  带空格  \r\n中文\r\n", {"  带空格  ", "中文"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TemplateLines(B(c.file)), c.lines) << c.file;
}

TEST(TemplateLines, TheShippedFileIsGbkWithCrLf) {
  const Bytes file = ReadFile(FromUtf8(TORVANE_PROGRAM_DIR) + "/SQL模板.txt");
  const Lines lines = TemplateLines(file);
  ASSERT_GE(lines.size(), 12u);
  for (const std::string& line : lines) {
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
  EXPECT_EQ(lines.front().rfind("SELECT * FROM 表名", 0), 0u);  // GBK bytes of 表名: B1 ED C3 FB
  const std::string text = BytesToText(file);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (const char* wanted :
       {"SELECT COUNT(*)", "INSERT INTO", "UPDATE", "DELETE FROM", "CREATE TABLE", "CREATE INDEX",
        "CREATE VIEW", "DROP TABLE", "BEGIN", "sqlite_master", "PRAGMA integrity_check"}) {
    EXPECT_NE(text.find(wanted), std::string::npos) << wanted;
  }
}

class TemplateListTest : public AppTest {
 protected:
  void SetUp() override {
    Start({MakeDb("CREATE TABLE t(a);")});
    ConnectSqlDialog(app_, dialog_);
    dialog_.on_created();
  }
  SqlDialog dialog_;
};

TEST_F(TemplateListTest, FillsTheListOverTheTreeStrip) {
  const std::string path = dir_.Path("SQL模板.txt");
  ASSERT_TRUE(WriteFile(path, B("select * from t\r\n\r\n  delete from t\r\n")));
  LoadTemplates(dialog_, path);
  Grid& list = dialog_.template_grid();
  EXPECT_FALSE(list.IsVisible());
  EXPECT_EQ(list.Left(), 0);
  EXPECT_EQ(list.Top(), 0);
  EXPECT_EQ(list.Width(), dialog_.sql_box().Left());
  EXPECT_EQ(list.Height(), dialog_.window().ClientHeight());
  EXPECT_EQ(list.ColumnWidth(0), 32);
  EXPECT_EQ(list.ColumnWidth(1), list.Width() - 50);
  ASSERT_EQ(list.RowCount(), 4);
  const Lines column1 = {"SQL模板", "select * from t", "", "  delete from t"};
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(list.CellText(r, 0), r == 0 ? "序号" : IntToText(r));
    EXPECT_EQ(list.CellText(r, 1), column1[r]);
  }
  // A missing file leaves the titles alone.
  LoadTemplates(dialog_, dir_.Path("没有.txt"));
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.CellText(0, 1), "SQL模板");
  EXPECT_TRUE(services_.message_boxes().empty());
}

TEST_F(TemplateListTest, ApplyPutsTheLineIntoTheTextAndHidesTheList) {
  const std::string path = dir_.Path("SQL模板.txt");
  ASSERT_TRUE(WriteFile(path, B("select 1\r\n  DELETE FROM t\r\nPRAGMA integrity_check")));
  LoadTemplates(dialog_, path);
  Grid& list = dialog_.template_grid();
  // The button shows and hides the list.
  dialog_.import_template_button().Click();
  EXPECT_TRUE(list.IsVisible());
  dialog_.import_template_button().Click();
  EXPECT_FALSE(list.IsVisible());

  // No current row: nothing happens.
  dialog_.import_template_button().Click();
  dialog_.sql_box().SetContent("kept");
  list.on_double_clicked();
  EXPECT_EQ(dialog_.sql_box().Content(), "kept");
  EXPECT_TRUE(list.IsVisible());

  list.SetCurrentCell(2, 1);
  list.on_double_clicked();
  EXPECT_EQ(dialog_.sql_box().Content(), "  DELETE FROM t");
  EXPECT_TRUE(dialog_.execute_radio().IsChecked());
  EXPECT_FALSE(list.IsVisible());

  // The pop-up menu's items: apply (a keyword-less line keeps the kind), and hide.
  dialog_.import_template_button().Click();
  list.SetCurrentCell(3, 1);
  dialog_.menu_item("应用选中行")->on_chosen();
  EXPECT_EQ(dialog_.sql_box().Content(), "PRAGMA integrity_check");
  EXPECT_TRUE(dialog_.execute_radio().IsChecked());
  dialog_.import_template_button().Click();
  list.SetCurrentCell(0, 1);
  dialog_.menu_item("应用选中行")->on_chosen();
  EXPECT_EQ(dialog_.sql_box().Content(), "SQL模板");
  dialog_.import_template_button().Click();
  dialog_.menu_item("关闭SQL模板")->on_chosen();
  EXPECT_FALSE(list.IsVisible());
}

TEST_F(TemplateListTest, ImportsSqlFromAFile) {
  const std::string path = dir_.Path("脚本.sql");
  ASSERT_TRUE(WriteFile(path, B(std::string("select 1;\r\nselect 2;\0junk", 25))));
  services_.QueueFileDialogAnswer(path);
  dialog_.import_file_button().Click();
  ASSERT_EQ(services_.file_dialogs().size(), 1u);
  EXPECT_EQ(services_.file_dialogs()[0].filter,
            "SQL文件(*.sql)|*.sql|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
  EXPECT_EQ(dialog_.sql_box().Content(), "select 1;\r\nselect 2;");
  EXPECT_TRUE(dialog_.query_radio().IsChecked());

  // A file that cannot be read keeps the text and says so; a cancelled dialog does nothing.
  services_.QueueFileDialogAnswer(dir_.path());
  dialog_.import_file_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"读文件失败！无法读取文件：" + dir_.path()});
  services_.QueueFileDialogAnswer(std::nullopt);
  dialog_.import_file_button().Click();
  EXPECT_EQ(dialog_.sql_box().Content(), "select 1;\r\nselect 2;");

  // A large script goes in whole.
  std::string big;
  while (big.size() < 10u * 1024 * 1024) big += "INSERT INTO t VALUES('一行数据');\r\n";
  ASSERT_TRUE(WriteFile(path, B(big)));
  services_.QueueFileDialogAnswer(path);
  dialog_.import_file_button().Click();
  EXPECT_EQ(dialog_.sql_box().Content().size(), big.size());
  EXPECT_TRUE(dialog_.execute_radio().IsChecked());
}

}  // namespace
}  // namespace torvane
