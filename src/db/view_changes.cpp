#include "db/view_changes.h"

#include <utility>

#include "base/text.h"
#include "db/command_transaction.h"
#include "db/connection.h"
#include "db/sql_name.h"
#include "db/sql_tokens.h"
#include "db/trigger_definition.h"
#include "db/view_definition.h"

namespace torvane {
namespace {

// Whether the significant token `i` of `sql` stands where a table or view is named: after FROM,
// JOIN, INTO or UPDATE, in a FROM list, after a trigger's ON, or in front of "." (a name that
// qualifies a column); after "." only when a schema name comes before it. A name anywhere else is
// a column, an alias or a function, and a string is a value.
bool StandsAsTable(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t i) {
  auto keyword = [&](std::size_t j, std::string_view word) {
    return TokenIsKeyword(sql, tokens[j], word);
  };
  auto punctuation = [&](std::size_t j, std::string_view mark) {
    return tokens[j].kind == SqlTokenKind::kOperator && SqlTokenText(sql, tokens[j]) == mark;
  };
  if (i > 0 && punctuation(i - 1, ".")) {
    return i >= 2 && (keyword(i - 2, "main") || keyword(i - 2, "temp"));
  }
  if (i + 1 < tokens.size() && punctuation(i + 1, ".")) return true;
  if (i == 0) return false;
  for (const char* word : {"FROM", "JOIN", "INTO", "UPDATE"}) {
    if (keyword(i - 1, word)) return true;
  }
  if (keyword(i - 1, "ON")) {
    // A trigger's table: ON t FOR EACH ROW / WHEN / BEGIN; a join's ON starts an expression.
    return i + 1 >= tokens.size() || keyword(i + 1, "FOR") || keyword(i + 1, "WHEN") ||
           keyword(i + 1, "BEGIN");
  }
  if (!punctuation(i - 1, ",")) return false;
  // After a comma: a FROM list when the nearest clause word before it, at the same depth of
  // parentheses, is FROM or JOIN.
  int depth = 0;
  for (std::size_t j = i - 1; j-- > 0;) {
    if (punctuation(j, ")")) {
      ++depth;
    } else if (punctuation(j, "(")) {
      if (depth == 0) return false;
      --depth;
    } else if (depth == 0 && tokens[j].kind == SqlTokenKind::kWord) {
      if (keyword(j, "FROM") || keyword(j, "JOIN")) return true;
      for (const char* word : {"SELECT", "WHERE", "SET", "VALUES", "BY", "HAVING", "ON", "USING",
                               "RETURNING", "WHEN", "THEN", "ELSE", "WINDOW", "BEGIN"}) {
        if (keyword(j, word)) return false;
      }
    }
  }
  return false;
}

// Where an object's own name stands in its SQL, so a rewrite leaves it alone.
std::pair<std::size_t, std::size_t> OwnName(const SchemaObject& object) {
  if (object.type == "view") {
    const ViewDefinition view = ReadViewDefinition(object.sql);
    if (view.ok) return {view.name_begin, view.name_end};
  } else {
    const TriggerDefinition trigger = ReadTriggerDefinition(object.sql);
    if (trigger.ok) return {trigger.name_begin, trigger.name_end};
  }
  return {0, 0};
}

// The statement that creates `object` again from `sql`, its stored SQL or a rewrite of it. The
// engine keeps a temporary object's SQL without its TEMP: say it again, or the object would come
// back in the database file.
std::string Recreate(const SchemaObject& object, const std::string& sql) {
  if (!object.temporary || !EqualsIgnoreCase(sql.substr(0, 7), "CREATE ")) return sql;
  return "CREATE TEMP " + sql.substr(7);
}

// Runs `statements` as one transaction of their own and keeps them only when they leave no view or
// trigger broken that worked before.
ViewChange RunChecked(ZuveviRE& db, const std::vector<std::string>& statements) {
  ViewChange change;
  const SchemaCheck before = CheckSchema(db);
  // A check the file failed cannot say what the change would break; a read or write error there
  // has also made the engine roll the user's transaction back, which the change must not go on
  // without, as a transaction of its own.
  if (!before.failure.ok()) {
    change.status = before.failure;
    return change;
  }
  CommandTransaction transaction(db);
  if (!transaction.Begin()) {
    change.status = db.LastFailure();
    return change;
  }
  for (const std::string& statement : statements) {
    if (!db.Execute(statement)) {
      change.status = db.LastFailure();
      transaction.Rollback();
      return change;
    }
  }
  if (before.ok) {
    const SchemaCheck after = CheckSchema(db);
    // The file failed the check: what the change broke is not known.
    if (!after.failure.ok()) {
      change.status = after.failure;
      transaction.Rollback();
      return change;
    }
    change.broken = NewlyBroken(before, after);
    if (!change.broken.empty()) {
      transaction.Rollback();
      change.status =
          Status::Failure("以下视图或触发器将无法使用：" + DescribeObjects(change.broken) +
                          "。操作已撤销，数据库未作任何修改。");
      return change;
    }
  }
  if (!transaction.Commit()) {
    change.status = db.LastFailure();
    transaction.Rollback();
    return change;
  }
  return change;
}

}  // namespace

std::string RenameTableTokens(const std::string& sql, const std::string& old_name,
                              const std::string& new_text, std::size_t skip_begin,
                              std::size_t skip_end) {
  const std::vector<SqlToken> tokens = SignificantSqlTokens(sql);
  std::string result;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    if (skip_end > skip_begin && token.begin >= skip_begin && token.end <= skip_end) continue;
    if (!TokenNames(sql, token, old_name) || !StandsAsTable(sql, tokens, i)) continue;
    result.append(sql, copied, token.begin - copied);
    result += new_text;
    copied = token.end;
  }
  result.append(sql, copied, std::string::npos);
  return result;
}

ViewChange RenameView(ZuveviRE& db, const std::string& old_name, const std::string& new_name,
                      bool temporary) {
  ViewChange change;
  const std::string definition = db.GetTableSql(old_name);
  const ViewDefinition view = ReadViewDefinition(definition);
  std::vector<SchemaObject> objects;
  if (!view.ok || !ReadViewsAndTriggers(db, objects)) {
    change.status = db.LastFailure();
    return change;
  }
  // The engine keeps a temporary view's definition without its TEMP: say it again, or the view
  // would come back in the database file.
  const std::string created =
      temporary
          ? "CREATE TEMP VIEW " + new_name + definition.substr(view.name_end)
          : definition.substr(0, view.name_begin) + new_name + definition.substr(view.name_end);

  // The view's own triggers go with it; they come back on the new name. Every other object that
  // names the view is written anew to name the new one.
  std::vector<std::string> drops;
  std::vector<std::string> creates;
  for (const SchemaObject& object : objects) {
    if (object.type == "view" && EqualsIgnoreCase(object.name, old_name)) continue;
    const bool on_view = object.type == "trigger" && EqualsIgnoreCase(object.table, old_name);
    const auto [skip_begin, skip_end] = OwnName(object);
    const std::string rewritten =
        RenameTableTokens(object.sql, old_name, new_name, skip_begin, skip_end);
    if (!on_view && rewritten == object.sql) continue;
    if (!on_view) drops.push_back(DropStatement(object));
    creates.push_back(Recreate(object, rewritten));
  }
  std::vector<std::string> statements = drops;
  statements.push_back("DROP VIEW " + QuoteSqlName(old_name));
  statements.push_back(created);
  statements.insert(statements.end(), creates.begin(), creates.end());
  return RunChecked(db, statements);
}

ViewChange RedefineView(ZuveviRE& db, const std::string& name, const std::string& query,
                        bool temporary) {
  ViewChange change;
  std::vector<SchemaObject> objects;
  if (!ReadViewsAndTriggers(db, objects)) {
    change.status = db.LastFailure();
    return change;
  }
  const std::string quoted = QuoteSqlName(name);
  // A temporary view stays temporary: re-created in the main catalog it would be written into the
  // database file.
  std::vector<std::string> statements = {
      "DROP VIEW " + quoted,
      (temporary ? "CREATE TEMP VIEW " : "CREATE VIEW ") + quoted + " AS " + query,
      // The engine accepts a view on tables that do not exist and fails only when it is read.
      "SELECT * FROM " + quoted + " LIMIT 0",
  };
  for (const SchemaObject& object : objects) {
    if (object.type == "trigger" && EqualsIgnoreCase(object.table, name)) {
      statements.push_back(Recreate(object, object.sql));
    }
  }
  return RunChecked(db, statements);
}

std::vector<BrokenObject> ObjectsNaming(ZuveviRE& db, const std::string& name) {
  std::vector<BrokenObject> naming;
  std::vector<SchemaObject> objects;
  if (!ReadViewsAndTriggers(db, objects)) return naming;
  for (const SchemaObject& object : objects) {
    if (EqualsIgnoreCase(object.name, name) && object.type == "view") continue;
    if (object.type == "trigger" && EqualsIgnoreCase(object.table, name)) continue;
    const auto [skip_begin, skip_end] = OwnName(object);
    if (RenameTableTokens(object.sql, name, "", skip_begin, skip_end) != object.sql) {
      naming.push_back(BrokenObject{object.type, object.name, ""});
    }
  }
  return naming;
}

}  // namespace torvane
