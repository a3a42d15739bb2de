#include "app/database_commands.h"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/record_grid.h"
#include "base/files.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"
#include "support/worker_hold.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::MakeDatabase;
using testing::QueryText;

// How many files the backup folder holds of the file at `path`: its backups, and the partial
// copies of this process (tests running beside this one make backups of their own files there).
std::size_t BackupsOf(const std::string& path) {
  const std::string own = SystemPath(path.substr(path.rfind('/') + 1)) + "__";
  const std::string partial = ".torvane-backup-" + std::to_string(::getpid()) + "-";
  std::error_code error;
  std::size_t names = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(SystemPath(BackupDirectory()), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(own, 0) == 0 || name.rfind(partial, 0) == 0) ++names;
  }
  return names;
}

TEST(BackupFileName, DropsTrailingZeroUnits) {
  static const struct {
    LocalDateTime when;
    const char* name;
  } cases[] = {
      {{2024, 3, 3, 9, 5, 0}, "shop.sdb__2024年3月3日9时5分"},
      {{2024, 3, 3, 9, 5, 7}, "shop.sdb__2024年3月3日9时5分7秒"},
      {{2024, 3, 3, 9, 0, 7}, "shop.sdb__2024年3月3日9时0分7秒"},
      {{2024, 12, 31, 23, 0, 0}, "shop.sdb__2024年12月31日23时"},
      {{2024, 1, 1, 0, 0, 0}, "shop.sdb__2024年1月1日"},
      {{2024, 1, 1, 0, 0, 1}, "shop.sdb__2024年1月1日0时0分1秒"},
      {{2024, 1, 1, 0, 1, 0}, "shop.sdb__2024年1月1日0时1分"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BackupFileName("/data/shop.sdb", c.when), c.name) << c.name;
  }
  EXPECT_EQ(BackupFileName("裸名", {2024, 3, 3, 9, 5, 0}), "裸名__2024年3月3日9时5分");
}

TEST_F(AppTest, OpenCommandBacksUpAndOpensTheChosenFile) {
  const std::string path = MakeDb("CREATE TABLE a(x); CREATE VIEW v AS SELECT * FROM a;");
  Start();
  services_.QueueFileDialogAnswer(path);
  window_.toolbar().ClickButton(1);
  ASSERT_EQ(services_.file_dialogs().size(), 1u);
  EXPECT_EQ(services_.file_dialogs()[0].kind, FileDialogKind::kOpen);
  EXPECT_EQ(services_.file_dialogs()[0].title, "打开数据库");
  EXPECT_EQ(services_.file_dialogs()[0].filter, "Sqlite数据库文件(*.sdb)|*.sdb|所有文件(*.*)|*.*");
  EXPECT_EQ(services_.file_dialogs()[0].default_extension, "sdb");
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(backups_made().size(), 1u);
  EXPECT_EQ(window_.database_file_dialog().file_name, path);  // offered again next time

  // Cancelling the dialog changes nothing: the database stays open.
  window_.menu_item("打开数据库...")->Choose();
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_TRUE(state_.Connection.IsOpen());
}

// A file a program crashed in the middle of writing: its uncommitted pages are in the file, and the
// journal that undoes them lies beside it. The first read rolls the journal back into the file, so
// its backup is made before the open, while the user waits: a backup that takes a while shows its
// progress; cancelled, it leaves no copy and the file is not opened without one. Made, it holds
// the committed rows.
TEST_F(AppTest, AFileWithAJournalIsBackedUpBeforeItIsRead) {
  const std::string path = dir_.Path("崩溃.sdb");
  {
    const std::string work = dir_.Path("工作.sdb");
    MakeDatabase(work, "CREATE TABLE a(x); INSERT INTO a VALUES('已提交');");
    testing::RawDb crashed(work);
    crashed.Run(
        "PRAGMA cache_size = 1; BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
        " INSERT INTO a SELECT randomblob(500) FROM n;");
    ASSERT_TRUE(WriteFile(path, ReadFile(work)));
    ASSERT_TRUE(WriteFile(path + "-journal", ReadFile(work + "-journal")));
    crashed.Run("ROLLBACK");
  }
  const Bytes crashed_bytes = ReadFile(path);
  Start();
  state_.ProgressDelayMs = 0;
  services_.QueueProgressCancel(1);
  services_.QueueFileDialogAnswer(path);
  window_.toolbar().ClickButton(1);
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_EQ(services_.progress_windows()[0].title, "备份数据库");
  EXPECT_TRUE(services_.progress_windows()[0].cancelled);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"已取消备份，数据库 [" + path + "] 没有打开。"}));
  EXPECT_EQ(LastLogLine(), "已取消备份数据库：" + path);
  EXPECT_FALSE(state_.Connection.IsOpen());
  EXPECT_EQ(BackupsOf(path), 0u);
  EXPECT_EQ(ReadFile(path), crashed_bytes);

  // Not cancelled, it is made before the open, and the file opens.
  services_.QueueFileDialogAnswer(path);
  window_.toolbar().ClickButton(1);
  EXPECT_EQ(state_.DatabasePath, path);
  ASSERT_EQ(backups_made().size(), 1u);
  EXPECT_EQ(LastLogLine(), "打开数据库：" + path + "（文本编码：GBK）");
  EXPECT_EQ(QueryText(backups_made()[0], "SELECT group_concat(x) FROM a"), "已提交");
  EXPECT_EQ(QueryText(backups_made()[0], "PRAGMA integrity_check"), "ok");
  EXPECT_FALSE(FileExists(backups_made()[0] + "-journal"));
  EXPECT_EQ(BackupsOf(path), 1u);
}

// The open reads what the window shows under a progress window, which shows after a moment (a
// file of many thousands of tables): its cancel, at any of its steps, opens nothing and leaves no
// backup; its steps are named.
TEST_F(AppTest, AnOpenThatTakesAWhileShowsItsProgressAndCanBeCancelled) {
  const std::string path = MakeDb("CREATE TABLE t(a); CREATE VIEW v AS SELECT a FROM t;");
  const Bytes before = ReadFile(path);
  Start();
  state_.ProgressDelayMs = 0;
  for (const int check : {1, 2}) {
    SCOPED_TRACE(check);
    services_.ClearRecords();
    testing::WorkerHold hold;
    state_.BackupHeld = hold.Hook();
    services_.QueueProgressCancel(check);
    services_.QueueProgressAction(
        1, [&hold] { hold.Release(); }, "备份数据库");
    OpenDatabase(app_, path, false);
    state_.BackupHeld = nullptr;
    ASSERT_FALSE(services_.progress_windows().empty());
    EXPECT_EQ(services_.progress_windows()[0].title, "打开数据库");
    EXPECT_TRUE(services_.progress_windows()[0].cancelled);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"已取消打开数据库 [" + path + "]，数据库没有打开。"}));
    EXPECT_EQ(LastLogLine(), "已取消打开数据库：" + path);
    EXPECT_TRUE(LogHas("已取消备份数据库：" + path));
    EXPECT_FALSE(state_.Connection.IsOpen());
    EXPECT_EQ(state_.DatabasePath, "");
    EXPECT_EQ(window_.tree().ItemCount(), 0);
    EXPECT_EQ(BackupsOf(path), 0u);
  }
  EXPECT_EQ(ReadFile(path), before);

  services_.ClearRecords();
  OpenDatabase(app_, path, false);
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_EQ(services_.progress_windows()[0].texts,
            (std::vector<std::string>{"正在识别数据库 " + path + " 的文本编码……",
                                      "正在读取数据库 " + path + " 中的表和视图的名称……"}));
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (1)", "t", "视图 (1)", "v"}));
  EXPECT_EQ(backups_made().size(), 1u);
  EXPECT_EQ(BackupsOf(path), 1u);
}

TEST_F(AppTest, NewDatabaseReplacesAnExistingFileAfterABackup) {
  const std::string path = MakeDb("CREATE TABLE old(x);");
  ASSERT_TRUE(WriteFile(path + "-journal", Bytes{1, 2, 3}));  // a stale journal goes with it
  Start();
  services_.QueueFileDialogAnswer(path);
  window_.menu_item("新建数据库...")->Choose();
  EXPECT_EQ(services_.file_dialogs()[0].kind, FileDialogKind::kSave);
  EXPECT_EQ(services_.file_dialogs()[0].title, "新建数据库");
  ASSERT_EQ(backups_made().size(), 1u);
  EXPECT_EQ(QueryText(backups_made()[0], "SELECT name FROM sqlite_master"), "old");
  EXPECT_EQ(LastLogLine(), "新建数据库：" + path + "（文本编码：GBK）");
  EXPECT_FALSE(FileExists(path + "-journal"));
  EXPECT_EQ(window_.tree().ItemText(0), "表 (0)");
  EXPECT_EQ(window_.tree().ItemText(1), "视图 (0)");
  EXPECT_EQ(window_.tree().ItemCount(), 2);
}

// A file whose backup cannot be made (its name is too long for the backup's stamp) is not
// replaced by a new database: nothing is left without a copy.
TEST_F(AppTest, NewDatabaseDoesNotReplaceAFileItCouldNotBackUp) {
  const std::string path = MakeDb("CREATE TABLE old(x);", std::string(215, 'n'));
  const Bytes before = ReadFile(path);
  Start();
  services_.QueueFileDialogAnswer(path);
  window_.menu_item("新建数据库...")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  const std::string& text = services_.message_boxes()[0].text;
  EXPECT_EQ(text.rfind("未能将数据库文件备份到：", 0), 0u);
  EXPECT_NE(text.find("没有备份就不替换该文件：文件保持原样，没有新建数据库。"), std::string::npos);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_FALSE(state_.Connection.IsOpen());
}

TEST_F(AppTest, NewDatabaseNeverReplacesTheOpenFile) {
  const std::string path = MakeDb("CREATE TABLE mine(x); INSERT INTO mine VALUES(1);");
  Start({path});
  services_.QueueFileDialogAnswer(path);
  window_.menu_item("新建数据库...")->Choose();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind("不能用新数据库替换当前打开的数据库 [", 0), 0u);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM mine"), "1");
}

TEST_F(AppTest, APendingTransactionIsSettledBeforeTheDatabaseCloses) {
  // Each way out of the open database, with each answer to the question.
  static const struct {
    const char* route;
    int answer;
    bool closed;
    const char* stored;
  } cases[] = {
      {"关闭数据库", kIdYes, true, "2"},
      {"关闭数据库", kIdNo, true, "1"},
      {"关闭数据库", kIdCancel, false, "1"},
      {"退出", kIdCancel, false, "1"},
      {"打开数据库...", kIdNo, true, "1"},
      {"打开数据库...", kIdCancel, false, "1"},
      {"close box", kIdCancel, false, "1"},
      {"退出", kIdYes, true, "2"},  // last: the window closes
  };
  const std::string path = MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  const std::string other = MakeDb("CREATE TABLE u(b);", "另一个库");
  Start({path});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.route) + " " + std::to_string(c.answer));
    if (state_.DatabasePath != path) {
      services_.QueueFileDialogAnswer(path);
      window_.menu_item("打开数据库...")->Choose();
      // Another program's write below must not meet the backup's read lock.
      WaitForBackup();
    }
    MakeDatabase(path, "DELETE FROM t WHERE a = 2");
    ASSERT_TRUE(state_.Connection.BeginTransaction());
    ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES(2)"));
    services_.ClearRecords();
    services_.QueueMessageBoxAnswer(c.answer);
    if (std::string(c.route) == "打开数据库...") services_.QueueFileDialogAnswer(other);
    if (std::string(c.route) == "close box") {
      ASSERT_TRUE(window_.window().on_close_requested);
      EXPECT_FALSE(window_.window().on_close_requested());
    } else {
      window_.menu_item(c.route)->Choose();
    }
    ASSERT_GE(services_.message_boxes().size(), 1u);
    EXPECT_EQ(services_.message_boxes()[0].flags, kMbYesNoCancelAsk);
    EXPECT_NE(services_.message_boxes()[0].text.find("尚未提交的事务"), std::string::npos);
    EXPECT_EQ(state_.Connection.IsInTransaction(), !c.closed);
    EXPECT_EQ(state_.DatabasePath == path, !c.closed);
    if (!c.closed) state_.Connection.RollbackTransaction();
    EXPECT_EQ(QueryText(path, "SELECT count(*) FROM t"), c.stored);
  }
}

TEST_F(AppTest, CloseAfterABrowseWorksTheFirstTime) {
  const std::string path = MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  Start({path});
  SelectTreeItem("t");
  ASSERT_EQ(window_.grid().RowCount(), 2);
  window_.toolbar().ClickButton(2);
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_FALSE(state_.Connection.IsOpen());
  EXPECT_FALSE(state_.Cursor.IsOpen());
  EXPECT_EQ(window_.window().Title(), "Torvane v1.0");
  EXPECT_EQ(window_.tree().ItemCount(), 0);
  EXPECT_EQ(window_.tree().SelectedIndex(), -1);
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
  EXPECT_FALSE(window_.toolbar().IsButtonEnabled(2));
  // Closing again with nothing open just applies the no-database state again, silently.
  CloseDatabase(app_);
  EXPECT_TRUE(services_.message_boxes().empty());
}

TEST_F(AppTest, AfterCloseTheFilterListsNothing) {
  Start({MakeDb("CREATE TABLE t(a); CREATE VIEW v AS SELECT * FROM t;")});
  CloseDatabase(app_);
  for (int filter : {0, 1, 2}) {
    window_.display_filter().SetSelectedIndex(filter);
    window_.display_filter().on_selection_changed();
    EXPECT_EQ(window_.tree().ItemCount(), filter == 0 ? 2 : 1) << "filter " << filter;
    for (int i = 0; i < window_.tree().ItemCount(); ++i) {
      EXPECT_LT(window_.tree().ItemData(i), 100) << "no names of the closed database";
    }
  }
}

TEST_F(AppTest, ReopeningTheOpenFileClosesBacksUpAndOpensAgain) {
  const std::string path = MakeDb("CREATE TABLE t(a);");
  Start({path});
  SelectTreeItem("t");
  services_.QueueFileDialogAnswer(path);
  window_.menu_item("打开数据库...")->Choose();
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(backups_made().size(), 2u);
}

TEST_F(AppTest, BackupCommandCopiesTheOpenFile) {
  const std::string path = MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES('x');");
  Start({path});
  ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES('y')"));
  window_.menu_item("备份数据库")->Choose();
  const std::vector<std::string> backups = backups_made();
  ASSERT_FALSE(backups.empty());
  EXPECT_EQ(ReadFile(backups.back()), ReadFile(path));
  EXPECT_EQ(QueryText(backups.back(), "SELECT group_concat(a) FROM t"), "x,y");
  const std::string expected_dir = RunDirectory() + "/数据库备份/";
  EXPECT_EQ(backups.back().rfind(expected_dir, 0), 0u);
}

TEST_F(AppTest, BackupsHoldEveryCommittedChangeAndNoOther) {
  // Another program left committed rows in the write-ahead log (it still has the file open, so the
  // log is not folded back into the file).
  const std::string wal = MakeDb("PRAGMA journal_mode = WAL; CREATE TABLE t(a);", "日志模式");
  testing::RawDb writer(wal);
  writer.Run("PRAGMA wal_autocheckpoint = 0; INSERT INTO t VALUES('在日志里')");
  Start({wal});
  ASSERT_EQ(backups_made().size(), 1u);
  EXPECT_EQ(QueryText(backups_made()[0], "SELECT a FROM t"), "在日志里");

  // The user's own transaction, larger than the page cache, so its pages spill into the file: the
  // backup holds the state before it, whole.
  const std::string plain =
      MakeDb("CREATE TABLE big(a); INSERT INTO big VALUES('before');", "回滚模式");
  services_.QueueFileDialogAnswer(plain);
  window_.menu_item("打开数据库...")->Choose();
  ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 10"));
  ASSERT_TRUE(state_.Connection.BeginTransaction());
  ASSERT_TRUE(state_.Connection.Execute(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
      "INSERT INTO big SELECT hex(randomblob(100)) FROM n"));
  window_.menu_item("备份数据库")->Choose();
  const std::vector<std::string> backups = backups_made();
  ASSERT_EQ(backups.size(), 3u);
  EXPECT_EQ(QueryText(backups.back(), "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(QueryText(backups.back(), "SELECT group_concat(a) FROM big"), "before");
  EXPECT_FALSE(FileExists(backups.back() + "-journal"));
  EXPECT_TRUE(state_.Connection.IsInTransaction());  // the user's work is still pending
  ASSERT_TRUE(state_.Connection.RollbackTransaction());

  // With nothing pending, the copy is the file byte for byte.
  window_.menu_item("备份数据库")->Choose();
  EXPECT_EQ(ReadFile(backups_made().back()), ReadFile(plain));
}

TEST_F(AppTest, ABackupThatCannotBeWrittenIsReported) {
  // A file name so long that the backup's name, which adds the date and time, is too long for the
  // file system: the copy fails, the database still opens.
  const std::string path = MakeDb("CREATE TABLE t(a);", std::string(215, 'n'));
  Start({path});
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  const std::string& text = services_.message_boxes()[0].text;
  EXPECT_EQ(text.rfind("未能将数据库文件备份到：", 0), 0u);
  EXPECT_NE(text.find("\r\n\r\n原因：无法给备份文件命名：File name too long\r\n\r\n"
                      "数据库照常打开，但这次没有备份。"),
            std::string::npos)
      << text;
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  const std::string log = window_.log_box().Content();
  EXPECT_NE(log.find("[×]备份数据库失败！"), std::string::npos);
  EXPECT_NE(log.find("（无法给备份文件命名：File name too long）"), std::string::npos);
  // Nothing of the failed copy is left in the folder.
  std::size_t leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SystemPath(BackupDirectory()))) {
    const std::string mine = ".torvane-backup-" + std::to_string(::getpid()) + "-";
    if (entry.path().filename().string().rfind(mine, 0) == 0) ++leftovers;
  }
  EXPECT_EQ(leftovers, 0u);
  EXPECT_EQ(state_.DatabasePath, path);
  // Told once the worker gave up: after the open's line.
  const std::vector<std::string> lines = SplitLines(log);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "打开数据库：" + path + "（文本编码：GBK）");
  EXPECT_EQ(lines.back().rfind("[×]备份数据库失败！", 0), 0u);
}

// A file whose table pages are damaged opens (its catalog is whole); showing the table says what
// the engine said, once, and leaves nothing of another table on the screen.
TEST_F(AppTest, ADamagedTableSaysWhatTheEngineSaidOnce) {
  const std::string path = MakeDb(
      "PRAGMA page_size = 1024; CREATE TABLE t(a);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)"
      "INSERT INTO t SELECT printf('%0100d', i) FROM n;");
  Bytes bytes = ReadFile(path);
  ASSERT_GT(bytes.size(), 10u * 1024);
  for (std::size_t at = 3 * 1024; at < 6 * 1024; ++at) bytes[at] = 0x5A;  // pages 4 to 6
  ASSERT_TRUE(WriteFile(path, bytes));
  Start({path});
  EXPECT_TRUE(MessageTexts().empty());
  SelectTreeItem("t");
  ASSERT_EQ(MessageTexts().size(), 1u) << MessageTexts().back();
  EXPECT_EQ(MessageTexts()[0], "打开表失败：t\r\n\r\ndatabase disk image is malformed");
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
}

TEST_F(AppTest, AnOpenThatCannotReadTheCatalogFails) {
  // Not a database; a database another program holds locked; an empty file, which is a database.
  const std::string text = dir_.Path("文本.sdb");
  ASSERT_TRUE(WriteFile(text, Bytes(2048, 'x')));
  const std::string locked = MakeDb("CREATE TABLE t(a);", "锁定");
  testing::RawDb other(locked);
  other.Run("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE");
  const std::string empty = dir_.Path("空.sdb");
  ASSERT_TRUE(WriteFile(empty, Bytes()));
  static const struct {
    const std::string* path;
    const char* error;
  } cases[] = {{&text, "file is not a database"}, {&locked, "database is locked"}};
  Start();
  for (const auto& c : cases) {
    services_.ClearRecords();
    services_.QueueFileDialogAnswer(*c.path);
    window_.menu_item("打开数据库...")->Choose();
    ASSERT_EQ(services_.message_boxes().size(), 1u);
    EXPECT_EQ(services_.message_boxes()[0].text,
              "不能打开数据库 [" + *c.path + "]！错误信息如下：\r\n\r\n" + c.error);
    EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
    EXPECT_EQ(LastLogLine(), "[×]打开数据库失败！[" + *c.path + "]（" + c.error + "）");
    EXPECT_FALSE(state_.Connection.IsOpen());
    EXPECT_EQ(state_.DatabasePath, "");
    EXPECT_FALSE(window_.menu(MainMenu::kTable).IsEnabled());
  }
  EXPECT_EQ(ReadFile(text), Bytes(2048, 'x'));  // nothing written into it
  services_.ClearRecords();
  services_.QueueFileDialogAnswer(empty);
  window_.menu_item("打开数据库...")->Choose();
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(state_.DatabasePath, empty);
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (0)", "视图 (0)"}));
}

// The engine reads the file's header as it opens it: a read error there fails the open, and the
// user is told the engine's reason.
TEST_F(AppTest, AnOpenTheEngineCannotReadSaysWhy) {
  testing::ScopedFaultVfs vfs;
  Start();
  const std::string path = MakeDb("CREATE TABLE t(a);");
  vfs.Fail(testing::FileCall::kRead, 1, SQLITE_IOERR, true, testing::FaultFiles::kDatabase);
  OpenDatabase(app_, path, false);
  vfs.Heal();
  EXPECT_EQ(MessageTexts().back(),
            "不能打开数据库 [" + path + "]！错误信息如下：\r\n\r\ndisk I/O error");
  EXPECT_EQ(LastLogLine(), "[×]打开数据库失败！[" + path + "]（disk I/O error）");
  EXPECT_FALSE(state_.Connection.IsOpen());
}

TEST_F(AppTest, BrowsingNeverChangesTheFile) {
  const std::string path = MakeDb(
      "CREATE TABLE 商品(名称 TEXT, 价格 NUMERIC); INSERT INTO 商品 VALUES('苹果', 5.5);"
      "CREATE VIEW 视图一 AS SELECT 名称 FROM 商品;");
  const Bytes before = ReadFile(path);
  Start({path});
  SelectTreeItem("商品");
  window_.grid().SetCurrentCell(1, 2);
  SelectTreeItem("视图一");
  CloseDatabase(app_);
  EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace torvane
