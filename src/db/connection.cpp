#include "db/connection.h"

#include <utility>

#include <sqlite3.h>

#include "base/files.h"
#include "base/text.h"
#include "db/sql_name.h"
#include "db/sql_statements.h"

namespace torvane {
namespace {

// The longest error text handed out, in bytes.
constexpr std::size_t kErrorTextLimit = 199;

}  // namespace

ZuveviRE::ZuveviRE() = default;

ZuveviRE::~ZuveviRE() { Close(); }

bool ZuveviRE::Open(const std::string& file_name, bool create) {
  Close();
  open_failure_ = Engine::Error();
  std::string engine_name;
  if (file_name.empty() || EqualsIgnoreCase(file_name, ":memory:")) {
    if (!create) return false;
    engine_name = ":memory:";
  } else {
    if (!create && !CanOpenForReading(file_name)) return false;
    engine_name = SystemPath(file_name);
  }
  sqlite3* db = nullptr;
  const int rc = sqlite3_open(engine_name.c_str(), &db);
  if (db == nullptr) return false;
  // The engine may hand out a connection even when opening failed; it is closed again at once.
  auto engine = std::make_shared<Engine>(db);
  if (rc != SQLITE_OK) {
    // The engine's reason (a read error, a lock it could not take) goes once the handle is closed.
    open_failure_ = engine->LastError();
    return false;
  }
  db_ = std::move(engine);
  SetBusyTimeout(kBusyTimeoutMs);
  return true;
}

void ZuveviRE::SetBusyTimeout(int milliseconds) {
  if (db_) db_->SetBusyWait(milliseconds);
}

void ZuveviRE::SetOnBusy(std::function<void()> on_busy) {
  if (db_) db_->SetOnBusy(std::move(on_busy));
}

void ZuveviRE::SetWriteGate(std::function<std::string()> gate) {
  if (db_) db_->SetWriteGate(std::move(gate));
}

void ZuveviRE::SetKeepGoing(std::function<bool()> keep_going) {
  if (db_) db_->SetKeepGoing(std::move(keep_going));
}

void ZuveviRE::SetBeforeWrite(std::function<void()> before_write) {
  if (db_) db_->SetBeforeWrite(std::move(before_write));
}

void ZuveviRE::SetBeforePrepare(std::function<void()> before_prepare) {
  if (db_) db_->SetBeforePrepare(std::move(before_prepare));
}

bool ZuveviRE::Close() {
  if (!db_) return true;
  const bool statements_alive = sqlite3_next_stmt(db_->get(), nullptr) != nullptr;
  db_.reset();
  return !statements_alive;
}

void ZuveviRE::SetTextMode(TextMode mode) {
  if (db_) db_->set_text_mode(mode);
}

TextMode ZuveviRE::GetTextMode() const { return db_ ? db_->text_mode() : TextMode::kGbk; }

std::string ZuveviRE::GetFileEncoding() {
  if (!db_) return "";
  Statement statement;
  if (statement.PrepareBytes(*db_, "PRAGMA encoding") != SQLITE_OK || !statement ||
      statement.Step() != SQLITE_ROW) {
    return "";
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
  return text == nullptr ? "" : text;
}

bool ZuveviRE::Execute(const std::string& sql) {
  if (!db_ || sql.empty()) return false;
  return ExecuteSql(*db_, sql);
}

std::vector<std::string> ZuveviRE::SplitStatements(const std::string& sql) const {
  // The cuts fall on ASCII bytes (";" and what precedes it), which stand for themselves in both
  // encodings, so each piece converts back to exactly its part of `sql`.
  const bool converts = db_ && db_->converts();
  const std::string engine_sql = converts ? db_->ToEngine(sql) : sql;
  std::vector<std::string> statements;
  for (const SqlStatementRange& range : SplitSqlStatements(engine_sql)) {
    const std::string_view piece =
        std::string_view(engine_sql).substr(range.begin, range.end - range.begin);
    statements.push_back(converts ? db_->FromEngine(piece) : std::string(piece));
  }
  return statements;
}

std::int64_t ZuveviRE::GetTotalChanges() const {
  return db_ ? sqlite3_total_changes64(db_->get()) : 0;
}

SqliteDataset ZuveviRE::Query(const std::string& sql) {
  SqliteDataset record_set;
  (void)record_set.Open(sql, *this);
  return record_set;
}

std::string ZuveviRE::GetErrorText() const {
  const std::string message = db_ ? db_->LastError().message : open_failure_.message;
  if (EqualsIgnoreCase(message, "not an error")) return "";
  return TextPrefix(message, static_cast<int>(kErrorTextLimit));
}

int ZuveviRE::GetErrorCode() const { return db_ ? db_->LastError().code : open_failure_.code; }

std::int64_t ZuveviRE::GetLastInsertRowId() const {
  return db_ ? sqlite3_last_insert_rowid(db_->get()) : 0;
}

bool ZuveviRE::IsInTransaction() const { return db_ && sqlite3_get_autocommit(db_->get()) == 0; }

// The transaction statements keep their blank before the name even without one ("BEGIN
// TRANSACTION "): these are the texts the interface has always sent and the log shows, byte for
// byte; the engine reads them the same either way.
bool ZuveviRE::BeginTransaction(const std::string& name) {
  return Execute("BEGIN TRANSACTION " + name);
}

bool ZuveviRE::CommitTransaction(const std::string& name) {
  return Execute("COMMIT TRANSACTION " + name);
}

bool ZuveviRE::RollbackTransaction(const std::string& name) {
  return Execute("ROLLBACK TRANSACTION " + name);
}

std::vector<std::string> ZuveviRE::CatalogQuery(bool temporary, const std::string& condition,
                                                const std::string& order_by, bool& ok) {
  // The pieces are joined as they are, so two blanks stand between them and one ends the text:
  // the catalog statements the interface has always sent, which the statement log shows byte for
  // byte.
  std::string sql =
      temporary ? "SELECT name FROM sqlite_temp_master " : "SELECT name FROM sqlite_master ";
  sql += " WHERE " + condition + " ";
  if (!order_by.empty()) sql += " ORDER BY " + order_by + " ";
  std::vector<std::string> names;
  ok = QueryFirstColumn(*db_, sql, names);
  return names;
}

std::vector<std::string> ZuveviRE::GetTableNames(bool tables, bool views, bool temporary) {
  if (!db_ || (!tables && !views)) return {};
  const char* condition = tables && views ? "type IN ('table','view')"
                          : tables        ? "type IN ('table')"
                                          : "type IN ('view')";
  bool ok = false;
  return CatalogQuery(temporary, condition, "name", ok);
}

bool ZuveviRE::TableExists(const std::string& name) {
  if (!db_ || name.empty()) return false;
  bool ok = false;
  const std::vector<std::string> names = CatalogQuery(
      false, "name LIKE '" + EscapeSqlText(name) + "' AND type IN ('table','view')", "", ok);
  return ok && !names.empty();
}

std::string ZuveviRE::GetTableSql(const std::string& name) {
  if (!db_) return "";
  const std::string condition =
      " WHERE name='" + EscapeSqlText(name) + "' AND type IN ('table','view') ";
  const std::string sql = " SELECT sql FROM sqlite_master " + condition +
                          " UNION ALL SELECT sql FROM sqlite_temp_master " + condition;
  std::vector<std::string> texts;
  if (!QueryFirstColumn(*db_, sql, texts) || texts.empty()) return "";
  return texts.front();
}

bool ZuveviRE::CreateTable(const std::string& name, const SqliteFieldInfo& field) {
  if (!db_ || name.empty() || field.Name.empty()) return false;
  return ExecuteSql(*db_, CreateTableStatement(name, {field}));
}

bool ZuveviRE::CreateTable(const std::string& name, const std::vector<SqliteFieldInfo>& fields) {
  if (!db_ || name.empty()) return false;
  return ExecuteSql(*db_, CreateTableStatement(name, fields));
}

bool ZuveviRE::DropTable(const std::string& name) {
  if (!db_ || name.empty()) return false;
  return ExecuteSql(*db_, "DROP TABLE " + QuoteSqlName(name));
}

}  // namespace torvane
