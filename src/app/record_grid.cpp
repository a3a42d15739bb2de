#include "app/record_grid.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "app/database_commands.h"
#include "app/messages.h"
#include "app/operation_log.h"
#include "app/query_rows.h"
#include "app/transactions.h"
#include "base/clock.h"
#include "base/text.h"
#include "db/command_transaction.h"
#include "db/sql_name.h"
#include "db/table_browse.h"
#include "platform/free_memory.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// A browse that could not show `name`: the panels are emptied, so no other table's rows stand under
// its name and no command reaches the records of another table, and the user is told why. The
// connection keeps the engine's message for 取错误文本.
void FailBrowse(App& app, const std::string& name, const std::string& kind_text) {
  AppState& s = app.state;
  const std::string reason = s.Connection.GetErrorText();
  s.Cursor.Close();
  ResetPanels(app);
  std::string message = "打开" + kind_text + "失败：" + name;
  if (!reason.empty()) message += "\r\n\r\n" + reason;
  app.services.MessageBox(message, kMbOkStop);
  AppendLog(app,
            "[×]打开" + kind_text + "失败！" + name + (reason.empty() ? "" : "（" + reason + "）"));
}

}  // namespace

namespace {

// How often a count that another connection could not finish is started again before the program's
// own connection takes it: a write of the program's own stops such a count to get its lock.
constexpr int kCountAttempts = 3;

// Takes the count of the shown table's rows and puts it into the summary line when it is known.
// The engine counts on a worker thread with a connection of its own where it can; where it cannot,
// or after `attempt` counts there failed, the program's connection counts while the user waits.
void CountShownRows(App& app, const BrowseInfo& info, int attempt) {
  AppState& s = app.state;
  StopRowCount(s);
  if (attempt < kCountAttempts) {
    auto mailbox = std::make_unique<UiMailbox>();
    UiMailbox* post = mailbox.get();
    s.PendingCount = s.Cursor.CountRowsAside([post, &app, info, attempt](std::int64_t rows) {
      post->Post([&app, info, attempt, rows] {
        if (rows < 0) {
          CountShownRows(app, info, attempt + 1);
        } else {
          app.state.RestartCount = nullptr;
          app.window.info_box().SetContent(BrowseInfoText(rows, info));
        }
      });
    });
    if (s.PendingCount) {
      s.CountMailbox = std::move(mailbox);
      s.RestartCount = [&app, info] { CountShownRows(app, info, 0); };
      return;
    }
  }
  const std::int64_t rows = s.Cursor.CountRows();
  app.window.info_box().SetContent(BrowseInfoText(rows < 0 ? kCountFailed : rows, info));
}

void Browse(App& app, const std::string& name, ItemKind kind, bool log) {
  if (name.empty()) return;
  AppState& s = app.state;
  // The count of the table shown before and the rows of a query still arriving are of no use any
  // more.
  StopQueryRows(app);
  StopRowCount(s);
  StopPanelRead(app);
  MainWindow& w = app.window;
  const std::uint64_t t0 = TickCount();
  const std::string definition = s.Connection.GetTableSql(name);
  const std::string kind_text = kind == ItemKind::kTable ? "表" : "视图";
  if (!s.Cursor.Open(name, s.Connection)) {
    FailBrowse(app, name, kind_text);
    return;
  }
  // The name comes from the catalog: quoted when it is not a plain name, so that any table the tree
  // lists can be shown. A table's rows come in the order of the cursor's records, by row id or
  // primary key (an index covering the columns could otherwise give them in its own order). A
  // long BLOB is read only as far as the grid describes it: its size and first bytes.
  const BrowseStatement browse =
      MakeBrowseStatement(s.Cursor, s.Connection, kind == ItemKind::kTable, s.RowLimit);
  // The rows, their keys and the count are read in one read transaction of the browse's own, so
  // they show the table at one moment whatever another program writes meanwhile. None of it
  // reads more of the table than the rows shown, but for the count.
  CommandTransaction reading(s.Connection);
  (void)reading.Begin();
  SqliteDataset rows = s.Connection.Query(browse.sql);
  s.RecordSet.Close();
  s.RecordSet = std::move(rows);
  if (!s.RecordSet.Requery(browse.cut ? &*browse.cut : nullptr) || !s.RecordSet.IsComplete()) {
    FailBrowse(app, name, kind_text);
    s.RecordSet.Close();
    return;
  }
  const int fetched = s.RecordSet.GetRowCount();
  // Every record operation on a grid row goes to the record that row shows, found by its key even
  // after rows were added or deleted before it.
  s.ShownRecordKeys.clear();
  if (kind == ItemKind::kTable) s.ShownRecordKeys = s.Cursor.ReadFirstKeys(fetched);
  (void)reading.Commit();
  // Fewer rows than the limit are the whole table. Otherwise the engine counts them, which takes
  // as long as the table is large: on another connection, while the user already sees the rows.
  const bool whole = s.RowLimit < 0 || fetched < s.RowLimit;

  w.definition_box().SetContent(definition);
  w.definition_box().SetContent(definition);
  FillComboFromList(w.field_name_box(), s.Cursor.GetFieldNames(), -1);
  FillComboWithNumbers(w.record_number_box(), 1, fetched, -1);
  FillGrid(w.grid(), s.RecordSet.GetAll(true), true, true);
  // Only a table's cells are written back when edited in place; a view's would only seem to be,
  // and a table the cursor cannot write says why in the summary line instead.
  const std::string read_only = s.Cursor.GetReadOnlyReason();
  w.grid().SetEditable(kind == ItemKind::kTable && read_only.empty());

  const double elapsed = static_cast<double>(TickCount() - t0);
  const BrowseInfo info{s.RowLimit, elapsed, kind, read_only};
  if (whole) {
    w.info_box().SetContent(BrowseInfoText(fetched, info));
  } else {
    w.info_box().SetContent(BrowseInfoText(kCountPending, info));
    CountShownRows(app, info, 0);
  }
  if (log) AppendLog(app, "打开" + kind_text + "：" + name);
  w.field_panel().SetVisible(kind == ItemKind::kTable);
}

}  // namespace

void BrowseObject(App& app, const std::string& name, ItemKind kind) {
  const bool open = app.state.Connection.IsInTransaction();
  Browse(app, name, kind, true);
  // A read of the browse that failed on the file, even one it passes over (the definition, the
  // keys), ends the user's transaction.
  if (open) ReportTransactionEndedByRead(app);
}

void ReloadShownTable(App& app, AfterReload after) {
  TreeView& tree = app.window.tree();
  const int item = tree.SelectedIndex();
  const int kind = tree.ItemData(item);
  if (kind != static_cast<int>(ItemKind::kTable) && kind != static_cast<int>(ItemKind::kView)) {
    return;
  }
  Grid& grid = app.window.grid();
  ComboBox& records = app.window.record_number_box();
  ComboBox& fields = app.window.field_name_box();
  const int row = grid.CurrentRow();
  const int column = grid.CurrentColumn();
  const int record = records.SelectedIndex();
  const int field = fields.SelectedIndex();
  const bool open = app.state.Connection.IsInTransaction();
  Browse(app, tree.ItemText(item), static_cast<ItemKind>(kind), false);
  // As after a browse: the reads may have ended the user's transaction, and the file is shown anew.
  if ((open && ReportTransactionEndedByRead(app)) || after == AfterReload::kNoCell) return;
  const bool keep_panel = after == AfterReload::kSameCellKeepPanel;
  // The same cell again, as far as the table still has it. Moving there raises the grid's event,
  // which selects its record and field in the field panel and reads them, as a click would; a
  // panel that is to keep its value does not hear of it.
  std::function<void()> handler;
  if (keep_panel) std::swap(handler, grid.on_current_cell_changed);
  if (row > 0 && column > 0 && app.state.Cursor.IsOpen() && grid.RowCount() > 1) {
    grid.SetCurrentCell(std::min(row, grid.RowCount() - 1),
                        std::min(column, grid.ColumnCount() - 1));
  }
  if (keep_panel) {
    std::swap(handler, grid.on_current_cell_changed);
    records.SetSelectedIndex(record);
    fields.SetSelectedIndex(field);
  }
}

std::string BrowseInfoText(std::int64_t count, const BrowseInfo& info) {
  std::string text;
  if (count == kCountPending) {
    text = "正在统计记录数，";
  } else if (count < 0) {
    text = "记录数统计失败，";
  } else {
    text = "共" + IntToText(count) + "条记录，";
  }
  if (info.row_limit >= 0 && (count < 0 || info.row_limit <= count)) {
    text += "显示前" + IntToText(info.row_limit) + "条，";
  } else {
    text += "已全部显示，";
  }
  text += "耗时" + DoubleToText(info.elapsed_ms) + "毫秒。";
  if (info.kind == ItemKind::kTable) {
    text += info.read_only.empty() ? "可直接修改文本字段。" : info.read_only;
  }
  return text;
}

void FillGrid(Grid& grid, const TextTable& rows, bool header, bool numbers) {
  // The grid reads the record set's own rows, shared by the copy of the table it is handed: a
  // result of a million rows is shown without a second copy of its texts.
  grid.ShowCells(ShareAsCells(rows), header, numbers);
  grid.FitColumnWidths();
  // The rows shown before are let go of now (unless their record set still holds them). A large
  // result's memory goes back to the system, so that results shown in turn do not add up.
  constexpr std::size_t kLargeResult = 16 << 20;
  static std::size_t shown_before = 0;
  if (shown_before >= kLargeResult) ReturnFreeMemory();
  shown_before = rows.HeldBytes();
}

void FillComboFromList(ComboBox& combo, const std::vector<std::string>& items, int selection) {
  combo.Clear();
  for (const std::string& item : items) combo.AddItem(item);
  combo.SetSelectedIndex(selection);
}

void FillComboWithNumbers(ComboBox& combo, int first, int last, int selection) {
  combo.Clear();
  for (int n = first; n <= last; ++n) combo.AddItem(DoubleToText(n));
  combo.SetSelectedIndex(selection);
}

bool ShownRecordHasKey(const App& app, int record) {
  const std::vector<std::string>& keys = app.state.ShownRecordKeys;
  return record >= 1 && record <= static_cast<int>(keys.size()) && !keys[record - 1].empty();
}

bool GoToShownRecord(App& app, int record) {
  SqliteTable& cursor = app.state.Cursor;
  if (!ShownRecordHasKey(app, record)) {
    cursor.GoTo(0);
    return false;
  }
  return cursor.SeekKey(app.state.ShownRecordKeys[record - 1]);
}

void OnGridCurrentCellChanged(App& app) {
  Grid& grid = app.window.grid();
  app.window.record_number_box().SetSelectedIndex(grid.CurrentRow() - 1);
  app.window.field_name_box().SetSelectedIndex(grid.CurrentColumn() - 1);
}

void OnGridEditingBegins(App& app) {
  Grid& grid = app.window.grid();
  if (grid.CurrentRow() != -1 && grid.CurrentColumn() != -1) {
    app.state.EditStartText = grid.CellText(grid.CurrentRow(), grid.CurrentColumn());
  }
}

bool OnGridEditingEnds(App& app) {
  Grid& grid = app.window.grid();
  SqliteTable& cursor = app.state.Cursor;
  const int row = grid.CurrentRow();
  const int column = grid.CurrentColumn();
  if (!IsTableSelected(app) || !cursor.IsOpen() || row == -1 || column == -1) return false;
  const std::string new_text = grid.CellText(row, column);
  if (new_text == app.state.EditStartText) return false;
  bool written = false;
  if (GoToShownRecord(app, row)) {
    cursor.Edit();
    cursor.SetField(column, new_text);
    written = cursor.Update();
  }
  if (written) {
    // An edit of the key moves the record to a new key; the row follows it.
    app.state.ShownRecordKeys[row - 1] = cursor.GetWrittenKey();
    AppendLog(app, "已修改 " + grid.CellText(0, column) + " 字段值：" + LogExcerpt(new_text));
    return true;
  }
  // The refused text must not stay in the cell as if it were stored: the cell shows the stored
  // value again by the time the user reads why.
  const std::string reason = app.state.Connection.GetErrorText();
  ReloadShownTable(app, AfterReload::kSameCellKeepPanel);
  ReportErrorText(app, "修改字段值失败！", reason);
  return false;
}

void OnGridRightReleased(App& app) {
  if (IsTableSelected(app)) app.window.menu(MainMenu::kTable).PopUp();
}

}  // namespace torvane
