#pragma once

// The table designer "设计表": a grid of fields (name, type, maximum text length) loaded from a
// table's stored definition or started empty, edited row by row, then created as a new table or
// rebuilt into the existing one.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "designer/field_list.h"

namespace torvane {

class DesignerDialog;

// The designer type name shown for a declared type: "" for none, "文本型", "整数型", "小数型",
// "字节集型", "主键（自增字段）", or "" for anything it does not know. A declared type matches a
// kind when it, with a comma appended, occurs in that kind's list (ASCII letter case aside).
std::string KindFromDeclaredType(const std::string& declared_type);

// One field row a stored CREATE TABLE text gives: name, designer type name, length as text.
struct DefinitionRow {
  std::string name;
  std::string type_name;
  std::string length;
  bool operator==(const DefinitionRow&) const = default;
};

// The rows of a CREATE TABLE text: one per column of the table, in order (table constraints are
// no fields), read as the engine reads the text. Each row: the column's name; the designer type
// name of its type's words (KindFromDeclaredType), or the key type for a column declared INTEGER
// with a PRIMARY KEY of its own; the first number in the type's parentheses, cut toward zero, or
// "0". Empty when the text is no CREATE TABLE with a column list.
std::vector<DefinitionRow> ParseTableDefinition(const std::string& definition);

// The 1-based position in `fields` of the entry grid field row `row` shows (the row-th entry not
// deleted); the list's length + 1 when it has fewer; 0 for a row of 0 or less.
int EntryIndexOfRow(const std::vector<FieldEntry>& fields, int row);

// The designer's working state, made anew by every opening and owned by it: what it was opened
// for, the table it redesigns (kAlter; "" for kNew), its field list (grid field row r shows the
// r-th entry that is not Deleted; the entries not Added stand, in order, for the table's existing
// columns), those columns' names as the table had them, whether the table's stored definition could
// not be read column for column (the list then shows the engine's columns and the table is not
// rebuilt), and whether the last key pressed in its grid was Up.
struct DesignerState {
  DesignMode DesignerMode = DesignMode::kNew;
  std::string TargetTable;
  std::vector<FieldEntry> DesignerFields;
  std::vector<std::string> ExistingColumns;
  bool DefinitionUnread = false;
  bool UpKeyFlag = false;
};

// "新建表...": the designer for a new table.
void NewTableCommand(App& app);
// "修改表...": the designer for the table selected in the tree; says so when none is selected.
void AlterTableCommand(App& app);

// Binds every event of `dialog` to the designer's logic working on `app` and `state` (mode and
// target table already set). `state` and `dialog` must outlive its showing.
void ConnectDesignerDialog(App& app, DesignerState& state, DesignerDialog& dialog);

}  // namespace torvane
