#pragma once

// The schema tree of the main window: the open database's tables, views, temporary tables and
// temporary views under up to four group items, filtered by the display combo box.

#include <string>
#include <vector>

#include "app/app_state.h"

namespace torvane {

// The kind every tree item carries as its data. A group item is any kind below kTable.
enum class ItemKind : int {
  kTableGroup = 1,
  kOtherGroup = 2,  // views, temporary tables, temporary views
  kTable = 100,     // a table or a temporary table
  kView = 200,      // a view or a temporary view
};

// Reloads the four name lists from the connection. False when the catalog cannot be read (a read
// error on the file): the failure is reported (box and log) and the lists stay as they were, so
// the tree never shows a database without its tables.
bool RefreshNameLists(App& app);

// The names of the tables, views, temporary tables and temporary views, sorted.
struct NameLists {
  std::vector<std::string> tables, views, temp_tables, temp_views;
};
// Reads the four name lists from `db`; false when the catalog cannot be read, with `error` the
// engine's message. Reports nothing.
bool ReadNameLists(ZuveviRE& db, NameLists& lists, std::string& error);
// Makes `lists` the state's name lists (what RefreshNameLists does once they were read).
void KeepNameLists(AppState& state, NameLists lists);
// The failure RefreshNameLists reports for the catalog's `error`.
void ReportUnreadNames(App& app, const std::string& error);

// Rebuilds the tree from the name lists with the current display filter, then selects the table or
// view named `select` when it is listed, and otherwise the item at the index that was selected
// before (either browses it, once).
void RefreshSchemaTree(App& app, const std::string& select = "");

// RefreshNameLists, then RefreshSchemaTree: for commands that changed tables or views.
void RefreshSchema(App& app, const std::string& select = "");

// The tree's selection changed: browse the selected table or view, or reset the panels.
void OnTreeSelectionChanged(App& app);

// The right button was pressed on a tree item (already selected and shown): pops up the 表 menu
// over a table, the 视图 menu over a view.
void OnTreeRightPressed(App& app);

// Whether the selected tree item is a table (kind 100) / a view (kind 200).
bool IsTableSelected(App& app);
bool IsViewSelected(App& app);

}  // namespace torvane
