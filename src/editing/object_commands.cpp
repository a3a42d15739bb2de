#include "editing/object_commands.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/database_commands.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "db/command_transaction.h"
#include "base/text.h"
#include "db/sql_name.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

std::string KindWord(ObjectKind kind) { return kind == ObjectKind::kTable ? "表" : "视图"; }

std::string SelectedItemText(App& app) {
  TreeView& tree = app.window.tree();
  return tree.ItemText(tree.SelectedIndex());
}

// Whether `name` is a temporary view: the temporary catalog has it and the main one does not (the
// main one is the one a name reaches first).
bool IsTemporaryView(App& app, const std::string& name) {
  const std::vector<std::string>& views = app.state.ViewNames;
  const std::vector<std::string>& temp_views = app.state.TempViewNames;
  return std::find(views.begin(), views.end(), name) == views.end() &&
         std::find(temp_views.begin(), temp_views.end(), name) != temp_views.end();
}

// Re-creates view `old_name` as `new_name` from its stored definition. On failure `error` holds the
// engine's message of the step that failed ("" when a search of the definition failed: no SQL ran
// then).
bool RenameView(App& app, const std::string& old_name, const std::string& new_name,
                std::string& error) {
  ZuveviRE& db = app.state.Connection;
  const std::string renamed = RenamedViewDefinition(db.GetTableSql(old_name), old_name, new_name,
                                                    IsTemporaryView(app, old_name));
  if (renamed.empty()) {
    error = db.GetErrorText();
    return false;
  }
  CommandTransaction transaction(db);
  if (!transaction.Begin()) {
    error = db.GetErrorText();
    transaction.Rollback();
    return false;
  }
  // Both statements run, as the user's own work would; the first failure is the one reported.
  bool ok = db.Execute("DROP VIEW " + QuoteSqlName(old_name));
  if (!ok) error = db.GetErrorText();
  if (db.Execute(renamed)) {
    ok = ok && transaction.Commit();
    if (!ok && error.empty()) error = db.GetErrorText();
  } else {
    if (ok) error = db.GetErrorText();
    ok = false;
  }
  if (!ok) transaction.Rollback();
  return ok;
}

}  // namespace

std::string RenamedViewDefinition(const std::string& definition, const std::string& old_name,
                                  const std::string& new_name, bool temporary) {
  if (definition.empty()) return "";
  const int view = FindText(definition, " VIEW ", 1, true);
  if (view <= 1) return "";
  const int name = FindText(definition, old_name, view + 6, true);
  if (name <= 1) return "";
  const int as = FindText(definition, " AS ", name + TextLength(old_name), true);
  if (as <= 1) return "";
  std::string head = LeftPart(definition, view + 5);
  // The engine keeps a temporary view's definition without its TEMP: say it again, or the view
  // would come back in the database file.
  if (temporary && FindText(LeftPart(definition, view - 1), "TEMP", 1, true) < 1) {
    head = LeftPart(definition, view - 1) + " TEMP VIEW ";
  }
  return head + new_name + definition.substr(as - 1);
}

void RenameObject(App& app, ObjectKind kind) {
  const std::string word = KindWord(kind);
  if (!IsTableSelected(app) && !IsViewSelected(app)) {
    app.services.MessageBox("请先选择要改名的" + word + "！", kMbOk);
    return;
  }
  const std::string old_name = SelectedItemText(app);
  const std::optional<std::string> entered =
      app.services.InputBox("请输入新的" + word + "名称：", DefaultInputCaption(), old_name);
  if (!entered) return;
  const std::string& new_name = *entered;
  if (new_name.empty()) {
    app.services.MessageBox(word + "名称不能为空！", kMbOk);
    return;
  }
  if (new_name == old_name) {
    app.services.MessageBox("您输入的" + word + "名称与原名称相同！无需修改。", kMbOk);
    return;
  }
  bool ok;
  std::string error;
  if (kind == ObjectKind::kTable) {
    // The old name comes from the catalog and is quoted when it needs it; the new one is the
    // user's SQL, exactly as typed.
    ok = app.state.Connection.Execute("ALTER TABLE " + QuoteSqlName(old_name) + " RENAME TO " +
                                      new_name);
    if (!ok) error = app.state.Connection.GetErrorText();
  } else {
    ok = RenameView(app, old_name, new_name, error);
  }
  if (!ok) {
    ReportErrorText(app, "修改" + word + "名称时发生错误！", error);
    return;
  }
  app.services.MessageBox("已成功修改" + word + "名称！", kMbOk);
  RefreshSchema(app);
  RefreshGrid(app);
}

void DropObject(App& app, ObjectKind kind) {
  const std::string word = KindWord(kind);
  if (!IsTableSelected(app) && !IsViewSelected(app)) {
    app.services.MessageBox("请先选中一个" + word + "，然后执行删除操作！", kMbOk);
    return;
  }
  const std::string name = SelectedItemText(app);
  if (app.services.MessageBox("您确认要删除" + word + " " + name + " 吗？", kMbYesNoCancelAsk) !=
      kIdYes) {
    return;
  }
  const std::string what = kind == ObjectKind::kTable ? " table " : " view ";
  if (!app.state.Connection.Execute("drop" + what + QuoteSqlName(name))) {
    app.services.MessageBox("删除失败！", kMbOkStop);
    return;
  }
  app.services.MessageBox("已删除。", kMbOk);
  RefreshSchema(app);
  // The dropped object was the tree's last item, so nothing took its place: the panels must not
  // go on showing it.
  if (app.window.tree().SelectedIndex() == -1) ResetPanels(app);
}

void CreateViewCommand(App& app) {
  const std::optional<std::string> entered = app.services.InputBox(
      "请输入创建视图的SQL语句", "新建视图", "CREATE VIEW <视图名称> AS <select语句>");
  if (!entered) return;
  if (!app.state.Connection.Execute(*entered)) {
    app.services.MessageBox("执行失败！", kMbOkStop);
    return;
  }
  app.services.MessageBox("执行成功。", kMbOk);
  RefreshSchema(app);
}

void AlterViewCommand(App& app) {
  if (!IsViewSelected(app)) {
    app.services.MessageBox("请先选中一个视图，然后执行修改操作！", kMbOk);
    return;
  }
  const std::string name = SelectedItemText(app);
  const std::optional<std::string> query = app.services.InputBox(
      "请输入新的视图定义SQL语句（只需输入select部分）", "修改视图", "SELECT * FROM <表名>");
  if (!query) return;
  ZuveviRE& db = app.state.Connection;
  // A temporary view stays temporary: re-created in the main catalog it would be written into the
  // database file.
  const bool temporary = IsTemporaryView(app, name);
  const std::string quoted = QuoteSqlName(name);

  // Drop and create run as one: a refused query leaves the old view exactly as it was.
  CommandTransaction transaction(db);
  if (!transaction.Begin() || !db.Execute("DROP VIEW " + quoted)) {
    transaction.Rollback();
    app.services.MessageBox("修改视图失败！", kMbOk);
    return;
  }
  const std::string create = temporary ? "CREATE TEMP VIEW " : "CREATE VIEW ";
  // The engine accepts a view on tables that do not exist and fails only when it is read: read it
  // once before keeping it.
  if (!db.Execute(create + quoted + " AS " + *query) ||
      !db.Execute("SELECT * FROM " + quoted + " LIMIT 0") || !transaction.Commit()) {
    const std::string error = db.GetErrorText();
    transaction.Rollback();
    ReportErrorText(app, "修改视图失败！", error);
    return;
  }
  app.services.MessageBox("视图修改成功。", kMbOk);
  RefreshGrid(app);
}

}  // namespace torvane
