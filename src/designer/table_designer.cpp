#include "designer/table_designer.h"

#include <algorithm>
#include <optional>

#include "app/long_work.h"
#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/transactions.h"
#include "app/value_kinds.h"
#include "base/clock.h"
#include "base/text.h"
#include "db/table_definition.h"
#include "designer/field_list.h"
#include "ui/designer_dialog.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

constexpr int kNameColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kLengthColumn = 3;

FieldEntry EntryOfRow(Grid& grid, int row) {
  FieldEntry entry;
  entry.FieldName = grid.CellText(row, kNameColumn);
  entry.TypeName = grid.CellText(row, kTypeColumn);
  entry.LengthText = grid.CellText(row, kLengthColumn);
  return entry;
}

void RenumberRows(Grid& grid) {
  for (int row = 1; row < grid.RowCount(); ++row) grid.SetCellText(row, 0, IntToText(row));
}

// A new empty field inserted before the entry of grid row `row`, or at the end of the list when
// `row` is past the last field row.
void InsertEntry(DesignerState& ds, int row) {
  std::vector<FieldEntry>& fields = ds.DesignerFields;
  FieldEntry entry;
  entry.Added = true;
  const int at = EntryIndexOfRow(fields, row);
  fields.insert(fields.begin() + std::min<std::size_t>(at - 1, fields.size()), entry);
}

void SetUpGrid(Grid& grid) {
  grid.SetRowCount(2);
  grid.SetColumnCount(4);
  static const struct {
    int width;
    const char* title;
  } columns[] = {{32, "序号"}, {130, "字段名称"}, {100, "字段类型"}, {100, "最大文本长度"}};
  for (int c = 0; c < 4; ++c) {
    grid.SetColumnWidth(c, columns[c].width);
    grid.SetCellText(0, c, columns[c].title);
  }
  grid.SetColumnKind(kNameColumn, ColumnKind::kText);
  grid.ClearDropDownItems();
  for (const ValueKind& kind : kValueKinds) grid.AddDropDownItem(kind.name);
  grid.SetColumnKind(kTypeColumn, ColumnKind::kDropDown);
  grid.SetColumnKind(kLengthColumn, ColumnKind::kNumeric);
}

// The designer's row for a column the reader separated from its constraints: its type's words
// give the type name, except that a column declared INTEGER with a PRIMARY KEY of its own is the
// designer's key type, as "INTEGER PRIMARY KEY" always was.
DefinitionRow RowOfColumn(const TableColumn& column) {
  DefinitionRow row;
  row.name = column.name;
  if (column.primary_key && !column.type_base.empty()) {
    row.type_name = KindFromDeclaredType(column.type_base + " PRIMARY KEY");
  }
  if (row.type_name.empty()) row.type_name = KindFromDeclaredType(column.type_base);
  row.length = IntToText(LengthFromText(column.type_length));
  return row;
}

// The row for a column as the engine reports it, when the stored text could not be read: the
// engine's name, and its declared type's words before any "(" and the number after it.
DefinitionRow RowOfEngineColumn(const std::string& name, const std::string& type) {
  DefinitionRow row;
  row.name = name;
  const std::size_t paren = type.find('(');
  row.type_name = KindFromDeclaredType(TrimBlanks(type.substr(0, paren)));
  row.length = IntToText(paren == std::string::npos ? 0 : LengthFromText(type.substr(paren + 1)));
  return row;
}

// Fills the grid with the fields of the stored definition of the target table, and keeps the
// table's column names for the pairing of the rebuild. The pairing takes the k-th field not added
// for the k-th column, so the stored text is used only when it gives exactly the columns the
// engine reports, under the names the cursor sees; otherwise the grid shows the engine's columns
// and the definition counts as unread, which OK refuses to rebuild.
void LoadTableDefinition(App& app, DesignerState& ds, Grid& grid) {
  AppState& s = app.state;
  // A cursor of its own: the program's cursor stays on the table the main window shows, so its
  // in-place editing and field panel go on working after the designer.
  SqliteTable columns;
  if (!columns.Open(ds.TargetTable, s.Connection)) return;
  ds.ExistingColumns = columns.GetFieldNames();
  columns.Close();
  const TableDefinition definition = ReadTableDefinition(s.Connection.GetTableSql(ds.TargetTable));
  const std::vector<EngineColumn> engine = ReadEngineColumns(s.Connection, ds.TargetTable);
  std::vector<std::string> names;
  for (const TableColumn& column : definition.columns) names.push_back(column.name);
  ds.DefinitionUnread =
      !ColumnDifference(definition, engine).empty() || names != ds.ExistingColumns;

  std::vector<DefinitionRow> rows;
  if (!ds.DefinitionUnread) {
    for (const TableColumn& column : definition.columns) rows.push_back(RowOfColumn(column));
  } else if (!engine.empty()) {
    for (const EngineColumn& column : engine) {
      rows.push_back(RowOfEngineColumn(column.name, column.type));
    }
  } else {
    for (const std::string& name : ds.ExistingColumns) rows.push_back(RowOfEngineColumn(name, ""));
  }
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    grid.SetCellText(row, kNameColumn, rows[i].name);
    grid.SetCellText(row, kTypeColumn, rows[i].type_name);
    grid.SetCellText(row, kLengthColumn, rows[i].length);
  }
}

void Start(App& app, DesignerState& ds, DesignerDialog& d) {
  AppState& s = app.state;
  Grid& grid = d.grid();
  SetUpGrid(grid);
  const bool alter = ds.DesignerMode == DesignMode::kAlter;
  ds.DefinitionUnread = false;
  d.window().SetTitle(alter ? "修改表 - " + ds.TargetTable : "创建表");
  if (alter) {
    if (!s.Connection.TableExists(ds.TargetTable)) {
      app.services.MessageBox("不存在表：" + ds.TargetTable + "！", kMbOkStop);
      d.window().Close();
      return;
    }
    LoadTableDefinition(app, ds, grid);
  }
  ds.DesignerFields.clear();
  for (int row = 1; row < grid.RowCount(); ++row) {
    FieldEntry entry = EntryOfRow(grid, row);
    entry.LoadedTypeName = entry.TypeName;
    entry.LoadedLengthText = entry.LengthText;
    ds.DesignerFields.push_back(entry);
  }
  RenumberRows(grid);
  grid.SetCurrentCell(1, 1);
}

void InsertBefore(DesignerState& ds, DesignerDialog& d) {
  Grid& grid = d.grid();
  const int row = grid.CurrentRow();
  if (row <= 0) return;
  grid.InsertRow("", row);
  InsertEntry(ds, row);
  RenumberRows(grid);
}

// A new field after grid row `row` (appended when `row` is the last).
void InsertAfterRow(DesignerState& ds, Grid& grid, int row) {
  grid.InsertRow("", row + 1 < grid.RowCount() ? row + 1 : -1);
  InsertEntry(ds, row + 1);
  RenumberRows(grid);
}

void InsertAfter(DesignerState& ds, DesignerDialog& d) {
  const int row = d.grid().CurrentRow();
  if (row <= 0) return;
  InsertAfterRow(ds, d.grid(), row);
}

void DeleteField(App& app, DesignerState& ds, DesignerDialog& d) {
  Grid& grid = d.grid();
  const int row = grid.CurrentRow();
  if (row <= 0) return;
  if (app.services.MessageBox("您确认要删除字段 " + grid.CellText(row, kNameColumn) + " 吗？",
                              kMbYesNoCancelAsk) != kIdYes) {
    return;
  }
  std::vector<FieldEntry>& fields = ds.DesignerFields;
  const int at = EntryIndexOfRow(fields, row);
  grid.DeleteRow(row);
  if (at >= 1 && at <= static_cast<int>(fields.size())) fields[at - 1].Deleted = true;
  RenumberRows(grid);
}

void StoreRowInEntry(DesignerState& ds, DesignerDialog& d) {
  Grid& grid = d.grid();
  const int row = grid.CurrentRow();
  if (row < 1) return;
  std::vector<FieldEntry>& fields = ds.DesignerFields;
  const int at = EntryIndexOfRow(fields, row);
  if (at < 1 || at > static_cast<int>(fields.size())) return;
  FieldEntry& entry = fields[at - 1];
  const FieldEntry shown = EntryOfRow(grid, row);
  entry.FieldName = shown.FieldName;
  entry.TypeName = shown.TypeName;
  entry.LengthText = shown.LengthText;
}

void KeyDown(DesignerState& ds, DesignerDialog& d, int key) {
  Grid& grid = d.grid();
  ds.UpKeyFlag = false;
  if (key == kKeyDown) {
    const int row = grid.CurrentRow();
    const int column = grid.CurrentColumn();
    if (row != -1 && column != -1 && row == grid.RowCount() - 1 &&
        !grid.CellText(row, kNameColumn).empty()) {
      InsertAfterRow(ds, grid, row);
      grid.SetCurrentCell(row + 1, column);
    }
  } else if (key == kKeyUp) {
    ds.UpKeyFlag = true;
  }
}

void TrailingRowRule(DesignerState& ds, DesignerDialog& d) {
  Grid& grid = d.grid();
  const int row = grid.CurrentRow();
  const int column = grid.CurrentColumn();
  const int count = grid.RowCount();
  if (count <= 2 || row == -1 || column == -1) return;
  if (row == count - 1 && !ds.UpKeyFlag) return;
  if (!TrimBlanks(grid.CellText(count - 1, kNameColumn)).empty()) return;
  std::vector<FieldEntry>& fields = ds.DesignerFields;
  const int at = EntryIndexOfRow(fields, count - 1);
  grid.SetRowCount(count - 1);
  if (at >= 1 && at <= static_cast<int>(fields.size()) &&
      TrimBlanks(fields[at - 1].FieldName).empty()) {
    fields.erase(fields.begin() + (at - 1));
  }
  if (ds.UpKeyFlag) grid.SetCurrentCell(row, column);
}

void CreateNewTable(App& app, DesignerDialog& d, const std::vector<SqliteFieldInfo>& fields) {
  const std::optional<std::string> entered = app.services.InputBox("请输入要创建的表名称：");
  if (!entered) return;
  if (TrimBlanks(*entered).empty()) {
    app.services.MessageBox("表名称不能为空！", kMbOk);
    return;
  }
  const std::string& name = *entered;
  ZuveviRE& db = app.state.Connection;
  if (db.TableExists(name)) {
    app.services.MessageBox("表“" + name + "”已经存在于数据库中！", kMbOk);
    return;
  }
  // A look-up that failed on the file ends the user's transaction: the table would then be
  // created on its own, outside it. A failure that ended it says so.
  if (TransactionEndedByEngine(app) || !db.CreateTable(name, fields)) {
    const std::string reason = db.GetErrorText();
    ReportFailure(app, "创建表失败，错误信息如下：\r\n\r\n" + reason,
                  FailureLogLine("创建表 " + name + " 失败！", reason), kMbOk,
                  DefaultMessageCaption());
    return;
  }
  AppendLog(app,
            "已新建表 " + name + "（" + IntToText(static_cast<int>(fields.size())) + "个字段）");
  app.services.MessageBox("已成功创建表“" + name + "”！", kMbOk);
  RefreshSchema(app);
  d.window().Close();
}

void RebuildTable(App& app, DesignerState& ds, DesignerDialog& d,
                  const std::vector<SqliteFieldInfo>& fields) {
  AppState& s = app.state;
  const std::string& table = ds.TargetTable;
  const ColumnPairs pairs = PairColumns(ds.DesignerFields, ds.ExistingColumns);
  if (ds.DefinitionUnread || pairs.surplus) {
    // The loaded fields are not the table's columns one by one: which data goes where is unknown.
    app.services.MessageBox("无法修改表 " + table +
                                "：未能从表定义中逐一读出表中实际的字段，无法确定数据的去向，"
                                "表未作任何修改。",
                            kMbOkStop);
    return;
  }
  // Reading the table's definition may have failed on the file and ended the user's transaction.
  if (StopForEndedTransaction(app, "修改表失败！")) return;
  RebuildResult result;
  bool cancelled = false;
  {
    LongWork work(app, "修改表", "正在修改表 " + table + "：复制表中的记录并重建索引和触发器……");
    result = RebuildTableLayout(s.Connection, table, RebuildFields(ds.DesignerFields, fields),
                                TickCount());
    cancelled = work.Cancelled();
  }
  if (cancelled && !result.status.ok()) {
    // The engine undid the rebuild's own transaction: the file is as it was.
    AppendLog(app, "已取消修改表 " + table + "，表未作任何修改");
    app.services.MessageBox("已取消修改表 " + table + "，表未作任何修改。", kMbOk);
    return;
  }
  if (!result.status.ok()) {
    ReportErrorText(app, "修改表失败！", result.status.message());
    return;
  }
  std::string left_out;
  for (const std::string& name : result.left_out) left_out += (left_out.empty() ? "" : "、") + name;
  AppendLog(app, "已修改表 " + table + (left_out.empty() ? "" : "；未能随表保留：" + left_out));
  // The tree is read again and shows the table once.
  RefreshSchema(app, table);
  app.services.MessageBox("修改表 " + table + " 成功！", kMbOk);
  if (!left_out.empty()) {
    app.services.MessageBox("以下内容用到了已删除的字段，未能随表保留：" + left_out, kMbOk);
  }
  d.window().Close();
}

void Ok(App& app, DesignerState& ds, DesignerDialog& d) {
  const FieldCheck check = ValidateFields(ds.DesignerFields);
  if (!check.ok) {
    d.grid().SetCurrentCell(check.row, check.column);
    app.services.MessageBox(check.message, kMbOk);
    return;
  }
  if (check.fields.empty()) {
    app.services.MessageBox("尚未添加任何字段！", kMbOkExclamation);
    return;
  }
  if (ds.DesignerMode == DesignMode::kNew) {
    CreateNewTable(app, d, check.fields);
  } else {
    RebuildTable(app, ds, d, check.fields);
  }
}

void OpenDesigner(App& app, DesignMode mode, const std::string& table) {
  DesignerState state;
  state.DesignerMode = mode;
  state.TargetTable = table;
  DesignerDialog dialog;
  ConnectDesignerDialog(app, state, dialog);
  dialog.ShowModal();
}

}  // namespace

std::string KindFromDeclaredType(const std::string& declared_type) {
  if (declared_type.empty() || declared_type == "none") return "";
  static const struct {
    const char* list;
    FieldTypeCode kind;
  } kinds[] = {
      {"text,char,varchar,", FieldTypeCode::kText},
      {"int,integer,int64,short,byte,", FieldTypeCode::kInteger},
      {"numeric,double,float,", FieldTypeCode::kDecimal},
      {"blob,", FieldTypeCode::kBytes},
      {"integer primary key,", FieldTypeCode::kPrimaryKey},
  };
  for (const auto& kind : kinds) {
    if (FindText(kind.list, declared_type + ",", 1, true) >= 1) return NameOfKind(kind.kind);
  }
  return "";
}

std::vector<DefinitionRow> ParseTableDefinition(const std::string& definition) {
  const TableDefinition read = ReadTableDefinition(definition);
  std::vector<DefinitionRow> rows;
  if (!read.ok) return rows;
  for (const TableColumn& column : read.columns) rows.push_back(RowOfColumn(column));
  return rows;
}

int EntryIndexOfRow(const std::vector<FieldEntry>& fields, int row) {
  if (row <= 0) return 0;
  int count = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].Deleted) continue;
    if (++count == row) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(fields.size()) + 1;
}

void NewTableCommand(App& app) { OpenDesigner(app, DesignMode::kNew, ""); }

void AlterTableCommand(App& app) {
  if (!IsTableSelected(app)) {
    app.services.MessageBox("请先选中一个表，然后执行修改操作！", kMbOk);
    return;
  }
  TreeView& tree = app.window.tree();
  OpenDesigner(app, DesignMode::kAlter, tree.ItemText(tree.SelectedIndex()));
}

void ConnectDesignerDialog(App& app, DesignerState& ds, DesignerDialog& d) {
  d.on_created = [&app, &ds, &d] { Start(app, ds, d); };
  d.insert_before_button().on_clicked = [&ds, &d] { InsertBefore(ds, d); };
  d.insert_after_button().on_clicked = [&ds, &d] { InsertAfter(ds, d); };
  d.delete_button().on_clicked = [&app, &ds, &d] { DeleteField(app, ds, d); };
  d.grid().on_editing_ends = [&ds, &d] { StoreRowInEntry(ds, d); };
  d.grid().on_key_pressed = [&ds, &d](int key) { KeyDown(ds, d, key); };
  d.grid().on_current_cell_changed = [&ds, &d] { TrailingRowRule(ds, d); };
  d.ok_button().on_clicked = [&app, &ds, &d] { Ok(app, ds, d); };
  d.cancel_button().on_clicked = [&d] { d.window().Close(); };
}

}  // namespace torvane
