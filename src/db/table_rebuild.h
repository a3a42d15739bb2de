#pragma once

// Altering a table by rebuilding it: renamed columns first (the engine carries a new column name
// into every index, trigger, view and constraint that names it), then a copy through a temporary
// table into the new layout, then the table's indexes and triggers again, all in one transaction
// of its own (a savepoint inside the user's). A rebuild is planned as a list of statements first,
// then run.

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "db/field_info.h"

namespace torvane {

class ZuveviRE;

// Which existing columns survive and the fields that receive them, pair by pair: `old_columns`
// holds the existing names as the catalog has them, `new_columns` the fields' names as typed.
// `surplus` is set when a field list stands for more columns than the table has.
struct ColumnPairs {
  std::vector<std::string> old_columns;
  std::vector<std::string> new_columns;
  bool surplus = false;
};

// The temporary table of a rebuild of `table` at tick count `tick`:
// "__temp_" + table + "_" + tick + "_temp", the tick as an unsigned number.
std::string TemporaryTableName(const std::string& table, std::uint64_t tick);

// The statements that rebuild a table whose definition is only names and the designer's types
// (as CreateTableStatement writes it) with `fields`, through the temporary table `temporary`,
// copying the paired columns: create the temporary table, copy into it in row-id order, drop the
// table, create it anew, copy back, drop the temporary table. Without a surviving column: drop the
// table and create it anew. Names from the catalog are quoted where they need it.
std::vector<std::string> RebuildStatements(const std::string& table, const std::string& temporary,
                                           const std::vector<SqliteFieldInfo>& fields,
                                           const ColumnPairs& pairs);

// Whether `definition` is a table definition as CreateTableStatement writes it: "CREATE TABLE
// name (a TYPE, b, ...)" with plain names and the designer's types only, no constraint and no
// option. Such a table is rebuilt by RebuildStatements.
bool IsPlainDefinition(const std::string& definition);

// One field of a table's new layout.
struct RebuildField {
  // The table's column it keeps, 0-based in table order; -1 for a new field.
  int existing = -1;
  // The field as designed: its name as typed (trimmed), its type code and length.
  SqliteFieldInfo field;
  // Its type or length was changed: its declared type is written anew. Otherwise the column's
  // whole definition, constraints and all, stays as it is.
  bool retyped = false;
};

// The statements that rebuild table `table`, whose stored definition is `definition` (already
// carrying any renamed column names), into `fields` through the temporary table `temporary`:
// every kept column keeps its definition text (its type replaced when retyped), new fields are
// written as CreateTableStatement writes them, table constraints and the WITHOUT ROWID and STRICT
// options stay. The row ids are copied along where the table has them. A table constraint that
// names a column no field keeps is left out and described in `left_out`. Empty, with `status`
// saying why, when the definition cannot be read.
struct RebuildPlan {
  std::vector<std::string> statements;
  std::vector<std::string> left_out;
  Status status;
};
RebuildPlan PlanRebuild(const std::string& table, const std::string& definition,
                        const std::vector<RebuildField>& fields, const std::string& temporary);

// The result of a rebuild.
struct RebuildResult {
  // Why it failed: the engine's failure of the statement that failed, or the program's own.
  Status status;
  // What the rebuild left out because it named a deleted column, each described with the reason
  // ("索引 x（用到了已删除的字段 c）"), on success.
  std::vector<std::string> left_out;
};

// Runs `statements` on `db` as one transaction of their own (a savepoint inside the user's open
// transaction), re-creating afterwards, in the same transaction, the indexes and triggers `table`
// had, and keeping its AUTOINCREMENT counter. What names one of `deleted_columns` is left out: its
// indexes and triggers, and any other view or trigger the change leaves broken (dropped). Should
// the change leave any other view or trigger broken, it is refused. With foreign-key enforcement
// on, enforcement is off during the rebuild (so dropping the table deletes nothing elsewhere) and
// the keys are checked before the commit; with enforcement on inside the user's transaction the
// rebuild is refused. On any failure everything is undone.
RebuildResult RunRebuild(ZuveviRE& db, const std::string& table,
                         const std::vector<std::string>& statements,
                         const std::vector<std::string>& deleted_columns = {});

// The whole alteration of `table` into `fields`: renamed columns first, by the engine, then the
// plan (RebuildStatements for a plain table, PlanRebuild for any other) run as RunRebuild runs it,
// all in one transaction. `tick` names the temporary table. Refused, with nothing changed, when
// the table's definition cannot be read as the engine reads it.
RebuildResult RebuildTableLayout(ZuveviRE& db, const std::string& table,
                                 const std::vector<RebuildField>& fields, std::uint64_t tick);

// Whether `sql` names `name` by a word or quoted name (ASCII letter case ignored): strings,
// comments and longer names that contain it do not count.
bool NamesWord(const std::string& sql, const std::string& name);

}  // namespace torvane
