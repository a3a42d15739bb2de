#include "app/transactions.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "base/text.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::FaultFiles;
using testing::FileCall;
using testing::QueryText;
using testing::ScopedFaultVfs;

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

// A COMMIT that cannot write the file (a full disk when it grows, an I/O error) makes the engine
// roll the whole transaction back: the user is told the changes are gone, the log says so, the grid
// shows the file again, and closing no longer asks about a transaction that does not exist.
TEST_F(AppTest, ACommitTheEngineRolledBackIsReportedAsRolledBack) {
  static const struct {
    const char* name;
    FileCall call;
    int code;
    const char* reason;
  } cases[] = {
      {"full disk", FileCall::kWrite, SQLITE_FULL, "database or disk is full"},
      {"write error", FileCall::kWrite, SQLITE_IOERR_WRITE, "disk I/O error"},
  };
  ScopedFaultVfs vfs;
  Start();
  Grid& grid = window_.grid();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path =
        MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('old');", std::string("库") + c.name);
    OpenDatabase(app_, path, false);
    SelectTreeItem("t");
    BeginTransactionCommand(app_);
    EditCell(1, 1, "new");
    ASSERT_EQ(grid.CellText(1, 1), "new");
    vfs.Fail(c.call, 1, c.code, false, FaultFiles::kDatabase);
    CommitTransactionCommand(app_);
    vfs.Heal();
    EXPECT_FALSE(state_.Connection.IsInTransaction());
    EXPECT_EQ(MessageTexts().back(),
              std::string("提交事务失败！错误信息如下：\r\n\r\n") + c.reason +
                  "\r\n\r\n数据库引擎因此回滚了当前事务：事务中尚未提交的修改都已丢失，"
                  "表中显示的是数据库文件现在的内容。");
    EXPECT_EQ(grid.CellText(1, 1), "old");
    const std::string log = window_.log_box().Content();
    EXPECT_NE(log.find(std::string("[×]提交事务失败！（") + c.reason +
                       "）\r\n"
                       "[×]数据库引擎已回滚当前事务，其中尚未提交的修改都已丢失。"),
              std::string::npos)
        << log;
    const std::size_t boxes = services_.message_boxes().size();
    EXPECT_TRUE(CloseDatabase(app_));
    EXPECT_EQ(services_.message_boxes().size(), boxes);
    EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "old");
  }
}

// A COMMIT refused because another program still reads keeps the transaction: the user is told it
// is still open, and committing again once the reader is gone writes the changes.
TEST_F(AppTest, ACommitRefusedForALockKeepsTheTransaction) {
  const std::string path = MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('old');");
  Start({path});
  state_.Connection.SetBusyTimeout(50);
  SelectTreeItem("t");
  BeginTransactionCommand(app_);
  EditCell(1, 1, "new");
  {
    testing::RawDb reader(path);
    reader.Run("BEGIN; SELECT count(*) FROM t;");
    CommitTransactionCommand(app_);
    EXPECT_TRUE(state_.Connection.IsInTransaction());
    EXPECT_EQ(MessageTexts().back(),
              "提交事务失败！错误信息如下：\r\n\r\ndatabase is locked\r\n\r\n"
              "事务仍未结束，其中的修改都还在，可以稍后再次提交。");
    EXPECT_EQ(LastLogLine(), "[×]提交事务失败，事务仍未结束。（database is locked）");
    reader.Run("COMMIT");
  }
  EXPECT_EQ(window_.grid().CellText(1, 1), "new");
  CommitTransactionCommand(app_);
  EXPECT_EQ(MessageTexts().back(), "已成功提交事务。");
  EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "new");
}

// An edit inside the user's transaction that cannot write the journal (a transaction larger than
// the engine's page cache writes it as it goes) makes the engine roll the whole transaction back:
// the edit's failure says so, and the grid shows the file, without the earlier edit the transaction
// held.
TEST_F(AppTest, AnEditThatEndedTheTransactionSaysSoAndShowsTheFile) {
  static const struct {
    int code;
    const char* reason;
  } cases[] = {{SQLITE_IOERR_WRITE, "disk I/O error"}, {SQLITE_FULL, "database or disk is full"}};
  ScopedFaultVfs vfs;
  Start();
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string path = MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('一'), ('二');",
                                    "库" + IntToText(++n));
    OpenDatabase(app_, path, false);
    ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 1"));
    SelectTreeItem("t");
    BeginTransactionCommand(app_);
    EditCell(1, 1, "改一");
    vfs.Fail(FileCall::kWrite, 1, c.code, false, FaultFiles::kJournal);
    EditCell(2, 1, std::string(5000, 'x'));
    vfs.Heal();
    EXPECT_FALSE(state_.Connection.IsInTransaction());
    EXPECT_EQ(MessageTexts().back(),
              std::string("修改字段值失败！错误信息如下：\r\n\r\n") + c.reason +
                  "\r\n\r\n数据库引擎因此回滚了当前事务：事务中尚未提交的修改都已丢失，"
                  "表中显示的是数据库文件现在的内容。");
    EXPECT_EQ(window_.grid().CellText(1, 1), "一");
    EXPECT_EQ(window_.grid().CellText(2, 1), "二");
    EXPECT_EQ(LastLogLine(), "[×]数据库引擎已回滚当前事务，其中尚未提交的修改都已丢失。");
    EXPECT_TRUE(CloseDatabase(app_));
    EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM t"), "一,二");
  }
}

// A read that fails on the file inside the user's transaction makes the engine roll it back, also
// one the program can pass over (a browse's keys, a name it looks up). Whichever read of a rename
// and of the browse after it fails, a transaction gone is told, and the tree and the grid show the
// file: the table under its old name, without the pending edit.
TEST_F(AppTest, AReadThatEndedTheTransactionIsTold) {
  ScopedFaultVfs vfs;
  Start();
  const std::string loss = "数据库引擎因此回滚了当前事务";
  for (int nth = 1; nth < 100; ++nth) {
    SCOPED_TRACE("read " + IntToText(nth));
    const std::string path =
        MakeDb("CREATE TABLE t(a TEXT); INSERT INTO t VALUES('一'), ('二'); CREATE TABLE u(b);",
               "库" + IntToText(nth));
    OpenDatabase(app_, path, false);
    // A transaction larger than the page cache reads the file as it goes.
    ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 1"));
    SelectTreeItem("t");
    BeginTransactionCommand(app_);
    EditCell(1, 1, "改一");
    ASSERT_TRUE(state_.Connection.Execute("INSERT INTO u VALUES(zeroblob(100000))"));
    services_.ClearRecords();
    services_.QueueInputBoxAnswer("t2");
    vfs.Fail(FileCall::kRead, nth, SQLITE_IOERR, false);
    window_.command_item(MainCommand::kRenameTable).Choose();
    const int failures = vfs.failures();
    vfs.Heal();
    const bool open = state_.Connection.IsInTransaction();
    EXPECT_EQ(state_.TransactionSeenOpen, open);
    const std::vector<std::string> texts = MessageTexts();
    const bool told = std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
      return text.find(loss) != std::string::npos;
    });
    EXPECT_EQ(told, !open);
    EXPECT_EQ(TreeTexts(),
              (std::vector<std::string>{"表 (2)", open ? "t2" : "t", "u", "视图 (0)"}));
    if (!open && window_.tree().ItemText(window_.tree().SelectedIndex()) == "t") {
      EXPECT_EQ(window_.grid().CellText(1, 1), "一");
    }
    services_.QueueMessageBoxAnswer(kIdNo);
    EXPECT_TRUE(CloseDatabase(app_));
    if (failures == 0) break;
  }
}

}  // namespace
}  // namespace torvane
