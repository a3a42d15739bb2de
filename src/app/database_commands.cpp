#include "app/database_commands.h"

#include <filesystem>
#include <system_error>

#include "app/long_work.h"
#include "app/messages.h"
#include "app/open_backup.h"
#include "app/operation_log.h"
#include "app/query_rows.h"
#include "app/schema_tree.h"
#include "app/text_encoding.h"
#include "app/transactions.h"
#include "base/files.h"
#include "base/text.h"
#include "db/backup.h"
#include "db/text_mode.h"
#include "platform/program_places.h"
#include "platform/xdg.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// Whether reading the file at `path` may change it: a journal beside it may be a crashed program's,
// which the first read rolls back into the file. Such a file is backed up before it is opened.
bool MayChangeWhenRead(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(SystemPath(path + "-journal"), error);
  return !error && size > 0;
}

}  // namespace

void NewDatabaseCommand(App& app) { ChooseAndOpenDatabase(app, true); }

void OpenDatabaseCommand(App& app) { ChooseAndOpenDatabase(app, false); }

void CloseCommand(App& app) { CloseDatabase(app); }

void BackupCommand(App& app) {
  BackupDatabase(app, app.state.DatabasePath, BackupPurpose::kCommand);
}

void ChooseAndOpenDatabase(App& app, bool create) {
  FileDialog& dialog = app.window.database_file_dialog();
  dialog.kind = create ? FileDialogKind::kSave : FileDialogKind::kOpen;
  dialog.title = create ? "新建数据库" : "打开数据库";
  if (!app.services.ShowFileDialog(dialog)) return;
  const std::string path = dialog.file_name;
  if (create && app.state.Connection.IsOpen() && SameFile(path, app.state.DatabasePath)) {
    // Replacing the open database would delete the user's data from under the program.
    app.services.MessageBox("不能用新数据库替换当前打开的数据库 [" + path +
                                "]！\r\n请另选一个文件名，或先关闭该数据库。",
                            kMbOkStop);
    return;
  }
  if (!CloseDatabase(app)) return;
  // The save dialog has asked before choosing an existing file: a new database replaces it, after
  // a backup copy of it is made as for a file being opened. Its journal files go with it, or the
  // new database would take them for its own.
  if (create && FileExists(path)) {
    if (!BackupDatabase(app, path, BackupPurpose::kReplace)) return;
    DeleteFile(path);
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
      if (FileExists(path + suffix)) DeleteFile(path + suffix);
    }
  }
  OpenDatabase(app, path, create);
}

void OpenDatabase(App& app, const std::string& path, bool create) {
  // The backup of a file opened before is whole before the program lets go of that file.
  if (!LetGoOfOpenBackup(app)) return;
  // A backup that failed is told once the open's outcome is known: a file that cannot be opened
  // either gets one message, the open's, which carries the engine's reason.
  std::string backup_failure;
  bool backed_up = true;
  if (MayChangeWhenRead(path)) {
    bool backup_cancelled = false;
    backed_up = BackupDatabase(app, path, BackupPurpose::kOpen, &backup_failure, &backup_cancelled);
    // The user stopped the backup: the file is not opened without it.
    if (backup_cancelled) {
      app.services.MessageBox("已取消备份，数据库 [" + path + "] 没有打开。", kMbOk);
      return;
    }
  } else {
    // Reading leaves the file as it is: the window shows it while a worker thread copies it.
    backup_failure = StartOpenBackup(app, path);
  }
  const std::string verb = create ? "新建" : "打开";
  // A cursor or record set left from an earlier connection must not outlive it.
  StopQueryRows(app);
  StopRowCount(app.state);
  StopPanelRead(app);
  app.state.Cursor.Close();
  app.state.RecordSet.Close();
  ZuveviRE& db = app.state.Connection;
  bool opened = db.Open(path, create);
  // An engine that could not open the file says why.
  std::string error = opened ? std::string() : db.GetErrorText();
  // What the window shows is read first, under a progress window: a file of many thousands of
  // tables takes a moment, and the user may give up its open.
  NameLists names;
  std::string names_error;
  bool names_read = false;
  bool cancelled = false;
  if (opened) {
    LongWork work(app, "打开数据库", "正在读取数据库 " + path + " 中的表和视图……");
    // A backup made before the open has already waited for another program's lock: the user is
    // not made to wait twice for the same lock.
    if (!backed_up) db.SetBusyTimeout(0);
    // The engine opens any file and reads it only when asked: a file that is not a database, or
    // one another program holds locked, must not look like an empty database.
    SqliteDataset catalog = db.Query("SELECT count(*) FROM sqlite_master");
    const bool read = catalog.Requery();
    cancelled = work.Cancelled();
    if (!read && !cancelled) error = db.GetErrorText();
    db.SetBusyTimeout(kBusyTimeoutMs);
    catalog.Close();
    if (read && !cancelled) {
      // The names are read in the mode the database's own texts show.
      work.Step("正在识别数据库 " + path + " 的文本编码……");
      db.SetTextMode(DetectTextMode(db));
      work.Step("正在读取数据库 " + path + " 中的表和视图的名称……");
      names_read = ReadNameLists(db, names, names_error);
      cancelled = work.Cancelled();
    }
    if (!read || cancelled) {
      db.Close();
      opened = false;
    }
  }
  if (cancelled) {
    // Nothing of the file is shown, and its backup is not wanted either.
    if (app.state.OpenBackup) app.state.OpenBackup->Abandon();
    EndBackupOfFailedOpen(app);
    AppendLog(app, "已取消" + verb + "数据库：" + path);
    app.services.MessageBox("已取消" + verb + "数据库 [" + path + "]，数据库没有打开。", kMbOk);
    return;
  }
  if (!opened) {
    // The backup's end is logged before the open's failure, as when it was made first.
    EndBackupOfFailedOpen(app);
    // A file the engine was not given (missing, unreadable, a folder) has the system's reason.
    if (error.empty() && !create) error = ReadingProblem(path);
    std::string message = "不能" + verb + "数据库 [" + path + "]！";
    if (!error.empty()) message += "错误信息如下：\r\n\r\n" + error;
    app.services.MessageBox(message, kMbOkStop);
    AppendLog(app, FailureLogLine(verb + "数据库失败！[" + path + "]", error));
    return;
  }
  if (!backup_failure.empty()) app.services.MessageBox(backup_failure, kMbOkStop);
  // A count of rows or a picture read on another connection holds a read lock on the file; a
  // write of the program's own that has to wait for it stops them rather than fail (the count is
  // taken again afterwards).
  db.SetOnBusy([&app] {
    if (app.state.PendingCount) app.state.PendingCount->Stop();
    StopPanelRead(app);
  });
  // A picture read on another connection before a write of the program's own would show the value
  // from before the write once it arrives: it is stopped first.
  db.SetBeforeWrite([&app] { StopPanelRead(app); });
  // A console query's rows may still be arriving when another command runs a statement: they are
  // all read first, so that no statement runs beside a half-read result.
  db.SetBeforePrepare([&app] { FinishQueryRows(app); });
  // Nothing changes the file before its backup is whole.
  db.SetWriteGate([&app] { return OpenBackupWriteGate(app); });
  app.state.DatabasePath = path;
  NoteTransactionState(app);
  app.window.window().SetTitle(app.state.TitleText + " - " + path);
  ShowTextMode(app);
  AppendLog(app, verb + "数据库：" + path + "（文本编码：" + TextModeName(db.GetTextMode()) + "）");
  if (names_read) {
    KeepNameLists(app.state, std::move(names));
  } else {
    ReportUnreadNames(app, names_error);
  }
  RefreshSchemaTree(app);
  SetDatabaseCommandsEnabled(app, true);
}

bool SettlePendingTransaction(App& app) {
  ZuveviRE& db = app.state.Connection;
  if (!db.IsInTransaction()) return true;
  const int answer = app.services.MessageBox(
      "数据库中有尚未提交的事务。\r\n\r\n是否提交该事务？选择“是”提交，“否”回滚，"
      "“取消”则保持现状、不关闭数据库。",
      kMbYesNoCancelAsk);
  if (answer == kIdYes) return CommitUserTransaction(app);
  if (answer == kIdNo) return RollbackUserTransaction(app);
  return false;
}

bool CloseDatabase(App& app) {
  // Text being typed into a grid cell is written first, as leaving the cell would write it.
  app.window.grid().FinishEditing();
  // Rows of a query still arriving are of no use once the database closes; reading them would
  // only keep the user waiting for the question below.
  StopQueryRows(app);
  // A transaction still open would be rolled back by the close without a word.
  if (app.state.Connection.IsOpen() && !SettlePendingTransaction(app)) return false;
  // The file is let go of only once its backup is whole: after the close the program no longer
  // keeps anything from changing it, and an exit would end the copy.
  if (!LetGoOfOpenBackup(app)) return false;
  // The record set and the cursor hold on to the connection; letting go of them first is what
  // makes the engine agree to close it.
  StopRowCount(app.state);
  StopPanelRead(app);
  app.state.RecordSet.Close();
  app.state.Cursor.Close();
  if (app.state.Connection.IsOpen() && !app.state.Connection.Close()) {
    ReportError(app, "暂时无法关闭数据库！");
    return false;
  }
  app.state.DatabasePath.clear();
  app.state.TransactionSeenOpen = false;
  // The names belong to the closed database: a change of the display filter must not list them.
  app.state.TableNames.clear();
  app.state.ViewNames.clear();
  app.state.TempTableNames.clear();
  app.state.TempViewNames.clear();
  app.window.window().SetTitle(app.state.TitleText);
  ShowTextMode(app);
  SetDatabaseCommandsEnabled(app, false);
  app.window.tree().SetItems({});
  app.window.tree().SetSelectedIndex(-1);
  ResetPanels(app);
  return true;
}

std::string BackupDirectory() { return Places().backup_directory; }

std::string BackupFileName(const std::string& path, const LocalDateTime& now) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name +=
      "__" + IntToText(now.year) + "年" + IntToText(now.month) + "月" + IntToText(now.day) + "日";
  if (now.second != 0) {
    name +=
        IntToText(now.hour) + "时" + IntToText(now.minute) + "分" + IntToText(now.second) + "秒";
  } else if (now.minute != 0) {
    name += IntToText(now.hour) + "时" + IntToText(now.minute) + "分";
  } else if (now.hour != 0) {
    name += IntToText(now.hour) + "时";
  }
  return name;
}

std::string PrepareBackupTarget(const std::string& path, std::string& folder_error) {
  const std::string folder = BackupDirectory();
  // An installed program's backups go under the user's data folder, which may not exist yet.
  std::error_code made;
  std::filesystem::create_directories(SystemPath(folder), made);
  folder_error = made ? "无法建立备份文件夹 " + folder + "：" + made.message() : "";
  return folder + "/" + BackupFileName(path, LocalNow());
}

std::string BackupProgressText(const std::string& path, std::uint64_t done, std::uint64_t total) {
  // Megabytes to one decimal.
  auto mb = [](std::uint64_t bytes) {
    return DoubleToText(static_cast<double>(bytes * 10 / (1024 * 1024)) / 10.0);
  };
  return "正在备份数据库文件 " + path + "：已复制 " + mb(done) + " MB，共 " + mb(total) + " MB";
}

std::string LogBackupFailure(App& app, const std::string& target, const std::string& error,
                             BackupPurpose purpose) {
  // Every open promises a backup: one that could not be made must not go unnoticed.
  std::string message = "未能将数据库文件备份到：" + target + "\r\n\r\n原因：" + error;
  switch (purpose) {
    case BackupPurpose::kOpen:
      message += "\r\n\r\n数据库照常打开，但这次没有备份。";
      break;
    case BackupPurpose::kCommand:
      break;
    case BackupPurpose::kReplace:
      message += "\r\n\r\n没有备份就不替换该文件：文件保持原样，没有新建数据库。";
      break;
  }
  AppendLog(app, FailureLogLine("备份数据库失败！" + target, error));
  return message;
}

bool BackupDatabase(App& app, const std::string& path, BackupPurpose purpose,
                    std::string* deferred_box, bool* cancelled) {
  if (!FileExists(path)) return true;
  std::string error;
  const std::string target = PrepareBackupTarget(path, error);
  if (error.empty()) {
    RemoveLeftoverBackups(BackupDirectory());
    Status copied;
    bool stopped = false;
    {
      LongWork work(app, "备份数据库", "正在备份数据库文件 " + path + "……");
      copied = BackupDatabaseFile(path, target, [&](std::uint64_t done, std::uint64_t total) {
        work.Update(BackupProgressText(path, done, total), static_cast<std::int64_t>(done),
                    static_cast<std::int64_t>(total));
        return work.KeepGoing();
      });
      stopped = work.Cancelled() && !copied.ok();
    }
    if (copied.ok()) {
      AppendLog(app, "已将数据库文件备份到：" + target);
      return true;
    }
    if (stopped) {
      AppendLog(app, "已取消备份数据库：" + path);
      if (cancelled != nullptr) *cancelled = true;
      return false;
    }
    error = copied.message();
  }
  const std::string message = LogBackupFailure(app, target, error, purpose);
  if (deferred_box != nullptr) {
    *deferred_box = message;
  } else {
    app.services.MessageBox(message, kMbOkStop);
  }
  return false;
}

void SetDatabaseCommandsEnabled(App& app, bool enabled) {
  // Buttons 0 and 1 (new, open) always work; the separators 3, 7 and 11 follow the others.
  for (int index = 2; index <= 12; ++index) app.window.toolbar().SetButtonEnabled(index, enabled);
  app.window.command_item(MainCommand::kCloseDatabase).SetEnabled(enabled);
  app.window.menu(MainMenu::kTable).SetEnabled(enabled);
  app.window.menu(MainMenu::kView).SetEnabled(enabled);
  app.window.menu(MainMenu::kOther).SetEnabled(enabled);
  app.window.command_item(MainCommand::kBackupDatabase).SetEnabled(enabled);
}

void ResetPanels(App& app) {
  MainWindow& w = app.window;
  StopRowCount(app.state);
  StopPanelRead(app);
  app.state.ShownRecordKeys.clear();
  w.field_panel().SetVisible(false);
  w.grid().SetRowCount(1);
  w.grid().SetColumnCount(1);
  w.grid().SetCellText(0, 0, "无数据");
  for (EditBox* box : {&w.info_box(), &w.definition_box(), &w.text_value_box(),
                       &w.integer_value_box(), &w.decimal_value_box()}) {
    box->SetContent("");
  }
  w.picture_box().SetPicture(Bytes());
  w.record_number_box().Clear();
  w.field_name_box().Clear();
}

}  // namespace torvane
