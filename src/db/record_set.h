#pragma once

// SqliteDataset: runs one statement that returns rows and hands all of them out as a table of
// texts.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cell_texts.h"
#include "db/engine.h"

namespace torvane {

struct BlobCut;
class BlobStartReader;
class CellTexts;
class TextRows;
class ZuveviRE;

// The rows of a record set as texts, optionally headed by the column names. Cheap to copy: copies
// share the same rows, which stay alive as long as any table or the record set refers to them.
class TextTable {
 public:
  // The empty table: no rows, no columns.
  TextTable() = default;

  // Rows, the header row included when the table has one.
  int rows() const;
  int columns() const;
  bool empty() const { return rows() == 0; }
  // The text of a cell as internal text; SQL NULL and cells outside the table read as "".
  std::string at(int row, int column) const;
  // Whether a cell holds SQL NULL, which reads as "" like an empty text; false for the header row
  // and for cells outside the table.
  bool IsNull(int row, int column) const;
  // How many bytes a cell holds as stored (before any conversion), also for bytes of which only
  // the start was read; 0 for the header row and cells outside the table.
  std::size_t StoredSize(int row, int column) const;
  // When a cell holds bytes (a BLOB), its size and its first `start_bytes` bytes as stored (never
  // converted); nothing for any other cell, the header row and cells outside the table. Of bytes
  // a browse read in part, only the first bytes it kept are there (at most kBlobStartKept); at and
  // View give those too, never the whole value, which only the table has.
  std::optional<BytesCell> Bytes(int row, int column, std::size_t start_bytes) const;
  // The same without a copy where none is needed: a view of the rows themselves (valid as long as
  // this table or a copy of it exists), or of `scratch` when the text had to be converted from the
  // database's encoding (valid until `scratch` changes). With `limit`, only the cell's first
  // `limit` bytes as stored are read, so the start of a long text costs no more than that; a
  // character cut at the end reads as the escape of its first bytes.
  std::string_view View(int row, int column, std::string& scratch,
                        std::size_t limit = std::string_view::npos) const;

  // Bytes of memory held for the rows this table shares with its record set and copies.
  std::size_t HeldBytes() const;

 private:
  friend class SqliteDataset;
  TextTable(std::shared_ptr<const TextRows> rows, bool header)
      : rows_(std::move(rows)), header_(header) {}

  std::shared_ptr<const TextRows> rows_;
  bool header_ = false;
};

// `table` as a table of cell texts (base/cell_texts.h) that shares its rows, for a grid to read
// cell by cell; NULL cells say so.
std::shared_ptr<const CellTexts> ShareAsCells(const TextTable& table);

// A record set: one prepared statement on a borrowed connection and the rows its latest run gave.
// It shares the engine connection with the ZuveviRE it was opened from, so the connection stays
// usable for it even after that object is closed or re-opened; the engine connection goes away
// when the last of them lets go. Movable, not copyable.
class SqliteDataset {
 public:
  // An empty record set: no connection, no statement.
  SqliteDataset();
  ~SqliteDataset();
  SqliteDataset(SqliteDataset&& other) noexcept;
  SqliteDataset& operator=(SqliteDataset&& other) noexcept;
  SqliteDataset(const SqliteDataset&) = delete;
  SqliteDataset& operator=(const SqliteDataset&) = delete;

  // Prepares the first statement of `sql` on the connection of `database`, dropping the previous
  // statement and rows. False, with the record set left as it was, when `database` is not open or
  // `sql` is empty; false, holding no statement, when the engine cannot prepare it (its message is
  // then the connection's GetErrorText).
  bool Open(const std::string& sql, ZuveviRE& database);

  // Runs the statement once from the start and keeps every row it gives, as the engine gave them:
  // texts are converted from the database's encoding only when a cell is asked for. True when the
  // statement ran (with rows or none), also when it failed after some rows (those are kept); false
  // when it failed at once or there is no statement. With `cut`, the statement is a table's browse
  // statement that leaves long BLOBs out (db/table_browse.h): only its first cut->columns columns
  // are kept, and each BLOB left out is kept as its size and first bytes, read by row id.
  bool Requery(const BlobCut* cut = nullptr);

  // Requery in steps, for a result read while the user already sees its first rows. Start rewinds
  // the statement and drops the rows kept (false without a statement); each Fetch then reads rows
  // until `rows` are kept in all or the tick count (base/clock.h) reaches `until_ms`, whichever
  // comes first, and says whether more may follow. Fetch reads at least one row (or the end) each
  // time, however late it is. The rows read so far are kept and handed out by GetAll as for
  // Requery: a table GetAll handed out earlier sees the rows read since.
  // With `cut`, as for Requery.
  enum class Fetched { kMore, kDone, kFailed };
  bool Start(const BlobCut* cut = nullptr);
  Fetched Fetch(std::size_t rows, std::uint64_t until_ms);
  // Whether Start was called and the rows have not all been read, nor failed, nor been stopped.
  [[nodiscard]] bool IsFetching() const { return filling_ != nullptr; }
  // Stops reading (the statement is rewound, so it holds no lock any more); the rows kept stay,
  // and the result is not complete.
  void StopFetching();
  // Whether the latest Fetch failed at the statement's first step, before any row.
  [[nodiscard]] bool FailedAtOnce() const { return failed_at_once_; }

  // The rows of the latest Requery, headed by the column names when `include_column_names`; the
  // statement is not run again. The empty table (without a header row) when that Requery found no
  // rows, or before any Requery.
  [[nodiscard]] TextTable GetAll(bool include_column_names) const;

  // The names of the columns of the latest Requery's result, as internal text, also when it found
  // no rows; empty before any Requery or without a statement.
  [[nodiscard]] std::vector<std::string> GetColumnNames() const;

  // Number of rows the latest Requery kept.
  [[nodiscard]] int GetRowCount() const;
  // Whether the latest Requery ran the statement to its end; false when it failed part way (the
  // rows before the failure are kept, the connection's error text says why) or before any Requery.
  [[nodiscard]] bool IsComplete() const { return complete_; }

  // Finalizes the statement and lets go of the connection and the rows. Always true.
  bool Close();

 private:
  // Steps the statement for Requery and Fetch until `rows` rows are kept or `until_ms` passed;
  // the engine's last answer. EndRows then ends the reading unless that answer was a row.
  int StepRows(std::size_t rows, std::uint64_t until_ms, BlobStartReader& blobs);
  Fetched EndRows(int rc);

  // Declared in this order so the statement is finalized before the connection is let go.
  EngineHandle connection_;
  Statement statement_;
  std::shared_ptr<const TextRows> rows_;
  // The same rows while Fetch still adds to them.
  std::shared_ptr<TextRows> filling_;
  bool complete_ = false;
  bool failed_at_once_ = false;
  bool first_step_ = false;
};

}  // namespace torvane
