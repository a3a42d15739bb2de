#include "console/sql_console.h"

#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
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
  AppState& s = app.state;
  const std::string sql = d.sql_box().Content();
  if (d.query_radio().IsChecked()) {
    // A text the record set refuses (empty, or not SQL) must not run its previous statement again.
    if (!s.RecordSet.Open(sql, s.Connection) || !s.RecordSet.Requery()) {
      ReportError(app, "SQL语句执行失败！");
      return;
    }
    // A statement that failed after some rows still shows them, but is not a success.
    const bool complete = s.RecordSet.IsComplete();
    const std::string error = complete ? std::string() : s.Connection.GetErrorText();
    const TextTable rows = s.RecordSet.GetAll(true);
    app.window.tree().SetSelectedIndex(0);
    FillGrid(app.window.grid(), rows, true, true);
    // The grid no longer shows the cursor's table: an edit must not be taken for one of its
    // records.
    app.window.grid().SetEditable(false);
    if (complete) {
      app.services.MessageBox("查询成功，查询结果已显示到主窗口表格中。", kMbOk);
    } else {
      ReportErrorText(app, "SQL语句执行失败！", error);
    }
    return;
  }
  const bool ok = s.Connection.Execute(sql);
  // Reported before any other call on the connection, which would replace the engine's message.
  if (!ok) ReportError(app, "SQL语句执行失败！");
  RefreshSchema(app);
  if (ok) app.services.MessageBox("SQL语句执行成功！", kMbOk);
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
  if (MenuItem* apply = d.menu_item("应用选中行")) apply->on_chosen = [&d] { ApplyTemplate(d); };
  if (MenuItem* hide = d.menu_item("关闭SQL模板")) {
    hide->on_chosen = [&d] { d.template_grid().SetVisible(false); };
  }
}

void SqlConsoleCommand(App& app) {
  SqlDialog dialog;
  ConnectSqlDialog(app, dialog);
  dialog.ShowModal();
}

}  // namespace torvane
