#pragma once

// The table designer "设计表": a grid of fields (name, type, maximum text length) loaded from a
// table's stored definition or started empty, edited row by row, then created as a new table or
// rebuilt into the existing one.

#include <string>
#include <vector>

#include "app/app_state.h"

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

// "新建表...": the designer for a new table.
void NewTableCommand(App& app);
// "修改表...": the designer for the table selected in the tree; says so when none is selected.
void AlterTableCommand(App& app);

// Binds every event of `dialog` to the designer's logic working on `app` (mode and target table
// already set in the state). `dialog` must outlive its showing.
void ConnectDesignerDialog(App& app, DesignerDialog& dialog);

}  // namespace torvane
