#include "app/transactions.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;

TEST_F(AppTest, BeginEditRollbackRestoresTheOldValue) {
  const std::string path = MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('old');");
  Start({path});
  SelectTreeItem("t");
  ASSERT_TRUE(window_.menu_item("开始事务")->Choose());
  Grid& grid = window_.grid();
  grid.SetCurrentCell(1, 1);
  grid.on_editing_begins();
  grid.SetCellText(1, 1, "new");
  grid.on_editing_ends();
  ASSERT_TRUE(window_.menu_item("回滚事务")->Choose());
  SelectTreeItem("表 (1)");
  SelectTreeItem("t");
  EXPECT_EQ(grid.CellText(1, 1), "old");
  ASSERT_EQ(services_.message_boxes().size(), 2u);
  EXPECT_EQ(services_.message_boxes()[0].text, "已成功启动事务。");
  EXPECT_EQ(services_.message_boxes()[1].text, "已成功回滚事务。");
  EXPECT_EQ(services_.message_boxes()[1].flags, kMbOk);
  EXPECT_EQ(services_.message_boxes()[1].caption, "信息：");
}

TEST_F(AppTest, CommitWritesAndASecondCommitFails) {
  const std::string path = MakeDb("CREATE TABLE t(a TEXT);");
  Start({path});
  BeginTransactionCommand(app_);
  ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES('kept')"));
  CommitTransactionCommand(app_);
  EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "kept");
  CommitTransactionCommand(app_);
  ASSERT_EQ(services_.message_boxes().size(), 3u);
  EXPECT_EQ(services_.message_boxes()[1].text, "已成功提交事务。");
  EXPECT_EQ(services_.message_boxes()[2].text,
            "提交事务失败！错误信息如下：\r\n\r\ncannot commit - no transaction is active");
  EXPECT_EQ(services_.message_boxes()[2].flags, kMbOkStop);
}

TEST_F(AppTest, DiagnosticsShowTheEngineValues) {
  Start({MakeDb("CREATE TABLE t(id INTEGER PRIMARY KEY, a);")});
  ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES(41, 'x')"));
  ShowLastInsertIdCommand(app_);
  ShowErrorTextCommand(app_);
  ShowErrorCodeCommand(app_);
  EXPECT_FALSE(state_.Connection.Execute("DROP TABLE missing"));
  ShowErrorTextCommand(app_);
  ShowErrorCodeCommand(app_);
  const auto& boxes = services_.message_boxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, "最近一次插入记录时自动生成的记录ID：41");
  EXPECT_EQ(boxes[0].caption, "取最新插入ID()：");
  EXPECT_EQ(boxes[1].text, "最近一次操作的错误信息：");
  EXPECT_EQ(boxes[1].caption, "取错误文本()：");
  EXPECT_EQ(boxes[2].text, "最近一次操作的错误码：0");
  EXPECT_EQ(boxes[2].caption, "取错误码()：");
  EXPECT_EQ(boxes[3].text, "最近一次操作的错误信息：no such table: missing");
  EXPECT_EQ(boxes[4].text, "最近一次操作的错误码：1");
  for (const auto& box : boxes) EXPECT_EQ(box.flags, kMbOk);
}

}  // namespace
}  // namespace torvane
