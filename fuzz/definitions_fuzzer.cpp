// The readers of stored CREATE texts (db/table_definition.h, db/view_definition.h,
// db/trigger_definition.h), on any text:
// - whatever they read, every position lies inside the text and every span is in order;
// - the text's first statement is handed to the engine (in a fresh in-memory database holding a
//   table t and a view v, allowed to create tables, views and triggers and little else); for every
//   table, view or trigger it created, the reader of its kind reads the text the catalog keeps,
//   finds the name the catalog gives it, and for a table gives exactly the columns the engine
//   reports (ColumnDifference), its key column and its options; for a view that can be read, a
//   query the engine takes; for a trigger, the table or view it is on.

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "db/sql_name.h"
#include "db/sql_tokens.h"
#include "db/table_definition.h"
#include "db/trigger_definition.h"
#include "db/view_definition.h"
#include "fuzz_check.h"

namespace {

using namespace torvane;

// The engine steps a statement may take before it is stopped, in thousands.
constexpr int kStepBudget = 200;

int Authorize(void*, int action, const char*, const char*, const char*, const char*) {
  switch (action) {
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_READ:
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    default:
      // No files (ATTACH, VACUUM INTO), no settings, no other schema changes.
      return SQLITE_DENY;
  }
}

int StopWhenSpent(void* steps) { return ++*static_cast<int*>(steps) > kStepBudget; }

struct CatalogEntry {
  std::string type, name, table, sql, schema;
};

std::string Column(sqlite3_stmt* stmt, int i) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))) : "";
}

std::vector<CatalogEntry> NewEntries(sqlite3* db) {
  std::vector<CatalogEntry> entries;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT type, name, tbl_name, sql, 'main' FROM main.sqlite_schema "
                     "WHERE sql IS NOT NULL AND name NOT IN ('t', 'v') "
                     "UNION ALL SELECT type, name, tbl_name, sql, 'temp' FROM temp.sqlite_schema "
                     "WHERE sql IS NOT NULL",
                     -1, &stmt, nullptr);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    entries.push_back(
        {Column(stmt, 0), Column(stmt, 1), Column(stmt, 2), Column(stmt, 3), Column(stmt, 4)});
  }
  sqlite3_finalize(stmt);
  return entries;
}

std::vector<EngineColumn> EngineColumns(sqlite3* db, const CatalogEntry& entry) {
  std::vector<EngineColumn> columns;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT name, type, \"notnull\", dflt_value, dflt_value IS NOT NULL, pk, "
                     "hidden FROM pragma_table_xinfo(?1, ?2)",
                     -1, &stmt, nullptr);
  sqlite3_bind_text(stmt, 1, entry.name.data(), static_cast<int>(entry.name.size()),
                    SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, entry.schema.c_str(), -1, SQLITE_STATIC);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    EngineColumn column;
    column.name = Column(stmt, 0);
    column.type = Column(stmt, 1);
    column.not_null = sqlite3_column_int(stmt, 2) != 0;
    column.default_value = Column(stmt, 3);
    column.has_default = sqlite3_column_int(stmt, 4) != 0;
    column.pk = sqlite3_column_int(stmt, 5);
    column.hidden = sqlite3_column_int(stmt, 6);
    columns.push_back(std::move(column));
  }
  sqlite3_finalize(stmt);
  return columns;
}

// What the engine says of table `entry`: WITHOUT ROWID, STRICT.
void TableOptions(sqlite3* db, const CatalogEntry& entry, bool& without_rowid, bool& strict) {
  without_rowid = strict = false;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT wr, strict FROM pragma_table_list WHERE name = ?1 AND schema = ?2",
                     -1, &stmt, nullptr);
  sqlite3_bind_text(stmt, 1, entry.name.data(), static_cast<int>(entry.name.size()),
                    SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, entry.schema.c_str(), -1, SQLITE_STATIC);
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    without_rowid = sqlite3_column_int(stmt, 0) != 0;
    strict = sqlite3_column_int(stmt, 1) != 0;
  }
  sqlite3_finalize(stmt);
}

// True when the engine prepares `sql` from `begin` as one statement that takes the rest of it.
bool PreparesToTheEnd(sqlite3* db, std::string_view sql, std::size_t begin) {
  const std::string rest(sql.substr(begin));
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  const bool prepared = sqlite3_prepare_v2(db, rest.c_str(), static_cast<int>(rest.size()), &stmt,
                                           &tail) == SQLITE_OK &&
                        stmt != nullptr;
  sqlite3_finalize(stmt);
  return prepared && SignificantSqlTokens(std::string_view(tail)).empty();
}

// The name the token at [begin, end) of `sql` stands for; `found` false when no token is there.
std::string NameAt(std::string_view sql, std::size_t begin, std::size_t end, bool& found) {
  for (const SqlToken& token : TokenizeSql(sql)) {
    if (token.begin == begin && token.end == end) {
      found = true;
      return SqlNameOfToken(sql, token);
    }
  }
  found = false;
  return "";
}

void RequireNameAt(std::string_view sql, std::size_t begin, std::size_t end,
                   const std::string& name, const char* promise) {
  bool found = false;
  const std::string read = NameAt(sql, begin, end, found);
  Require(found && EqualsIgnoringAsciiCase(read, name), promise);
}

void CheckSpans(std::string_view sql) {
  const std::size_t n = sql.size();
  const TableDefinition table = ReadTableDefinition(sql);
  if (table.ok) {
    Require(table.name_begin < table.name_end && table.name_end <= table.body_begin &&
                table.body_begin <= table.body_end && table.body_end < table.options_begin &&
                table.options_begin <= n,
            "a table's spans are in order inside the text");
    std::size_t previous = table.body_begin;
    for (const TableColumn& c : table.columns) {
      Require(previous <= c.begin && c.begin <= c.name_begin && c.name_begin < c.name_end &&
                  c.name_end <= c.type_begin && c.type_begin <= c.type_end && c.type_end <= c.end &&
                  c.end <= table.body_end,
              "a column's spans are in order inside the body");
      previous = c.end;
    }
    for (const TableConstraint& k : table.constraints) {
      Require(previous <= k.begin && k.begin < k.end && k.end <= table.body_end,
              "a constraint's span follows the columns inside the body");
      previous = k.end;
    }
  }
  const ViewDefinition view = ReadViewDefinition(sql);
  if (view.ok) {
    Require(view.name_begin < view.name_end && view.name_end <= view.select_begin &&
                view.select_begin <= n,
            "a view's spans are in order inside the text");
    if (view.columns_end != 0) {
      Require(view.name_end <= view.columns_begin && view.columns_begin < view.columns_end &&
                  view.columns_end <= view.select_begin && sql[view.columns_begin] == '(' &&
                  sql[view.columns_end - 1] == ')',
              "a view's column list is its parentheses");
    }
  }
  const TriggerDefinition trigger = ReadTriggerDefinition(sql);
  if (trigger.ok) {
    Require(trigger.name_begin < trigger.name_end && trigger.name_end <= trigger.table_begin &&
                trigger.table_begin < trigger.table_end &&
                trigger.table_end <= trigger.body_begin && trigger.body_begin <= n,
            "a trigger's spans are in order inside the text");
  }
}

void CheckCatalogEntry(sqlite3* db, const CatalogEntry& entry) {
  const std::string& sql = entry.sql;
  CheckSpans(sql);
  if (entry.type == "table") {
    const TableDefinition table = ReadTableDefinition(sql);
    Require(table.ok, "a table's stored text is read");
    RequireNameAt(sql, table.name_begin, table.name_end, entry.name, "a table's name is found");
    const std::vector<EngineColumn> columns = EngineColumns(db, entry);
    const std::string difference = ColumnDifference(table, columns);
    if (!difference.empty()) std::fprintf(stderr, "%s\n", difference.c_str());
    Require(difference.empty(), "a table's columns are the engine's");
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const TableColumn& c = table.columns[i];
      // A column's own PRIMARY KEY makes it the whole key.
      Require(!c.primary_key || columns[i].pk == 1, "a column read as the key is the key");
      Require(!c.autoincrement || c.primary_key, "AUTOINCREMENT is read on the key only");
    }
    bool without_rowid = false, strict = false;
    TableOptions(db, entry, without_rowid, strict);
    Require(table.without_rowid == without_rowid && table.strict == strict,
            "a table's WITHOUT ROWID and STRICT are the engine's");
  } else if (entry.type == "view") {
    const ViewDefinition view = ReadViewDefinition(sql);
    Require(view.ok, "a view's stored text is read");
    RequireNameAt(sql, view.name_begin, view.name_end, entry.name, "a view's name is found");
    // The engine keeps a view whose query names what does not exist; only a view that can be read
    // says where its query is.
    const std::string read_view =
        "SELECT * FROM " + QuoteSqlName(entry.schema) + "." + QuoteSqlName(entry.name);
    Require(PreparesToTheEnd(db, sql, view.select_begin) || !PreparesToTheEnd(db, read_view, 0),
            "a view's query is where it is read");
  } else if (entry.type == "trigger") {
    const TriggerDefinition trigger = ReadTriggerDefinition(sql);
    Require(trigger.ok, "a trigger's stored text is read");
    RequireNameAt(sql, trigger.name_begin, trigger.name_end, entry.name,
                  "a trigger's name is found");
    RequireNameAt(sql, trigger.table_begin, trigger.table_end, entry.table,
                  "a trigger's table is found");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  CheckSpans(sql);

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    return 0;
  }
  sqlite3_exec(db,
               "CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT); CREATE VIEW v AS SELECT a, b FROM t",
               nullptr, nullptr, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
  int steps = 0;
  sqlite3_progress_handler(db, 1000, StopWhenSpent, &steps);
  sqlite3_set_authorizer(db, Authorize, nullptr);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) ==
          SQLITE_OK &&
      stmt != nullptr) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_set_authorizer(db, nullptr, nullptr);
  sqlite3_progress_handler(db, 0, nullptr, nullptr);

  for (const CatalogEntry& entry : NewEntries(db)) CheckCatalogEntry(db, entry);
  sqlite3_close(db);
  return 0;
}
