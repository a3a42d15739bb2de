#include "console/table_rebuild.h"

#include <optional>
#include <utility>

#include "db/command_transaction.h"
#include "base/text.h"
#include "db/sql_name.h"

namespace torvane {
namespace {

// The first column of every row `sql` gives on `db`; nothing when it cannot run.
std::optional<TextTable> Rows(ZuveviRE& db, const std::string& sql) {
  SqliteDataset rows = db.Query(sql);
  if (!rows.Requery() || !rows.IsComplete()) return std::nullopt;
  return rows.GetAll(false);
}

std::string Join(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += ',';
    joined += name;
  }
  return joined;
}

}  // namespace

bool TypeCodeFromKind(const std::string& type_name, std::int32_t& code) {
  static const struct {
    const char* name;
    FieldTypeCode code;
  } kinds[] = {
      {"主键（自增字段）", FieldTypeCode::kPrimaryKey},
      {"", FieldTypeCode::kUntyped},
      {"（通用型）", FieldTypeCode::kUntyped},
      {"整数型", FieldTypeCode::kInteger},
      {"小数型", FieldTypeCode::kDecimal},
      {"文本型", FieldTypeCode::kText},
      {"字节集型", FieldTypeCode::kBytes},
  };
  for (const auto& kind : kinds) {
    if (type_name == kind.name) {
      code = static_cast<std::int32_t>(kind.code);
      return true;
    }
  }
  return false;
}

std::int32_t LengthFromText(const std::string& text) {
  // What lies beyond 32 bits saturates rather than wrapping around.
  const double number = ToNumber(TrimBlanks(text));
  if (number >= 2147483647.0) return 2147483647;
  if (number <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(number);
}

FieldCheck ValidateFields(const std::vector<FieldEntry>& fields) {
  FieldCheck check;
  int row = 0;
  for (const FieldEntry& entry : fields) {
    if (entry.Deleted) continue;
    ++row;
    const std::string name = TrimBlanks(entry.FieldName);
    auto stop = [&](int column, std::string message) {
      check.ok = false;
      check.row = row;
      check.column = column;
      check.message = std::move(message);
      check.fields.clear();
      return check;
    };
    if (name.empty()) return stop(1, "字段名称不能为空！");
    std::int32_t code = 0;
    if (!TypeCodeFromKind(TrimBlanks(entry.TypeName), code)) {
      return stop(2, "字段 " + name + " 的类型设置错误！请从下拉列表中选取。");
    }
    const std::int32_t length = LengthFromText(entry.LengthText);
    if (length < 0) return stop(3, "字段 " + name + " 的最大文本长度不能为负数！");
    check.fields.push_back(SqliteFieldInfo{name, code, length});
  }
  return check;
}

ColumnPairs PairColumns(const std::vector<FieldEntry>& fields,
                        const std::vector<std::string>& existing_columns) {
  ColumnPairs pairs;
  std::size_t k = 0;
  for (const FieldEntry& entry : fields) {
    if (entry.Added) continue;
    if (k >= existing_columns.size()) {
      pairs.surplus = true;
      return pairs;
    }
    const std::string& column = existing_columns[k++];
    if (entry.Deleted) continue;
    pairs.old_columns.push_back(column);
    pairs.new_columns.push_back(entry.FieldName);
  }
  return pairs;
}

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

std::vector<std::string> GoneColumns(const std::vector<std::string>& existing_columns,
                                     const std::vector<SqliteFieldInfo>& fields) {
  std::vector<std::string> gone;
  for (const std::string& column : existing_columns) {
    bool kept = false;
    for (const SqliteFieldInfo& field : fields) kept = kept || EqualsIgnoreCase(field.Name, column);
    if (!kept) gone.push_back(column);
  }
  return gone;
}

bool NamesWord(const std::string& sql, const std::string& name) {
  auto word_byte = [](unsigned char c) {
    return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') ||
           ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
  };
  for (int at = FindText(sql, name, 1, true); at >= 1; at = FindText(sql, name, at + 1, true)) {
    const std::size_t begin = static_cast<std::size_t>(at - 1);
    const std::size_t end = begin + name.size();
    // FindText never starts a match inside a character, so a byte of 0x80 or more before it is a
    // character of its own.
    const bool open = begin == 0 || !word_byte(static_cast<unsigned char>(sql[begin - 1]));
    const bool closed = end >= sql.size() || !word_byte(static_cast<unsigned char>(sql[end]));
    if (open && closed) return true;
  }
  return false;
}

RebuildResult RunRebuild(ZuveviRE& db, const std::string& table,
                         const std::vector<std::string>& statements,
                         const std::vector<std::string>& gone_columns) {
  RebuildResult result;
  // The indexes and triggers go with the table when it is dropped; their definitions come back
  // after the rows, so no trigger fires on the copy.
  const std::optional<TextTable> dependents = Rows(
      db, "SELECT name, sql FROM main.sqlite_master WHERE tbl_name = '" + EscapeSqlText(table) +
              "' AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid");
  const std::optional<TextTable> enforcement = Rows(db, "PRAGMA foreign_keys");
  if (!dependents || !enforcement) {
    result.error = db.GetErrorText();
    return result;
  }
  const bool foreign_keys = enforcement->rows() > 0 && enforcement->at(0, 0) == "1";
  if (foreign_keys && db.IsInTransaction()) {
    // Enforcement cannot be turned off inside a transaction, and with it on, dropping the table
    // would delete the rows of other tables that refer to it.
    result.error =
        "外键约束已开启，且有尚未结束的事务：修改表会删除引用此表的其它表中的记录。"
        "请先提交或回滚事务，再修改表。";
    return result;
  }
  if (foreign_keys) db.Execute("PRAGMA foreign_keys = OFF");

  CommandTransaction transaction(db);
  bool ok = transaction.Begin();
  if (!ok) result.error = db.GetErrorText();
  for (std::size_t i = 0; ok && i < statements.size(); ++i) {
    if (!db.Execute(statements[i])) {
      result.error = db.GetErrorText();
      ok = false;
    }
  }
  if (ok) {
    for (int i = 0; i < dependents->rows(); ++i) {
      const std::string sql(dependents->at(i, 1));
      bool applies = true;
      for (const std::string& column : gone_columns) applies = applies && !NamesWord(sql, column);
      if (!applies || !db.Execute(sql)) result.left_out.emplace_back(dependents->at(i, 0));
    }
  }
  if (ok && foreign_keys) {
    const std::optional<TextTable> violations = Rows(db, "PRAGMA foreign_key_check");
    if (!violations || violations->rows() > 0) {
      result.error = violations
                         ? "FOREIGN KEY constraint failed: " + std::string(violations->at(0, 0)) +
                               " -> " + std::string(violations->at(0, 2))
                         : db.GetErrorText();
      ok = false;
    }
  }
  if (ok && !transaction.Commit()) {
    result.error = db.GetErrorText();
    ok = false;
  }
  if (!ok) {
    transaction.Rollback();
    result.left_out.clear();
  }
  if (foreign_keys) db.Execute("PRAGMA foreign_keys = ON");
  result.ok = ok;
  return result;
}

}  // namespace torvane
