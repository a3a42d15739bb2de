// The quoting helpers (db/sql_name.h), on any name without a zero byte (the engine reads SQL text
// only up to one): a name put into SQL by QuoteSqlName is the same name to the engine, as a table's
// name in the catalog, as a column's name and as a column named in an expression; and a text put
// between single quotes by EscapeSqlText is the same text to the engine. The only name the engine
// may refuse is one it keeps for itself ("sqlite_...").

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "db/sql_name.h"
#include "fuzz_check.h"

namespace {

using namespace torvane;

sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* opened = nullptr;
    sqlite3_open_v2(":memory:", &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    return opened;
  }();
  return db;
}

bool Run(const std::string& sql) {
  return sqlite3_exec(Database(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The first column of the first row `sql` gives, as bytes; `ok` false when there is none.
std::string FirstValue(const std::string& sql, bool& ok) {
  ok = false;
  std::string value;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(Database(), sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* text = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
    value.assign(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
    ok = true;
  }
  sqlite3_finalize(stmt);
  return value;
}

bool Reserved(std::string_view name) {
  return name.size() >= 7 && sqlite3_strnicmp(name.data(), "sqlite_", 7) == 0;
}

void CheckName(const std::string& name) {
  const std::string quoted = QuoteSqlName(name);
  Require(Run("SAVEPOINT fuzz"), "a savepoint opens");
  bool ok = false;
  if (Run("CREATE TABLE " + quoted + "(x)")) {
    const std::string stored =
        FirstValue("SELECT name FROM sqlite_schema WHERE type = 'table'", ok);
    Require(ok && stored == name, "a quoted table name is the name in the catalog");
  } else {
    Require(Reserved(name), "the engine takes every quoted name it does not keep for itself");
  }
  // The table of the name goes, so that the column's table cannot clash with it.
  Require(Run("ROLLBACK TO fuzz"), "the savepoint is undone");
  Require(Run("CREATE TABLE c(" + quoted + ")"), "the engine takes every quoted column name");
  const std::string column = FirstValue("SELECT name FROM pragma_table_info('c')", ok);
  Require(ok && column == name, "a quoted column name is the column's name");
  Require(Run("INSERT INTO c VALUES (42)"), "a row goes in");
  const std::string value = FirstValue("SELECT " + quoted + " FROM c", ok);
  Require(ok && value == "42", "a quoted column name in an expression names the column");
  Require(Run("ROLLBACK TO fuzz") && Run("RELEASE fuzz"), "the savepoint is undone");
}

void CheckText(const std::string& text) {
  bool ok = false;
  const std::string value = FirstValue("SELECT '" + EscapeSqlText(text) + "'", ok);
  Require(ok && value == text, "an escaped text is the same text to the engine");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (name.find('\0') != std::string::npos) return 0;
  CheckName(name);
  CheckText(name);
  return 0;
}
