#include "support/raw_db.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "base/files.h"
#include "support/hex.h"

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

// `text` as an SQL string literal.
std::string QuotedText(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

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

std::string RawDb::Dump() {
  std::string dump;
  std::vector<std::string> tables;
  // Each value with its type, so that 1, 1.0, '1' and x'31' differ.
  auto write_row = [&dump](sqlite3_stmt* statement) {
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      const int type = sqlite3_column_type(statement, c);
      if (type == SQLITE_BLOB) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, c));
        dump += " b:" + Hex(std::string_view(data == nullptr ? "" : data,
                                             sqlite3_column_bytes(statement, c)));
        continue;
      }
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
      const std::string value =
          text == nullptr ? "" : std::string(text, sqlite3_column_bytes(statement, c));
      dump += type == SQLITE_NULL      ? std::string(" null")
              : type == SQLITE_INTEGER ? " i:" + value
              : type == SQLITE_FLOAT   ? " r:" + value
                                       : " t:" + value;
    }
    dump += "\n";
  };
  auto read = [&](const std::string& sql, bool catalog) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
    if (rc == SQLITE_OK) rc = SQLITE_ROW;
    while (rc == SQLITE_ROW && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
      write_row(statement);
      if (catalog && std::string(reinterpret_cast<const char*>(
                         sqlite3_column_text(statement, 0))) == "table") {
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
      }
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) dump = "<error: " + std::string(sqlite3_errmsg(db_)) + ">";
    return rc == SQLITE_DONE;
  };
  if (!read("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name", true)) {
    return dump;
  }
  for (const std::string& table : tables) {
    std::string quoted = "\"";
    for (const char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    dump += "[" + table + "]\n";
    // A table without row ids comes in the order of its key.
    const bool keyed = Value("SELECT wr FROM pragma_table_list WHERE schema = 'main' AND name = " +
                             QuotedText(table)) == "1";
    if (!read("SELECT * FROM " + quoted + (keyed ? "" : " ORDER BY _rowid_"), false)) return dump;
  }
  return dump;
}

void MakeDatabase(const std::string& path, const std::string& sql) { RawDb(path).Run(sql); }

std::string QueryText(const std::string& path, const std::string& sql) {
  return RawDb(path).Value(sql);
}

Bytes QueryBytes(const std::string& path, const std::string& sql) {
  return RawDb(path).ValueBytes(sql);
}

}  // namespace torvane::testing
