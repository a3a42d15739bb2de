#include "editing/insert_record.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/files.h"
#include "base/text.h"
#include "support/app_fixture.h"
#include "ui/insert_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryBytes;
using testing::QueryText;

// The dialog bound to the program, started as its first showing would start it, but not shown:
// the test plays the user.
class InsertRecordTest : public AppTest {
 protected:
  void Open(const std::string& sql, const std::string& table) {
    path_ = MakeDb(sql);
    Start({path_});
    SelectTreeItem(table);
    ConnectInsertDialog(app_, insert_, dialog_);
    dialog_.on_created();
  }

  // Makes `field` (1-based) current and assigns `text` from page `page` (0 text, 1 integer,
  // 2 decimal).
  void AssignText(int field, int page, const std::string& text) {
    dialog_.field_grid().SetCurrentCell(field - 1, 0);
    dialog_.value_tabs().SetCurrentPage(page);
    EditBox& box = page == 0   ? dialog_.text_value_box()
                   : page == 1 ? dialog_.integer_value_box()
                               : dialog_.decimal_value_box();
    Button& write = page == 0   ? dialog_.write_text_button()
                    : page == 1 ? dialog_.write_integer_button()
                                : dialog_.write_decimal_button();
    box.SetContent(text);
    write.Click();
  }

  std::string path_;
  InsertState insert_;
  InsertDialog dialog_;
};

TEST_F(InsertRecordTest, InsertsOnlyTheAssignedFields) {
  Open(
      "CREATE TABLE 客户(名称 TEXT DEFAULT '无名', 等级 INTEGER DEFAULT 7, 照片 BLOB, 备注, 余额 "
      "INTEGER);"
      "INSERT INTO 客户(名称) VALUES('老客户');",
      "客户");
  EXPECT_EQ(dialog_.window().Title(), "向表 客户 中插入新记录...");
  Grid& list = dialog_.field_grid();
  ASSERT_EQ(list.RowCount(), 5);
  EXPECT_EQ(list.CellText(2, 0), "照片");
  EXPECT_EQ(list.CurrentRow(), 0);
  EXPECT_EQ(insert_.InsertAssignments.size(), 5u);

  AssignText(4, 0, "中文备注");
  EXPECT_EQ(dialog_.text_length_label().Caption(), "文本长度(字符数)：8");  // bytes, not characters
  AssignText(5, 1, "0012");  // staged as text; the column's affinity makes it a number
  const std::string picture = dir_.Path("照片.bin");
  ASSERT_TRUE(WriteFile(picture, Bytes{0, 1, 2, 0}));
  list.SetCurrentCell(2, 0);
  dialog_.value_tabs().SetCurrentPage(3);
  services_.QueueFileDialogAnswer(picture);
  dialog_.read_bytes_from_file_button().Click();
  EXPECT_EQ(dialog_.bytes_length_label().Caption(), "字节集长度(字节)：4");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>(3, "已成功写入字段值。"));

  services_.ClearRecords();
  dialog_.ok_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功插入记录！"});
  EXPECT_EQ(QueryText(path_,
                      "SELECT 名称 || '|' || 等级 || '|' || 备注 || '|' || typeof(余额) || "
                      "余额 FROM 客户 WHERE rowid = 2"),
            "无名|7|中文备注|integer12");
  EXPECT_EQ(QueryBytes(path_, "SELECT 照片 FROM 客户 WHERE rowid = 2"), (Bytes{0, 1, 2, 0}));
  // The main window shows the table again, new record included.
  EXPECT_EQ(window_.grid().RowCount(), 3);
  EXPECT_EQ(window_.grid().CellText(2, 4), "中文备注");
}

TEST_F(InsertRecordTest, ReturningToAFieldShowsItsLastAssignment) {
  Open("CREATE TABLE t(a, b);", "t");
  AssignText(1, 0, "first");
  AssignText(1, 2, "2.5");  // assigned again, from another page: only this one counts
  AssignText(2, 0, "other");
  dialog_.field_grid().SetCurrentCell(0, 0);
  EXPECT_EQ(dialog_.value_tabs().CurrentPage(), 2);
  EXPECT_EQ(dialog_.text_value_box().Content(), "2.5");
  EXPECT_EQ(dialog_.integer_value_box().Content(), "2.5");
  EXPECT_EQ(dialog_.decimal_value_box().Content(), "2.5");
  EXPECT_EQ(dialog_.bytes_length_label().Caption(), "长度(字节)：0");
  EXPECT_EQ(dialog_.text_length_label().Caption(), "文本长度(字符数)：3");
  dialog_.ok_button().Click();
  EXPECT_EQ(QueryText(path_, "SELECT typeof(a) || a || b FROM t"), "text2.5other");
}

TEST_F(InsertRecordTest, AFailedInsertKeepsTheDialogAndItsAssignments) {
  Open("CREATE TABLE t(a NOT NULL, b UNIQUE); INSERT INTO t VALUES(1, 'taken');", "t");
  // Nothing assigned: the cursor has nothing to insert.
  dialog_.ok_button().Click();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind("插入记录失败！错误信息如下：\r\n\r\n", 0), 0u);
  EXPECT_EQ(services_.message_boxes()[0].caption, "错误：");

  AssignText(2, 0, "taken");
  services_.ClearRecords();
  dialog_.ok_button().Click();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_NE(services_.message_boxes()[0].text.find("NOT NULL"), std::string::npos);
  // The user puts it right and tries again with the same dialog.
  AssignText(1, 0, "2");
  AssignText(2, 0, "free");
  services_.ClearRecords();
  dialog_.ok_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功插入记录！"});
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(a || b) FROM t"), "1taken,2free");
}

TEST_F(InsertRecordTest, UnreadableFileAndCancelAssignNothing) {
  Open("CREATE TABLE t(a TEXT, b BLOB);", "t");
  dialog_.field_grid().SetCurrentCell(1, 0);
  dialog_.value_tabs().SetCurrentPage(3);
  services_.QueueFileDialogAnswer(dir_.path());
  dialog_.read_bytes_from_file_button().Click();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"为字段赋值失败！无法读取文件：" + dir_.path()});
  EXPECT_EQ(insert_.InsertAssignments[1].Kind, 0);
  services_.QueueFileDialogAnswer(std::nullopt);
  dialog_.read_bytes_from_file_button().Click();
  EXPECT_EQ(services_.message_boxes().size(), 1u);

  // An empty file that can be read gives empty bytes; clearing does too.
  ASSERT_TRUE(WriteFile(dir_.Path("空.bin"), Bytes()));
  services_.QueueFileDialogAnswer(dir_.Path("空.bin"));
  dialog_.read_bytes_from_file_button().Click();
  EXPECT_EQ(insert_.InsertAssignments[1].Kind, 11);
  dialog_.clear_bytes_button().Click();
  EXPECT_EQ(dialog_.bytes_length_label().Caption(), "字节集长度(字节)：0");

  dialog_.cancel_button().Click();
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "0");
}

TEST_F(AppTest, InsertRecordWithoutATableClosesAtOnce) {
  Start({MakeDb("CREATE TABLE t(a);")});
  // No table shown: the dialog says so and closes itself; the command returns.
  window_.menu_item("插入记录...")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"没有要操作的表！"});
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// In a database kept in UTF-8 the dialog lists the fields by their names and inserts text as
// UTF-8 and bytes as they are.
TEST_F(InsertRecordTest, AUtf8DatabaseGetsUtf8TextAndUnchangedBytes) {
  const std::u8string_view made = u8"CREATE TABLE 客户 (名称 TEXT, 照片 BLOB);";
  Open(std::string(made.begin(), made.end()), "客户");
  ASSERT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
  EXPECT_EQ(dialog_.field_grid().CellText(0, 0), "名称");
  AssignText(1, 0, "中文");
  const std::string bytes = dir_.Path("gbk.bin");
  ASSERT_TRUE(WriteFile(bytes, Bytes{0xD6, 0xD0}));
  dialog_.field_grid().SetCurrentCell(1, 0);
  dialog_.value_tabs().SetCurrentPage(3);
  services_.QueueFileDialogAnswer(bytes);
  dialog_.read_bytes_from_file_button().Click();
  dialog_.ok_button().Click();
  const std::u8string_view check = u8"SELECT hex(名称) || '/' || hex(照片) FROM 客户";
  EXPECT_EQ(QueryText(path_, std::string(check.begin(), check.end())), "E4B8ADE69687/D6D0");
}

}  // namespace
}  // namespace torvane
