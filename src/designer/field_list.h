#pragma once

// The table designer's OK: checking its field list and turning it into the layout a table is
// created or rebuilt with (the rebuild itself is db/table_rebuild).

#include <cstdint>
#include <string>
#include <vector>

#include "db/field_info.h"
#include "db/table_rebuild.h"

namespace torvane {

// What the table designer was opened for.
enum class DesignMode { kNew, kAlter };

// One field of the table designer's field list.
struct FieldEntry {
  std::string FieldName;   // as shown in the grid's column 1 (untrimmed)
  std::string TypeName;    // the text of column 2: a type name, or whatever the user typed
  std::string LengthText;  // the text of column 3
  bool Deleted = false;    // deleted by the user; its grid row is gone, the entry stays in place
  bool Added = false;      // inserted while the designer was open
  // The type and length texts the designer showed for an existing column when it opened: a field
  // whose type or length differs from them was retyped by the user.
  std::string LoadedTypeName;
  std::string LoadedLengthText;
};

// The field type code of a designer type name (trimmed): "主键（自增字段）" -1, "" and "（通用型）"
// 0, "整数型" 3, "小数型" 5, "文本型" 10, "字节集型" 11; false for any other text.
bool TypeCodeFromKind(const std::string& type_name, std::int32_t& code);

// A maximum text length as typed: the leading number of the trimmed text, cut toward zero into
// 32 bits (saturating beyond them); 0 when there is no number.
std::int32_t LengthFromText(const std::string& text);

// The outcome of checking a field list: the descriptors of the fields not deleted, in list order,
// or where the first offending field is (its grid row and column) and what to tell the user.
struct FieldCheck {
  bool ok = true;
  int row = 0;
  int column = 0;
  std::string message;
  std::vector<SqliteFieldInfo> fields;
};

// Checks every field not deleted, in list order, and stops at the first one whose trimmed name is
// empty (column 1), whose type name is none of the designer's (column 2) or whose length is
// negative (column 3).
FieldCheck ValidateFields(const std::vector<FieldEntry>& fields);

// Which existing columns survive and the fields that receive them, pair by pair: the k-th entry
// not added stands for existing column k. `old_columns` holds the existing names as the catalog
// has them, `new_columns` the fields' names as typed. `surplus` is set when the list has more such
// entries than the table has columns (the list was not loaded from this table's columns).
ColumnPairs PairColumns(const std::vector<FieldEntry>& fields,
                        const std::vector<std::string>& existing_columns);

// The fields of the new layout for a rebuild: each field not deleted, in list order, with the
// column of the table it keeps (the k-th entry not added keeps column k) and whether its type or
// length differs from what the designer showed when it opened. `checked` are the descriptors
// ValidateFields made of the same list.
std::vector<RebuildField> RebuildFields(const std::vector<FieldEntry>& fields,
                                        const std::vector<SqliteFieldInfo>& checked);

}  // namespace torvane
