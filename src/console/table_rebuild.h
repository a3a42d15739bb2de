#pragma once

// The table designer's OK: checking its field list, and creating a table or rebuilding an existing
// one with a new layout. A rebuild is planned as a list of statements first, then run inside one
// transaction of its own (a savepoint inside the user's open transaction).

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "db/field_info.h"

namespace torvane {

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
struct ColumnPairs {
  std::vector<std::string> old_columns;
  std::vector<std::string> new_columns;
  bool surplus = false;
};
ColumnPairs PairColumns(const std::vector<FieldEntry>& fields,
                        const std::vector<std::string>& existing_columns);

// The temporary table of a rebuild of `table` at tick count `tick`:
// "__temp_" + table + "_" + tick + "_temp", the tick as an unsigned number.
std::string TemporaryTableName(const std::string& table, std::uint64_t tick);

// The statements that rebuild `table` with `fields` through the temporary table `temporary`,
// copying the paired columns: create the temporary table, copy into it in row-id order, drop the
// table, create it anew, copy back, drop the temporary table. Without a surviving column: drop the
// table and create it anew. Names from the catalog are quoted where they need it.
std::vector<std::string> RebuildStatements(const std::string& table, const std::string& temporary,
                                           const std::vector<SqliteFieldInfo>& fields,
                                           const ColumnPairs& pairs);

// The result of a rebuild.
struct RebuildResult {
  bool ok = false;
  // Why it failed: the engine's message of the statement that failed, or the program's own.
  std::string error;
  // The indexes and triggers of the table that no longer apply to its new layout and were left
  // out (their names), on success.
  std::vector<std::string> left_out;
};

// Runs `statements` on `db` as one transaction of their own (a savepoint inside the user's open
// transaction), re-creating afterwards, in the same transaction, the indexes and triggers `table`
// had that still apply. With foreign-key enforcement on, enforcement is off during the rebuild (so
// dropping the table deletes nothing elsewhere) and the keys are checked before the commit; with
// enforcement on inside the user's transaction the rebuild is refused. On any failure everything
// is undone.
// `gone_columns` are the table's columns that the new layout no longer has under their names: a
// trigger that names one of them is left out too (the engine would accept it and fail only when it
// fires).
RebuildResult RunRebuild(ZuveviRE& db, const std::string& table,
                         const std::vector<std::string>& statements,
                         const std::vector<std::string>& gone_columns = {});

// The table's columns that `pairs` and the new names no longer carry under their own names.
std::vector<std::string> GoneColumns(const std::vector<std::string>& existing_columns,
                                     const std::vector<SqliteFieldInfo>& fields);

// Whether `sql` names `name` as a whole word (letters, digits, "_" and two-byte characters count
// as word characters; ASCII letter case is ignored).
bool NamesWord(const std::string& sql, const std::string& name);

}  // namespace torvane
