#include "db/engine.h"

#include <utility>

#include <sqlite3.h>

#include "base/codec.h"

namespace torvane {

// sqlite3_close_v2 rather than sqlite3_close: a statement that outlives the last holder turns the
// connection into one the engine closes as soon as that statement is finalized.
Engine::~Engine() { sqlite3_close_v2(db_); }

Engine::Error Engine::LastError() const {
  if (kept_) return *kept_;
  const char* message = sqlite3_errmsg(db_);
  // The message quotes names and SQL in the database's own encoding.
  return Error{sqlite3_errcode(db_), message == nullptr ? "" : FromEngine(message)};
}

std::string Engine::ToEngine(std::string_view internal) const {
  return converts() ? ToUtf8(internal) : std::string(internal);
}

std::string Engine::FromEngine(std::string_view engine_text) const {
  return converts() ? FromUtf8(engine_text) : std::string(engine_text);
}

std::string Engine::FromEngine(const unsigned char* text, int size) const {
  if (text == nullptr || size <= 0) return "";
  return FromEngine(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)));
}

Statement::~Statement() { Finalize(); }

Statement::Statement(Statement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Finalize();
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

int Statement::Prepare(Engine& engine, std::string_view sql) {
  if (engine.converts()) return PrepareBytes(engine, ToUtf8(sql));
  return PrepareBytes(engine, sql);
}

int Statement::PrepareBytes(Engine& engine, std::string_view sql) {
  Finalize();
  // The byte length is passed, so the text needs no terminating zero and may hold any bytes.
  return sqlite3_prepare_v2(engine.Use(), sql.data(), static_cast<int>(sql.size()), &stmt_,
                            nullptr);
}

int Statement::Step() { return stmt_ == nullptr ? SQLITE_MISUSE : sqlite3_step(stmt_); }

void Statement::Reset() {
  if (stmt_ != nullptr) sqlite3_reset(stmt_);
}

void Statement::Finalize() {
  if (stmt_ != nullptr) sqlite3_finalize(std::exchange(stmt_, nullptr));
}

bool ExecuteSql(Engine& engine, const std::string& sql) {
  const std::string engine_sql = engine.ToEngine(sql);
  return sqlite3_exec(engine.Use(), engine_sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool QueryFirstColumn(Engine& engine, std::string_view sql, std::vector<std::string>& values) {
  values.clear();
  Statement statement;
  if (statement.Prepare(engine, sql) != SQLITE_OK || !statement) return false;
  int rc;
  while ((rc = statement.Step()) == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(statement.get(), 0);
    values.push_back(engine.FromEngine(text, sqlite3_column_bytes(statement.get(), 0)));
  }
  if (rc != SQLITE_DONE) {
    values.clear();
    return false;
  }
  return true;
}

}  // namespace torvane
