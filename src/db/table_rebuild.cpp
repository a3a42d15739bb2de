#include "db/table_rebuild.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include <sqlite3.h>

#include "base/text.h"
#include "db/command_transaction.h"
#include "db/connection.h"
#include "db/schema_check.h"
#include "db/sql_name.h"
#include "db/sql_tokens.h"
#include "db/table_definition.h"

namespace torvane {
namespace {

// Every row `sql` gives on `db`; nothing when it cannot run.
std::optional<TextTable> Rows(ZuveviRE& db, const std::string& sql) {
  SqliteDataset rows = db.Query(sql);
  if (!rows.Requery() || !rows.IsComplete()) return std::nullopt;
  return rows.GetAll(false);
}

std::string Join(const std::vector<std::string>& names, const std::string& separator = ",") {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += separator;
    joined += name;
  }
  return joined;
}

std::string Span(const std::string& text, std::size_t begin, std::size_t end) {
  return text.substr(begin, end - begin);
}

// The first of `columns` that `sql` names; "" for none.
std::string DeletedColumnNamed(const std::string& sql, const std::vector<std::string>& columns) {
  for (const std::string& column : columns) {
    if (NamesWord(sql, column)) return column;
  }
  return "";
}

std::string KindWord(const std::string& type) {
  if (type == "index") return "索引 ";
  if (type == "trigger") return "触发器 ";
  if (type == "view") return "视图 ";
  return "";
}

// The alteration: `renames` first, then the statements `plan` gives for the definition the renames
// left, then the table's indexes and triggers again, all in one transaction.
RebuildResult Run(ZuveviRE& db, const std::string& table, const std::vector<std::string>& renames,
                  const std::function<RebuildPlan(const std::string&)>& plan,
                  const std::vector<std::string>& deleted_columns) {
  RebuildResult result;
  const std::optional<TextTable> enforcement = Rows(db, "PRAGMA foreign_keys");
  if (!enforcement) {
    result.status = db.LastFailure();
    return result;
  }
  const bool foreign_keys = enforcement->rows() > 0 && enforcement->at(0, 0) == "1";
  if (foreign_keys && db.IsInTransaction()) {
    // Enforcement cannot be turned off inside a transaction, and with it on, dropping the table
    // would delete the rows of other tables that refer to it.
    result.status = Status::Failure(
        "外键约束已开启，且有尚未结束的事务：修改表会删除引用此表的其它表中的记录。"
        "请先提交或回滚事务，再修改表。");
    return result;
  }
  // What already fails before the change is not the change's doing.
  const SchemaCheck before = CheckSchema(db);
  // A check the file failed cannot say what the change would break; a read or write error there
  // has also made the engine roll the user's transaction back, which the change must not go on
  // without, as a transaction of its own.
  if (!before.failure.ok()) {
    result.status = before.failure;
    return result;
  }
  if (foreign_keys) db.Execute("PRAGMA foreign_keys = OFF");

  CommandTransaction transaction(db);
  bool ok = transaction.Begin();
  auto fail = [&](Status failure) {
    result.status = std::move(failure);
    ok = false;
  };
  if (!ok) result.status = db.LastFailure();
  for (std::size_t i = 0; ok && i < renames.size(); ++i) {
    if (!db.Execute(renames[i])) fail(db.LastFailure());
  }
  // The indexes and triggers go with the table when it is dropped; their definitions, read after
  // the renames so they carry the new names, come back after the rows, so no trigger fires on the
  // copy.
  const std::string quoted_name = "'" + EscapeSqlText(table) + "'";
  std::optional<TextTable> dependents;
  std::string sequence;
  if (ok) {
    dependents =
        Rows(db, "SELECT type, name, sql FROM main.sqlite_master WHERE tbl_name = " + quoted_name +
                     " AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid");
    if (!dependents) fail(db.LastFailure());
    // The AUTOINCREMENT counter goes with the table too. Without such a table there is none.
    const std::optional<TextTable> counter =
        Rows(db, "SELECT seq FROM main.sqlite_sequence WHERE name = " + quoted_name);
    if (counter && counter->rows() > 0) sequence = std::string(counter->at(0, 0));
    // Without the table the read fails and the transaction goes on; a read that failed on the file
    // ended it, and the statements below would each be written on their own.
    if (!counter && !db.IsInTransaction()) fail(db.LastFailure());
  }
  RebuildPlan planned;
  if (ok) {
    planned = plan(db.GetTableSql(table));
    if (!planned.status.ok()) fail(planned.status);
  }
  for (std::size_t i = 0; ok && i < planned.statements.size(); ++i) {
    if (!db.Execute(planned.statements[i])) fail(db.LastFailure());
  }
  if (ok) {
    result.left_out = planned.left_out;
    for (int i = 0; i < dependents->rows(); ++i) {
      const std::string type(dependents->at(i, 0));
      const std::string sql(dependents->at(i, 2));
      const std::string what = KindWord(type) + std::string(dependents->at(i, 1));
      const std::string deleted = DeletedColumnNamed(sql, deleted_columns);
      if (!deleted.empty()) {
        result.left_out.push_back(what + "（用到了已删除的字段 " + deleted + "）");
      } else if (!db.Execute(sql)) {
        // One that failed on the file ended the transaction: that is the change's failure.
        if (!db.IsInTransaction()) {
          fail(db.LastFailure());
          break;
        }
        result.left_out.push_back(what + "（" + db.GetErrorText() + "）");
      }
    }
  }
  if (ok && !sequence.empty()) {
    const TableDefinition rebuilt = ReadTableDefinition(db.GetTableSql(table));
    bool autoincrement = false;
    for (const TableColumn& column : rebuilt.columns) autoincrement |= column.autoincrement;
    // The counter never goes back: the table keeps handing out numbers it never gave before.
    if (autoincrement &&
        !db.Execute(
            "INSERT INTO main.sqlite_sequence (name, seq) SELECT " + quoted_name + ", " + sequence +
            " WHERE NOT EXISTS (SELECT 1 FROM main.sqlite_sequence WHERE name = " + quoted_name +
            "); UPDATE main.sqlite_sequence SET seq = max(seq, " + sequence +
            ") WHERE name = " + quoted_name)) {
      fail(db.LastFailure());
    }
  }
  if (ok && before.ok) {
    // A view or trigger elsewhere that the change left unable to work would make the engine refuse
    // every later alteration of the file: one that named a deleted column goes, and is named; any
    // other stops the change.
    std::vector<BrokenObject> problems;
    std::vector<SchemaObject> objects;
    const SchemaCheck after = CheckSchema(db);
    // The file failed the check: what the change broke is not known.
    if (!after.failure.ok()) fail(after.failure);
    const std::vector<BrokenObject> broken =
        ok ? NewlyBroken(before, after) : std::vector<BrokenObject>();
    if (!broken.empty() && !ReadViewsAndTriggers(db, objects)) fail(db.LastFailure());
    for (const BrokenObject& object : broken) {
      if (!ok) break;
      const auto stored = std::find_if(objects.begin(), objects.end(), [&](const SchemaObject& o) {
        return o.type == object.type && o.name == object.name;
      });
      const std::string deleted =
          stored == objects.end() ? "" : DeletedColumnNamed(stored->sql, deleted_columns);
      if (deleted.empty()) {
        problems.push_back(object);
        continue;
      }
      if (!db.Execute(DropStatement(*stored))) {
        fail(db.LastFailure());
        break;
      }
      result.left_out.push_back(KindWord(object.type) + object.name + "（用到了已删除的字段 " +
                                deleted + "）");
    }
    if (ok && !problems.empty()) {
      fail(
          Status::Failure("修改后以下视图或触发器将无法使用：" + DescribeObjects(problems) + "。"));
    }
  }
  if (ok && foreign_keys) {
    const std::optional<TextTable> violations = Rows(db, "PRAGMA foreign_key_check");
    if (!violations || violations->rows() > 0) {
      // The engine's own code for a broken foreign key, as a statement would have failed with.
      fail(violations ? Status::Failure(
                            "FOREIGN KEY constraint failed: " + std::string(violations->at(0, 0)) +
                                " -> " + std::string(violations->at(0, 2)),
                            SQLITE_CONSTRAINT_FOREIGNKEY)
                      : db.LastFailure());
    }
  }
  if (ok && !transaction.Commit()) fail(db.LastFailure());
  if (!ok) {
    transaction.Rollback();
    result.left_out.clear();
  }
  if (foreign_keys) db.Execute("PRAGMA foreign_keys = ON");
  return result;
}

bool IsDesignerType(const std::string& type) {
  for (const char* known : {"", "INTEGER PRIMARY KEY", "INTEGER", "NUMERIC", "BLOB", "TEXT"}) {
    if (type == known) return true;
  }
  // TEXT(n) with a positive n written as DeclaredType writes it.
  if (type.size() < 7 || type.compare(0, 5, "TEXT(") != 0 || type.back() != ')') return false;
  const std::string digits = type.substr(5, type.size() - 6);
  if (digits.empty() || digits[0] == '0') return false;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::string TemporaryTableName(const std::string& table, std::uint64_t tick) {
  return "__temp_" + table + "_" + std::to_string(tick) + "_temp";
}

std::vector<std::string> RebuildStatements(const std::string& table, const std::string& temporary,
                                           const std::vector<SqliteFieldInfo>& fields,
                                           const ColumnPairs& pairs) {
  const std::string n = QuoteSqlName(table);
  const std::string t = QuoteSqlName(temporary);
  if (pairs.old_columns.empty() || pairs.new_columns.empty()) {
    return {"DROP TABLE " + n, CreateTableStatement(n, fields)};
  }
  std::vector<std::string> old_columns;
  for (const std::string& column : pairs.old_columns) old_columns.push_back(QuoteSqlName(column));
  return {
      CreateTableStatement(t, fields),
      "insert into " + t + " (" + Join(pairs.new_columns) + ") select " + Join(old_columns) +
          " from " + n + " order by _ROWID_",
      "DROP TABLE " + n,
      CreateTableStatement(n, fields),
      "insert into " + n + " select * from " + t + " order by _ROWID_",
      "DROP TABLE " + t,
  };
}

bool IsPlainDefinition(const std::string& definition) {
  const TableDefinition read = ReadTableDefinition(definition);
  if (!read.ok || !read.constraints.empty() || read.without_rowid || read.strict) return false;
  std::vector<std::string> columns;
  for (const TableColumn& column : read.columns) {
    const std::string name = Span(definition, column.name_begin, column.name_end);
    if (!IsPlainSqlName(name)) return false;
    const std::string text = Span(definition, column.begin, column.end);
    const std::string rest = text.substr(name.size());
    if (!rest.empty() && (rest[0] != ' ' || !IsDesignerType(rest.substr(1)) || rest.size() == 1)) {
      return false;
    }
    columns.push_back(text);
  }
  return definition == "CREATE TABLE " + Span(definition, read.name_begin, read.name_end) + " (" +
                           Join(columns, ", ") + ")";
}

RebuildPlan PlanRebuild(const std::string& table, const std::string& definition,
                        const std::vector<RebuildField>& fields, const std::string& temporary) {
  RebuildPlan plan;
  const TableDefinition read = ReadTableDefinition(definition);
  if (!read.ok) {
    plan.status = Status::Failure("无法读取表 " + table + " 的定义，表未作任何修改。");
    return plan;
  }
  const int column_count = static_cast<int>(read.columns.size());
  std::vector<bool> kept(read.columns.size(), false);
  for (const RebuildField& field : fields) {
    if (field.existing >= column_count) {
      plan.status =
          Status::Failure("表 " + table + " 的字段与设计中的字段对不上，表未作任何修改。");
      return plan;
    }
    if (field.existing >= 0) kept[field.existing] = true;
  }
  std::vector<std::string> deleted;
  for (int c = 0; c < column_count; ++c) {
    if (!kept[c]) deleted.push_back(read.columns[c].name);
  }

  // The separator the definition itself puts between its columns, when it is only a comma and
  // blanks or line breaks; ", " otherwise.
  std::string separator = ", ";
  if (read.columns.size() >= 2) {
    const std::string between = Span(definition, read.columns[0].end, read.columns[1].begin);
    if (!between.empty() && between[0] == ',' &&
        between.find_first_not_of(" \t\r\n", 1) == std::string::npos) {
      separator = between;
    }
  }

  std::vector<std::string> elements;
  std::vector<std::string> copied;  // the kept columns that hold data of their own, quoted
  for (const RebuildField& field : fields) {
    if (field.existing < 0) {
      elements.push_back(ColumnDefinition(field.field));
      continue;
    }
    const TableColumn& column = read.columns[field.existing];
    std::string text = Span(definition, column.begin, column.end);
    if (field.retyped) {
      std::string type = DeclaredType(field.field.Type, field.field.MaxLength);
      // A column that is its table's primary key already says so among its constraints.
      if (field.field.Type == -1 && column.primary_key) type = "INTEGER";
      const std::string head = Span(definition, column.begin, column.name_end);
      const std::string tail = Span(definition, column.type_end, column.end);
      text = head + (type.empty() ? "" : " " + type) + tail;
    }
    elements.push_back(text);
    if (!column.generated) copied.push_back(QuoteSqlName(column.name));
  }
  for (const TableConstraint& constraint : read.constraints) {
    const std::string text = Span(definition, constraint.begin, constraint.end);
    std::string gone;
    for (const std::string& name : constraint.columns) {
      for (const std::string& column : deleted) {
        if (gone.empty() && EqualsIgnoreCase(name, column)) gone = column;
      }
    }
    if (gone.empty()) {
      elements.push_back(text);
    } else {
      plan.left_out.push_back("表约束 " + text + "（用到了已删除的字段 " + gone + "）");
    }
  }
  std::size_t last_end = read.columns.back().end;
  for (const TableConstraint& constraint : read.constraints) {
    last_end = std::max(last_end, constraint.end);
  }
  const std::string created = definition.substr(0, read.columns.front().begin) +
                              Join(elements, separator) + definition.substr(last_end);

  const std::string n = QuoteSqlName(table);
  if (copied.empty()) {
    plan.statements = {"DROP TABLE " + n, created};
    return plan;
  }
  // The row ids go along under a name of the row id that no column, old or new, hides.
  std::string row_id;
  if (!read.without_rowid) {
    for (const char* name : {"_rowid_", "rowid", "oid"}) {
      bool hidden = false;
      for (const TableColumn& column : read.columns) hidden |= EqualsIgnoreCase(column.name, name);
      for (const RebuildField& field : fields) hidden |= EqualsIgnoreCase(field.field.Name, name);
      if (!hidden) {
        row_id = name;
        break;
      }
    }
  }
  const std::string t = QuoteSqlName(temporary);
  const std::string columns = (row_id.empty() ? "" : row_id + ", ") + Join(copied, ", ");
  const std::string order = row_id.empty() ? "" : " ORDER BY " + row_id;
  plan.statements = {
      "CREATE TABLE " + t + " (" + Join(copied, ", ") + ")",
      "INSERT INTO " + t + " (" + columns + ") SELECT " + columns + " FROM " + n + order,
      "DROP TABLE " + n,
      created,
      "INSERT INTO " + n + " (" + columns + ") SELECT " + columns + " FROM " + t + order,
      "DROP TABLE " + t,
  };
  return plan;
}

RebuildResult RunRebuild(ZuveviRE& db, const std::string& table,
                         const std::vector<std::string>& statements,
                         const std::vector<std::string>& deleted_columns) {
  return Run(
      db, table, {},
      [&](const std::string&) {
        return RebuildPlan{statements, {}, Status()};
      },
      deleted_columns);
}

RebuildResult RebuildTableLayout(ZuveviRE& db, const std::string& table,
                                 const std::vector<RebuildField>& fields, std::uint64_t tick) {
  RebuildResult result;
  // A definition or a column list the engine failed to read (a read error on the file) is the
  // engine's failure, not a table the program cannot read.
  const std::string definition = db.GetTableSql(table);
  if (definition.empty() && db.GetErrorCode() != SQLITE_OK) {
    result.status = db.LastFailure();
    return result;
  }
  const std::vector<EngineColumn> columns = ReadEngineColumns(db, table);
  if (columns.empty() && db.GetErrorCode() != SQLITE_OK) {
    result.status = db.LastFailure();
    return result;
  }
  const TableDefinition read = ReadTableDefinition(definition);
  const std::string difference = ColumnDifference(read, columns);
  if (!difference.empty()) {
    // Which data goes where, and what the table's constraints are, would only be guessed.
    result.status = Status::Failure("无法按数据库引擎的方式读出表 " + table + " 的定义（" +
                                    difference + "），表未作任何修改。");
    return result;
  }
  const int column_count = static_cast<int>(read.columns.size());
  std::vector<bool> kept(read.columns.size(), false);
  std::vector<std::pair<std::string, std::string>> renamed;  // old name, new name as typed
  bool clash = false;
  for (const RebuildField& field : fields) {
    if (field.existing >= column_count) {
      result.status =
          Status::Failure("表 " + table + " 的字段与设计中的字段对不上，表未作任何修改。");
      return result;
    }
    if (field.existing < 0) continue;
    kept[field.existing] = true;
    const std::string& old_name = read.columns[field.existing].name;
    if (field.field.Name == old_name) continue;
    renamed.emplace_back(old_name, field.field.Name);
    for (const TableColumn& column : read.columns) {
      clash |= EqualsIgnoreCase(column.name, field.field.Name);
    }
  }
  std::vector<std::string> deleted;
  for (int c = 0; c < column_count; ++c) {
    if (!kept[c]) deleted.push_back(read.columns[c].name);
  }

  // The engine renames a column in every index, trigger, view and constraint that names it. New
  // names that an old one still holds (a swap, a change of letter case) go through a name of
  // their own first.
  const std::string n = QuoteSqlName(table);
  std::vector<std::string> renames;
  for (std::size_t i = 0; clash && i < renamed.size(); ++i) {
    const std::string passing = "__torvane_renaming_" + std::to_string(i);
    renames.push_back("ALTER TABLE " + n + " RENAME COLUMN " + QuoteSqlName(renamed[i].first) +
                      " TO " + passing);
    renamed[i].first = passing;
  }
  for (const auto& [old_name, new_name] : renamed) {
    renames.push_back("ALTER TABLE " + n + " RENAME COLUMN " + QuoteSqlName(old_name) + " TO " +
                      new_name);
  }

  const std::string temporary = TemporaryTableName(table, tick);
  const bool plain = IsPlainDefinition(definition);
  return Run(
      db, table, renames,
      [&](const std::string& renamed_definition) {
        if (!plain) return PlanRebuild(table, renamed_definition, fields, temporary);
        // A table as the designer writes tables: the statements it has always run.
        const TableDefinition now = ReadTableDefinition(renamed_definition);
        std::vector<SqliteFieldInfo> designed;
        ColumnPairs pairs;
        for (const RebuildField& field : fields) {
          designed.push_back(field.field);
          if (field.existing < 0 || field.existing >= static_cast<int>(now.columns.size())) {
            continue;
          }
          pairs.old_columns.push_back(now.columns[field.existing].name);
          pairs.new_columns.push_back(field.field.Name);
        }
        return RebuildPlan{RebuildStatements(table, temporary, designed, pairs), {}, Status()};
      },
      deleted);
}

bool NamesWord(const std::string& sql, const std::string& name) {
  for (const SqlToken& token : SignificantSqlTokens(sql)) {
    if (TokenNames(sql, token, name)) return true;
  }
  return false;
}

}  // namespace torvane
