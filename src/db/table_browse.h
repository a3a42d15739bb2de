#pragma once

// The statement a browse reads the first rows of a table or view with, and how it leaves the
// content of long BLOBs out of them. The grid describes a BLOB by its size and first bytes, so a
// table whose rows hold BLOBs of hundreds of megabytes is read for showing at about the cost of one
// with short values: the engine answers typeof() and length() of a stored value without reading
// its content, and the first bytes of a long BLOB are read by row id through a BLOB handle.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_blob;
struct sqlite3_stmt;

namespace torvane {

class Engine;
class SqliteTable;
class TextRows;
class ZuveviRE;

// A BLOB longer than this many bytes is left out of a table's browse, all but its first bytes.
inline constexpr std::uint64_t kLongestWholeBlob = 4096;
// How many first bytes of a BLOB left out are kept, for describing it.
inline constexpr std::size_t kBlobStartKept = 64;

// How a browse statement gives the BLOBs it leaves out. Result columns 0 .. columns - 1 are the
// table's columns in order, a BLOB longer than kLongestWholeBlob given as NULL; column `columns` is
// the row id; column columns + 1 + c is the size of column c's value where that value was left
// out, NULL elsewhere. The names are internal text.
struct BlobCut {
  int columns = 0;
  std::string schema;
  std::string table;
  std::vector<std::string> column_names;
};

// A browse statement: its text (internal text) and, when it leaves long BLOBs out, how.
struct BrowseStatement {
  std::string sql;
  std::optional<BlobCut> cut;
};

// The statement that shows the first `row_limit` rows (every row when it is negative) of the table
// or view `cursor` is open on (a table when `is_table`): a table's rows in the order of the
// cursor's records. A table the engine can read by row id (SqliteTable::CanReadByRowId) is read
// with its long BLOBs left out, as `cut` says, unless it has so many columns that the statement
// would have more than `database` allows in a result; anything else reads every value whole
// ("select * from <name>"). The name is quoted where it needs it. An empty text when the cursor is
// closed.
BrowseStatement MakeBrowseStatement(const SqliteTable& cursor, ZuveviRE& database, bool is_table,
                                    int row_limit);

// Reads the first bytes of the BLOBs a browse statement left out, by row id, while the statement's
// rows are stepped through. It holds BLOB handles of the engine, one per column, moved from row to
// row; they keep the connection's read going, so the reader must go before the statement's run is
// over. Not copyable.
class BlobStartReader {
 public:
  // A reader for the statement `cut` describes, on `engine`; with a null `cut` it never finds a
  // BLOB left out.
  BlobStartReader(Engine& engine, const BlobCut* cut);
  ~BlobStartReader();
  BlobStartReader(const BlobStartReader&) = delete;
  BlobStartReader& operator=(const BlobStartReader&) = delete;

  // When cell `column` (below cut->columns) of the row `statement` stands on is a BLOB the
  // statement left out, appends it to `rows` as bytes kept cut, its whole size and its first
  // kBlobStartKept bytes, and returns true. False, appending nothing, for any other cell. A start
  // the engine cannot read is kept empty (the size is still the value's).
  bool AppendIfLeftOut(sqlite3_stmt* statement, int column, TextRows& rows);

 private:
  // Reads the first bytes of column `column` of row `row_id` into `start`; false when it cannot.
  bool ReadStart(int column, std::int64_t row_id, std::string& start);

  Engine* engine_;
  const BlobCut* cut_;
  // The names as the engine has them, and each column's handle once opened.
  std::string schema_;
  std::string table_;
  std::vector<std::string> columns_;
  std::vector<sqlite3_blob*> handles_;
};

}  // namespace torvane
