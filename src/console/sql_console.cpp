#include "console/sql_console.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "app/long_work.h"
#include "app/operation_log.h"
#include "app/query_rows.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/transactions.h"
#include "base/cell_texts.h"
#include "base/clock.h"
#include "base/text.h"
#include "console/sql_templates.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

bool StartsWithIgnoreCase(const std::string& text, const char* keyword) {
  const std::string prefix = keyword;
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Bytes of a failed statement its message shows.
constexpr int kShownStatementBytes = 60;

// `text` on one line: each run of blanks, tabs and line breaks becomes one blank, and none is left
// at either end. None of those bytes is ever part of a two-byte character.
std::string OneLine(std::string_view text) {
  std::string line;
  bool blank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      blank = !line.empty();
      continue;
    }
    if (blank) line += ' ';
    blank = false;
    line += c;
  }
  return line;
}

// A statement as a message names it: on one line, its first kShownStatementBytes bytes and "…"
// when it is longer.
std::string ShownStatement(std::string_view statement) {
  const std::string line = OneLine(statement);
  if (TextLength(line) <= kShownStatementBytes) return line;
  return TextPrefix(line, kShownStatementBytes) + "…";
}

// Why a statement stopped when the user cancelled it.
constexpr char kCancelledByUser[] = "已被用户取消，该语句所做的修改均已撤销。";

// How far the statements of a console text got.
struct StatementRun {
  int ran = 0;               // statements that succeeded, counted from the first
  std::int64_t changes = 0;  // rows they inserted, updated or deleted (with their triggers')
  bool failed = false;       // statement number ran + 1 failed
  std::string reason;        // the engine's message for that failure
};

// Runs `statements` one after another and stops at the first that fails. The transaction state is
// noted before each, so that a failure can tell whether the engine ended the transaction.
StatementRun RunStatements(App& app, const std::vector<std::string>& statements) {
  ZuveviRE& db = app.state.Connection;
  StatementRun run;
  const std::int64_t before = db.GetTotalChanges();
  const std::int64_t total = static_cast<std::int64_t>(statements.size());
  LongWork work(app, "执行SQL语句", "正在执行SQL语句……");
  for (const std::string& statement : statements) {
    NoteTransactionState(app);
    if (total > 1) {
      work.Step("正在执行第" + IntToText(run.ran + 1) + "条SQL语句（共" + IntToText(total) +
                    "条）：" + ShownStatement(statement),
                run.ran, total);
    }
    const bool ran = !work.Cancelled() && db.Execute(statement);
    if (work.Cancelled()) {
      // A statement stopped by the user is undone whole; the ones before it stay.
      run.failed = true;
      run.reason = kCancelledByUser;
      break;
    }
    if (!ran) {
      run.failed = true;
      // Taken at once: the next call on the connection replaces the engine's message.
      run.reason = db.GetErrorText();
      break;
    }
    ++run.ran;
    run.changes = db.GetTotalChanges() - before;
  }
  return run;
}

// Shows what the file holds now that statements ran: the tree rebuilt when tables or views came or
// went (which shows the table or view shown before again, while it exists), or else the shown table
// read again, unless `table_read` says that was done already.
void ShowFileAgain(App& app, bool table_read = false) {
  const AppState& s = app.state;
  const auto before = std::make_tuple(s.TableNames, s.ViewNames, s.TempTableNames, s.TempViewNames);
  RefreshNameLists(app);
  if (std::tie(s.TableNames, s.ViewNames, s.TempTableNames, s.TempViewNames) != before) {
    TreeView& tree = app.window.tree();
    const int item = tree.SelectedIndex();
    const bool object = tree.ItemData(item) >= static_cast<int>(ItemKind::kTable);
    RefreshSchemaTree(app, object ? tree.ItemText(item) : std::string());
  } else if (!table_read) {
    ReloadShownTable(app);
  }
}

// Tells the user, in a box and the log, that statement number run.ran + 1 of `statements` (the
// console text `sql`) failed, and how far the text got. When the failure left a transaction open
// after statements of this text had run, the user keeps them (the transaction stays open) or
// rolls the transaction back; when the engine itself rolled it back, the box says so. The file is
// shown again when `ran_some` says the statements before changed it, or the transaction ended.
void ReportFailedStatement(App& app, std::string_view sql,
                           const std::vector<std::string>& statements, const StatementRun& run,
                           bool ran_some) {
  ZuveviRE& db = app.state.Connection;
  const int total = static_cast<int>(statements.size());
  const int number = run.ran + 1;
  const bool several = total > 1;
  std::string log = "SQL语句执行失败";
  if (several) {
    log += "，第" + IntToText(number) + "条语句出错，此前" + IntToText(run.ran) + "条语句已执行";
  }
  AppendLog(app, FailureLogLine(log + "：" + LogExcerpt(sql), run.reason));
  const std::string loss = TakeTransactionLoss(app);
  const bool open = db.IsInTransaction();

  std::string text = (several ? "第" + IntToText(number) + "条" : std::string()) +
                     "SQL语句执行失败！错误信息如下：\r\n\r\n" + run.reason;
  if (several) {
    text += "\r\n\r\n失败的语句：" + ShownStatement(statements[run.ran]) + "\r\n";
    if (run.ran == 0) {
      text += "文本中的语句都没有执行。";
    } else {
      text +=
          "此前的" + IntToText(run.ran) + "条语句已执行，影响" + IntToText(run.changes) + "条记录";
      // Outside a transaction each of them was written to the file when it ran.
      if (!open && loss.empty()) text += "，其修改仍然有效";
      const int later = total - number;
      text += later > 0 ? "；其后的" + IntToText(later) + "条语句没有执行。" : "。";
    }
  }
  if (open && run.ran > 0) {
    text +=
        "\r\n\r\n当前事务仍未结束。要保留已执行语句的修改吗？\r\n"
        "选“是”保留：事务保持打开，可以稍后提交或回滚。\r\n"
        "选“否”回滚事务：事务中尚未提交的修改全部撤销。";
    // Only an explicit "否" discards work; any other answer keeps the transaction as it is.
    if (app.services.MessageBox(text, kMbYesNoAsk, "错误：") == kIdNo) {
      // Logs the rollback, or reports its failure, and reads the shown table again.
      RollbackUserTransaction(app);
      ShowFileAgain(app, true);
      return;
    }
    AppendLog(app, "已保留已执行语句的修改，事务仍未结束。");
    NoteTransactionState(app);
    ShowFileAgain(app);
    return;
  }
  if (!loss.empty()) {
    text += "\r\n\r\n" + loss;
  } else if (open) {
    text += "\r\n\r\n当前事务仍未结束，其中尚未提交的修改都还在。";
  }
  NoteTransactionState(app);
  if (ran_some || !loss.empty()) ShowFileAgain(app);
  app.services.MessageBox(text, kMbOkStop, "错误：");
}

// Runs every statement of the console text `sql` in execute mode and reports the outcome.
void ExecuteStatements(App& app, const std::string& sql,
                       const std::vector<std::string>& statements) {
  const StatementRun run = RunStatements(app, statements);
  if (run.failed) {
    ReportFailedStatement(app, sql, statements, run, run.ran > 0);
    return;
  }
  NoteTransactionState(app);
  const std::string counts =
      "共" + IntToText(run.ran) + "条语句，影响" + IntToText(run.changes) + "条记录";
  AppendLog(app, "SQL语句执行成功，" + counts + "：" + LogExcerpt(sql));
  ShowFileAgain(app);
  std::string text = "SQL语句执行成功！" + counts + "。";
  if (app.state.Connection.IsInTransaction()) {
    text += "\r\n\r\n当前事务仍未结束，提交事务后修改才会保存到数据库文件中。";
  }
  app.services.MessageBox(text, kMbOk);
}

// The header row of a result without rows: its column names.
class ColumnNameRow : public CellTexts {
 public:
  explicit ColumnNameRow(std::vector<std::string> names) : names_(std::move(names)) {}
  int rows() const override { return names_.empty() ? 0 : 1; }
  int columns() const override { return static_cast<int>(names_.size()); }
  std::string_view at(int, int column, std::string&) const override { return names_[column]; }

 private:
  std::vector<std::string> names_;
};

// The summary line of a query's rows, in the manner of a browse's.
std::string QueryInfoText(int count, double elapsed_ms, QueryRowsOutcome outcome) {
  switch (outcome) {
    case QueryRowsOutcome::kFailed:
      return "已读到" + IntToText(count) + "条记录，查询中途出错，耗时" + DoubleToText(elapsed_ms) +
             "毫秒。";
    case QueryRowsOutcome::kStopped:
      return "已读到" + IntToText(count) + "条记录，其余记录没有读取（读取已停止），耗时" +
             DoubleToText(elapsed_ms) + "毫秒。查询结果不能直接修改。";
    case QueryRowsOutcome::kComplete:
      break;
  }
  // Every row is shown, so unlike a browse's the line has no "显示前N条".
  return "共" + IntToText(count) + "条记录，耗时" + DoubleToText(elapsed_ms) +
         "毫秒。查询结果不能直接修改。";
}

// What a console query did, once its rows stopped arriving: the summary line, the log and, for a
// failure, the message. `tell_success` also says so in a box (a query whose rows arrived after the
// first ones said so when those were shown). A statement that failed after some rows still shows
// them, but is not a success; neither is one the user cancelled.
void EndQuery(App& app, const std::string& sql, const std::string& statement, std::uint64_t t0,
              QueryRowsOutcome outcome, bool cancelled, bool tell_success) {
  AppState& s = app.state;
  const std::string error = cancelled ? std::string(kCancelledByUser) : s.Connection.GetErrorText();
  const int count = s.RecordSet.GetRowCount();
  app.window.info_box().SetContent(
      QueryInfoText(count, static_cast<double>(TickCount() - t0), outcome));
  if (outcome == QueryRowsOutcome::kFailed) {
    ReportFailedStatement(app, sql, {statement}, {0, 0, true, error}, false);
    return;
  }
  NoteTransactionState(app);
  if (outcome == QueryRowsOutcome::kStopped) {
    AppendLog(app, "SQL查询成功，读到" + IntToText(count) + "条记录后停止读取其余记录：" +
                       LogExcerpt(sql));
    return;
  }
  AppendLog(app, "SQL查询成功，共" + IntToText(count) + "条记录：" + LogExcerpt(sql));
  if (tell_success) app.services.MessageBox("查询成功，查询结果已显示到主窗口表格中。", kMbOk);
}

// Runs `statement`, the one statement of the console text `sql`, as a query: its rows replace the
// main grid's, headed by its column names even when there are none. The first rows show at once;
// the rest arrive while the window stays responsive (app/query_rows.h).
void RunQuery(App& app, const std::string& sql, const std::string& statement) {
  AppState& s = app.state;
  const std::uint64_t t0 = TickCount();
  // The rows about to replace the grid's are not those of an earlier query still arriving, nor the
  // browsed table's: its count has no place.
  StopQueryRows(app);
  NoteTransactionState(app);
  StopRowCount(s);
  StopPanelRead(app);
  // The first rows: as many as a screen needs, or whatever came within a moment (a query that
  // sorts gives its first row only once it has sorted them all).
  constexpr std::uint64_t kFirstRowsMs = 30;
  bool started = false;
  bool cancelled = false;
  SqliteDataset::Fetched fetched = SqliteDataset::Fetched::kFailed;
  {
    LongWork work(app, "执行SQL查询", "正在执行SQL查询……");
    // A text the record set refuses must not run its previous statement again.
    started = s.RecordSet.Open(statement, s.Connection) && s.RecordSet.Start();
    if (started) {
      fetched = s.RecordSet.Fetch(static_cast<std::size_t>(std::max(s.QueryFirstRows, 1)),
                                  TickCount() + kFirstRowsMs);
    }
    cancelled = work.Cancelled();
  }
  if (!started || s.RecordSet.FailedAtOnce()) {
    ReportFailedStatement(app, sql, {statement},
                          {0, 0, true, cancelled ? kCancelledByUser : s.Connection.GetErrorText()},
                          false);
    return;
  }
  const TextTable rows = s.RecordSet.GetAll(true);
  app.window.tree().SetSelectedIndex(0);
  Grid& grid = app.window.grid();
  if (rows.empty()) {
    grid.ShowCells(std::make_shared<const ColumnNameRow>(s.RecordSet.GetColumnNames()), true, true);
  } else {
    FillGrid(grid, rows, true, true);
  }
  // The grid no longer shows the cursor's table: an edit must not be taken for one of its
  // records.
  grid.SetEditable(false);
  if (fetched == SqliteDataset::Fetched::kMore) {
    ReadRestOfQueryRows(app, [&app, sql, statement, t0](QueryRowsOutcome outcome) {
      EndQuery(app, sql, statement, t0, outcome, false, false);
    });
    app.services.MessageBox("查询成功，查询结果已显示到主窗口表格中。", kMbOk);
    return;
  }
  EndQuery(app, sql, statement, t0,
           fetched == SqliteDataset::Fetched::kDone ? QueryRowsOutcome::kComplete
                                                    : QueryRowsOutcome::kFailed,
           cancelled, true);
}

}  // namespace

StatementKind StatementKindOf(const std::string& text) {
  const std::string trimmed = TrimBlanks(text);
  if (StartsWithIgnoreCase(trimmed, "select")) return StatementKind::kQuery;
  for (const char* keyword : {"update", "delete", "insert", "create", "drop"}) {
    if (StartsWithIgnoreCase(trimmed, keyword)) return StatementKind::kExecute;
  }
  return StatementKind::kUnknown;
}

void GuessStatementKind(SqlDialog& d) {
  switch (StatementKindOf(d.sql_box().Content())) {
    case StatementKind::kQuery:
      d.query_radio().SetChecked(true);
      d.execute_radio().SetChecked(false);
      break;
    case StatementKind::kExecute:
      d.execute_radio().SetChecked(true);
      d.query_radio().SetChecked(false);
      break;
    case StatementKind::kUnknown:
      break;
  }
}

void InsertNameAtCaret(App& app, SqlDialog& d) {
  TreeView& tree = d.tree();
  const int item = tree.SelectedIndex();
  const int kind = tree.ItemData(item);
  if (kind != static_cast<int>(ItemKind::kTable) && kind != static_cast<int>(ItemKind::kView)) {
    return;
  }
  const std::string name = tree.ItemText(item);
  // The name goes in as a paste would, and the clipboard gets its text back. The name itself is
  // inserted, not what the clipboard hands back: the desktop's clipboard carries only valid text,
  // and a name may hold bytes that are not.
  const std::string saved = app.services.ClipboardText();
  app.services.SetClipboardText(name);
  d.sql_box().InsertAtCaret(name);
  app.services.SetClipboardText(saved);
  d.sql_box().Focus();
}

void RunSql(App& app, SqlDialog& d) {
  const std::string sql = d.sql_box().Content();
  const std::vector<std::string> statements = app.state.Connection.SplitStatements(sql);
  if (statements.empty()) {
    app.services.MessageBox("没有可执行的SQL语句：文本为空，或只有注释。", kMbOkExclamation);
    return;
  }
  if (!d.query_radio().IsChecked()) {
    ExecuteStatements(app, sql, statements);
    return;
  }
  // One result fills the grid: a text of several statements would leave the user guessing which
  // ran and whose rows are shown.
  if (statements.size() > 1) {
    app.services.MessageBox("查询类SQL只能是一条语句，这段文本有" + IntToText(statements.size()) +
                                "条语句，没有执行。\r\n\r\n请只留下要查询的一条语句；要逐条执行多条"
                                "语句，请选择“执行类SQL”。",
                            kMbOkExclamation);
    return;
  }
  RunQuery(app, sql, statements.front());
}

void ConnectSqlDialog(App& app, SqlDialog& d) {
  d.on_created = [&app, &d] {
    d.tree().SetImageList(app.window.tree().GetImageList());
    d.tree().SetItems(app.window.tree().Items());
    // Open the groups, as the main window's tree shows them, so the names are a double-click away.
    for (int i = 0; i < d.tree().ItemCount(); ++i) {
      if (d.tree().ParentIndex(i) == -1) d.tree().Expand(i);
    }
    LoadTemplates(d, TemplateFilePath());
  };
  d.sql_box().on_content_changed = [&d] { GuessStatementKind(d); };
  d.tree().on_item_double_clicked = [&app, &d] { InsertNameAtCaret(app, d); };
  d.ok_button().on_clicked = [&app, &d] { RunSql(app, d); };
  d.close_button().on_clicked = [&d] { d.window().Close(); };
  d.import_file_button().on_clicked = [&app, &d] { ImportSqlFile(app, d); };
  d.import_template_button().on_clicked = [&d] {
    d.template_grid().SetVisible(!d.template_grid().IsVisible());
  };
  d.template_grid().on_double_clicked = [&d] { ApplyTemplate(d); };
  d.template_grid().on_right_released = [&d] { d.template_menu().PopUp(); };
  d.apply_template_item().on_chosen = [&d] { ApplyTemplate(d); };
  d.hide_templates_item().on_chosen = [&d] { d.template_grid().SetVisible(false); };
}

void SqlConsoleCommand(App& app) {
  SqlDialog dialog;
  ConnectSqlDialog(app, dialog);
  dialog.ShowModal();
}

}  // namespace torvane
