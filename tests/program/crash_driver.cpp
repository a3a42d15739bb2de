// One long write of the program's own, on a given database file, in a real main window on the
// offscreen platform with scripted modal services, for the crash run to kill part way:
//
//   crash_driver rebuild|update|commit FILE
//
//   rebuild  the table designer alters table t (a field renamed, one retyped, one added), which
//            rebuilds it;
//   update   the console runs an UPDATE of every row of t;
//   commit   the user begins a transaction, the console updates every row of t in it, and the
//            user commits it.
//
// The driver writes "ready" on its standard output once the file is open and everything before the
// long work is done, and "done" once the work has returned; the crash run kills it between the two.
// The backup the open makes is deleted before "ready": the run opens many copies of a large file.
// The exit code is 0 when the work logged its success, 1 otherwise, 2 for a bad command line.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/database_commands.h"
#include "app/open_backup.h"
#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "console/sql_console.h"
#include "designer/table_designer.h"
#include "program/command_line.h"
#include "program/command_routing.h"
#include "support/scripted_modal_services.h"
#include "ui/designer_dialog.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

// Writes `line` and a line end to the standard output at once, unbuffered.
void Say(const std::string& line) {
  const std::string text = line + "\n";
  if (::write(STDOUT_FILENO, text.data(), text.size()) < 0) std::perror("write");
}

// Whether the log has a line that starts with `start`.
bool Logged(MainWindow& window, const std::string& start) {
  for (const std::string& line : SplitLines(window.log_box().Content())) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

// Deletes the backups the log names.
void DeleteBackups(MainWindow& window) {
  const std::string marker = "已将数据库文件备份到：";
  for (const std::string& line : SplitLines(window.log_box().Content())) {
    const std::size_t at = line.find(marker);
    if (at != std::string::npos) DeleteFile(line.substr(at + marker.size()));
  }
}

// Types `text` into designer cell (row, column), as an in-place edit would.
void TypeField(DesignerDialog& dialog, int row, int column, const std::string& text) {
  Grid& grid = dialog.grid();
  grid.SetCurrentCell(row, column);
  grid.SetCellText(row, column, text);
  grid.on_editing_ends();
}

// Whether the tree lists an item whose text is `text`.
bool HasTreeItem(MainWindow& window, const std::string& text) {
  TreeView& tree = window.tree();
  for (int i = 0; i < tree.ItemCount(); ++i) {
    if (tree.ItemText(i) == text) return true;
  }
  return false;
}

// Runs `sql` in the console as the user does: typed, the execute kind checked, OK clicked.
void RunInConsole(App& app, const std::string& sql) {
  SqlDialog dialog;
  ConnectSqlDialog(app, dialog);
  dialog.on_created();
  dialog.sql_box().SetContent(sql);
  dialog.execute_radio().SetChecked(true);
  dialog.ok_button().Click();
}

int Drive(const std::string& kind, const std::string& path) {
  AppState state;
  testing::ScriptedModalServices services;
  MainWindow window;
  App app{state, window, services};
  ConnectMainWindow(app, ParseCommandLine({}));
  window.Show();
  for (int round = 0; round < 20 && !window.WasFirstShown(); ++round) Runtime::ProcessEvents();
  OpenDatabase(app, path, false);
  // The backup is written on a worker thread: whole before the work begins, so that the kills
  // fall on the work itself.
  (void)WaitForOpenBackup(app);
  DeleteBackups(window);
  // Nothing is selected in the tree: the grid shows no table, so the work is the write alone.
  if (!state.Connection.IsOpen() || !HasTreeItem(window, "t")) {
    std::fprintf(stderr, "cannot open the database\n");
    ReleaseState(state);
    return 1;
  }
  Runtime::ProcessEvents();

  bool done = false;
  if (kind == "rebuild") {
    DesignerState designer;
    designer.DesignerMode = DesignMode::kAlter;
    designer.TargetTable = "t";
    DesignerDialog dialog;
    ConnectDesignerDialog(app, designer, dialog);
    dialog.on_created();
    // name renamed, n retyped, a field added after it.
    TypeField(dialog, 2, 1, "名称");
    TypeField(dialog, 3, 2, "小数型");
    dialog.grid().SetCurrentCell(3, 1);
    dialog.insert_after_button().Click();
    TypeField(dialog, 4, 1, "备注");
    TypeField(dialog, 4, 2, "文本型");
    Say("ready");
    dialog.ok_button().Click();
    done = Logged(window, "已修改表 t");
  } else if (kind == "update") {
    Say("ready");
    RunInConsole(app, "UPDATE t SET n = n + 1, name = name || '改';");
    done = Logged(window, "SQL语句执行成功");
  } else if (kind == "commit") {
    window.command_item(MainCommand::kBeginTransaction).Choose();
    RunInConsole(app, "UPDATE t SET n = n + 1, name = name || '改';");
    if (!Logged(window, "SQL语句执行成功") || !state.Connection.IsInTransaction()) {
      std::fprintf(stderr, "the change inside the transaction failed\n");
    } else {
      Say("ready");
      window.command_item(MainCommand::kCommitTransaction).Choose();
      done = Logged(window, "已提交事务。");
    }
  } else {
    ReleaseState(state);
    return 2;
  }
  Say("done");
  if (!done) std::fprintf(stderr, "%s\n", ToUtf8(window.log_box().Content()).c_str());
  // A transaction still open is rolled back on close.
  services.QueueMessageBoxAnswer(kIdNo);
  CloseDatabase(app);
  ReleaseState(state);
  return done ? 0 : 1;
}

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (argc != 3) {
    std::fprintf(stderr, "usage: crash_driver rebuild|update|commit FILE\n");
    return 2;
  }
  const std::string kind = argv[1];
  const std::string path = torvane::FromUtf8(argv[2]);
  torvane::Runtime runtime(argc, argv);
  return torvane::Drive(kind, path);
}
