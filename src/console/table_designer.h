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

// The rows of the definition: the text between its first "(" and its last ")", split at every
// comma; each piece's first word is the name, the rest its declared type with an optional "(n)"
// length. Empty when there are no parentheses or nothing between them.
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
