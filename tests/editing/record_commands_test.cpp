#include "editing/record_commands.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;
using testing::RawDb;

TEST_F(AppTest, InsertEmptyRecordAppendsNullsAndShowsTheTableAgain) {
  const std::string path = MakeDb(
      "CREATE TABLE t1(id INTEGER PRIMARY KEY, a, b); INSERT INTO t1 VALUES(5, 'x', 'y');"
      "CREATE TABLE \"my table\"(a); CREATE TABLE 非空(a NOT NULL);"
      "CREATE TABLE \"t where 1=1 --\"(a);");
  Start({path});
  SelectTreeItem("t1");
  window_.menu_item("插入空记录")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功插入空记录。"});
  EXPECT_EQ(QueryText(path,
                      "SELECT count(*) || ':' || max(id) || ':' || quote(max(a)) FROM t1 "
                      "WHERE a IS NULL AND b IS NULL"),
            "1:6:NULL");
  EXPECT_EQ(window_.grid().RowCount(), 3);
  EXPECT_EQ(window_.grid().CellText(2, 1), "6");
  EXPECT_EQ(LastLogLine(), "已在表 t1 中插入空记录");

  // Names that need quoting reach only their own table.
  for (const char* name : {"my table", "t where 1=1 --"}) {
    SelectTreeItem(name);
    window_.menu_item("插入空记录")->Choose();
    EXPECT_EQ(QueryText(path, std::string("SELECT count(*) FROM \"") + name + "\" WHERE a IS NULL"),
              "1");
  }

  services_.ClearRecords();
  SelectTreeItem("非空");
  window_.menu_item("插入空记录")->Choose();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{
                "插入空记录失败！表 非空 不允许插入空记录，可能因为：存在主键；某字段不允许为null。"
                "错误信息如下：\r\n\r\nNOT NULL constraint failed: 非空.a"});
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM 非空"), "0");
  EXPECT_EQ(LastLogLine(),
            "[×]插入空记录失败！表 非空 不允许插入空记录，可能因为：存在主键；某字段不允许为null。"
            "（NOT NULL constraint failed: 非空.a）");
}

TEST_F(AppTest, InsertEmptyRecordNeedsATable) {
  const std::string path = MakeDb("CREATE TABLE t(a); CREATE VIEW v AS SELECT a FROM t;");
  Start({path});
  SelectTreeItem("v");
  window_.menu_item("插入空记录")->Choose();
  SelectTreeItem("表 (1)");
  window_.menu_item("插入空记录")->Choose();
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM t"), "0");
}

TEST_F(AppTest, DeleteCurrentRecordDeletesTheChosenRecordOnly) {
  const std::string path = MakeDb(
      "CREATE TABLE \"t where 1=1 --\"(a); INSERT INTO \"t where 1=1 --\" VALUES(1), (2), (3);");
  Start({path});
  SelectTreeItem("t where 1=1 --");
  window_.grid().SetCurrentCell(2, 1);

  // Only Yes deletes.
  services_.QueueMessageBoxAnswer(kIdNo);
  window_.menu_item("删除当前记录")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"您确认要删除当前记录吗？"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbYesNoCancelAsk);

  services_.ClearRecords();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.menu_item("删除当前记录")->Choose();
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"您确认要删除当前记录吗？", "已成功删除当前记录。"}));
  EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM \"t where 1=1 --\""), "1,3");
  EXPECT_EQ(window_.grid().RowCount(), 3);
  EXPECT_EQ(window_.record_number_box().SelectedIndex(), -1);

  EXPECT_EQ(LastLogLine(), "已删除表 t where 1=1 -- 中的第2条记录");

  // With no record chosen (the grid was shown again) nothing is deleted, and nothing is asked.
  services_.ClearRecords();
  window_.menu_item("删除当前记录")->Choose();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"尚未选择记录：请先在表格中点选要删除的记录。"});
  EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM \"t where 1=1 --\""), "1,3");
}

TEST_F(AppTest, DeleteFollowsTheRowTheUserSees) {
  const std::string path =
      MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES('一'), ('二'), ('三'), ('四');");
  Start({path});
  SelectTreeItem("t");
  // Another program deletes the second record while the grid still shows it; the user then chooses
  // the third row.
  RawDb other(path);
  other.Run("DELETE FROM t WHERE a = '二'");
  EditCell(1, 1, "一改");  // a write reloads the cursor's list, so positions move
  window_.grid().SetCurrentCell(3, 1);
  services_.ClearRecords();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.menu_item("删除当前记录")->Choose();
  EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM t"), "一改,四");

  // The vanished record itself cannot be deleted again, and nothing else goes in its place.
  SelectTreeItem("表 (1)");
  SelectTreeItem("t");
  other.Run("DELETE FROM t WHERE a = '四'");
  window_.grid().SetCurrentCell(2, 1);
  services_.ClearRecords();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.menu_item("删除当前记录")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 2u);
  EXPECT_NE(services_.message_boxes()[1].text.find("记录已不存在"), std::string::npos);
  EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM t"), "一改");
}

TEST_F(AppTest, DeleteCurrentRecordNeedsAShownTable) {
  Start({MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES(1); CREATE VIEW v AS SELECT a FROM t;")});
  SelectTreeItem("v");
  window_.menu_item("删除当前记录")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"只有表才可以被删除记录！"});
}

TEST_F(AppTest, GridEditsFollowRowIdsNotPositions) {
  // A covering index could return rows in its own order; the grid shows them by row id, and every
  // edit lands on the record its row shows.
  const std::string path = MakeDb(
      "CREATE TABLE c(a, b); CREATE INDEX cb ON c(b, a);"
      "INSERT INTO c VALUES('第一', 'z'), ('第二', 'y'), ('第三', 'x');");
  Start({path});
  SelectTreeItem("c");
  EXPECT_EQ(window_.grid().CellText(1, 1), "第一");
  EXPECT_EQ(window_.grid().CellText(3, 1), "第三");
  EditCell(1, 2, "改一");
  EXPECT_EQ(QueryText(path, "SELECT b FROM c WHERE rowid = 1"), "改一");

  // Another program deletes the first record; later edits still reach the rows they show.
  RawDb other(path);
  other.Run("DELETE FROM c WHERE rowid = 1");
  EditCell(2, 2, "改二");
  EditCell(3, 2, "改三");
  EXPECT_EQ(QueryText(path, "SELECT group_concat(a || b) FROM c"), "第二改二,第三改三");
  // The row of the vanished record cannot be written.
  services_.ClearRecords();
  EditCell(1, 1, "复活？");
  // Choosing the cell already says the record cannot be read.
  EXPECT_EQ(MessageTexts().front(),
            "读字段值失败！错误信息如下：\r\n\r\n记录已不存在（_ROWID_ = 1）");
  EXPECT_EQ(MessageTexts().back().rfind("修改字段值失败！", 0), 0u);
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM c"), "2");
}

}  // namespace
}  // namespace torvane
