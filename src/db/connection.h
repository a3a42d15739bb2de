#pragma once

// ZuveviRE: the connection to one database file (or an in-memory database).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "db/engine.h"
#include "db/field_info.h"
#include "db/record_set.h"

namespace torvane {

struct BrowseStatement;
class SqliteTable;

// How long a statement waits for a lock another program holds on the file before it fails with
// "database is locked": long enough for another program's short write, short enough that a user
// waiting on a command is told soon.
constexpr int kBusyTimeoutMs = 5000;

// Owns one engine connection. Cursors and record sets opened from it share that connection; they
// keep it usable for themselves when this object is closed or re-opened, and the engine connection
// goes away when the last of them lets go. Nothing throws: failures are false, "", 0 or an empty
// list, and GetErrorText then gives the engine's message. Not copyable.
class ZuveviRE {
 public:
  // A closed connection.
  ZuveviRE();
  // Closes the connection.
  ~ZuveviRE();
  ZuveviRE(const ZuveviRE&) = delete;
  ZuveviRE& operator=(const ZuveviRE&) = delete;

  // Closes the current connection, then opens `file_name`. An empty name or ":memory:" (any letter
  // case) means an in-memory database, which only `create` may open. Without `create` the file must
  // exist and be readable; with it, the engine creates a missing file. The name is internal text
  // and reaches the file system as UTF-8. False when refused (nothing reaches the engine, and
  // GetErrorText is "") or when the engine cannot open it (GetErrorText and GetErrorCode then give
  // the engine's reason until the next Open); the object is closed then.
  [[nodiscard]] bool Open(const std::string& file_name = "", bool create = false);

  // How long statements wait for another program's lock (kBusyTimeoutMs after every open); 0 makes
  // them fail at once. Does nothing when not open.
  void SetBusyTimeout(int milliseconds);
  // What runs once when a statement begins to wait for a lock (SetBusyTimeout above 0): the caller
  // lets go of locks it holds on other connections to the same file. Until the next Open.
  void SetOnBusy(std::function<void()> on_busy);
  // What every statement that would change the file asks before it begins, and every statement
  // that begins to wait for a lock: "" lets it go on; any other text keeps it from running (it
  // fails, and GetErrorText gives that text). Until the next Open. Statements the engine calls
  // read-only (queries, and BEGIN, COMMIT and the like) do not ask, but the writes inside a
  // transaction do, and so do BEGIN IMMEDIATE and BEGIN EXCLUSIVE, which take a write lock.
  void SetWriteGate(std::function<std::string()> gate);
  // What every statement asks every few thousand steps while it runs, until the next Open or a
  // null hook: false stops it (the statement fails with "interrupted" and undoes its changes; a
  // transaction around it stays open).
  void SetKeepGoing(std::function<bool()> keep_going);
  // What runs before any statement is prepared on the connection (not again for one prepared while
  // it runs), until the next Open: the program finishes reading a result still arriving.
  void SetBeforePrepare(std::function<void()> before_prepare);
  // What runs before a statement that may write runs on the connection, until the next Open: the
  // program stops reading on other connections what the write may change.
  void SetBeforeWrite(std::function<void()> before_write);

  // Lets go of the connection; afterwards IsOpen is false whatever the result. False when
  // statements are still alive on the connection (a record set still holds one): the engine then
  // finishes the close itself once the last of them is finalized. True otherwise, also when not
  // open.
  bool Close();

  [[nodiscard]] bool IsOpen() const { return db_ != nullptr; }

  // How the open database's texts are kept (see TextMode); every open starts as kGbk. The mode
  // holds for the cursors and record sets opened on this connection too, from their next engine
  // call; a record set's rows already read keep the mode they were read in. Setting it does nothing
  // when not open.
  void SetTextMode(TextMode mode);
  [[nodiscard]] TextMode GetTextMode() const;
  // The encoding the database file keeps its texts in: "UTF-8", "UTF-16le" or "UTF-16be"; "" when
  // not open or when it cannot be read.
  [[nodiscard]] std::string GetFileEncoding();

  // Runs every statement of `sql` in order, stopping at the first error, and discards any rows.
  // False when not open, when `sql` is empty or when a statement fails.
  bool Execute(const std::string& sql);

  // The statements of `sql` (internal text), each as internal text, cut as SplitSqlStatements cuts
  // them in the text the engine is handed: a UTF-8 database's connection cuts the converted text,
  // since the engine reads names and quotes in it byte by byte. Empty when `sql` holds no
  // statement (blanks, comments, lone ";").
  [[nodiscard]] std::vector<std::string> SplitStatements(const std::string& sql) const;

  // Rows inserted, updated or deleted on this connection since it was opened, by statements and by
  // the triggers they fired; the difference before and after a statement is what it changed. 0
  // when not open.
  [[nodiscard]] std::int64_t GetTotalChanges() const;

  // A new record set opened on this connection with `sql` (see SqliteDataset::Open); it is returned
  // also when it could not be prepared, and then holds no statement.
  [[nodiscard]] SqliteDataset Query(const std::string& sql);

  // The engine's message for the last engine call on this connection, by whatever object it was
  // made, cut to 199 bytes; "" when that call succeeded or when not open, unless the engine failed
  // to open the file (see Open).
  [[nodiscard]] std::string GetErrorText() const;
  // The engine's result code for that call; 0 when not open, unless the engine failed to open the
  // file.
  [[nodiscard]] int GetErrorCode() const;
  // That call's failure as a Status: the engine's message and result code.
  [[nodiscard]] Status LastFailure() const {
    return Status::Failure(GetErrorText(), GetErrorCode());
  }
  // Row id of the last row inserted on this connection; 0 when not open.
  [[nodiscard]] std::int64_t GetLastInsertRowId() const;

  // Run "BEGIN TRANSACTION name", "COMMIT TRANSACTION name" and "ROLLBACK TRANSACTION name";
  // without a name the statement ends in a blank. False when not open or when the engine refuses.
  bool BeginTransaction(const std::string& name = "");
  bool CommitTransaction(const std::string& name = "");
  bool RollbackTransaction(const std::string& name = "");

  // True while a transaction is open on the connection (begun and not yet committed or rolled
  // back); false when not open.
  [[nodiscard]] bool IsInTransaction() const;
  // Names of the tables and/or views in the main catalog, or in the temporary one when `temporary`,
  // in the engine's byte order of names. Empty when neither kind is asked for, when not open or
  // when the catalog cannot be read (for example when the file is not a database).
  [[nodiscard]] std::vector<std::string> GetTableNames(bool tables, bool views, bool temporary);

  // True when the main catalog has a table or view whose name matches `name` by LIKE (ASCII letter
  // case ignored, "%" and "_" match any text and any character). False when not open, when `name`
  // is empty, or when the catalog cannot be read.
  [[nodiscard]] bool TableExists(const std::string& name);

  // The stored CREATE statement of table or view `name` (exact name; the main catalog is asked
  // before the temporary one); "" when there is none or when not open.
  [[nodiscard]] std::string GetTableSql(const std::string& name);

  // Runs "CREATE TABLE name (definitions)" built from the field descriptors (CreateTableStatement);
  // names go in exactly as given. False without any SQL when not open, when `name` is empty or when
  // the single field has no name; false when the engine refuses the statement.
  bool CreateTable(const std::string& name, const SqliteFieldInfo& field);
  bool CreateTable(const std::string& name, const std::vector<SqliteFieldInfo>& fields);

  // Runs "DROP TABLE name", quoting the name when it needs it. False without SQL when not open or
  // when `name` is empty; false when the engine refuses (for example for a view).
  bool DropTable(const std::string& name);

 private:
  friend class SqliteTable;
  friend class SqliteDataset;
  friend TextMode DetectTextMode(ZuveviRE& database, std::uint64_t budget_ms);
  friend BrowseStatement MakeBrowseStatement(const SqliteTable& cursor, ZuveviRE& database,
                                             bool is_table, int row_limit);

  const EngineHandle& handle() const { return db_; }
  std::vector<std::string> CatalogQuery(bool temporary, const std::string& condition,
                                        const std::string& order_by, bool& ok);

  EngineHandle db_;
  // Why the engine could not open the file, for GetErrorText while closed.
  Engine::Error open_failure_;
};

}  // namespace torvane
