#include "editing/object_commands.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/schema_tree.h"
#include "base/files.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;
using testing::RawDb;

class ObjectCommandsTest : public AppTest {
 protected:
  void Open(const std::string& sql) {
    path_ = MakeDb(sql);
    Start({path_});
  }
  // Chooses menu item `caption`, answering its input box with `answer` when there is one, and its
  // confirmation with Yes when `confirm`; expects every answer to have been used.
  void Run(const std::string& caption, std::optional<std::string> answer, bool confirm = false) {
    services_.ClearRecords();
    if (answer) services_.QueueInputBoxAnswer(std::move(answer));
    if (confirm) services_.QueueMessageBoxAnswer(kIdYes);
    window_.menu_item(caption)->Choose();
    EXPECT_EQ(services_.PendingAnswers(), 0) << caption;
    services_.ClearRecords();
  }
  std::vector<std::string> Names(const std::string& type) {
    return {QueryText(path_,
                      "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                      "WHERE type = '" +
                          type + "' ORDER BY name)")};
  }

  std::string path_;
};

TEST_F(ObjectCommandsTest, RenamesTablesAndViews) {
  Open(
      "CREATE TABLE t1(a); CREATE TABLE \"my table\"(a); INSERT INTO \"my table\" VALUES(1);"
      "CREATE VIEW v1 AS SELECT a FROM t1;");
  SelectTreeItem("t1");
  services_.QueueInputBoxAnswer("t2");
  window_.menu_item("修改表名称")->Choose();
  ASSERT_EQ(services_.input_boxes().size(), 1u);
  EXPECT_EQ(services_.input_boxes()[0].prompt, "请输入新的表名称：");
  EXPECT_EQ(services_.input_boxes()[0].caption, "请输入：");
  EXPECT_EQ(services_.input_boxes()[0].initial, "t1");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功修改表名称！"});
  EXPECT_EQ(Names("table"), std::vector<std::string>{"my table,t2"});
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (2)", "my table", "t2", "视图 (1)", "v1"}));

  SelectTreeItem("my table");
  services_.ClearRecords();
  services_.QueueInputBoxAnswer("我的表");
  window_.menu_item("修改表名称")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功修改表名称！"});
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM 我的表"), "1");

  SelectTreeItem("v1");
  services_.ClearRecords();
  services_.QueueInputBoxAnswer("视图一");
  window_.menu_item("修改视图名称")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功修改视图名称！"});
  EXPECT_EQ(QueryText(path_, "SELECT sql FROM sqlite_master WHERE type = 'view'"),
            "CREATE VIEW 视图一 AS SELECT a FROM \"t2\"");  // the engine's own rewrite
  EXPECT_FALSE(state_.Connection.IsInTransaction());
}

// The renamed object stays selected wherever its new name sorts, is shown once, and the rename is
// logged; a table whose rows cannot be read says so once, not once per refresh.
TEST_F(ObjectCommandsTest, ARenamedObjectStaysSelectedAndIsShownOnce) {
  Open(
      "CREATE TABLE a(x); INSERT INTO a VALUES('甲'); CREATE TABLE b(x);"
      "CREATE TABLE c(x); INSERT INTO c VALUES('{bad');"
      // A column computed from the stored text, which cannot be computed for this row.
      "PRAGMA writable_schema = ON;"
      "UPDATE sqlite_master SET sql = 'CREATE TABLE c(x, y AS (json(x)))' WHERE name = 'c';");
  SelectTreeItem("a");
  const std::string log_before = window_.log_box().Content();
  Run("修改表名称", std::string("\"z 表\""));
  EXPECT_EQ(window_.tree().ItemText(window_.tree().SelectedIndex()), "z 表");
  EXPECT_EQ(window_.grid().CellText(1, 1), "甲");
  EXPECT_EQ(window_.log_box().Content(), log_before + "\r\n已将表 a 改名为 z 表\r\n打开表：z 表");

  SelectTreeItem("c");  // its rows cannot be read: one box for the browse
  services_.ClearRecords();
  services_.QueueInputBoxAnswer(std::string("d"));
  window_.menu_item("修改表名称")->Choose();
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"已成功修改表名称！",
                                                      "打开表失败：d\r\n\r\nmalformed JSON"}));
}

TEST_F(ObjectCommandsTest, RenameRefusesEmptyAndUnchangedNames) {
  Open("CREATE TABLE t(a); CREATE VIEW v AS SELECT a FROM t;");
  const Bytes before = ReadFile(path_);
  static const struct {
    const char* item;
    const char* caption;
    std::optional<std::string> answer;
    std::vector<std::string> messages;
  } cases[] = {
      {"t", "修改表名称", std::nullopt, {}},
      {"t", "修改表名称", "", {"表名称不能为空！"}},
      {"t", "修改表名称", "t", {"您输入的表名称与原名称相同！无需修改。"}},
      {"v", "修改视图名称", "v", {"您输入的视图名称与原名称相同！无需修改。"}},
      {"表 (1)", "修改视图名称", "x", {"请先选择要改名的视图！"}},
  };
  for (const auto& c : cases) {
    SelectTreeItem(c.item);
    services_.ClearRecords();
    services_.QueueInputBoxAnswer(c.answer);
    window_.menu_item(c.caption)->Choose();
    EXPECT_EQ(MessageTexts(), c.messages) << c.caption;
    while (services_.PendingAnswers() > 0) services_.InputBox("");
  }
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(ObjectCommandsTest, FailedRenamesReportTheEngineAndChangeNothing) {
  Open(
      "CREATE TABLE t(a); CREATE TABLE taken(a); CREATE VIEW v AS SELECT a FROM t;"
      "CREATE VIEW w\nAS SELECT 1;");
  const Bytes before = ReadFile(path_);
  // A view renamed by ALTER TABLE: the engine refuses.
  SelectTreeItem("v");
  services_.QueueInputBoxAnswer("v2");
  window_.menu_item("修改表名称")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(
      services_.message_boxes()[0].text.rfind("修改表名称时发生错误！错误信息如下：\r\n\r\n", 0),
      0u);
  EXPECT_NE(services_.message_boxes()[0].text.find("view"), std::string::npos);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);

  // The new name is taken: the drop worked, the create failed, everything is undone and the
  // create's message is shown.
  services_.ClearRecords();
  services_.QueueInputBoxAnswer("taken");
  window_.menu_item("修改视图名称")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "修改视图名称时发生错误！错误信息如下：\r\n\r\ntable taken already exists");

  EXPECT_FALSE(state_.Connection.IsInTransaction());
  EXPECT_EQ(ReadFile(path_), before);

  // A definition written over several lines is read as the engine reads it, and renamed.
  SelectTreeItem("w");
  services_.ClearRecords();
  services_.QueueInputBoxAnswer("w2");
  window_.menu_item("修改视图名称")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功修改视图名称！"});
  EXPECT_EQ(QueryText(path_, "SELECT sql FROM sqlite_master WHERE name = 'w2'"),
            "CREATE VIEW w2\nAS SELECT 1");
}

TEST_F(ObjectCommandsTest, ViewCommandsKeepTheUsersTransaction) {
  Open("CREATE TABLE t(a); INSERT INTO t VALUES('旧'); CREATE VIEW v AS SELECT a FROM t;");
  window_.menu_item("开始事务")->Choose();
  SelectTreeItem("t");
  EditCell(1, 1, "新");  // the user's pending change

  SelectTreeItem("v");
  Run("修改视图名称", "v2");
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  SelectTreeItem("v2");
  services_.QueueInputBoxAnswer("SELECT a || '!' AS b FROM t");
  window_.menu_item("修改视图")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"视图修改成功。"});
  EXPECT_EQ(window_.grid().CellText(1, 1), "新!");
  // A refused query undoes only itself.
  services_.ClearRecords();
  services_.QueueInputBoxAnswer("SELEC nonsense");
  window_.menu_item("修改视图")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind("修改视图失败！错误信息如下：\r\n\r\n", 0), 0u);
  EXPECT_NE(services_.message_boxes()[0].text.find("syntax error"), std::string::npos);
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  EXPECT_EQ(QueryText(path_, "SELECT a FROM t"), "旧");  // nothing committed yet

  window_.menu_item("提交事务")->Choose();
  EXPECT_EQ(QueryText(path_, "SELECT a FROM t"), "新");
  EXPECT_EQ(QueryText(path_, "SELECT sql FROM sqlite_master WHERE name = 'v2'"),
            "CREATE VIEW v2 AS SELECT a || '!' AS b FROM t");
}

TEST_F(ObjectCommandsTest, AlterViewWithABadQueryLeavesTheFileAsItWas) {
  Open("CREATE TABLE t(a); CREATE VIEW v AS SELECT a FROM t; CREATE VIEW \"my view\" AS SELECT 1;");
  const Bytes before = ReadFile(path_);
  SelectTreeItem("v");
  services_.QueueInputBoxAnswer("SELECT b FROM nowhere");
  window_.menu_item("修改视图")->Choose();
  ASSERT_EQ(services_.input_boxes().size(), 1u);
  EXPECT_EQ(services_.input_boxes()[0].prompt, "请输入新的视图定义SQL语句（只需输入select部分）");
  EXPECT_EQ(services_.input_boxes()[0].caption, "修改视图");
  EXPECT_EQ(services_.input_boxes()[0].initial, "SELECT * FROM <表名>");
  ASSERT_EQ(services_.message_boxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(services_.message_boxes()[0].text,
            "修改视图失败！错误信息如下：\r\n\r\nno such table: main.nowhere");
  EXPECT_FALSE(state_.Connection.IsInTransaction());
  EXPECT_EQ(ReadFile(path_), before);

  SelectTreeItem("my view");
  Run("修改视图", "SELECT 2 AS two");
  EXPECT_EQ(QueryText(path_, "SELECT * FROM \"my view\""), "2");

  SelectTreeItem("t");
  services_.ClearRecords();
  window_.menu_item("修改视图")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"请先选中一个视图，然后执行修改操作！"});
}

TEST_F(ObjectCommandsTest, ATemporaryViewStaysTemporary) {
  Open("CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  ASSERT_TRUE(state_.Connection.Execute("CREATE TEMP VIEW 临时视图 AS SELECT a FROM t"));
  RefreshSchema(app_);
  SelectTreeItem("临时视图");
  Run("修改视图", "SELECT a * 10 AS b FROM t");
  Run("修改视图名称", "临时二");
  EXPECT_EQ(Names("view"), std::vector<std::string>{"<null>"});  // nothing reached the file
  EXPECT_EQ(TreeTexts(),
            (std::vector<std::string>{"表 (1)", "t", "视图 (0)", "临时视图 (1)", "临时二"}));
  SqliteDataset rows = state_.Connection.Query("SELECT b FROM temp.临时二");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "10");
}

TEST_F(ObjectCommandsTest, DropsAfterConfirmation) {
  Open(
      "CREATE TABLE \"my table\"(a); CREATE TABLE \"t where 1=1 --\"(a); CREATE TABLE t(a);"
      "CREATE VIEW v AS SELECT 1;");
  SelectTreeItem("my table");
  services_.QueueMessageBoxAnswer(kIdNo);
  window_.menu_item("删除表")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"您确认要删除表 my table 吗？"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbYesNoCancelAsk);
  EXPECT_EQ(Names("table"), std::vector<std::string>{"my table,t,t where 1=1 --"});

  services_.ClearRecords();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.menu_item("删除表")->Choose();
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"您确认要删除表 my table 吗？", "已删除。"}));
  EXPECT_EQ(Names("table"), std::vector<std::string>{"t,t where 1=1 --"});
  SelectTreeItem("t where 1=1 --");
  Run("删除表", std::nullopt, true);
  EXPECT_EQ(Names("table"), std::vector<std::string>{"t"});

  // 删除表 on a view runs DROP TABLE, which the engine refuses.
  SelectTreeItem("v");
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.menu_item("删除表")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 2u);
  EXPECT_EQ(services_.message_boxes()[1].text,
            "删除失败！错误信息如下：\r\n\r\nuse DROP VIEW to delete view v");
  EXPECT_EQ(LastLogLine(), "[×]删除失败！（use DROP VIEW to delete view v）");
  EXPECT_EQ(services_.message_boxes()[1].flags, kMbOkStop);
  Run("删除视图", std::nullopt, true);
  EXPECT_EQ(Names("view"), std::vector<std::string>{"<null>"});
  // The dropped view was the tree's last item: nothing is selected, and nothing of it is shown.
  EXPECT_EQ(window_.tree().SelectedIndex(), -1);
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
  EXPECT_EQ(window_.definition_box().Content(), "");
}

TEST_F(ObjectCommandsTest, CreateViewRunsTheStatementAsEntered) {
  Open("CREATE TABLE t(a);");
  services_.QueueInputBoxAnswer(std::string("CREATE VIEW <视图名称> AS <select语句>"));
  window_.menu_item("新建视图")->Choose();
  ASSERT_EQ(services_.input_boxes().size(), 1u);
  EXPECT_EQ(services_.input_boxes()[0].prompt, "请输入创建视图的SQL语句");
  EXPECT_EQ(services_.input_boxes()[0].caption, "新建视图");
  EXPECT_EQ(services_.input_boxes()[0].initial, "CREATE VIEW <视图名称> AS <select语句>");
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"执行失败！错误信息如下：\r\n\r\nnear \"<\": syntax error"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);

  services_.ClearRecords();
  services_.QueueInputBoxAnswer(std::string("CREATE VIEW 新视图 AS SELECT a FROM t"));
  window_.menu_item("新建视图")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"执行成功。"});
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (1)", "t", "视图 (1)", "新视图"}));
}

TEST_F(ObjectCommandsTest, ToolbarButtonsRunTheMenuCommands) {
  Open("CREATE TABLE t(a);");
  static const struct {
    int button;
    const char* message;
  } cases[] = {
      {6, "请先选中一个表，然后执行删除操作！"},
      {9, "请先选中一个视图，然后执行修改操作！"},
      {10, "请先选中一个视图，然后执行删除操作！"},
  };
  for (const auto& c : cases) {
    services_.ClearRecords();
    window_.toolbar().ClickButton(c.button);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message}) << c.button;
  }
  services_.ClearRecords();
  window_.toolbar().ClickButton(8);
  ASSERT_EQ(services_.input_boxes().size(), 1u);
  EXPECT_EQ(services_.input_boxes()[0].caption, "新建视图");
}

// Inside the user's transaction, dropping a table or view is part of it: whatever read or write of
// the file fails on the way (the look-up of what names it, the drop), nothing is dropped on its
// own. A failure that ended the transaction says so. The transaction is larger than the page cache,
// so that it reads and writes the file as it goes.
TEST_F(ObjectCommandsTest, ADropInTheUsersTransactionIsNeverWrittenOnItsOwn) {
  testing::ScopedFaultVfs vfs;
  Start();
  static const struct {
    const char* item;
    const char* caption;
  } drops[] = {{"u", "删除表"}, {"v", "删除视图"}};
  static const testing::FileCall calls[] = {testing::FileCall::kRead, testing::FileCall::kWrite};
  int file = 0;
  for (const auto& drop : drops) {
    for (const testing::FileCall call : calls) {
      for (int nth = 1; nth < 100; ++nth) {
        SCOPED_TRACE(std::string(drop.caption) +
                     (call == testing::FileCall::kRead ? " read " : " write ") +
                     std::to_string(nth));
        path_ = MakeDb(
            "CREATE TABLE t(a); CREATE TABLE u(b); CREATE VIEW v AS SELECT a FROM t;"
            "CREATE VIEW w AS SELECT b FROM u;",
            "库" + std::to_string(++file));
        const std::string before = RawDb(path_).Dump();
        OpenDatabase(app_, path_, false);
        ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 1"));
        window_.menu_item("开始事务")->Choose();
        ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES(zeroblob(100000))"));
        SelectTreeItem(drop.item);
        services_.ClearRecords();
        services_.QueueMessageBoxAnswer(kIdYes);
        vfs.Fail(call, nth, SQLITE_IOERR, false);
        window_.menu_item(drop.caption)->Choose();
        const int failures = vfs.failures();
        vfs.Heal();
        const bool open = state_.Connection.IsInTransaction();
        EXPECT_EQ(state_.TransactionSeenOpen, open);
        // A transaction gone is told, whether the drop failed or a read after it.
        const std::vector<std::string> texts = MessageTexts();
        EXPECT_EQ(TransactionLossTold(), !open);
        if (!open && texts.front().rfind("删除失败！", 0) == 0) {
          EXPECT_EQ(texts.front().rfind("删除失败！错误信息如下：\r\n\r\ndisk I/O error", 0), 0u);
        }
        // Closing rolls the transaction back: the file is as it was.
        services_.QueueMessageBoxAnswer(kIdNo);
        EXPECT_TRUE(CloseDatabase(app_));
        EXPECT_EQ(RawDb(path_).Dump(), before);
        if (failures == 0) break;
      }
    }
  }
}

}  // namespace
}  // namespace torvane
