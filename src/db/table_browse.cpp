#include "db/table_browse.h"

#include <algorithm>
#include <utility>

#include <sqlite3.h>

#include "base/text.h"
#include "db/connection.h"
#include "db/engine.h"
#include "db/sql_name.h"
#include "db/table_cursor.h"
#include "db/text_rows.h"

namespace torvane {

BrowseStatement MakeBrowseStatement(const SqliteTable& cursor, ZuveviRE& database, bool is_table,
                                    int row_limit) {
  BrowseStatement browse;
  if (!cursor.IsOpen()) return browse;
  const std::string order = is_table ? cursor.GetKeyOrder() : "";
  const std::vector<std::string> columns = cursor.GetFieldNames();
  // Each column comes twice (its value, the size of a value left out), beside the row id.
  const std::size_t result_columns = 2 * columns.size() + 1;
  const bool fits = database.IsOpen() &&
                    result_columns <= static_cast<std::size_t>(sqlite3_limit(
                                          database.handle()->get(), SQLITE_LIMIT_COLUMN, -1));
  std::string select = "*";
  std::string order_by = order;
  if (is_table && !columns.empty() && fits && cursor.CanReadByRowId()) {
    // typeof() and length() of a column are answered from the record's header, without the
    // value's content; the content of a short value, or of one that is not a BLOB, is read as
    // "select *" would read it.
    const std::string longest = IntToText(static_cast<std::int64_t>(kLongestWholeBlob));
    std::string values;
    std::string sizes;
    for (const std::string& column : columns) {
      const std::string name = QuoteSqlName(column);
      const std::string left_out =
          "typeof(" + name + ")='blob' AND length(" + name + ")>" + longest;
      values += "CASE WHEN " + left_out + " THEN NULL ELSE " + name + " END AS " + name + ", ";
      sizes += ", CASE WHEN " + left_out + " THEN length(" + name + ") END";
    }
    select = values + order + sizes;
    // By the row id's place in the result: a column named as the row id (an INTEGER PRIMARY KEY)
    // would otherwise name the expression that stands for it, which the engine has to sort by.
    order_by = IntToText(static_cast<std::int64_t>(columns.size()) + 1);
    browse.cut =
        BlobCut{static_cast<int>(columns.size()), cursor.GetSchema(), cursor.GetName(), columns};
  }
  browse.sql = "select " + select + " from " + QuoteSqlName(cursor.GetName());
  if (!order_by.empty()) browse.sql += " order by " + order_by;
  if (row_limit >= 0) browse.sql += " limit " + IntToText(row_limit);
  return browse;
}

BlobStartReader::BlobStartReader(Engine& engine, const BlobCut* cut) : engine_(&engine), cut_(cut) {
  if (cut_ == nullptr) return;
  schema_ = engine.ToEngine(cut_->schema);
  table_ = engine.ToEngine(cut_->table);
  for (const std::string& column : cut_->column_names) columns_.push_back(engine.ToEngine(column));
  handles_.assign(columns_.size(), nullptr);
}

BlobStartReader::~BlobStartReader() {
  for (sqlite3_blob* handle : handles_) sqlite3_blob_close(handle);
}

bool BlobStartReader::AppendIfLeftOut(sqlite3_stmt* statement, int column, TextRows& rows) {
  if (cut_ == nullptr || column < 0 || column >= cut_->columns) return false;
  const int size_column = cut_->columns + 1 + column;
  if (sqlite3_column_type(statement, size_column) != SQLITE_INTEGER) return false;
  const sqlite3_int64 size = sqlite3_column_int64(statement, size_column);
  const sqlite3_int64 row_id = sqlite3_column_int64(statement, cut_->columns);
  std::string start;
  // Only the description lacks the first bytes then; the size is the statement's.
  if (!ReadStart(column, row_id, start)) start.clear();
  rows.AppendCutBytes(static_cast<std::uint64_t>(size), start.data(), start.size());
  return true;
}

bool BlobStartReader::ReadStart(int column, std::int64_t row_id, std::string& start) {
  sqlite3_blob*& handle = handles_[static_cast<std::size_t>(column)];
  // Moving a handle to another row costs a look-up; opening one compiles a small program.
  if (handle != nullptr && sqlite3_blob_reopen(handle, row_id) != SQLITE_OK) {
    // A handle that could not move is of no use any more.
    sqlite3_blob_close(handle);
    handle = nullptr;
  }
  if (handle == nullptr && sqlite3_blob_open(engine_->get(), schema_.c_str(), table_.c_str(),
                                             columns_[static_cast<std::size_t>(column)].c_str(),
                                             row_id, 0, &handle) != SQLITE_OK) {
    sqlite3_blob_close(handle);
    handle = nullptr;
    return false;
  }
  const int kept = std::min(sqlite3_blob_bytes(handle), static_cast<int>(kBlobStartKept));
  start.resize(static_cast<std::size_t>(kept));
  return sqlite3_blob_read(handle, start.data(), kept, 0) == SQLITE_OK;
}

}  // namespace torvane
