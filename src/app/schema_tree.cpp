#include "app/schema_tree.h"

#include <utility>

#include "app/database_commands.h"
#include "app/messages.h"
#include "app/record_grid.h"
#include "base/text.h"
#include "ui/main_window.h"

namespace torvane {
namespace {

constexpr int kTableImage = 0;
constexpr int kTableGroupImage = 18;
constexpr int kOtherGroupImage = 88;

// Adds to `groups` a group item titled `title` (count) with one child per name.
void AddGroup(TreeItems& groups, const std::string& title, int image, ItemKind group_kind,
              const std::vector<std::string>& names, ItemKind name_kind) {
  TreeItem group{title + " (" + IntToText(static_cast<int>(names.size())) + ")",
                 image,
                 static_cast<int>(group_kind),
                 {}};
  group.children.reserve(names.size());
  for (const std::string& name : names) {
    group.children.push_back(TreeItem{name, kTableImage, static_cast<int>(name_kind), {}});
  }
  groups.push_back(std::move(group));
}

int SelectedKind(App& app) {
  TreeView& tree = app.window.tree();
  return tree.ItemData(tree.SelectedIndex());
}

}  // namespace

bool ReadNameLists(ZuveviRE& db, NameLists& lists, std::string& error) {
  static const struct {
    bool tables, views, temporary;
    std::vector<std::string> NameLists::*list;
  } kLists[] = {
      {true, false, false, &NameLists::tables},
      {false, true, false, &NameLists::views},
      {true, false, true, &NameLists::temp_tables},
      {false, true, true, &NameLists::temp_views},
  };
  for (const auto& l : kLists) {
    lists.*l.list = db.GetTableNames(l.tables, l.views, l.temporary);
    // An empty list is also what a failed read gives: the engine's message tells them apart.
    error = db.GetErrorText();
    if (!error.empty()) return false;
  }
  return true;
}

void KeepNameLists(AppState& state, NameLists lists) {
  state.TableNames = std::move(lists.tables);
  state.ViewNames = std::move(lists.views);
  state.TempTableNames = std::move(lists.temp_tables);
  state.TempViewNames = std::move(lists.temp_views);
}

void ReportUnreadNames(App& app, const std::string& error) {
  ReportErrorText(app, "读取表和视图的名称失败！", error);
}

bool RefreshNameLists(App& app) {
  NameLists lists;
  std::string error;
  if (!ReadNameLists(app.state.Connection, lists, error)) {
    ReportUnreadNames(app, error);
    return false;
  }
  KeepNameLists(app.state, std::move(lists));
  return true;
}

void RefreshSchemaTree(App& app, const std::string& select) {
  TreeView& tree = app.window.tree();
  int selected = tree.SelectedIndex();
  const int filter = app.window.display_filter().SelectedIndex();
  const AppState& s = app.state;
  TreeItems groups;
  if (filter == 0 || filter == 1) {
    AddGroup(groups, "表", kTableGroupImage, ItemKind::kTableGroup, s.TableNames, ItemKind::kTable);
  }
  if (filter == 0 || filter == 2) {
    AddGroup(groups, "视图", kOtherGroupImage, ItemKind::kOtherGroup, s.ViewNames, ItemKind::kView);
  }
  if ((filter == 0 || filter == 3) && !s.TempTableNames.empty()) {
    AddGroup(groups, "临时表", kOtherGroupImage, ItemKind::kOtherGroup, s.TempTableNames,
             ItemKind::kTable);
  }
  if ((filter == 0 || filter == 4) && !s.TempViewNames.empty()) {
    AddGroup(groups, "临时视图", kOtherGroupImage, ItemKind::kOtherGroup, s.TempViewNames,
             ItemKind::kView);
  }
  // All at once: a file of thousands of tables fills the tree in one step, not item by item.
  tree.SetItems(groups);
  for (int group = 0, index = 0; group < static_cast<int>(groups.size()); ++group) {
    tree.Expand(index);
    index += 1 + static_cast<int>(groups[group].children.size());
  }
  for (int i = 0; !select.empty() && i < tree.ItemCount(); ++i) {
    if (tree.ItemData(i) >= static_cast<int>(ItemKind::kTable) && tree.ItemText(i) == select) {
      selected = i;
      break;
    }
  }
  const bool open = app.state.Connection.IsInTransaction();
  tree.SetSelectedIndex(selected);
  // The browse of the selected item ended the user's transaction (told by the browse): tables and
  // views it made, renamed or dropped are back as they were, and the tree lists them so.
  if (open && !app.state.Connection.IsInTransaction() && RefreshNameLists(app)) {
    RefreshSchemaTree(app, select);
  }
}

void RefreshSchema(App& app, const std::string& select) {
  RefreshNameLists(app);
  RefreshSchemaTree(app, select);
}

void OnTreeSelectionChanged(App& app) {
  TreeView& tree = app.window.tree();
  const int index = tree.SelectedIndex();
  const int kind = tree.ItemData(index);
  if (index == -1 || kind < static_cast<int>(ItemKind::kTable)) {
    ResetPanels(app);
    return;
  }
  BrowseObject(app, tree.ItemText(index), static_cast<ItemKind>(kind));
}

void OnTreeRightPressed(App& app) {
  if (IsTableSelected(app)) {
    app.window.menu(MainMenu::kTable).PopUp();
  } else if (IsViewSelected(app)) {
    app.window.menu(MainMenu::kView).PopUp();
  }
}

bool IsTableSelected(App& app) { return SelectedKind(app) == static_cast<int>(ItemKind::kTable); }

bool IsViewSelected(App& app) { return SelectedKind(app) == static_cast<int>(ItemKind::kView); }

}  // namespace torvane
