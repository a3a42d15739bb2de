#include "app/open_backup.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/files.h"
#include "support/app_fixture.h"
#include "support/worker_hold.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;
using testing::RawDb;
using testing::WorkerHold;

constexpr char kCancelledWrite[] =
    "数据库文件的备份尚未完成，已取消等待：这项修改没有执行，数据库未作任何修改。";

class OpenBackupTest : public AppTest {
 public:
  // For the tables of commands.
  using AppTest::EditCell;
  using AppTest::services_;
  using AppTest::state_;
  using AppTest::window_;

 protected:
  // Opens `path` as the open command does, with the worker of its backup held back by `hold` once
  // it holds the file, before it copies anything.
  void OpenHeld(const std::string& path, const WorkerHold& hold) {
    state_.BackupHeld = hold.Hook();
    services_.QueueFileDialogAnswer(path);
    window_.menu_item("打开数据库...")->Choose();
    state_.BackupHeld = nullptr;
    ASSERT_EQ(state_.DatabasePath, path);
    ASSERT_TRUE(hold.WaitUntilHeld()) << "the backup never began";
  }

  // The next wait for the backup lets the held worker go on as soon as its progress window shows.
  void ReleaseFromTheWait(const WorkerHold& hold) {
    state_.ProgressDelayMs = 0;
    services_.QueueProgressAction(1, [&hold] { hold.Release(); });
  }

  // Whether the log has line `first` and, after it, line `second`.
  bool LoggedInOrder(const std::string& first, const std::string& second) {
    const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
    const auto at = std::find(lines.begin(), lines.end(), first);
    return at != lines.end() && std::find(at, lines.end(), second) != lines.end();
  }
};

// Reading leaves the file as it is: the tree, a table's rows and a view's show while the backup is
// still being written, and nothing waits for it.
TEST_F(OpenBackupTest, TheWindowShowsTheFileWhileItsBackupIsWritten) {
  const std::string path = MakeDb(
      "CREATE TABLE t(a); INSERT INTO t VALUES('一'), ('二'); CREATE VIEW v AS SELECT a FROM t;");
  const Bytes before = ReadFile(path);
  Start();
  WorkerHold hold;
  OpenHeld(path, hold);
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (1)", "t", "视图 (1)", "v"}));
  SelectTreeItem("t");
  EXPECT_EQ(window_.grid().CellText(2, 1), "二");
  SelectTreeItem("v");
  EXPECT_EQ(window_.grid().CellText(1, 1), "一");
  EXPECT_TRUE(services_.progress_windows().empty());
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_FALSE(state_.OpenBackup->Ended());
  EXPECT_EQ(LastLogLine(), "打开视图：v");

  hold.Release();
  const std::vector<std::string> backups = backups_made();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(ReadFile(backups[0]), before);
  EXPECT_EQ(LastLogLine(), "已将数据库文件备份到：" + backups[0]);
  EXPECT_EQ(ReadFile(path), before);
}

// A write given while the backup is being written waits, with the progress window, until the
// backup is whole, and then runs: the backup is the file before the change, in either journal
// mode (the online backup of a write-ahead-log file holds the same content in a file of its own).
TEST_F(OpenBackupTest, AWriteWaitsUntilTheBackupIsWholeThenRuns) {
  static const struct {
    const char* mode;
    const char* command;
    void (*write)(OpenBackupTest&);
    const char* logged;
    const char* after;
  } cases[] = {
      {"DELETE", "in-grid edit", [](OpenBackupTest& t) { t.EditCell(1, 1, "改"); },
       "已修改 a 字段值：改", "改,二"},
      {"WAL", "in-grid edit", [](OpenBackupTest& t) { t.EditCell(1, 1, "改"); },
       "已修改 a 字段值：改", "改,二"},
      {"DELETE", "insert empty record",
       [](OpenBackupTest& t) { t.window_.menu_item("插入空记录")->Choose(); },
       "已在表 t 中插入空记录", "一,二,"},
  };
  Start();
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + ", " + c.command);
    const std::string path = MakeDb(std::string("PRAGMA journal_mode = ") + c.mode +
                                        "; CREATE TABLE t(a); INSERT INTO t VALUES('一'), ('二');",
                                    "写" + std::to_string(++n));
    const Bytes before = ReadFile(path);
    const std::string dump = RawDb(path).Dump();
    WorkerHold hold;
    OpenHeld(path, hold);
    SelectTreeItem("t");
    services_.ClearRecords();
    ReleaseFromTheWait(hold);
    c.write(*this);
    ASSERT_EQ(services_.progress_windows().size(), 1u);
    EXPECT_EQ(services_.progress_windows()[0].title, "备份数据库");
    EXPECT_TRUE(services_.progress_windows()[0].cancellable);
    EXPECT_FALSE(services_.progress_windows()[0].cancelled);
    ASSERT_FALSE(services_.progress_windows()[0].texts.empty());
    EXPECT_EQ(services_.progress_windows()[0].texts[0].rfind("正在备份数据库文件 " + path, 0), 0u);
    EXPECT_EQ(QueryText(path, "SELECT group_concat(coalesce(a, '')) FROM t"), c.after);
    const std::vector<std::string> backups = backups_made();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_TRUE(LoggedInOrder("已将数据库文件备份到：" + backups[0], c.logged));
    if (std::string(c.mode) == "DELETE") EXPECT_EQ(ReadFile(backups[0]), before);
    EXPECT_EQ(RawDb(backups[0]).Dump(), dump);
    for (const std::string& backup : backups) DeleteFile(backup);
    ASSERT_TRUE(CloseDatabase(app_));
    window_.log_box().SetContent("");
  }
}

// A cancelled wait runs nothing: the command says it failed and why, the file is as it was, and
// the backup goes on; given again once the backup is whole, the command runs without a wait.
TEST_F(OpenBackupTest, ACancelledWaitRunsNothingAndLeavesTheFileAsItWas) {
  static const struct {
    const char* command;
    void (*write)(OpenBackupTest&);
    const char* failed;
    const char* after;
  } cases[] = {
      {"in-grid edit", [](OpenBackupTest& t) { t.EditCell(1, 1, "改"); }, "修改字段值失败！",
       "改,二"},
      {"field panel",
       [](OpenBackupTest& t) {
         t.window_.field_tabs().SetCurrentPage(0);
         t.window_.grid().SetCurrentCell(2, 1);
         t.window_.text_value_box().SetContent("面板");
         t.window_.write_text_button().Click();
       },
       "写字段值失败！", "一,面板"},
      {"drop table",
       [](OpenBackupTest& t) {
         t.services_.QueueMessageBoxAnswer(kIdYes);
         t.window_.command_item(MainCommand::kDropTable).Choose();
       },
       "删除失败！", "<error: no such table: t>"},
  };
  Start();
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string path = MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES('一'), ('二');",
                                    "取消" + std::to_string(++n));
    const Bytes before = ReadFile(path);
    WorkerHold hold;
    OpenHeld(path, hold);
    SelectTreeItem("t");
    services_.ClearRecords();
    state_.ProgressDelayMs = 0;
    services_.QueueProgressCancel(1);
    c.write(*this);
    ASSERT_EQ(services_.progress_windows().size(), 1u);
    EXPECT_TRUE(services_.progress_windows()[0].cancelled);
    const std::vector<std::string> boxes = MessageTexts();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().rfind(c.failed, 0), 0u) << boxes.back();
    EXPECT_NE(boxes.back().find(kCancelledWrite), std::string::npos) << boxes.back();
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(state_.OpenBackup->Ended());

    hold.Release();
    const std::vector<std::string> backups = backups_made();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFile(backups[0]), before);
    services_.ClearRecords();
    SelectTreeItem("t");
    c.write(*this);
    EXPECT_TRUE(services_.progress_windows().empty());
    EXPECT_EQ(QueryText(path, "SELECT group_concat(a) FROM t"), c.after);
    for (const std::string& backup : backups) DeleteFile(backup);
    ASSERT_TRUE(CloseDatabase(app_));
    window_.log_box().SetContent("");
  }
}

// Close, the open of another file and exit let go of the file only once its backup is whole: a
// cancelled wait leaves the file open and the backup going on; a wait to the end does the command.
TEST_F(OpenBackupTest, CloseOpenAndExitWaitForTheBackup) {
  const std::string other = MakeDb("CREATE TABLE o(x);", "另一个");
  static const struct {
    const char* command;
    void (*give)(OpenBackupTest&, const std::string& other);
    bool (*done)(OpenBackupTest&, const std::string& other);
  } cases[] = {
      {"close", [](OpenBackupTest& t, const std::string&) { t.window_.toolbar().ClickButton(2); },
       [](OpenBackupTest& t, const std::string&) { return !t.state_.Connection.IsOpen(); }},
      {"open another",
       [](OpenBackupTest& t, const std::string& other) {
         t.services_.QueueFileDialogAnswer(other);
         t.window_.menu_item("打开数据库...")->Choose();
       },
       [](OpenBackupTest& t, const std::string& other) { return t.state_.DatabasePath == other; }},
      // Last: the window is gone afterwards.
      {"exit", [](OpenBackupTest& t, const std::string&) { t.window_.menu_item("退出")->Choose(); },
       [](OpenBackupTest& t, const std::string&) {
         Runtime::ProcessEvents();
         return !t.window_.window().IsOpen();
       }},
  };
  Start();
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string path = MakeDb("CREATE TABLE t(a);", "放开" + std::to_string(++n));
    const Bytes before = ReadFile(path);
    WorkerHold hold;
    OpenHeld(path, hold);
    services_.ClearRecords();
    state_.ProgressDelayMs = 0;
    services_.QueueProgressCancel(1);
    c.give(*this, other);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                  "数据库文件 [" + path +
                                  "] 的备份尚未完成，已取消等待：数据库仍然打开，备份继续进行。"});
    EXPECT_EQ(state_.DatabasePath, path);
    EXPECT_TRUE(state_.Connection.IsOpen());
    EXPECT_TRUE(window_.window().IsOpen());
    EXPECT_FALSE(state_.OpenBackup->Ended());

    ReleaseFromTheWait(hold);
    const std::string log_before = window_.log_box().Content();
    c.give(*this, other);
    EXPECT_TRUE(c.done(*this, other));
    const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
    const std::string marker = "已将数据库文件备份到：";
    const auto backup = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.rfind(marker, 0) == 0;
    });
    ASSERT_NE(backup, lines.end());
    EXPECT_EQ(ReadFile(backup->substr(marker.size())), before);
    EXPECT_EQ(ReadFile(path), before);
    for (const std::string& made : backups_made()) DeleteFile(made);
    if (state_.Connection.IsOpen()) ASSERT_TRUE(CloseDatabase(app_));
    window_.log_box().SetContent("");
  }
}

// A backup that fails in the background is told as soon as it is known, as a failed backup at open
// always was; the database stays open and usable.
TEST_F(OpenBackupTest, ABackupThatFailsInTheBackgroundIsTold) {
  // The backup's name, which adds the date and time, is too long for the file system.
  const std::string path = MakeDb("CREATE TABLE t(a);", std::string(215, 'n'));
  Start();
  WorkerHold hold;
  OpenHeld(path, hold);
  EXPECT_TRUE(services_.message_boxes().empty());
  hold.Release();
  WaitForBackup();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  const std::string& text = services_.message_boxes()[0].text;
  EXPECT_EQ(text.rfind("未能将数据库文件备份到：", 0), 0u);
  EXPECT_NE(text.find("\r\n\r\n原因：无法给备份文件命名：File name too long\r\n\r\n"
                      "数据库照常打开，但这次没有备份。"),
            std::string::npos)
      << text;
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(LastLogLine().rfind("[×]备份数据库失败！", 0), 0u);
  SelectTreeItem("t");
  window_.menu_item("插入空记录")->Choose();
  EXPECT_EQ(QueryText(path, "SELECT count(*) FROM t"), "1");
}

// A write that was waiting when the backup failed does not run: the user learns of the missing
// backup before the file changes, and the same command given again then runs.
TEST_F(OpenBackupTest, AWriteWaitingForAFailingBackupDoesNotRun) {
  const std::string path =
      MakeDb("CREATE TABLE t(a); INSERT INTO t VALUES('一');", std::string(215, 'n'));
  const Bytes before = ReadFile(path);
  Start();
  WorkerHold hold;
  OpenHeld(path, hold);
  SelectTreeItem("t");
  ReleaseFromTheWait(hold);
  EditCell(1, 1, "改");
  const std::vector<std::string> boxes = MessageTexts();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].rfind("未能将数据库文件备份到：", 0), 0u);
  EXPECT_EQ(boxes[1].rfind("修改字段值失败！", 0), 0u);
  EXPECT_NE(boxes[1].find("未能备份数据库文件，这项修改没有执行"), std::string::npos) << boxes[1];
  EXPECT_EQ(ReadFile(path), before);

  services_.ClearRecords();
  EditCell(1, 1, "改");
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(QueryText(path, "SELECT a FROM t"), "改");
}

}  // namespace
}  // namespace torvane
