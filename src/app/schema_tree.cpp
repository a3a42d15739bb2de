#include "app/schema_tree.h"

#include <iterator>
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

// Adds a group item titled `title` (count) with one child per name, and expands it.
void AddGroup(TreeView& tree, const std::string& title, int image, ItemKind group_kind,
              const std::vector<std::string>& names, ItemKind name_kind) {
  const int group = tree.AddItem(-1, title + " (" + IntToText(static_cast<int>(names.size())) + ")",
                                 image, static_cast<int>(group_kind));
  for (const std::string& name : names) {
    tree.AddItem(group, name, kTableImage, static_cast<int>(name_kind));
  }
  tree.Expand(group);
}

int SelectedKind(App& app) {
  TreeView& tree = app.window.tree();
  return tree.ItemData(tree.SelectedIndex());
}

}  // namespace

bool RefreshNameLists(App& app) {
  ZuveviRE& db = app.state.Connection;
  AppState& s = app.state;
  static const struct {
    bool tables, views, temporary;
    std::vector<std::string> AppState::*list;
  } kLists[] = {
      {true, false, false, &AppState::TableNames},
      {false, true, false, &AppState::ViewNames},
      {true, false, true, &AppState::TempTableNames},
      {false, true, true, &AppState::TempViewNames},
  };
  std::vector<std::string> read[std::size(kLists)];
  for (std::size_t i = 0; i < std::size(kLists); ++i) {
    read[i] = db.GetTableNames(kLists[i].tables, kLists[i].views, kLists[i].temporary);
    // An empty list is also what a failed read gives: the engine's message tells them apart.
    if (!db.GetErrorText().empty()) {
      ReportError(app, "读取表和视图的名称失败！");
      return false;
    }
  }
  for (std::size_t i = 0; i < std::size(kLists); ++i) s.*kLists[i].list = std::move(read[i]);
  return true;
}

void RefreshSchemaTree(App& app, const std::string& select) {
  TreeView& tree = app.window.tree();
  int selected = tree.SelectedIndex();
  tree.Clear();
  const int filter = app.window.display_filter().SelectedIndex();
  const AppState& s = app.state;
  if (filter == 0 || filter == 1) {
    AddGroup(tree, "表", kTableGroupImage, ItemKind::kTableGroup, s.TableNames, ItemKind::kTable);
  }
  if (filter == 0 || filter == 2) {
    AddGroup(tree, "视图", kOtherGroupImage, ItemKind::kOtherGroup, s.ViewNames, ItemKind::kView);
  }
  if ((filter == 0 || filter == 3) && !s.TempTableNames.empty()) {
    AddGroup(tree, "临时表", kOtherGroupImage, ItemKind::kOtherGroup, s.TempTableNames,
             ItemKind::kTable);
  }
  if ((filter == 0 || filter == 4) && !s.TempViewNames.empty()) {
    AddGroup(tree, "临时视图", kOtherGroupImage, ItemKind::kOtherGroup, s.TempViewNames,
             ItemKind::kView);
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
