#include "db/table_cursor.h"

#include <utility>

#include <sqlite3.h>

#include "base/text.h"
#include "db/connection.h"
#include "db/sql_name.h"

namespace torvane {

SqliteTable::SqliteTable() = default;

SqliteTable::~SqliteTable() { Close(); }

bool SqliteTable::Open(const std::string& name, ZuveviRE& database) {
  if (name.empty() || !database.IsOpen()) return false;
  Close();
  name_ = name;
  db_ = database.handle();
  state_ = State::kBrowse;
  if (!Load()) {
    Close();
    return false;
  }
  ClearPending();
  current_ = 0;
  return true;
}

bool SqliteTable::Close() {
  column_names_.clear();
  column_names_.shrink_to_fit();
  row_ids_.Clear();
  pending_.clear();
  has_pending_ = false;
  name_.clear();
  record_count_ = 0;
  current_ = 0;
  db_.reset();
  state_ = State::kClosed;
  return true;
}

bool SqliteTable::IsOpen() const { return db_ != nullptr && state_ != State::kClosed; }

int SqliteTable::GetRecordCount() const { return IsOpen() ? record_count_ : 0; }

int SqliteTable::GetFieldCount() const {
  return IsOpen() ? static_cast<int>(column_names_.size()) : 0;
}

std::vector<std::string> SqliteTable::GetFieldNames() const {
  return IsOpen() ? column_names_ : std::vector<std::string>();
}

// Reads the column names and the row ids afresh. The staged values go too.
bool SqliteTable::Load() {
  column_names_.clear();
  row_ids_.Clear();
  pending_.clear();
  has_pending_ = false;

  const std::string table = QuoteSqlName(name_);
  {
    // Selecting no rows still names the columns, also of an empty table.
    Statement columns;
    if (columns.Prepare(*db_, "SELECT * FROM " + table + " LIMIT 0") == SQLITE_OK && columns) {
      const int rc = columns.Step();
      if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        const int count = sqlite3_column_count(columns.get());
        for (int c = 0; c < count; ++c) {
          const char* column = sqlite3_column_name(columns.get(), c);
          column_names_.push_back(db_->FromEngine(column == nullptr ? "" : column));
        }
      }
    }
  }

  Statement ids;
  if (ids.Prepare(*db_, "SELECT _ROWID_ FROM " + table + " ORDER BY _ROWID_ ") != SQLITE_OK ||
      !ids) {
    return false;
  }
  int rc;
  while ((rc = ids.Step()) == SQLITE_ROW) row_ids_.AppendFrom(ids.get(), *db_);
  if (rc != SQLITE_DONE) {
    row_ids_.Clear();
    return false;
  }
  row_ids_.Finish();
  record_count_ = static_cast<int>(row_ids_.size());
  return true;
}

int SqliteTable::ResolveField(const FieldRef& field) const {
  const int count = static_cast<int>(column_names_.size());
  if (field.by_name_) {
    if (field.name_.empty()) return -1;
    for (int c = 0; c < count; ++c) {
      if (EqualsIgnoreCase(column_names_[c], field.name_)) return c;
    }
    return -1;
  }
  if (field.number_ < 1 || field.number_ > count) return -1;
  return static_cast<int>(field.number_ - 1);
}

bool SqliteTable::HasCurrentRecord() const {
  return IsOpen() && current_ >= 1 && current_ <= record_count_;
}

std::string SqliteTable::CurrentRowIdText() const {
  if (!HasCurrentRecord()) return "";
  return row_ids_.SqlText(static_cast<std::size_t>(current_ - 1)).value_or("");
}

void SqliteTable::ClearPending() {
  pending_.assign(column_names_.size(), PendingValue());
  has_pending_ = true;
}

bool SqliteTable::GoTo(int record) {
  if (!IsOpen()) return false;
  if (record <= 0) {
    current_ = 0;
    return false;
  }
  if (record > record_count_) {
    current_ = record_count_ + 1;
    return false;
  }
  current_ = record;
  return true;
}

std::string SqliteTable::GetRecordKey(int record) const {
  if (!IsOpen() || record < 1 || record > record_count_) return "";
  return row_ids_.SqlText(static_cast<std::size_t>(record - 1)).value_or("");
}

int SqliteTable::GoToKey(const std::string& key) {
  if (!IsOpen()) return 0;
  const std::optional<std::size_t> index = row_ids_.Find(key);
  if (!index) {
    current_ = 0;
    KeepRecordGoneError(key);
    return 0;
  }
  current_ = static_cast<int>(*index) + 1;
  return current_;
}

void SqliteTable::KeepRecordGoneError(const std::string& row_id) {
  db_->Use();
  db_->KeepError(Engine::Error{SQLITE_NOTFOUND, "记录已不存在（_ROWID_ = " + row_id + "）"});
}

template <typename Store>
bool SqliteTable::Read(const FieldRef& field, Store store) {
  const int column = ResolveField(field);
  if (column < 0) return false;
  const std::string row_id = CurrentRowIdText();
  if (row_id.empty()) return false;
  Statement statement;
  const std::string sql = "SELECT " + QuoteSqlName(column_names_[column]) + " FROM " +
                          QuoteSqlName(name_) + " WHERE _ROWID_ = " + row_id + " ";
  if (statement.Prepare(*db_, sql) != SQLITE_OK || !statement) return false;
  const int rc = statement.Step();
  if (rc == SQLITE_DONE) {
    statement.Finalize();
    KeepRecordGoneError(row_id);
  }
  if (rc != SQLITE_ROW) return false;
  store(statement.get());
  return true;
}

bool SqliteTable::ReadField(const FieldRef& field, std::string& value) {
  return Read(field, [this, &value](sqlite3_stmt* s) {
    const auto* text = sqlite3_column_text(s, 0);
    value = db_->FromEngine(text, sqlite3_column_bytes(s, 0));
  });
}

bool SqliteTable::ReadField(const FieldRef& field, Bytes& value) {
  return Read(field, [&value](sqlite3_stmt* s) {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, 0));
    const int size = sqlite3_column_bytes(s, 0);
    if (data == nullptr) {
      value.clear();
    } else {
      value.assign(data, data + size);
    }
  });
}

bool SqliteTable::ReadField(const FieldRef& field, bool& value) {
  return Read(field, [&value](sqlite3_stmt* s) { value = sqlite3_column_int(s, 0) != 0; });
}

bool SqliteTable::ReadField(const FieldRef& field, std::int32_t& value) {
  return Read(field, [&value](sqlite3_stmt* s) { value = sqlite3_column_int(s, 0); });
}

bool SqliteTable::ReadField(const FieldRef& field, std::int64_t& value) {
  return Read(field, [&value](sqlite3_stmt* s) { value = sqlite3_column_int64(s, 0); });
}

bool SqliteTable::ReadField(const FieldRef& field, float& value) {
  return Read(field, [&value](sqlite3_stmt* s) {
    value = static_cast<float>(sqlite3_column_double(s, 0));
  });
}

bool SqliteTable::ReadField(const FieldRef& field, double& value) {
  return Read(field, [&value](sqlite3_stmt* s) { value = sqlite3_column_double(s, 0); });
}

bool SqliteTable::Stage(const FieldRef& field, PendingValue value) {
  const int column = ResolveField(field);
  if (column < 0 || !IsOpen() || !has_pending_) return false;
  pending_[column] = std::move(value);
  return true;
}

bool SqliteTable::SetField(const FieldRef& field, std::string value) {
  return Stage(field, std::move(value));
}
bool SqliteTable::SetField(const FieldRef& field, std::string_view value) {
  return Stage(field, std::string(value));
}
bool SqliteTable::SetField(const FieldRef& field, const char* value) {
  return Stage(field, std::string(value == nullptr ? "" : value));
}
bool SqliteTable::SetField(const FieldRef& field, Bytes value) {
  return Stage(field, std::move(value));
}
bool SqliteTable::SetField(const FieldRef& field, bool value) {
  return Stage(field, std::int32_t{value ? 1 : 0});
}
bool SqliteTable::SetField(const FieldRef& field, std::int32_t value) {
  return Stage(field, value);
}
bool SqliteTable::SetField(const FieldRef& field, std::int64_t value) {
  return Stage(field, value);
}
bool SqliteTable::SetField(const FieldRef& field, float value) {
  return Stage(field, static_cast<double>(value));
}
bool SqliteTable::SetField(const FieldRef& field, double value) { return Stage(field, value); }

bool SqliteTable::Edit() {
  if (!HasCurrentRecord()) return false;
  ClearPending();
  state_ = State::kEdit;
  return true;
}

bool SqliteTable::AddNew() {
  if (!IsOpen()) return false;
  ClearPending();
  state_ = State::kAdd;
  return true;
}

bool SqliteTable::Cancel() {
  if (!IsOpen()) return false;
  ClearPending();
  state_ = State::kBrowse;
  return true;
}

bool SqliteTable::Update() {
  if (!IsOpen() || (state_ != State::kEdit && state_ != State::kAdd) || column_names_.empty() ||
      !has_pending_) {
    return false;
  }
  std::string assignments, columns, placeholders;
  for (std::size_t c = 0; c < column_names_.size(); ++c) {
    if (std::holds_alternative<std::monostate>(pending_[c])) continue;
    if (!columns.empty()) {
      assignments += ',';
      columns += ',';
      placeholders += ',';
    }
    const std::string column = QuoteSqlName(column_names_[c]);
    assignments += column + "=?";
    columns += column;
    placeholders += '?';
  }
  if (columns.empty()) return false;

  std::string sql;
  if (state_ == State::kEdit) {
    const std::string row_id = CurrentRowIdText();
    if (row_id.empty()) return false;
    sql = "UPDATE " + QuoteSqlName(name_) + " SET " + assignments + " WHERE _ROWID_=" + row_id;
  } else {
    sql = "INSERT INTO " + QuoteSqlName(name_) + "(" + columns + ") VALUES(" + placeholders + ")";
  }

  Statement statement;
  if (statement.Prepare(*db_, sql) != SQLITE_OK || !statement) return false;
  sqlite3_stmt* s = statement.get();
  int parameter = 0;
  for (const PendingValue& value : pending_) {
    if (std::holds_alternative<std::monostate>(value)) continue;
    ++parameter;
    if (const auto* v = std::get_if<std::int32_t>(&value)) {
      sqlite3_bind_int(s, parameter, *v);
    } else if (const auto* v = std::get_if<std::int64_t>(&value)) {
      sqlite3_bind_int64(s, parameter, *v);
    } else if (const auto* v = std::get_if<double>(&value)) {
      sqlite3_bind_double(s, parameter, *v);
    } else if (const auto* v = std::get_if<std::string>(&value)) {
      // A zero-length text is still text, never NULL: give the engine a valid pointer.
      const std::string text = db_->ToEngine(*v);
      sqlite3_bind_text64(s, parameter, text.empty() ? "" : text.data(), text.size(),
                          SQLITE_TRANSIENT, SQLITE_UTF8);
    } else if (const auto* v = std::get_if<Bytes>(&value)) {
      // Zero-length bytes are bound as an empty blob, not NULL.
      if (v->empty()) {
        sqlite3_bind_zeroblob(s, parameter, 0);
      } else {
        sqlite3_bind_blob64(s, parameter, v->data(), v->size(), SQLITE_TRANSIENT);
      }
    }
  }
  if (statement.Step() != SQLITE_DONE) return false;
  statement.Finalize();
  if (state_ == State::kEdit && sqlite3_changes(db_->get()) == 0) {
    // The row id matched nothing: the record went away since the snapshot was taken.
    KeepRecordGoneError(CurrentRowIdText());
    return false;
  }
  state_ = State::kBrowse;
  // The write happened; a failed reload only means the snapshot is gone until the next Open.
  (void)Load();
  return true;
}

bool SqliteTable::Delete() {
  const std::string row_id = CurrentRowIdText();
  if (row_id.empty()) return false;
  bool deleted =
      ExecuteSql(*db_, "DELETE FROM " + QuoteSqlName(name_) + " WHERE _ROWID_ = " + row_id);
  if (deleted && sqlite3_changes(db_->get()) == 0) {
    deleted = false;
    KeepRecordGoneError(row_id);
  }
  // The reload runs statements of its own; the caller must still see why the delete failed.
  Engine::Error error = db_->LastError();
  (void)Load();
  if (!deleted) db_->KeepError(std::move(error));
  current_ = 0;
  return deleted;
}

}  // namespace torvane
