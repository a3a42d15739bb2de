#include "db/table_cursor.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
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
  current_key_.clear();
  return true;
}

bool SqliteTable::Close() {
  column_names_.clear();
  column_names_.shrink_to_fit();
  row_ids_.Clear();
  pending_.clear();
  has_pending_ = false;
  name_.clear();
  row_id_key_ = false;
  by_row_id_.reset();
  snapshot_taken_ = false;
  record_count_ = 0;
  current_ = 0;
  current_key_.clear();
  db_.reset();
  state_ = State::kClosed;
  return true;
}

bool SqliteTable::IsOpen() const { return db_ != nullptr && state_ != State::kClosed; }

int SqliteTable::GetRecordCount() const { return TakeSnapshot() ? record_count_ : 0; }

int SqliteTable::GetCurrentRecord() const {
  if (current_ == kCurrentByKey) {
    // Numbered on demand: the key's place in the snapshot.
    const std::optional<std::size_t> index =
        TakeSnapshot() ? row_ids_.Find(current_key_) : std::nullopt;
    current_ = index ? static_cast<int>(*index) + 1 : 0;
    if (!index) current_key_.clear();
  }
  return current_;
}

int SqliteTable::GetFieldCount() const {
  return IsOpen() ? static_cast<int>(column_names_.size()) : 0;
}

std::vector<std::string> SqliteTable::GetFieldNames() const {
  return IsOpen() ? column_names_ : std::vector<std::string>();
}

// Reads the column names and how the records are addressed afresh; the snapshot is taken when
// first needed. The staged values go too.
bool SqliteTable::Load() {
  column_names_.clear();
  DropSnapshot();
  pending_.clear();
  has_pending_ = false;

  const std::string table = QuoteSqlName(name_);
  {
    // Selecting no rows still names the columns, also of an empty table. A table the engine
    // cannot compile a statement on (gone, or of a module it lacks) cannot be opened.
    Statement columns;
    if (columns.Prepare(*db_, "SELECT * FROM " + table + " LIMIT 0") != SQLITE_OK || !columns) {
      return false;
    }
    const int rc = columns.Step();
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
      const int count = sqlite3_column_count(columns.get());
      for (int c = 0; c < count; ++c) {
        const char* column = sqlite3_column_name(columns.get(), c);
        column_names_.push_back(db_->FromEngine(column == nullptr ? "" : column));
      }
    }
  }
  LoadAddressing();
  if (!key_columns_.empty() && !read_only_reason_.empty()) {
    // A table the engine reads through a module of its own may have no row id to select; it is
    // still counted and shown. Compiling the statement tells, without running it.
    Statement probe;
    if (probe.Prepare(*db_, SnapshotStatement()) != SQLITE_OK || !probe) key_columns_.clear();
  }
  return true;
}

std::string SqliteTable::SnapshotStatement() const {
  const std::string keys = GetKeyOrder();
  // The trailing blank is kept on purpose: this text is the snapshot statement every earlier
  // version sent, and the statement log (and its readers) meet it byte for byte.
  return "SELECT " + keys + " FROM " + QuoteSqlName(name_) + " ORDER BY " + keys + " ";
}

void SqliteTable::DropSnapshot() const {
  row_ids_.Clear();
  record_count_ = 0;
  snapshot_taken_ = false;
}

bool SqliteTable::TakeSnapshot() const {
  if (!IsOpen()) return false;
  if (snapshot_taken_) return true;
  if (!key_columns_.empty()) {
    Statement ids;
    if (ids.Prepare(*db_, SnapshotStatement()) == SQLITE_OK && ids) {
      int rc;
      if (key_columns_.size() == 1) {
        while ((rc = ids.Step()) == SQLITE_ROW) row_ids_.AppendFrom(ids.get(), *db_);
      } else {
        while ((rc = ids.Step()) == SQLITE_ROW) row_ids_.AppendText(KeyOfRow(ids.get()));
      }
      if (rc == SQLITE_DONE) {
        row_ids_.Finish();
        record_count_ = static_cast<int>(row_ids_.size());
        snapshot_taken_ = true;
        return true;
      }
    }
    row_ids_.Clear();
    return false;
  }

  // Records without keys (a view's) are only counted.
  const std::int64_t records = CountRows();
  if (records < 0) return false;
  for (std::int64_t i = 0; i < records; ++i) row_ids_.AppendText(std::nullopt);
  row_ids_.Finish();
  record_count_ = static_cast<int>(row_ids_.size());
  snapshot_taken_ = true;
  return true;
}

bool SqliteTable::LoadAddressing() {
  schema_.clear();
  key_columns_.clear();
  read_only_reason_.clear();
  row_id_key_ = false;
  by_row_id_.reset();
  std::string type = "table";
  bool without_rowid = false;
  {
    // PRAGMA table_list: schema, name, type, ncol, wr (without row id), strict.
    Statement list;
    if (list.Prepare(*db_, "PRAGMA table_list('" + EscapeSqlText(name_) + "')") == SQLITE_OK &&
        list) {
      // A name without a schema finds a temporary table before one of the file, and one of the
      // file before one of an attached file.
      int best = 3;
      while (list.Step() == SQLITE_ROW) {
        const auto* schema = sqlite3_column_text(list.get(), 0);
        const auto* kind = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 2));
        if (schema == nullptr || kind == nullptr) continue;
        const std::string found = db_->FromEngine(schema, sqlite3_column_bytes(list.get(), 0));
        const int rank = found == "temp" ? 0 : found == "main" ? 1 : 2;
        if (rank >= best) continue;
        best = rank;
        schema_ = found;
        type = kind;
        without_rowid = sqlite3_column_int(list.get(), 4) != 0;
      }
    }
  }
  if (type == "view") return false;
  if (type == "virtual") {
    read_only_reason_ = "表 " + name_ + " 是虚拟表，其记录由它的模块管理，不能在此修改。";
  } else if (type == "shadow") {
    read_only_reason_ =
        "表 " + name_ + " 是虚拟表的内部数据表，直接修改会损坏虚拟表，不能在此修改。";
  }

  // The table's own columns as the engine describes them: name, declared type, place in the key.
  struct Column {
    std::string name;
    std::string type;
    int pk = 0;
  };
  std::vector<Column> columns;
  auto read_columns = [&] {
    // PRAGMA table_xinfo: cid, name, type, notnull, dflt_value, pk (place in the key), hidden.
    Statement info;
    const std::string schema = schema_.empty() ? "" : QuoteSqlName(schema_) + ".";
    if (info.Prepare(*db_, "PRAGMA " + schema + "table_xinfo('" + EscapeSqlText(name_) + "')") !=
            SQLITE_OK ||
        !info) {
      return;
    }
    while (info.Step() == SQLITE_ROW) {
      const int pk = sqlite3_column_int(info.get(), 5);
      if (pk <= 0) continue;
      const auto* column = sqlite3_column_text(info.get(), 1);
      const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2));
      columns.push_back(Column{db_->FromEngine(column, sqlite3_column_bytes(info.get(), 1)),
                               declared == nullptr ? "" : declared, pk});
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Column& a, const Column& b) { return a.pk < b.pk; });
  };

  if (without_rowid) {
    read_columns();
    for (const Column& column : columns) key_columns_.push_back(QuoteSqlName(column.name));
    return !key_columns_.empty();
  }
  // A column of the table's own may carry a name of the row id and hide it: one edit "by row id"
  // would then reach every record with that column's value.
  for (const char* row_id : {"_ROWID_", "rowid", "oid"}) {
    bool hidden = false;
    for (const std::string& column : column_names_)
      hidden = hidden || EqualsIgnoreCase(column, row_id);
    if (!hidden) {
      key_columns_.push_back(row_id);
      row_id_key_ = type != "virtual";
      return true;
    }
  }
  read_columns();
  if (columns.size() == 1 && EqualsIgnoreCase(columns[0].type, "INTEGER")) {
    // The INTEGER PRIMARY KEY is the row id under a name of its own.
    key_columns_.push_back(QuoteSqlName(columns[0].name));
    row_id_key_ = type != "virtual";
    return true;
  }
  if (read_only_reason_.empty()) {
    read_only_reason_ = "表 " + name_ +
                        " 的字段占用了行号的全部名称（_ROWID_、rowid、oid），又没有整数主键，"
                        "无法确定单条记录，只能浏览，不能在此修改。";
  }
  return false;
}

bool SqliteTable::CanReadByRowId() const {
  if (!IsOpen() || !row_id_key_ || schema_.empty()) return false;
  if (!by_row_id_) {
    // The engine's handle finds a field by its place among the stored ones, which a computed
    // column that is not stored shifts; so no computed column at all. PRAGMA table_xinfo: cid,
    // name, type, notnull, dflt_value, pk, hidden (2 and 3 for computed columns).
    bool plain = false;
    Statement info;
    if (info.Prepare(*db_, "PRAGMA " + QuoteSqlName(schema_) + ".table_xinfo('" +
                               EscapeSqlText(name_) + "')") == SQLITE_OK &&
        info) {
      plain = true;
      int rc;
      while ((rc = info.Step()) == SQLITE_ROW) {
        if (sqlite3_column_int(info.get(), 6) >= 2) plain = false;
      }
      plain = plain && rc == SQLITE_DONE;
    }
    by_row_id_ = plain;
  }
  return *by_row_id_;
}

std::string SqliteTable::GetReadOnlyReason() const { return IsOpen() ? read_only_reason_ : ""; }

std::string SqliteTable::GetKeyOrder() const {
  if (!IsOpen()) return "";
  std::string order;
  for (const std::string& column : key_columns_) order += (order.empty() ? "" : ", ") + column;
  return order;
}

std::optional<std::string> SqliteTable::KeyOfRow(sqlite3_stmt* statement) const {
  if (key_columns_.size() == 1) return SqlLiteral(statement, 0, *db_);
  // A key of several columns is kept as the condition that selects its record.
  std::string condition;
  for (std::size_t c = 0; c < key_columns_.size(); ++c) {
    const std::optional<std::string> value = SqlLiteral(statement, static_cast<int>(c), *db_);
    if (!value) return std::nullopt;
    condition += (c == 0 ? "" : " AND ") + key_columns_[c] + " = " + *value;
  }
  return condition;
}

bool SqliteTable::KeyMayChange(int column) const {
  const std::string name = QuoteSqlName(column_names_[column]);
  for (const std::string& key : key_columns_) {
    if (EqualsIgnoreCase(key, name)) return true;
  }
  if (key_columns_.size() != 1 || key_columns_[0] != "_ROWID_") return false;
  // A key named as the row id changes when its INTEGER PRIMARY KEY, the row id's other name, is
  // written. The engine's description of the columns says which one that is, without a statement.
  const std::string table = db_->ToEngine(name_);
  const std::string schema = db_->ToEngine(schema_);
  int primary_keys = 0;
  bool integer_key = false;
  for (std::size_t c = 0; c < column_names_.size(); ++c) {
    const char* type = nullptr;
    int primary = 0;
    if (sqlite3_table_column_metadata(db_->get(), schema.empty() ? nullptr : schema.c_str(),
                                      table.c_str(), db_->ToEngine(column_names_[c]).c_str(), &type,
                                      nullptr, nullptr, &primary, nullptr) != SQLITE_OK) {
      return true;  // unknown: ask the engine for the key after the write
    }
    if (!primary) continue;
    ++primary_keys;
    if (static_cast<int>(c) == column)
      integer_key = type != nullptr && EqualsIgnoreCase(type, "INTEGER");
  }
  return primary_keys == 1 && integer_key;
}

bool SqliteTable::WriteOneRecord(Statement& statement, const std::string& key,
                                 std::string* returning) {
  // A transaction of its own, or a savepoint inside the user's. Undone by a ROLLBACK when it is
  // its own, which leaves the file byte for byte as it was.
  const bool nested = sqlite3_get_autocommit(db_->get()) == 0;
  if (!ExecuteSql(*db_, nested ? "SAVEPOINT torvane_one_record" : "BEGIN")) return false;
  int rc;
  bool returned = false;
  while ((rc = statement.Step()) == SQLITE_ROW) {
    if (returning != nullptr && !returned) {
      *returning = KeyOfRow(statement.get()).value_or("");
      returned = true;
    }
  }
  const int changed = rc == SQLITE_DONE ? sqlite3_changes(db_->get()) : -1;
  Engine::Error error = db_->LastError();
  statement.Finalize();
  if (rc == SQLITE_DONE && changed == 1) {
    if (ExecuteSql(*db_, nested ? "RELEASE torvane_one_record" : "COMMIT")) return true;
    // The commit can fail (a full disk, another program's lock): nothing of the write may stay
    // pending then.
    error = db_->LastError();
  }
  // An error that ended the transaction already leaves nothing to undo.
  if (sqlite3_get_autocommit(db_->get()) == 0) {
    (void)ExecuteSql(
        *db_, nested ? "ROLLBACK TO torvane_one_record; RELEASE torvane_one_record" : "ROLLBACK");
  }
  if (rc == SQLITE_DONE && changed == 0) {
    KeepRecordGoneError(key);
  } else if (rc == SQLITE_DONE && changed > 1) {
    db_->Use();
    db_->KeepError(Engine::Error{
        SQLITE_CONSTRAINT, "此操作会改动 " + IntToText(changed) + " 条记录而不是一条（" +
                               KeyCondition(key, false) + "），已撤销，数据库未作任何修改。"});
  } else {
    db_->Use();
    db_->KeepError(std::move(error));
  }
  return false;
}

std::string SqliteTable::KeyCondition(const std::string& key, bool compact) const {
  if (key_columns_.size() != 1) return key;
  return key_columns_[0] + (compact ? "=" : " = ") + key;
}

bool SqliteTable::RefuseReadOnly() {
  db_->Use();
  db_->KeepError(Engine::Error{SQLITE_READONLY, read_only_reason_});
  return false;
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
  if (!IsOpen()) return false;
  if (current_ == kCurrentByKey) return true;
  return current_ >= 1 && TakeSnapshot() && current_ <= record_count_;
}

std::string SqliteTable::CurrentRowIdText() const {
  if (current_ == kCurrentByKey) return IsOpen() ? current_key_ : "";
  if (!HasCurrentRecord()) return "";
  return row_ids_.SqlText(static_cast<std::size_t>(current_ - 1)).value_or("");
}

void SqliteTable::ClearPending() {
  pending_.assign(column_names_.size(), PendingValue());
  has_pending_ = true;
}

bool SqliteTable::GoTo(int record) {
  if (!IsOpen()) return false;
  current_key_.clear();
  if (record <= 0) {
    current_ = 0;
    return false;
  }
  if (!TakeSnapshot() || record > record_count_) {
    current_ = record_count_ + 1;
    return false;
  }
  current_ = record;
  return true;
}

std::string SqliteTable::GetRecordKey(int record) const {
  if (!IsOpen() || record < 1 || !TakeSnapshot() || record > record_count_) return "";
  return row_ids_.SqlText(static_cast<std::size_t>(record - 1)).value_or("");
}

int SqliteTable::GoToKey(const std::string& key) {
  if (!IsOpen()) return 0;
  current_key_.clear();
  const std::optional<std::size_t> index =
      TakeSnapshot() ? row_ids_.Find(key) : std::optional<std::size_t>();
  if (!index) {
    current_ = 0;
    KeepRecordGoneError(key);
    return 0;
  }
  current_ = static_cast<int>(*index) + 1;
  return current_;
}

std::vector<std::string> SqliteTable::ReadFirstKeys(int limit) const {
  std::vector<std::string> keys;
  if (!IsOpen() || key_columns_.empty()) return keys;
  Statement ids;
  const std::string sql =
      limit < 0 ? SnapshotStatement() : SnapshotStatement() + "LIMIT " + std::to_string(limit);
  if (ids.Prepare(*db_, sql) != SQLITE_OK || !ids) return keys;
  int rc;
  while ((rc = ids.Step()) == SQLITE_ROW) keys.push_back(KeyOfRow(ids.get()).value_or(""));
  if (rc != SQLITE_DONE) keys.clear();
  return keys;
}

std::int64_t SqliteTable::CountRows() const {
  if (!IsOpen()) return -1;
  Statement count;
  if (count.Prepare(*db_, "SELECT count(*) FROM " + QuoteSqlName(name_)) != SQLITE_OK || !count ||
      count.Step() != SQLITE_ROW) {
    return -1;
  }
  return sqlite3_column_int64(count.get(), 0);
}

std::string SqliteTable::SideFile() const {
  if (!IsOpen()) return "";
  const std::string schema = db_->ToEngine(schema_.empty() ? "main" : schema_);
  sqlite3* db = db_->get();
  // The file's name is "" for a temporary table's and an in-memory database.
  const char* file = sqlite3_db_filename(db, schema.c_str());
  if (file == nullptr || *file == '\0') return "";
  if (sqlite3_txn_state(db, schema.c_str()) == SQLITE_TXN_WRITE) return "";
  return file;
}

std::unique_ptr<SideCount> SqliteTable::CountRowsAside(SideCount::Done done) const {
  const std::string file = SideFile();
  if (file.empty()) return nullptr;
  // The other connection opens the table's own file, where it is in "main".
  return std::make_unique<SideCount>(
      file, db_->ToEngine("SELECT count(*) FROM " + QuoteSqlName(name_)), std::move(done));
}

std::unique_ptr<SideRead> SqliteTable::ReadFieldAside(const FieldRef& field,
                                                      SideRead::Done done) const {
  const int column = ResolveField(field);
  if (column < 0 || !CanReadByRowId()) return nullptr;
  const std::optional<std::int64_t> row_id = CurrentRowId();
  const std::string file = SideFile();
  if (!row_id || file.empty()) return nullptr;
  return std::make_unique<SideRead>(file, db_->ToEngine(name_),
                                    db_->ToEngine(column_names_[static_cast<std::size_t>(column)]),
                                    *row_id, std::move(done));
}

bool SqliteTable::SeekKey(const std::string& key) {
  if (!IsOpen()) return false;
  if (snapshot_taken_) return GoToKey(key) > 0;
  current_ = 0;
  current_key_.clear();
  if (key.empty() || key_columns_.empty()) return false;
  // One look-up by the key, which the table's own order makes cheap; the snapshot is not taken.
  Statement found;
  if (found.Prepare(*db_, "SELECT 1 FROM " + QuoteSqlName(name_) + " WHERE " +
                              KeyCondition(key, false)) != SQLITE_OK ||
      !found) {
    return false;
  }
  const int rc = found.Step();
  if (rc == SQLITE_DONE) {
    found.Finalize();
    KeepRecordGoneError(key);
  }
  if (rc != SQLITE_ROW) return false;
  current_ = kCurrentByKey;
  current_key_ = key;
  return true;
}

void SqliteTable::KeepRecordGoneError(const std::string& key) {
  db_->Use();
  db_->KeepError(
      Engine::Error{SQLITE_NOTFOUND, "记录已不存在（" + KeyCondition(key, false) + "）"});
}

template <typename Store>
bool SqliteTable::Read(const FieldRef& field, Store store) {
  const int column = ResolveField(field);
  if (column < 0) return false;
  const std::string row_id = CurrentRowIdText();
  if (row_id.empty()) return false;
  Statement statement;
  const std::string sql = "SELECT " + QuoteSqlName(column_names_[column]) + " FROM " +
                          QuoteSqlName(name_) + " WHERE " + KeyCondition(row_id, false) + " ";
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

std::optional<std::int64_t> SqliteTable::CurrentRowId() const {
  const std::string key = CurrentRowIdText();
  std::int64_t row_id = 0;
  const char* end = key.data() + key.size();
  const auto [stop, error] = std::from_chars(key.data(), end, row_id);
  if (key.empty() || error != std::errc() || stop != end) return std::nullopt;
  return row_id;
}

bool SqliteTable::ReadStored(int column, std::size_t most, Bytes& value, std::uint64_t& size) {
  if (column < 0 || !CanReadByRowId()) return false;
  const std::optional<std::int64_t> row_id = CurrentRowId();
  if (!row_id) return false;
  sqlite3_blob* blob = nullptr;
  if (sqlite3_blob_open(db_->Use(), db_->ToEngine(schema_).c_str(), db_->ToEngine(name_).c_str(),
                        db_->ToEngine(column_names_[static_cast<std::size_t>(column)]).c_str(),
                        *row_id, 0, &blob) != SQLITE_OK) {
    // NULL, a number, a record gone: the statement reads it, and says why it cannot.
    sqlite3_blob_close(blob);
    return false;
  }
  const int whole = sqlite3_blob_bytes(blob);
  const int read = static_cast<int>(std::min(most, static_cast<std::size_t>(whole)));
  value.resize(static_cast<std::size_t>(read));
  const int rc = read == 0 ? SQLITE_OK : sqlite3_blob_read(blob, value.data(), read, 0);
  sqlite3_blob_close(blob);
  size = static_cast<std::uint64_t>(whole);
  return rc == SQLITE_OK;
}

bool SqliteTable::ReadFieldStart(const FieldRef& field, std::size_t bytes, Bytes& start,
                                 std::uint64_t& size) {
  Bytes read;
  std::uint64_t whole = 0;
  if (!ReadStored(ResolveField(field), bytes, read, whole)) return false;
  start = std::move(read);
  size = whole;
  return true;
}

bool SqliteTable::ReadField(const FieldRef& field, Bytes& value) {
  // Straight from the table into a buffer of the value's size where it can; a failure there
  // leaves the statement to read it (and to say why it cannot).
  Bytes stored;
  std::uint64_t size = 0;
  if (ReadStored(ResolveField(field), SIZE_MAX, stored, size)) {
    value = std::move(stored);
    return true;
  }
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
  std::string key;
  bool key_may_change = false;
  if (state_ == State::kEdit) {
    if (!read_only_reason_.empty()) return RefuseReadOnly();
    key = CurrentRowIdText();
    if (key.empty()) return false;
    sql = "UPDATE " + QuoteSqlName(name_) + " SET " + assignments + " WHERE " +
          KeyCondition(key, true);
    for (std::size_t c = 0; c < column_names_.size() && !key_may_change; ++c) {
      key_may_change =
          !std::holds_alternative<std::monostate>(pending_[c]) && KeyMayChange(static_cast<int>(c));
    }
    // The record's new key, so that it can still be found after the write.
    if (key_may_change) sql += " RETURNING " + GetKeyOrder();
  } else {
    if (!read_only_reason_.empty()) return RefuseReadOnly();
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
  if (state_ == State::kEdit) {
    std::string new_key;
    if (!WriteOneRecord(statement, key, key_may_change ? &new_key : nullptr)) return false;
    written_key_ = key_may_change ? new_key : key;
  } else {
    if (statement.Step() != SQLITE_DONE) return false;
    statement.Finalize();
    written_key_.clear();
  }
  state_ = State::kBrowse;
  // The write changed what the snapshot would hold: it is taken again when next needed. The
  // record written stays current, by its key; after an insert the current record number stays.
  EndWrite();
  if (!written_key_.empty()) {
    current_ = kCurrentByKey;
    current_key_ = written_key_;
  } else if (current_ != kCurrentByKey) {
    current_key_.clear();
  }
  return true;
}

void SqliteTable::EndWrite() {
  DropSnapshot();
  pending_.clear();
  has_pending_ = false;
}

bool SqliteTable::Delete() {
  if (HasCurrentRecord() && !read_only_reason_.empty()) {
    current_ = 0;
    current_key_.clear();
    return RefuseReadOnly();
  }
  const std::string key = CurrentRowIdText();
  if (key.empty()) return false;
  Statement statement;
  const bool deleted = statement.Prepare(*db_, "DELETE FROM " + QuoteSqlName(name_) + " WHERE " +
                                                   KeyCondition(key, false)) == SQLITE_OK &&
                       statement && WriteOneRecord(statement, key, nullptr);
  EndWrite();
  current_ = 0;
  current_key_.clear();
  return deleted;
}

}  // namespace torvane
