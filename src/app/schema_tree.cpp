#include "app/schema_tree.h"

#include "app/database_commands.h"
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

void RefreshNameLists(App& app) {
  ZuveviRE& db = app.state.Connection;
  app.state.TableNames = db.GetTableNames(true, false, false);
  app.state.ViewNames = db.GetTableNames(false, true, false);
  app.state.TempTableNames = db.GetTableNames(true, false, true);
  app.state.TempViewNames = db.GetTableNames(false, true, true);
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
  tree.SetSelectedIndex(selected);
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
