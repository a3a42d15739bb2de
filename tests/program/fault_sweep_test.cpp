// Every command that writes the database file, run again and again with one file call failing: the
// first call of a kind, then the second, and so on, each on a fresh copy of the file, until the
// command runs without reaching the failing call. After each run:
//   (a) a failure was told: a box names the engine's reason and the log has its line; a command
//       that did its work says so and shows no failure of its own;
//   (b) the file passes the engine's integrity check;
//   (c) the file holds what it held before the command or what the command makes of it, nothing
//       in between (a console text: what the statements the message says ran make of it);
//   (d) the tree lists the file's tables and views and the grid shows the rows of the selected one;
//   (e) a transaction is open exactly when the user was last told so: none is dropped without a
//       word, none is left open behind the user's back.
//
// With TORVANE_RELIABILITY_OUT naming a file, each command appends to it one line per kind of
// fault: the command, the fault, how many runs the fault was hit in and how many of those passed
// every check, separated by tabs.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "app/database_commands.h"
#include "app/operation_log.h"
#include "app/schema_tree.h"
#include "app/transactions.h"
#include "base/files.h"
#include "base/text.h"
#include "console/sql_console.h"
#include "db/sql_name.h"
#include "designer/table_designer.h"
#include "editing/insert_record.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"
#include "support/worker_hold.h"
#include "ui/designer_dialog.h"
#include "ui/insert_dialog.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::FileCall;
using testing::RawDb;
using testing::ScopedFaultVfs;

// One kind of fault: which file call fails, with which result code, and whether every later call
// of the kind fails too. A full disk stays full and a lock another program holds stays held; an
// I/O error is a moment's.
struct Fault {
  const char* name;
  FileCall call;
  int code;
  bool sticky;
  const char* reason;  // the engine's message for it
};

const Fault kFaults[] = {
    {"write error", FileCall::kWrite, SQLITE_IOERR, false, "disk I/O error"},
    {"full disk", FileCall::kWrite, SQLITE_FULL, true, "database or disk is full"},
    {"sync error", FileCall::kSync, SQLITE_IOERR, false, "disk I/O error"},
    {"truncate error", FileCall::kTruncate, SQLITE_IOERR, false, "disk I/O error"},
    {"read error", FileCall::kRead, SQLITE_IOERR, false, "disk I/O error"},
    {"file size error", FileCall::kFileSize, SQLITE_IOERR, false, "disk I/O error"},
    {"lock error", FileCall::kLock, SQLITE_IOERR, false, "disk I/O error"},
    // Waited for: the program's own busy timeout tries again.
    {"lock busy once", FileCall::kLock, SQLITE_BUSY, false, "database is locked"},
    // Another program never lets go; the test does not wait for it (busy timeout 0).
    {"lock held", FileCall::kLock, SQLITE_BUSY, true, "database is locked"},
};

bool IsLockHeld(const Fault& fault) { return fault.call == FileCall::kLock && fault.sticky; }

// The file every run starts from: two tables, an index, a view naming one of them, a trigger.
constexpr char kStartSql[] =
    "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, n INTEGER, x REAL, b BLOB);"
    "INSERT INTO t VALUES(1, '一', 10, 1.5, x'01'), (2, '二', 20, 2.5, x'0202'),"
    " (3, '三', 30, 3.5, NULL);"
    "CREATE INDEX t_name ON t(name);"
    "CREATE TABLE u(a, b); INSERT INTO u VALUES('甲', 1), ('乙', 2);"
    "CREATE VIEW v AS SELECT id, name FROM t WHERE n > 10;"
    "CREATE TRIGGER t_kept AFTER DELETE ON t BEGIN INSERT INTO u VALUES(old.name, old.id); END;";

// The console's statements, run one after another; a failure leaves those before it done.
const std::vector<std::string> kConsoleStatements = {
    "INSERT INTO t(name, n) VALUES('四', 40);",
    "UPDATE u SET b = b * 10;",
    "CREATE TABLE w(k);",
    "DELETE FROM t WHERE id = 1;",
};
// The same inside a transaction the text begins and ends.
const std::vector<std::string> kConsoleTransaction = {
    "BEGIN;",
    "INSERT INTO t(name, n) VALUES('四', 40);",
    "UPDATE u SET b = b * 10;",
    "COMMIT;",
};

class FaultSweepTest;
using Step = void (*)(FaultSweepTest&);

// What a command does to the user's transaction when it succeeds.
enum class TransactionEffect { kKeeps, kBegins, kEnds };

// Which file a command writes: the one open in the program, or the one a new database is made in.
enum class Target { kOpenFile, kNewFile, kReplacedFile };

struct Command {
  std::string id;    // the test's name
  std::string name;  // the command as the reliability figures name it
  // Brings the program to where the user gives the command: a database open, a table selected,
  // values typed, answers to its questions queued. Runs without faults.
  Step setup;
  // Gives the command, with the fault armed.
  Step run;
  // The start of the log line a success writes, and of the box a failure of the command shows.
  const char* done_log;
  const char* failed_box;
  TransactionEffect effect = TransactionEffect::kKeeps;
  Target target = Target::kOpenFile;
  // The command opens the file itself (the setup leaves no database open), with connections of
  // its own that wait for another program's lock.
  bool opens = false;
  // A console text: the statements it runs, in order.
  const std::vector<std::string>* statements = nullptr;
  // Also given inside the user's transaction (a variant of its own, see Commands).
  bool also_in_transaction = true;
  // Given inside the user's transaction, which holds a change of its own and is larger than the
  // connection's page cache, so that its pages reach the file before the commit.
  bool in_transaction = false;
  // Given while the open's backup is still being written: the command waits for it, then runs.
  bool backup_runs = false;
};

void PrintTo(const Command& command, std::ostream* out) { *out << command.id; }

// What a run left: the file's content, and whether the program held a transaction open.
struct FileState {
  std::string dump;
  bool open = false;
  bool operator==(const FileState&) const = default;
};

void PrintTo(const FileState& state, std::ostream* out) {
  *out << (state.open ? "(transaction open)\n" : "") << state.dump;
}

// How one kind of fault went for one command: the runs it was hit in, and those of them that
// passed every check. A kind the command is not swept with is skipped.
struct Tally {
  int runs = 0;
  int intact = 0;
  bool skipped = false;
};

class FaultSweepTest : public AppTest, public ::testing::WithParamInterface<Command> {
 public:
  static std::vector<Command> Commands();

 protected:
  void SetUp() override {
    Start();
    unique_ = dir_.path().substr(dir_.path().rfind('/') + 1);
    start_path_ = dir_.Path("起点.sdb");
    testing::MakeDatabase(start_path_, kStartSql);
    start_bytes_ = ReadFile(start_path_);
    picture_path_ = dir_.Path("图片.bmp");
    ASSERT_TRUE(WriteFile(picture_path_, Bytes{'B', 'M', 0, 1, 2, 3, 4, 5}));
  }

  // Selects the tree item `text`, which shows it.
  void Select(const std::string& text) { SelectTreeItem(text); }

  // Opens the run's copy of the file and selects table or view `shown` ("" for none); for a
  // command given inside the user's transaction, begins it with a change pending first. The open's
  // backup is whole before the command, unless the command is given while it runs: its worker is
  // then held back until the first wait for it shows its progress window.
  void OpenCopy(const std::string& shown) {
    if (GetParam().backup_runs) {
      hold_ = std::make_unique<testing::WorkerHold>();
      state_.BackupHeld = hold_->Hook();
      state_.ProgressDelayMs = 0;
      services_.QueueProgressAction(
          1, [hold = hold_.get()] { hold->Release(); }, "备份数据库");
    }
    OpenDatabase(app_, path_, false);
    state_.BackupHeld = nullptr;
    ASSERT_TRUE(state_.Connection.IsOpen());
    if (hold_) {
      ASSERT_TRUE(hold_->WaitUntilHeld());
    } else {
      WaitForBackup();
    }
    if (GetParam().in_transaction) {
      Select("t");
      BeginSpilledTransaction();
    }
    if (!shown.empty()) Select(shown);
  }

  // Begins the user's transaction and changes a value of t in it, left pending.
  void BeginWithPendingEdit() {
    ASSERT_TRUE(window_.command_item(MainCommand::kBeginTransaction).Choose());
    EditCell(3, 2, "待提交");
    ASSERT_EQ(window_.grid().CellText(3, 2), "待提交");
  }

  // Begins the user's transaction with more changes than the connection's page cache holds (the
  // engine keeps at least ten pages), the file growing by many pages: the transaction's pages reach
  // the file, and are read back from it, as it goes.
  void BeginSpilledTransaction() {
    ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 1"));
    BeginWithPendingEdit();
    ASSERT_TRUE(state_.Connection.Execute("INSERT INTO u VALUES(zeroblob(60000), 3)"));
  }

  // Chooses record 1 and field `field` of the shown table on page `page` of the field panel, as
  // clicking the grid cell does.
  void ChoosePanelField(int field, int page) {
    window_.field_tabs().SetCurrentPage(page);
    window_.grid().SetCurrentCell(1, field);
  }

  void Choose(MainCommand command) {
    EXPECT_TRUE(window_.command_item(command).Choose()) << "menu item not choosable";
  }

  // The designer, started as its first showing starts it; `table` "" designs a new table.
  void Design(const std::string& table) {
    designer_ = std::make_unique<DesignerState>();
    if (!table.empty()) {
      designer_->DesignerMode = DesignMode::kAlter;
      designer_->TargetTable = table;
    }
    designer_dialog_ = std::make_unique<DesignerDialog>();
    ConnectDesignerDialog(app_, *designer_, *designer_dialog_);
    designer_dialog_->on_created();
  }
  // Types `text` into designer cell (row, column), as an in-place edit would.
  void TypeField(int row, int column, const std::string& text) {
    Grid& grid = designer_dialog_->grid();
    grid.SetCurrentCell(row, column);
    grid.SetCellText(row, column, text);
    grid.on_editing_ends();
  }

  // The insert dialog, started as its first showing starts it, for the shown table.
  void StartInsert() {
    insert_ = std::make_unique<InsertState>();
    insert_dialog_ = std::make_unique<InsertDialog>();
    ConnectInsertDialog(app_, *insert_, *insert_dialog_);
    insert_dialog_->on_created();
  }

  // The console, started as its first showing starts it, with `statements` (their first
  // console_prefix_) typed as one text and the execute kind checked. A failure part way in a
  // transaction asks whether to keep what ran: the user keeps it.
  void StartConsole(const std::vector<std::string>& statements) {
    sql_dialog_ = std::make_unique<SqlDialog>();
    ConnectSqlDialog(app_, *sql_dialog_);
    sql_dialog_->on_created();
    std::string text;
    for (std::size_t i = 0; i < statements.size() && i < console_prefix_; ++i) {
      text += statements[i] + "\r\n";
    }
    if (text.empty()) text = "-- nothing";
    services_.QueueMessageBoxAnswer(kIdYes);
    sql_dialog_->sql_box().SetContent(text);
    sql_dialog_->execute_radio().SetChecked(true);
  }

  // Runs every kind of fault on the command, each on the Nth file call for N = 1, 2, ... until a
  // run meets no fault; returns how each kind went.
  std::vector<Tally> Sweep(const Command& command);

  // The file the command writes, in this run.
  const std::string& TargetPath(const Command& command) const {
    return command.target == Target::kOpenFile ? path_ : other_path_;
  }

  // The state of the file after the setup alone, and after the setup and the command, without
  // faults; for a console text, after each number of its statements.
  void TakeReferenceStates(const Command& command);

  // One run of the command with `fault` on call `nth` (no fault when null); the problems it found,
  // none when the run passed every check. `failures` is how many calls the fault failed.
  std::vector<std::string> RunOnce(const Command& command, const Fault* fault, int nth,
                                   int& failures);

  // The checks of the window against the file (d), with the program still holding it open.
  void CheckWindow(std::vector<std::string>& problems);

  // Deletes the backups the log names, then empties the log.
  void ForgetLog() {
    for (const std::string& path : BackupsLogged()) DeleteFile(path);
    ClearLogCommand(app_);
  }

  // Closes what a run left and deletes its files.
  void EndRun() {
    designer_dialog_.reset();
    designer_.reset();
    insert_dialog_.reset();
    insert_.reset();
    sql_dialog_.reset();
    services_.DropAnswers();
    hold_.reset();
    ForgetLog();
    for (const std::string& path : {path_, other_path_}) {
      for (const char* suffix : {"", "-journal"}) {
        if (FileExists(path + suffix)) DeleteFile(path + suffix);
      }
    }
  }

  ScopedFaultVfs vfs_;
  std::string unique_;
  std::string start_path_;
  Bytes start_bytes_;
  std::string start_dump_;
  std::string picture_path_;
  int run_ = 0;
  // How many of the console's statements StartConsole types.
  std::size_t console_prefix_ = static_cast<std::size_t>(-1);
  // The run's copy of the file, and the other file a new database is made in.
  std::string path_;
  std::string other_path_;
  FileState before_;
  FileState after_;
  // The file after each number of a console text's statements.
  std::vector<FileState> after_statements_;

  std::unique_ptr<DesignerState> designer_;
  std::unique_ptr<DesignerDialog> designer_dialog_;
  std::unique_ptr<InsertState> insert_;
  std::unique_ptr<InsertDialog> insert_dialog_;
  std::unique_ptr<SqlDialog> sql_dialog_;
  // Holds the open's backup back, for a command given while it runs.
  std::unique_ptr<testing::WorkerHold> hold_;
};

// Whether `lines` (the log, CR LF between lines) has a line that starts with `start` and holds
// `part`.
bool HasLine(const std::string& log, const std::string& start, const std::string& part = "") {
  for (const std::string& line : SplitLines(log)) {
    if (line.rfind(start, 0) == 0 && line.find(part) != std::string::npos) return true;
  }
  return false;
}

bool AnyHas(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

bool AnyStartsWith(const std::vector<std::string>& texts, const std::string& start) {
  for (const std::string& text : texts) {
    if (text.rfind(start, 0) == 0) return true;
  }
  return false;
}

// The content of the file at `path` as RawDb::Dump gives it, after the engine's integrity check;
// "<no file>" when there is none. A failed check is added to `problems`.
std::string CheckedDump(const std::string& path, std::vector<std::string>& problems) {
  if (!FileExists(path)) return "<no file>";
  RawDb db(path);
  const std::string integrity = db.Value("PRAGMA integrity_check");
  if (integrity != "ok") problems.push_back("(b) integrity check: " + integrity);
  return db.Dump();
}

std::vector<Command> FaultSweepTest::Commands() {
  using T = FaultSweepTest;
  std::vector<Command> commands = {
      // The cell is chosen first (which reads its field into the panel); the edit is the command.
      {"GridEdit", "in-grid edit of a cell",
       [](T& t) {
         t.OpenCopy("t");
         t.window_.grid().SetCurrentCell(2, 2);
       },
       [](T& t) { t.EditCell(2, 2, "改过"); }, "已修改 ", "修改字段值失败！"},
      {"PanelText", "field panel: write text",
       [](T& t) {
         t.OpenCopy("t");
         t.ChoosePanelField(2, 0);
         t.window_.text_value_box().SetContent("面板文本");
       },
       [](T& t) { t.window_.write_text_button().Click(); }, "已写入第1条记录", "写字段值失败！"},
      {"PanelInteger", "field panel: write integer",
       [](T& t) {
         t.OpenCopy("t");
         t.ChoosePanelField(3, 1);
         t.window_.integer_value_box().SetContent("12345");
       },
       [](T& t) { t.window_.write_integer_button().Click(); }, "已写入第1条记录", "写字段值失败！"},
      {"PanelDecimal", "field panel: write decimal",
       [](T& t) {
         t.OpenCopy("t");
         t.ChoosePanelField(4, 2);
         t.window_.decimal_value_box().SetContent("9.75");
       },
       [](T& t) { t.window_.write_decimal_button().Click(); }, "已写入第1条记录", "写字段值失败！"},
      {"PanelBytesFromFile", "field panel: load bytes (picture) from a file",
       [](T& t) {
         t.OpenCopy("t");
         t.ChoosePanelField(5, 3);
         t.services_.QueueFileDialogAnswer(t.picture_path_);
       },
       [](T& t) { t.window_.read_bytes_from_file_button().Click(); }, "已写入第1条记录",
       "写字段值失败！"},
      {"PanelClearBytes", "field panel: clear bytes",
       [](T& t) {
         t.OpenCopy("t");
         t.ChoosePanelField(5, 3);
         t.services_.QueueMessageBoxAnswer(kIdYes);
       },
       [](T& t) { t.window_.clear_bytes_button().Click(); }, "已写入第1条记录", "写字段值失败！"},
      {"InsertEmptyRecord", "insert empty record", [](T& t) { t.OpenCopy("t"); },
       [](T& t) { t.Choose(MainCommand::kInsertEmptyRecord); }, "已在表 t 中插入空记录",
       "插入空记录失败！"},
      {"InsertDialog", "insert dialog",
       [](T& t) {
         t.OpenCopy("t");
         t.StartInsert();
         InsertDialog& d = *t.insert_dialog_;
         d.field_grid().SetCurrentCell(1, 0);
         d.value_tabs().SetCurrentPage(0);
         d.text_value_box().SetContent("插入的");
         d.write_text_button().Click();
         d.field_grid().SetCurrentCell(2, 0);
         d.value_tabs().SetCurrentPage(1);
         d.integer_value_box().SetContent("77");
         d.write_integer_button().Click();
       },
       [](T& t) {
         t.insert_dialog_->ok_button().Click();
         // As the command does once the dialog has closed.
         t.state_.Cursor.Cancel();
       },
       "已在表 t 中插入记录", "插入记录失败！"},
      {"DeleteRecord", "delete record",
       [](T& t) {
         t.OpenCopy("t");
         t.window_.grid().SetCurrentCell(2, 1);
         t.services_.QueueMessageBoxAnswer(kIdYes);
       },
       [](T& t) { t.Choose(MainCommand::kDeleteRecord); }, "已删除表 t 中的第2条记录",
       "删除当前记录失败！"},
      {"RenameTable", "rename table",
       [](T& t) {
         t.OpenCopy("u");
         t.services_.QueueInputBoxAnswer("u改");
       },
       [](T& t) { t.Choose(MainCommand::kRenameTable); }, "已将表 u 改名为 u改",
       "修改表名称时发生错误！"},
      {"DropTable", "drop table",
       [](T& t) {
         t.OpenCopy("u");
         t.services_.QueueMessageBoxAnswer(kIdYes);
       },
       [](T& t) { t.Choose(MainCommand::kDropTable); }, "已删除表 u", "删除失败！"},
      {"RenameView", "rename view",
       [](T& t) {
         t.OpenCopy("v");
         t.services_.QueueInputBoxAnswer("v改");
       },
       [](T& t) { t.Choose(MainCommand::kRenameView); }, "已将视图 v 改名为 v改",
       "修改视图名称时发生错误！"},
      {"DropView", "drop view",
       [](T& t) {
         t.OpenCopy("v");
         t.services_.QueueMessageBoxAnswer(kIdYes);
       },
       [](T& t) { t.Choose(MainCommand::kDropView); }, "已删除视图 v", "删除失败！"},
      {"CreateView", "create view",
       [](T& t) {
         t.OpenCopy("t");
         t.services_.QueueInputBoxAnswer("CREATE VIEW 新视图 AS SELECT name, n FROM t");
       },
       [](T& t) { t.Choose(MainCommand::kNewView); }, "已新建视图：", "执行失败！"},
      {"AlterView", "alter view",
       [](T& t) {
         t.OpenCopy("v");
         t.services_.QueueInputBoxAnswer("SELECT id, name, n FROM t WHERE n < 30");
       },
       [](T& t) { t.Choose(MainCommand::kAlterView); }, "已修改视图 v", "修改视图失败！"},
      {"CreateTable", "create table (designer)",
       [](T& t) {
         t.OpenCopy("t");
         t.Design("");
         t.TypeField(1, 1, "编号");
         t.TypeField(1, 2, "主键（自增字段）");
         t.designer_dialog_->grid().on_key_pressed(kKeyDown);
         t.TypeField(2, 1, "名称");
         t.TypeField(2, 2, "文本型");
         t.TypeField(2, 3, "20");
         t.services_.QueueInputBoxAnswer("新表");
       },
       [](T& t) { t.designer_dialog_->ok_button().Click(); }, "已新建表 新表", "创建表失败"},
      {"RebuildTable", "rebuild (alter) table (designer)",
       [](T& t) {
         t.OpenCopy("t");
         t.Design("t");
         // name renamed, n retyped, b deleted, a field added.
         t.TypeField(2, 1, "名称");
         t.TypeField(3, 2, "小数型");
         t.designer_dialog_->grid().SetCurrentCell(5, 1);
         t.services_.QueueMessageBoxAnswer(kIdYes);
         t.designer_dialog_->delete_button().Click();
         t.designer_dialog_->grid().SetCurrentCell(4, 1);
         t.designer_dialog_->insert_after_button().Click();
         t.TypeField(5, 1, "备注");
         t.TypeField(5, 2, "文本型");
       },
       [](T& t) { t.designer_dialog_->ok_button().Click(); }, "已修改表 t", "修改表失败！"},
      {"ConsoleStatements", "console: several statements",
       [](T& t) {
         t.OpenCopy("t");
         t.StartConsole(kConsoleStatements);
       },
       [](T& t) { t.sql_dialog_->ok_button().Click(); }, "SQL语句执行成功", "",
       TransactionEffect::kKeeps, Target::kOpenFile, false, &kConsoleStatements},
      {"ConsoleTransaction", "console: statements in a transaction",
       [](T& t) {
         t.OpenCopy("t");
         t.StartConsole(kConsoleTransaction);
       },
       [](T& t) { t.sql_dialog_->ok_button().Click(); }, "SQL语句执行成功", "",
       TransactionEffect::kKeeps, Target::kOpenFile, false, &kConsoleTransaction, false},
      {"BeginTransaction", "begin transaction", [](T& t) { t.OpenCopy("t"); },
       [](T& t) { t.Choose(MainCommand::kBeginTransaction); }, "已启动事务。", "启动事务失败！",
       TransactionEffect::kBegins, Target::kOpenFile, false, nullptr, false},
      {"CommitTransaction", "commit transaction",
       [](T& t) {
         t.OpenCopy("t");
         t.BeginWithPendingEdit();
       },
       [](T& t) { t.Choose(MainCommand::kCommitTransaction); }, "已提交事务。", "提交事务失败！",
       TransactionEffect::kEnds, Target::kOpenFile, false, nullptr, false},
      {"RollbackTransaction", "roll back transaction",
       [](T& t) {
         t.OpenCopy("t");
         t.BeginWithPendingEdit();
       },
       [](T& t) { t.Choose(MainCommand::kRollbackTransaction); }, "已回滚事务。", "回滚事务失败！",
       TransactionEffect::kEnds, Target::kOpenFile, false, nullptr, false},
      // A transaction larger than the page cache: its pages are in the file before the commit, and
      // a failure must be undone from the journal, the file shrunk back to its size.
      {"CommitSpilledTransaction", "commit a transaction larger than the cache",
       [](T& t) {
         t.OpenCopy("t");
         t.BeginSpilledTransaction();
       },
       [](T& t) { t.Choose(MainCommand::kCommitTransaction); }, "已提交事务。", "提交事务失败！",
       TransactionEffect::kEnds, Target::kOpenFile, false, nullptr, false},
      {"RollbackSpilledTransaction", "roll back a transaction larger than the cache",
       [](T& t) {
         t.OpenCopy("t");
         t.BeginSpilledTransaction();
       },
       [](T& t) { t.Choose(MainCommand::kRollbackTransaction); }, "已回滚事务。", "回滚事务失败！",
       TransactionEffect::kEnds, Target::kOpenFile, false, nullptr, false},
      {"OpenWithBackup", "open (with its backup)", [](T&) {},
       [](T& t) {
         OpenDatabase(t.app_, t.path_, false);
         t.WaitForBackup();
       },
       "打开数据库：", "不能打开数据库", TransactionEffect::kKeeps, Target::kOpenFile, true,
       nullptr, false},
      {"NewDatabase", "new database",
       [](T& t) {
         t.OpenCopy("t");
         t.services_.QueueFileDialogAnswer(t.other_path_);
       },
       [](T& t) { t.Choose(MainCommand::kNewDatabase); }, "新建数据库：", "不能新建数据库",
       TransactionEffect::kKeeps, Target::kNewFile, true, nullptr, false},
      {"NewDatabaseReplacing", "new database in place of a file",
       [](T& t) {
         t.OpenCopy("t");
         t.services_.QueueFileDialogAnswer(t.other_path_);
       },
       [](T& t) { t.Choose(MainCommand::kNewDatabase); }, "新建数据库：", "不能新建数据库",
       TransactionEffect::kKeeps, Target::kReplacedFile, true, nullptr, false},
  };
  // Each command that can be given inside the user's transaction is given there too.
  const std::size_t plain = commands.size();
  for (std::size_t i = 0; i < plain; ++i) {
    if (!commands[i].also_in_transaction) continue;
    Command variant = commands[i];
    variant.in_transaction = true;
    variant.id += "InTransaction";
    variant.name += ", inside a transaction";
    commands.push_back(variant);
  }
  // A write, and a console text of several, given while the open's backup is still being written
  // (inside the user's transaction it was whole before the transaction's first change).
  for (const char* id : {"GridEdit", "ConsoleStatements"}) {
    for (std::size_t i = 0; i < plain; ++i) {
      if (commands[i].id != id) continue;
      Command variant = commands[i];
      variant.backup_runs = true;
      variant.also_in_transaction = false;
      variant.id += "WhileBackingUp";
      variant.name += ", while the open's backup is written";
      commands.push_back(variant);
    }
  }
  return commands;
}

void FaultSweepTest::TakeReferenceStates(const Command& command) {
  std::vector<std::string> problems;
  start_dump_ = RawDb(start_path_).Dump();
  for (const bool with_command : {false, true}) {
    // A run without a fault, with or without the command itself.
    ++run_;
    path_ = dir_.Path("库_" + unique_ + "_" + IntToText(run_) + ".sdb");
    other_path_ = dir_.Path("新库_" + unique_ + "_" + IntToText(run_) + ".sdb");
    ASSERT_TRUE(WriteFile(path_, start_bytes_));
    if (command.target == Target::kReplacedFile) {
      ASSERT_TRUE(WriteFile(other_path_, start_bytes_));
    }
    command.setup(*this);
    if (with_command) command.run(*this);
    FileState& state = with_command ? after_ : before_;
    state.open = state_.Connection.IsInTransaction();
    if (state.open) services_.QueueMessageBoxAnswer(kIdYes);
    ASSERT_TRUE(CloseDatabase(app_));
    state.dump = CheckedDump(TargetPath(command), problems);
    if (with_command) {
      EXPECT_TRUE(HasLine(window_.log_box().Content(), command.done_log))
          << "the command fails without a fault:\n"
          << window_.log_box().Content();
    }
    EndRun();
  }
  // Opening a file changes nothing in it.
  if (!(command.opens && command.target == Target::kOpenFile)) {
    EXPECT_NE(before_, after_) << "the command changes nothing";
  }
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
  after_statements_.clear();
  if (command.statements == nullptr) return;
  // The file after the first k statements of the console text, the rest not run; a transaction
  // they leave open is committed, as closing after the user kept it does.
  for (std::size_t k = 0; k <= command.statements->size(); ++k) {
    console_prefix_ = k;
    ++run_;
    path_ = dir_.Path("库_" + unique_ + "_" + IntToText(run_) + ".sdb");
    ASSERT_TRUE(WriteFile(path_, start_bytes_));
    command.setup(*this);
    if (k > 0) command.run(*this);
    if (state_.Connection.IsInTransaction()) services_.QueueMessageBoxAnswer(kIdYes);
    ASSERT_TRUE(CloseDatabase(app_));
    after_statements_.push_back(FileState{CheckedDump(path_, problems), false});
    EndRun();
  }
  console_prefix_ = static_cast<std::size_t>(-1);
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

void FaultSweepTest::CheckWindow(std::vector<std::string>& problems) {
  ZuveviRE& db = state_.Connection;
  if (!db.IsOpen()) {
    if (window_.tree().ItemCount() != 0) problems.push_back("(d) a tree without a database");
    return;
  }
  const AppState& s = state_;
  // Names the program could not read it says so of, and keeps the ones it had.
  if (AnyStartsWith(MessageTexts(), "读取表和视图的名称失败！")) return;
  // The tree: the program's own lists read again now, without a fault, and what it shows.
  std::vector<std::string> listed;
  const std::vector<std::string> tables = db.GetTableNames(true, false, false);
  const std::vector<std::string> views = db.GetTableNames(false, true, false);
  listed.push_back("表 (" + IntToText(static_cast<int>(tables.size())) + ")");
  listed.insert(listed.end(), tables.begin(), tables.end());
  listed.push_back("视图 (" + IntToText(static_cast<int>(views.size())) + ")");
  listed.insert(listed.end(), views.begin(), views.end());
  if (TreeTexts() != listed || s.TableNames != tables || s.ViewNames != views) {
    problems.push_back("(d) the tree lists " + ::testing::PrintToString(TreeTexts()) +
                       ", the file has " + ::testing::PrintToString(listed));
  }
  // The grid: the selected table's or view's rows, as the file has them.
  TreeView& tree = window_.tree();
  const int item = tree.SelectedIndex();
  const int kind = tree.ItemData(item);
  Grid& grid = window_.grid();
  const bool blank =
      grid.RowCount() == 1 && grid.ColumnCount() == 1 && grid.CellText(0, 0) == "无数据";
  if (kind != static_cast<int>(ItemKind::kTable) && kind != static_cast<int>(ItemKind::kView)) {
    if (!blank) problems.push_back("(d) the grid shows rows with no table selected");
    return;
  }
  const std::string name = tree.ItemText(item);
  if (blank) {
    // A browse that failed empties the grid and says so.
    if (!AnyStartsWith(MessageTexts(), "打开表失败") &&
        !AnyStartsWith(MessageTexts(), "打开视图失败")) {
      problems.push_back("(d) the grid is empty without a word, the tree selects " + name);
    }
    return;
  }
  std::string sql = "SELECT * FROM " + QuoteSqlName(name);
  if (kind == static_cast<int>(ItemKind::kTable)) sql += " ORDER BY _rowid_";
  SqliteDataset rows = db.Query(sql);
  if (!rows.Requery()) {
    problems.push_back("(d) the shown " + name + " cannot be read: " + db.GetErrorText());
    return;
  }
  const TextTable file = rows.GetAll(true);
  // A long BLOB is shown by its size and first bytes, which is all the grid and the rows it shows
  // hold of it.
  const TextTable shown = s.RecordSet.GetAll(true);
  auto shows = [&](int r, int c) {
    const std::optional<BytesCell> held = shown.Bytes(r, c, std::string_view::npos);
    if (held && held->start.size() < held->size) {
      const std::optional<BytesCell> bytes = file.Bytes(r, c, held->start.size());
      return bytes && bytes->size == held->size && bytes->start == held->start &&
             grid.CellText(r, c + 1) == std::string(bytes->start);
    }
    return grid.CellText(r, c + 1) == file.at(r, c);
  };
  bool same =
      grid.RowCount() == std::max(file.rows(), 1) && grid.ColumnCount() == file.columns() + 1;
  for (int r = 0; same && r < file.rows(); ++r) {
    for (int c = 0; same && c < file.columns(); ++c) same = shows(r, c);
  }
  if (!same) {
    std::string shown, held;
    for (int r = 0; r < grid.RowCount(); ++r) {
      for (int c = 1; c < grid.ColumnCount(); ++c) shown += grid.CellText(r, c) + "|";
      shown += "\n";
    }
    for (int r = 0; r < file.rows(); ++r) {
      for (int c = 0; c < file.columns(); ++c) held += file.at(r, c) + "|";
      held += "\n";
    }
    problems.push_back("(d) the grid shows\n" + shown + "the file holds\n" + held);
  }
}

std::vector<std::string> FaultSweepTest::RunOnce(const Command& command, const Fault* fault,
                                                 int nth, int& failures) {
  std::vector<std::string> problems;
  ++run_;
  path_ = dir_.Path("库_" + unique_ + "_" + IntToText(run_) + ".sdb");
  other_path_ = dir_.Path("新库_" + unique_ + "_" + IntToText(run_) + ".sdb");
  WriteFile(path_, start_bytes_);
  if (command.target == Target::kReplacedFile) WriteFile(other_path_, start_bytes_);
  command.setup(*this);
  if (fault != nullptr && IsLockHeld(*fault)) state_.Connection.SetBusyTimeout(0);
  const bool open_before = state_.Connection.IsInTransaction();
  services_.ClearRecords();
  ForgetLog();

  if (fault != nullptr) vfs_.Fail(fault->call, nth, fault->code, fault->sticky);
  command.run(*this);

  failures = fault != nullptr ? vfs_.failures() : 0;
  vfs_.Heal();
  // A command that failed before its first write never waited for the backup: the worker goes on
  // now, as it would have by itself.
  if (hold_) hold_->Release();

  const std::vector<std::string> boxes = MessageTexts();
  const std::string log = window_.log_box().Content();
  const bool done = HasLine(log, command.done_log);
  const std::string reason = fault != nullptr ? fault->reason : "";
  const bool failure_told =
      fault != nullptr && AnyHas(boxes, reason) && HasLine(log, "[×]", reason);
  const bool loss_told =
      AnyHas(boxes, "回滚了当前事务") && HasLine(log, "[×]数据库引擎已回滚当前事务");
  const bool command_failure_shown =
      command.failed_box[0] != '\0' && AnyStartsWith(boxes, command.failed_box);

  CheckWindow(problems);

  // (e) The transaction the user was last told of.
  bool told_open = open_before;
  if (done && command.effect == TransactionEffect::kBegins) told_open = true;
  if (done && command.effect == TransactionEffect::kEnds) told_open = false;
  if (command.statements != nullptr && done) told_open = AnyHas(boxes, "当前事务仍未结束");
  // A failure that kept the transaction, or that the user chose to keep.
  if (AnyHas(boxes, "事务仍未结束，其中") ||
      HasLine(log, "已保留已执行语句的修改，事务仍未结束。")) {
    told_open = true;
  }
  if (loss_told || HasLine(log, "已回滚事务。")) told_open = false;
  const bool open = state_.Connection.IsInTransaction();
  if (open != told_open) {
    problems.push_back(std::string("(e) a transaction is ") + (open ? "open" : "not open") +
                       ", the user was last told otherwise");
  }
  if (state_.TransactionSeenOpen != open) {
    problems.push_back("(e) the program's note of the transaction differs from the engine's");
  }

  // A backup is the file as it was; one the open could not make is told.
  if (command.opens || command.backup_runs) {
    const std::vector<std::string> backups = backups_made();
    for (const std::string& backup : backups) {
      if (ReadFile(backup) != start_bytes_) problems.push_back("a backup unlike the file");
    }
    if (backups.empty() && command.target != Target::kNewFile &&
        !AnyStartsWith(boxes, "未能将数据库文件备份到")) {
      problems.push_back("no backup, and no word of it");
    }
  }

  // Close, committing a transaction the user still has, as the user may.
  if (open) services_.QueueMessageBoxAnswer(kIdYes);
  if (!CloseDatabase(app_)) problems.push_back("the database does not close");
  const FileState state{CheckedDump(TargetPath(command), problems), open};

  // (a) and (c): the outcome, and what the user was told of it.
  if (state == after_ && done && !command_failure_shown) {
    // The command did its work and said so; a failure told besides is one that came after it.
  } else if (state == before_ && !done && failure_told) {
    // Refused, and the user told why.
  } else if (state == after_ && !done && failure_told && command.target != Target::kOpenFile) {
    // The engine made the new file before it failed to read it: an empty file is all a new
    // database is, and the user was told it could not be opened.
  } else if (loss_told && state.dump == start_dump_ && !state.open) {
    // The engine rolled the user's transaction back, before or after the command's own work, and
    // the user was told.
  } else if (command.statements != nullptr && failure_told) {
    // A console text that failed part way: the file holds what the statements before ran.
    std::size_t ran = command.statements->size() + 1;
    for (std::size_t k = 1; k <= command.statements->size(); ++k) {
      if (AnyStartsWith(boxes, "第" + IntToText(static_cast<int>(k)) + "条SQL语句执行失败")) {
        ran = k - 1;
      }
    }
    if (ran > command.statements->size() || after_statements_[ran].dump != state.dump) {
      problems.push_back("(c) the console's file is not what the statements it says ran made: " +
                         std::to_string(ran) + "\nboxes: " + ::testing::PrintToString(boxes) +
                         "\nlog: " + log + "\nfile: " + state.dump + "\nexpected: " +
                         (ran <= command.statements->size() ? after_statements_[ran].dump : ""));
    }
  } else {
    std::string what = state == after_    ? "the command's result"
                       : state == before_ ? "the file as before"
                                          : "a third state";
    problems.push_back("(a/c) the file holds " + what + (state.open ? " (transaction open)" : "") +
                       "; success logged: " + (done ? "yes" : "no") +
                       ", failure told: " + (failure_told ? "yes" : "no") + ", loss told: " +
                       (loss_told ? "yes" : "no") + "\nboxes: " + ::testing::PrintToString(boxes) +
                       "\nlog: " + log + "\nfile: " + state.dump + "\nbefore: " + before_.dump +
                       "\nafter: " + after_.dump);
  }
  if (failures == 0 && (!done || command_failure_shown)) {
    problems.push_back("no fault was met, yet the command did not succeed");
  }
  EndRun();
  return problems;
}

std::vector<Tally> FaultSweepTest::Sweep(const Command& command) {
  // More runs than any command makes calls of one kind: a loop that never ends is a failure.
  constexpr int kMostRuns = 300;
  std::vector<Tally> tallies;
  for (const Fault& fault : kFaults) {
    Tally tally;
    // The command's own connections wait kBusyTimeoutMs for a lock held for good.
    if (command.opens && IsLockHeld(fault)) {
      tally.skipped = true;
      tallies.push_back(tally);
      continue;
    }
    for (int nth = 1; nth <= kMostRuns; ++nth) {
      int failures = 0;
      const std::vector<std::string> problems = RunOnce(command, &fault, nth, failures);
      for (const std::string& problem : problems) {
        ADD_FAILURE() << command.id << ", " << fault.name << " on call " << nth << ": " << problem;
      }
      if (failures == 0) break;
      ++tally.runs;
      if (problems.empty()) ++tally.intact;
      EXPECT_LT(nth, kMostRuns) << fault.name << ": the command never got past the fault";
    }
    tallies.push_back(tally);
  }
  return tallies;
}

// Appends the figures of `command` to the file TORVANE_RELIABILITY_OUT names, when it names one,
// in one write, so that test programs running side by side do not mix their lines.
void WriteFigures(const Command& command, const std::vector<Tally>& tallies) {
  const char* out = std::getenv("TORVANE_RELIABILITY_OUT");
  if (out == nullptr || out[0] == '\0') return;
  std::string lines;
  for (std::size_t i = 0; i < tallies.size(); ++i) {
    if (tallies[i].skipped) continue;
    lines += command.name + "\t" + kFaults[i].name + "\t" + IntToText(tallies[i].runs) + "\t" +
             IntToText(tallies[i].intact) + "\n";
  }
  const int fd = ::open(out, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << "cannot write " << out;
  EXPECT_EQ(::write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  ::close(fd);
}

TEST_P(FaultSweepTest, EveryRunLeavesTheFileWholeAndTheUserTold) {
  const Command& command = GetParam();
  TakeReferenceStates(command);
  if (HasFailure()) return;
  const std::vector<Tally> tallies = Sweep(command);
  WriteFigures(command, tallies);
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultSweepTest, ::testing::ValuesIn(FaultSweepTest::Commands()),
                         [](const ::testing::TestParamInfo<Command>& info) {
                           return info.param.id;
                         });

}  // namespace
}  // namespace torvane
