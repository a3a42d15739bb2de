#include "support/raw_db.h"

#include <cstdint>

#include <gtest/gtest.h>

#include "base/files.h"

namespace torvane::testing {
namespace {

// Steps `sql` once on `db`: the statement on its first row or done, or the engine's message.
struct FirstRow {
  sqlite3_stmt* statement = nullptr;
  int rc = SQLITE_ERROR;
  std::string error;
  FirstRow(sqlite3* db, const std::string& sql) {
    rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) error = sqlite3_errmsg(db);
  }
  ~FirstRow() { sqlite3_finalize(statement); }
  FirstRow(const FirstRow&) = delete;
  FirstRow& operator=(const FirstRow&) = delete;
};

}  // namespace

RawDb::RawDb(const std::string& path) {
  // On failure the engine still hands out a handle, which carries the message for every call.
  sqlite3_open(SystemPath(path).c_str(), &db_);
}

RawDb::~RawDb() { sqlite3_close_v2(db_); }

std::string RawDb::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return "";
  std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return text;
}

void RawDb::Run(const std::string& sql) {
  const std::string error = Exec(sql);
  if (!error.empty()) ADD_FAILURE() << error << "\n  in: " << sql;
}

std::string RawDb::Value(const std::string& sql) {
  const FirstRow row(db_, sql);
  if (!row.error.empty()) return "<error: " + row.error + ">";
  if (row.rc == SQLITE_DONE) return "<none>";
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row.statement, 0));
  if (text == nullptr) return "<null>";
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(row.statement, 0)));
}

Bytes RawDb::ValueBytes(const std::string& sql) {
  const FirstRow row(db_, sql);
  if (!row.error.empty()) {
    ADD_FAILURE() << row.error << "\n  in: " << sql;
    return {};
  }
  if (row.rc == SQLITE_DONE) return {};
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(row.statement, 0));
  if (data == nullptr) return {};
  return Bytes(data, data + sqlite3_column_bytes(row.statement, 0));
}

void MakeDatabase(const std::string& path, const std::string& sql) { RawDb(path).Run(sql); }

std::string QueryText(const std::string& path, const std::string& sql) {
  return RawDb(path).Value(sql);
}

Bytes QueryBytes(const std::string& path, const std::string& sql) {
  return RawDb(path).ValueBytes(sql);
}

}  // namespace torvane::testing
