#pragma once

// The record grid of the main window: showing a table or view (its definition, its first rows, its
// record count and the time the browse took), editing text in place, and the grid's pop-up menu.

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/schema_tree.h"

namespace torvane {

class ComboBox;
class Grid;
class TextTable;

// Shows table or view `name`: definition box, cursor, field panel lists, the first RowLimit rows in
// the grid with a header row and a "序号" column, the summary line and a log line. When the object
// cannot be read, reports it with the engine's reason (box and log) and empties the panels, so that
// nothing of the table shown before remains under its name.
void BrowseObject(App& app, const std::string& name, ItemKind kind);

// Where a reload leaves the current cell and the field panel.
enum class AfterReload {
  // The same cell as far as the table still has it; the panel reads its record and field again,
  // as a click would.
  kSameCell,
  // The same cell; the panel keeps its record, field and the value it holds (a write from it).
  kSameCellKeepPanel,
  // No current cell and no record chosen, as after a browse: after a delete, so that the next
  // delete cannot hit a record the user did not choose.
  kNoCell,
};
// Reads the table or view the grid shows again, after a command that wrote to the file, so the
// grid shows what the file now holds. Logs no browse. Does nothing while the grid shows no table
// or view (a console query's rows).
void ReloadShownTable(App& app, AfterReload after = AfterReload::kSameCell);

// Shows `rows` in `grid`: every cell as text, row 0 a fixed header row when `header`, and in
// front a fixed "序号" column numbering the rows when `numbers`. An empty table leaves one cell.
// The grid shares the rows with `rows` (and the record set) instead of copying their texts; a NULL
// cell reads as "" but shows as NULL. The columns are made as wide as their first rows' texts
// (within a limit), except where the user has set a width for the same columns shown before.
void FillGrid(Grid& grid, const TextTable& rows, bool header = false, bool numbers = true);

// Replaces the items of `combo` by `items` and selects `selection` (-1: none).
void FillComboFromList(ComboBox& combo, const std::vector<std::string>& items, int selection = 0);

// Replaces the items of `combo` by the numbers first..last and selects `selection` (-1: none).
void FillComboWithNumbers(ComboBox& combo, int first, int last, int selection = 0);

// What the summary line of a browse says besides the count: the most rows a browse shows, the
// time it took to show them, whether a table or a view is shown, and why a table's records cannot
// be written ("" when they can).
struct BrowseInfo {
  int row_limit = 0;
  double elapsed_ms = 0;
  ItemKind kind = ItemKind::kTable;
  std::string read_only;
};
// Counts BrowseInfoText takes besides the number of rows: while the engine is still counting, and
// when it could not count.
constexpr std::int64_t kCountPending = -1;
constexpr std::int64_t kCountFailed = -2;
// The summary line of a browse: "共N条记录，显示前1000条，耗时T毫秒。" and, for a table,
// "可直接修改文本字段。", or the reason its records cannot be written. While the count is pending
// the line begins "正在统计记录数，" instead, and "记录数统计失败，" when there is none.
std::string BrowseInfoText(std::int64_t count, const BrowseInfo& info);

// Makes the record shown in grid row `record` (1 for the first data row) the cursor's current
// record, wherever the cursor's list now has it. False, with no record current, when no table is
// shown, when `record` names no shown row, or when that record no longer exists (the connection's
// error text then says so).
bool GoToShownRecord(App& app, int record);
// Whether grid row `record` shows a record with a key, one GoToShownRecord can look for.
bool ShownRecordHasKey(const App& app, int record);

// Handlers of the grid's events. A change of the current cell selects its record and field in the
// field panel's lists (the routing then refreshes the panel).
void OnGridCurrentCellChanged(App& app);
void OnGridEditingBegins(App& app);
// The text typed into a cell is written to its record; true when a new value was written.
bool OnGridEditingEnds(App& app);
void OnGridRightReleased(App& app);

}  // namespace torvane
