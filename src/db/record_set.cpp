#include "db/record_set.h"

#include <memory>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "base/cell_texts.h"
#include "base/clock.h"
#include "base/codec.h"
#include "db/connection.h"
#include "db/table_browse.h"
#include "db/text_rows.h"

namespace torvane {

int TextTable::rows() const {
  if (!rows_ || rows_->rows() == 0) return 0;
  return static_cast<int>(rows_->rows()) + (header_ ? 1 : 0);
}

int TextTable::columns() const { return rows() == 0 ? 0 : rows_->columns(); }

std::string_view TextTable::View(int row, int column, std::string& scratch,
                                 std::size_t limit) const {
  if (row < 0 || column < 0 || row >= rows() || column >= columns()) return {};
  if (header_) {
    // The names were converted when the rows were read.
    if (row == 0) return rows_->column_name(column);
    --row;
  }
  const std::string_view cell =
      rows_
          ->cell(static_cast<std::size_t>(row) * static_cast<std::size_t>(rows_->columns()) +
                 static_cast<std::size_t>(column))
          .substr(0, limit);
  if (rows_->text_mode() == TextMode::kGbk) return cell;
  scratch = FromUtf8(cell);
  return scratch;
}

bool TextTable::IsNull(int row, int column) const {
  if (row < 0 || column < 0 || row >= rows() || column >= columns()) return false;
  if (header_) {
    if (row == 0) return false;
    --row;
  }
  return rows_->IsNull(static_cast<std::size_t>(row) * static_cast<std::size_t>(rows_->columns()) +
                       static_cast<std::size_t>(column));
}

std::size_t TextTable::StoredSize(int row, int column) const {
  if (row < 0 || column < 0 || row >= rows() || column >= columns()) return 0;
  if (header_) {
    if (row == 0) return 0;
    --row;
  }
  return rows_->StoredSize(static_cast<std::size_t>(row) *
                               static_cast<std::size_t>(rows_->columns()) +
                           static_cast<std::size_t>(column));
}

std::optional<BytesCell> TextTable::Bytes(int row, int column, std::size_t start_bytes) const {
  if (row < 0 || column < 0 || row >= rows() || column >= columns()) return std::nullopt;
  if (header_) {
    if (row == 0) return std::nullopt;
    --row;
  }
  const std::size_t index =
      static_cast<std::size_t>(row) * static_cast<std::size_t>(rows_->columns()) +
      static_cast<std::size_t>(column);
  if (!rows_->IsBytes(index)) return std::nullopt;
  return BytesCell{rows_->StoredSize(index), rows_->cell(index).substr(0, start_bytes)};
}

std::string TextTable::at(int row, int column) const {
  std::string scratch;
  const std::string_view text = View(row, column, scratch);
  return text.data() == scratch.data() ? std::move(scratch) : std::string(text);
}

std::size_t TextTable::HeldBytes() const { return rows_ ? rows_->HeldBytes() : 0; }

namespace {

// The rows of a record set as a table of cell texts.
class TextTableCells : public CellTexts {
 public:
  explicit TextTableCells(TextTable rows) : rows_(std::move(rows)) {}
  int rows() const override { return rows_.rows(); }
  int columns() const override { return rows_.columns(); }
  std::string_view at(int row, int column, std::string& scratch) const override {
    return rows_.View(row, column, scratch);
  }
  std::string_view prefix(int row, int column, std::size_t bytes,
                          std::string& scratch) const override {
    return rows_.View(row, column, scratch, bytes);
  }
  bool is_null(int row, int column) const override { return rows_.IsNull(row, column); }
  std::size_t stored_size(int row, int column) const override {
    return rows_.StoredSize(row, column);
  }
  std::optional<BytesCell> bytes(int row, int column, std::size_t start_bytes) const override {
    return rows_.Bytes(row, column, start_bytes);
  }

 private:
  TextTable rows_;
};

}  // namespace

std::shared_ptr<const CellTexts> ShareAsCells(const TextTable& table) {
  return std::make_shared<const TextTableCells>(table);
}

namespace {

// Appends the cells of the row `stmt` stands on to `rows`, one per column of `rows`; a BLOB the
// statement left out is read in part by `blobs`.
void AppendRow(sqlite3_stmt* stmt, TextRows& rows, BlobStartReader& blobs) {
  const int columns = rows.columns();
  for (int c = 0; c < columns; ++c) {
    // The type is asked before the text, which would convert the value.
    const int type = sqlite3_column_type(stmt, c);
    if (type == SQLITE_NULL) {
      if (!blobs.AppendIfLeftOut(stmt, c, rows)) rows.AppendNull();
      continue;
    }
    if (type == SQLITE_BLOB) {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, c));
      rows.AppendBytes(bytes, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
      continue;
    }
    // Text first, then its length, as the engine asks.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
    const int size = sqlite3_column_bytes(stmt, c);
    rows.AppendCell(text, static_cast<std::size_t>(size));
  }
}

}  // namespace

SqliteDataset::SqliteDataset() = default;

SqliteDataset::~SqliteDataset() { Close(); }

SqliteDataset::SqliteDataset(SqliteDataset&& other) noexcept
    : connection_(std::move(other.connection_)),
      statement_(std::move(other.statement_)),
      rows_(std::move(other.rows_)),
      filling_(std::move(other.filling_)),
      complete_(std::exchange(other.complete_, false)),
      failed_at_once_(std::exchange(other.failed_at_once_, false)) {}

SqliteDataset& SqliteDataset::operator=(SqliteDataset&& other) noexcept {
  if (this != &other) {
    Close();
    connection_ = std::move(other.connection_);
    statement_ = std::move(other.statement_);
    rows_ = std::move(other.rows_);
    filling_ = std::move(other.filling_);
    complete_ = std::exchange(other.complete_, false);
    failed_at_once_ = std::exchange(other.failed_at_once_, false);
  }
  return *this;
}

bool SqliteDataset::Open(const std::string& sql, ZuveviRE& database) {
  if (!database.IsOpen() || sql.empty()) return false;
  // Keep the new connection before letting go of the old one: both may be the same.
  EngineHandle connection = database.handle();
  Close();
  connection_ = std::move(connection);
  return statement_.Prepare(*connection_, sql) == SQLITE_OK;
}

bool SqliteDataset::Requery(const BlobCut* cut) {
  if (!Start(cut)) return false;
  int rc;
  {
    // The BLOB handles go before the reset, which then hands the statement's own outcome on.
    BlobStartReader blobs(*connection_, cut);
    rc = StepRows(SIZE_MAX, UINT64_MAX, blobs);
  }
  (void)EndRows(rc);
  return !failed_at_once_;
}

bool SqliteDataset::Start(const BlobCut* cut) {
  if (!connection_ || !statement_) return false;
  connection_->Use();
  sqlite3_stmt* stmt = statement_.get();
  statement_.Reset();
  const int columns = cut != nullptr ? cut->columns : sqlite3_column_count(stmt);
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    const char* name = sqlite3_column_name(stmt, c);
    names.push_back(connection_->FromEngine(name == nullptr ? "" : name));
  }
  filling_ = std::make_shared<TextRows>(std::move(names), connection_->text_mode());
  rows_ = filling_;
  complete_ = false;
  failed_at_once_ = false;
  return true;
}

SqliteDataset::Fetched SqliteDataset::Fetch(std::size_t rows, std::uint64_t until_ms) {
  if (!filling_) return complete_ ? Fetched::kDone : Fetched::kFailed;
  int rc;
  {
    BlobStartReader none(*connection_, nullptr);
    rc = StepRows(rows, until_ms, none);
  }
  return EndRows(rc);
}

int SqliteDataset::StepRows(std::size_t rows, std::uint64_t until_ms, BlobStartReader& blobs) {
  connection_->Use();
  sqlite3_stmt* stmt = statement_.get();
  first_step_ = filling_->rows() == 0;
  // The clock is read once every few rows: a row is read in well under a microsecond.
  constexpr int kRowsBetweenClock = 64;
  int rc = SQLITE_ROW;
  for (int n = 1;; ++n) {
    rc = statement_.Step();
    if (rc != SQLITE_ROW) break;
    AppendRow(stmt, *filling_, blobs);
    if (filling_->rows() >= rows) break;
    if (n % kRowsBetweenClock == 0 && TickCount() >= until_ms) break;
  }
  return rc;
}

SqliteDataset::Fetched SqliteDataset::EndRows(int rc) {
  if (rc == SQLITE_ROW) return Fetched::kMore;
  failed_at_once_ = first_step_ && rc != SQLITE_DONE && filling_->rows() == 0;
  // Resetting hands a failure's message to the connection and leaves the statement rewound.
  statement_.Reset();
  filling_->Finish();
  filling_.reset();
  complete_ = rc == SQLITE_DONE;
  return complete_ ? Fetched::kDone : Fetched::kFailed;
}

void SqliteDataset::StopFetching() {
  if (!filling_) return;
  statement_.Reset();
  filling_->Finish();
  filling_.reset();
  complete_ = false;
}

TextTable SqliteDataset::GetAll(bool include_column_names) const {
  if (!connection_ || !statement_ || GetRowCount() == 0) return TextTable();
  return TextTable(rows_, include_column_names);
}

std::vector<std::string> SqliteDataset::GetColumnNames() const {
  std::vector<std::string> names;
  if (!connection_ || !statement_ || !rows_) return names;
  for (int c = 0; c < rows_->columns(); ++c) names.push_back(rows_->column_name(c));
  return names;
}

int SqliteDataset::GetRowCount() const { return rows_ ? static_cast<int>(rows_->rows()) : 0; }

bool SqliteDataset::Close() {
  complete_ = false;
  failed_at_once_ = false;
  filling_.reset();
  statement_.Finalize();
  connection_.reset();
  rows_.reset();
  return true;
}

}  // namespace torvane
