#include "editing/object_commands.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/database_commands.h"
#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/transactions.h"
#include "base/text.h"
#include "db/sql_name.h"
#include "db/view_changes.h"
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

// Every table and view name of both catalogs.
std::vector<std::string> AllNames(App& app) {
  const AppState& s = app.state;
  std::vector<std::string> names;
  for (const auto* list : {&s.TableNames, &s.ViewNames, &s.TempTableNames, &s.TempViewNames}) {
    names.insert(names.end(), list->begin(), list->end());
  }
  return names;
}

}  // namespace

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
    // The view's triggers and everything that names it come along, or nothing changes.
    const ViewChange change =
        RenameView(app.state.Connection, old_name, new_name, IsTemporaryView(app, old_name));
    ok = change.status.ok();
    error = change.status.message();
  }
  if (!ok) {
    ReportErrorText(app, "修改" + word + "名称时发生错误！", error);
    return;
  }
  // The name as the catalog now has it (the typed one may be quoted): the one name that is new.
  const std::vector<std::string> before = AllNames(app);
  RefreshNameLists(app);
  std::string renamed = new_name;
  for (const std::string& name : AllNames(app)) {
    if (std::find(before.begin(), before.end(), name) == before.end()) renamed = name;
  }
  AppendLog(app, "已将" + word + " " + old_name + " 改名为 " + renamed);
  app.services.MessageBox("已成功修改" + word + "名称！", kMbOk);
  // The renamed object stays selected, and is shown once.
  RefreshSchemaTree(app, renamed);
}

void DropObject(App& app, ObjectKind kind) {
  const std::string word = KindWord(kind);
  if (!IsTableSelected(app) && !IsViewSelected(app)) {
    app.services.MessageBox("请先选中一个" + word + "，然后执行删除操作！", kMbOk);
    return;
  }
  const std::string name = SelectedItemText(app);
  std::string question = "您确认要删除" + word + " " + name + " 吗？";
  // What names the object stops working with it, and while it is broken the engine refuses to
  // alter any table of the file: say so before the user decides.
  const std::vector<BrokenObject> naming = ObjectsNaming(app.state.Connection, name);
  if (!naming.empty()) {
    question +=
        "\r\n\r\n以下视图或触发器用到了它，删除后将无法使用；在它们被删除或修改之前，"
        "数据库会拒绝修改表名称等操作：" +
        DescribeObjects(naming);
  }
  if (app.services.MessageBox(question, kMbYesNoCancelAsk) != kIdYes) return;
  // The look-up of what names it may have failed on the file and ended the user's transaction.
  if (StopForEndedTransaction(app, "删除失败！")) return;
  const std::string what = kind == ObjectKind::kTable ? " table " : " view ";
  if (!app.state.Connection.Execute("drop" + what + QuoteSqlName(name))) {
    ReportError(app, "删除失败！");
    return;
  }
  AppendLog(app, "已删除" + word + " " + name);
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
    ReportError(app, "执行失败！");
    return;
  }
  AppendLog(app, "已新建视图：" + LogExcerpt(*entered));
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
  // The view's triggers come back on it; a query that would leave it, its triggers or what names
  // it not working changes nothing.
  const ViewChange change =
      RedefineView(app.state.Connection, name, *query, IsTemporaryView(app, name));
  if (!change.status.ok()) {
    ReportErrorText(app, "修改视图失败！", change.status.message());
    return;
  }
  AppendLog(app, "已修改视图 " + name + "：" + LogExcerpt(*query));
  app.services.MessageBox("视图修改成功。", kMbOk);
  ReloadShownTable(app);
}

}  // namespace torvane
