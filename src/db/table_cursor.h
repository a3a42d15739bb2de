#pragma once

// SqliteTable: addresses the records of one table by position in key order (the row id, or the
// primary key of a table without one) and reads and writes single fields.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/bytes.h"
#include "db/engine.h"
#include "db/row_ids.h"
#include "db/side_count.h"
#include "db/side_read.h"

struct sqlite3_stmt;

namespace torvane {

class ZuveviRE;

// A number that can select a column: any arithmetic type but bool and char.
template <typename T>
concept FieldNumber = std::is_arithmetic_v<T> && !std::same_as<T, bool> && !std::same_as<T, char>;

// A 64-bit integer type other than std::int64_t (long long where std::int64_t is long).
template <typename T>
concept OtherInt64 = std::signed_integral<T> && sizeof(T) == 8 && !std::same_as<T, std::int64_t>;

// Selects a column of the cursor: a 1-based number (a floating-point number has its fraction cut
// off) or a name, matched without regard to ASCII letter case. Made implicitly from either, so a
// call reads `cursor.ReadField(2, value)` or `cursor.ReadField("price", value)`.
class FieldRef {
 public:
  template <FieldNumber Number>
  FieldRef(Number number) : number_(ToNumber(number)) {}
  FieldRef(const char* name) : by_name_(true), name_(name == nullptr ? "" : name) {}
  FieldRef(std::string_view name) : by_name_(true), name_(name) {}
  FieldRef(const std::string& name) : by_name_(true), name_(name) {}

 private:
  friend class SqliteTable;

  template <typename Number>
  static std::int64_t ToNumber(Number number) {
    if constexpr (std::is_floating_point_v<Number>) {
      // Cut toward zero; NaN and numbers beyond any column number select nothing.
      if (!(number > -1e9 && number < 1e9)) return 0;
      return static_cast<std::int64_t>(number);
    } else if constexpr (std::is_unsigned_v<Number>) {
      return number > static_cast<std::uint64_t>(INT64_MAX) ? 0 : static_cast<std::int64_t>(number);
    } else {
      return static_cast<std::int64_t>(number);
    }
  }

  bool by_name_ = false;
  std::int64_t number_ = 0;
  std::string name_;
};

// A cursor on one table. Open reads the column names and how the records are addressed; the
// snapshot of the keys of all rows is taken when a record number first needs it (a count, a record
// by its number), and taken again after each write. Record n (from 1) is the row with the n-th
// smallest key at that moment. A record can also be made current by its key alone (SeekKey),
// which costs one look-up whatever the table's size. A record's key is its row
// id, under a name of the row id that no column of the table hides ("_ROWID_", "rowid" or "oid"),
// or the INTEGER PRIMARY KEY that is the row id when a column hides every name; in a table
// without a row id it is the values of its primary-key columns. Every read and write goes to the
// database by key, and a write that would change any other number of records than one is undone;
// only staged values are kept. A view's records have no keys: they are counted, not addressed. The
// cursor shares the engine connection of the ZuveviRE it was opened with and keeps using it
// whatever happens to that object afterwards, until the cursor itself is closed or re-opened.
// Failures are false, 0 or empty; the engine's message is the connection's GetErrorText. Not
// copyable.
class SqliteTable {
 public:
  SqliteTable();
  ~SqliteTable();
  SqliteTable(const SqliteTable&) = delete;
  SqliteTable& operator=(const SqliteTable&) = delete;

  // Opens the cursor on table `name` of `database`: its column names and how its records are
  // addressed; no row is read. False, with the cursor untouched, when `name` is empty or `database`
  // is not open; false, with the cursor closed, when the engine cannot compile a statement on the
  // table. `name` is the raw name as the catalog holds it.
  bool Open(const std::string& name, ZuveviRE& database);
  // Lets go of the snapshot, the staged values and the connection. Always true.
  bool Close();

  [[nodiscard]] bool IsOpen() const;
  // The table name; "" when closed.
  [[nodiscard]] std::string GetName() const { return name_; }
  // Records in the snapshot (taking it when not yet taken); 0 when closed or when the table cannot
  // be read.
  [[nodiscard]] int GetRecordCount() const;
  // Columns of the table; 0 when closed.
  [[nodiscard]] int GetFieldCount() const;
  // The column names in column order; empty when closed.
  [[nodiscard]] std::vector<std::string> GetFieldNames() const;
  // The current record number: 0 for none, record count + 1 past the end. A record made current by
  // its key is numbered by its place in the snapshot (taking it when not yet taken); 0 when the
  // snapshot no longer holds it.
  [[nodiscard]] int GetCurrentRecord() const;

  // Why the records cannot be written through the cursor, as a sentence for the user; "" when they
  // can, and when closed. Views, virtual tables and their shadow tables, and tables in which a
  // column hides every name of the row id and no INTEGER PRIMARY KEY stands for it, are read only.
  [[nodiscard]] std::string GetReadOnlyReason() const;
  // The schema holding the table ("main", "temp", an attached file's name); "" when closed or
  // when the engine cannot say.
  [[nodiscard]] std::string GetSchema() const { return IsOpen() ? schema_ : ""; }
  // Whether the engine reads the table's values by row id without a statement (a BLOB handle), so
  // that a long BLOB can be read in part, or straight into a buffer of its size: an ordinary table
  // whose key is its row id (GetKeyOrder names it) and that has no computed (generated) column,
  // where such a handle would read another field. False for a table without row ids, a virtual
  // table, a view, and when closed. Asks the engine the first time after an Open.
  [[nodiscard]] bool CanReadByRowId() const;
  // The ORDER BY list that gives the table's rows in the order of the cursor's records: "_ROWID_"
  // for a plain table, another name of the row id or the primary-key columns (quoted where they
  // need it) otherwise; "" when closed and for a view, whose rows have no such order.
  [[nodiscard]] std::string GetKeyOrder() const;

  // Makes record `record` current. Never touches the database. False when closed (nothing changes),
  // and when `record` is out of 1..record count: 0 or less makes no record current, more than the
  // record count puts the cursor past the end.
  bool GoTo(int record);

  // The key of record `record` of the snapshot, as SQL text: a one-column key's value as a literal,
  // a key of several columns as the whole condition that selects the record. "" when closed, when
  // there is no such record, and when the record has no key (the rows of a view have none).
  [[nodiscard]] std::string GetRecordKey(int record) const;
  // Makes the record whose key is `key` current in the present snapshot, however the snapshot was
  // reloaded since the key was taken, and returns its record number. 0, with no record current and
  // the connection's error text saying the record is gone, when the snapshot holds no such record;
  // 0, changing nothing, when closed.
  int GoToKey(const std::string& key);
  // The keys, as GetRecordKey gives them, of the first `limit` records in the records' order (all
  // of them for a negative limit), read by one statement without taking the snapshot. Empty for a
  // view's records, which have no keys, when closed, and when the engine fails.
  [[nodiscard]] std::vector<std::string> ReadFirstKeys(int limit) const;
  // The number of the table's rows now, counted by the engine without taking the snapshot; -1
  // when closed or when the engine fails.
  [[nodiscard]] std::int64_t CountRows() const;
  // Starts counting the rows as CountRows does, but on a worker thread with a read-only connection
  // of its own to the table's file, so the caller need not wait; `done` gets the count, or -1, on
  // that thread. Null, with nothing started, when another connection cannot see what this one
  // sees: a temporary table, a database in memory, and a transaction of this connection that has
  // written (its rows are not committed yet). Null when closed.
  [[nodiscard]] std::unique_ptr<SideCount> CountRowsAside(SideCount::Done done) const;
  // Makes the record whose key is `key` current without taking the snapshot: one look-up by the
  // key. When the snapshot is taken already, as GoToKey. False, with no record current and the
  // connection's error text saying the record is gone, when the table holds no such record; false
  // when closed, for a record without a key (a view's) and when the engine fails.
  bool SeekKey(const std::string& key);
  // Reads one field of the current record into `value`, converted by the engine to the variable's
  // type (NULL reads as "", empty bytes, false or 0). False, with `value` unchanged, when the field
  // selects no column, there is no current record or the engine fails. Bytes are read from the
  // table by row id where it can be read so (CanReadByRowId), in one read into a buffer of their
  // size: a value of hundreds of megabytes is held once, not once by the engine and again here.
  bool ReadField(const FieldRef& field, std::string& value);
  bool ReadField(const FieldRef& field, Bytes& value);
  bool ReadField(const FieldRef& field, bool& value);
  bool ReadField(const FieldRef& field, std::int32_t& value);
  bool ReadField(const FieldRef& field, std::int64_t& value);
  bool ReadField(const FieldRef& field, float& value);
  bool ReadField(const FieldRef& field, double& value);
  // The first `bytes` bytes of a text or bytes field of the current record and the size of its
  // whole value, read by row id without the rest (CanReadByRowId). False, changing neither, when
  // the table cannot be read so, there is no current record, the value is NULL or a number, or
  // the engine fails: ReadField then reads the value whole.
  bool ReadFieldStart(const FieldRef& field, std::size_t bytes, Bytes& start, std::uint64_t& size);
  // Starts reading a text or bytes field of the current record as ReadField reads it into bytes,
  // but on a worker thread with a read-only connection of its own to the table's file, so the
  // caller need not wait; `done` gets the value, or nothing, on that thread. Null, with nothing
  // started, where another connection may not see what this one sees (as CountRowsAside says),
  // where the table cannot be read by row id (CanReadByRowId), without a current record and when
  // closed. A value the worker cannot read (NULL, a number, a record gone) gives nothing.
  [[nodiscard]] std::unique_ptr<SideRead> ReadFieldAside(const FieldRef& field,
                                                         SideRead::Done done) const;

  // Stages a value for one column, replacing what was staged for it; no SQL runs. Text stays text
  // (a string literal too) and bytes stay bytes, empty ones included; bool is staged as 1 or 0 and
  // float widened to double. False when the field selects no column, when closed, or when no
  // values can be staged (after Update or Delete, until Edit, AddNew or Cancel).
  bool SetField(const FieldRef& field, std::string value);
  bool SetField(const FieldRef& field, std::string_view value);
  bool SetField(const FieldRef& field, const char* value);
  bool SetField(const FieldRef& field, Bytes value);
  bool SetField(const FieldRef& field, bool value);
  bool SetField(const FieldRef& field, std::int32_t value);
  bool SetField(const FieldRef& field, std::int64_t value);
  bool SetField(const FieldRef& field, float value);
  bool SetField(const FieldRef& field, double value);
  // Other 64-bit integer spellings (long long where std::int64_t is long) stage as 64-bit.
  template <OtherInt64 Integer>
  bool SetField(const FieldRef& field, Integer value) {
    return SetField(field, static_cast<std::int64_t>(value));
  }

  // Starts editing the current record; clears staged values. False without a current record.
  bool Edit();
  // Starts a new record; clears staged values. False when closed.
  bool AddNew();
  // Abandons editing or adding; clears staged values. False when closed.
  bool Cancel();
  // Writes the staged values: an UPDATE of the current record when editing, an INSERT when adding.
  // On success the cursor reloads its snapshot and is back to browsing; after an edit the record
  // written is current (its key may have changed, GetWrittenKey), after an insert the current
  // record number stays. False, keeping the state and the staged values, when not editing or
  // adding, when nothing is staged, when the records are read only, when the engine refuses, or
  // when the UPDATE would change another number of records than one: none when the record no
  // longer exists (another program deleted it), more only if the table's keys were not unique; then
  // nothing is changed and the error text says why.
  bool Update();
  // The key, as GetRecordKey gives it, that the record last edited by a successful Update has
  // now; "" before any such edit and after an insert.
  [[nodiscard]] std::string GetWrittenKey() const { return written_key_; }
  // Deletes the current record. Whatever the result, the snapshot is reloaded and no record is
  // current afterwards. False without a current record, when the records are read only, when the
  // engine refuses, or when the DELETE would remove another number of records than one (nothing is
  // deleted then).
  bool Delete();

 private:
  enum class State { kClosed, kBrowse, kEdit, kAdd };
  using PendingValue =
      std::variant<std::monostate, std::int32_t, std::int64_t, double, std::string, Bytes>;

  bool Load();
  // The statement that reads every record's key in the records' order.
  std::string SnapshotStatement() const;
  // Takes the snapshot of the keys (a view's records: their count) when not yet taken; false when
  // it cannot be taken (closed, or the engine fails).
  bool TakeSnapshot() const;
  void DropSnapshot() const;
  // After a write: the snapshot and the staged values go.
  void EndWrite();
  // Reads how the table's records are addressed: its kind, its key columns, and why it is read
  // only. Fills key_columns_ and read_only_reason_; false when the table is a view.
  bool LoadAddressing();
  // The key of the statement's current row, whose columns are the key's columns in order; nothing
  // when a value is NULL.
  std::optional<std::string> KeyOfRow(sqlite3_stmt* statement) const;
  // Whether writing column `column` (0-based) may change its record's key.
  bool KeyMayChange(int column) const;
  // The condition selecting the record keyed `key`: "<column> = <key>" (without blanks around the
  // "=" when `compact`) for a one-column key, the key itself for a key of several columns.
  std::string KeyCondition(const std::string& key, bool compact) const;
  // Runs `statement`, a write of the record keyed `key`, as a transaction of its own (a savepoint
  // inside the user's) that is undone unless exactly one record changed. `returning` collects the
  // key that a RETURNING clause gives, when there is one. The engine's message, or the program's,
  // stays readable afterwards.
  bool WriteOneRecord(Statement& statement, const std::string& key, std::string* returning);
  // 0-based column of `field`, or -1.
  int ResolveField(const FieldRef& field) const;
  bool HasCurrentRecord() const;
  // SQL text of the current record's row id, "" when unknown.
  std::string CurrentRowIdText() const;
  void ClearPending();
  // Makes the connection's error text say that the record keyed `key` is gone.
  void KeepRecordGoneError(const std::string& key);
  // Makes the connection's error text say that the records are read only, and why.
  bool RefuseReadOnly();
  bool Stage(const FieldRef& field, PendingValue value);
  template <typename Store>
  bool Read(const FieldRef& field, Store store);
  // Reads at most the first `most` bytes of column `column` (0-based, -1 for none) of the current
  // record as stored, by row id, into `value`, and the whole value's size into `size`. False, with
  // `value` unspecified, when the table cannot be read so (CanReadByRowId), the value is neither
  // text nor bytes, or the engine fails.
  bool ReadStored(int column, std::size_t most, Bytes& value, std::uint64_t& size);
  // The row id of the current record when it is a plain row id; nothing otherwise.
  std::optional<std::int64_t> CurrentRowId() const;
  // The engine's name of the file holding the table, when a connection of a worker thread opening
  // it sees what this connection sees; "" for a temporary table, a database in memory, and while
  // a transaction of this connection has written to that file (its changes are not committed).
  std::string SideFile() const;

  State state_ = State::kClosed;
  EngineHandle db_;
  std::string name_;
  // The current record: 0 none, a record number, record count + 1 past the end, or kCurrentByKey
  // for the record keyed current_key_ (numbered when asked). Mutable: numbering takes the snapshot.
  static constexpr int kCurrentByKey = -1;
  mutable int current_ = 0;
  mutable std::string current_key_;
  // The snapshot; taken when first needed (mutable: reading the count takes it).
  mutable bool snapshot_taken_ = false;
  mutable int record_count_ = 0;
  std::vector<std::string> column_names_;
  // The schema holding the table ("main", "temp"); "" when the engine cannot say.
  std::string schema_;
  // The key's columns as SQL ("_ROWID_", or quoted column names); empty for a view, whose records
  // are only counted.
  std::vector<std::string> key_columns_;
  std::string read_only_reason_;
  // Whether the key is the row id of an ordinary table; whether that table can be read by row id
  // (CanReadByRowId), once asked.
  bool row_id_key_ = false;
  mutable std::optional<bool> by_row_id_;
  std::string written_key_;
  mutable RowIdList row_ids_;
  bool has_pending_ = false;
  std::vector<PendingValue> pending_;
};

}  // namespace torvane
