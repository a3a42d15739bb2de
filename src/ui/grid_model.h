#pragma once

// GridModel: everything a grid holds, under the table view that shows it (ui/ only): its cells,
// its fixed rows and columns, and the kind and drop-down list of each column. The grid may show a
// shared table of texts (CellTexts), read only for the cells that are drawn or asked for; every
// text written since, by the program or by an in-place edit, is kept in front of it. A cell that
// was never written costs nothing, so a result of millions of rows adds no more to the grid than
// the view's own few bytes per row.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "base/cell_texts.h"
#include "ui/controls.h"

namespace torvane {

// The text of a row-number cell for row `row` of a table shown with numbers: "序号" for row 0 of
// a table with a header row, otherwise the number of the row counted from 1 below the header, as
// "%.13g" writes it.
std::string RowNumberText(int row, bool header);

// Whether a numeric column takes `text`: "", "0" or a text whose leading part reads as a number
// other than zero.
bool AcceptsNumber(const std::string& text);

// What a cell that holds bytes (a BLOB) shows in place of them: its size and its first bytes in
// hexadecimal, "<二进制 1.5KB> 89 50 4E 47 0D 0A 1A 0A…", so that painting it costs the same
// whatever its size and no picture's bytes are drawn as characters.
QString BytesCellText(const BytesCell& cell);

// Model role of a cell that stands for SQL NULL: true there, invalid elsewhere. The display and
// edit roles of such a cell give "", as an empty text's do; the grid's delegate draws a marker.
inline constexpr int kNullRole = Qt::UserRole + 1;

class GridModel : public QAbstractTableModel {
 public:
  // An empty grid: no rows, no columns. Usually owned by its view.
  explicit GridModel(QObject* parent = nullptr);
  ~GridModel() override;

  // The table-model interface. The edit role carries the cell's text, the display role its first
  // 4 KB (with "…" after a text cut there), or for bytes BytesCellText; a written text comes back
  // through setData. Bytes and a text of more than 64 KB are not edited in place: a line editor
  // is no place for them (the field panel is). Rows and
  // columns are inserted and removed through the usual signals, so the view keeps the sizes of the
  // rows and columns that stay. A shown NULL cell also answers kNullRole and, for assistive
  // technology, Qt::AccessibleTextRole ("空值"); an edit that leaves it empty keeps it NULL. A
  // fixed cell is not editable, and an edit of a numeric column that Accepts refuses is refused.
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
  bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
  bool insertColumns(int column, int count, const QModelIndex& parent = QModelIndex()) override;
  bool removeColumns(int column, int count, const QModelIndex& parent = QModelIndex()) override;

  // Text of cell (row, column) as internal text; "" for an empty cell or no such cell.
  std::string Text(int row, int column) const;
  // The start of the text of cell (row, column) as it is shown, about `bytes` bytes of it at most:
  // reads no more of a long shown text than that; bytes are described (BytesCellText). `scratch`
  // as for CellTexts.
  std::string_view TextPrefix(int row, int column, std::size_t bytes, std::string& scratch) const;
  // Whether cell (row, column) shows a NULL of the shown table (and nothing was written into it).
  bool IsNull(int row, int column) const;
  // When cell (row, column) shows bytes of the shown table (and nothing was written into it), their
  // size and first `start_bytes` bytes.
  std::optional<BytesCell> Bytes(int row, int column, std::size_t start_bytes) const;
  // Writes `text` into cell (row, column), whatever the column's kind, and signals the change;
  // ignored for no such cell.
  void SetText(int row, int column, std::string text);
  // Empties every cell and lets go of the shown table; the shape, the fixed rows and columns and
  // the column kinds stay.
  void ClearTexts();
  // Empties every cell, takes the shape of `source` (at least one row and one column), with a
  // column of row numbers (RowNumberText) in front when `numbers`, and shows `source` in the
  // others. `source` is kept and read on demand, never copied; null shows an empty table.
  void ShowSource(std::shared_ptr<const CellTexts> source, bool header, bool numbers);

  // The shown table has more rows than it had when shown (its rows are still arriving): the grid
  // grows to show them after the rows it shows. Nothing changes once rows were inserted or removed
  // among the shown rows or added after them: the grid then keeps the rows it has.
  void ShowMoreSourceRows();
  // Whether more rows of the shown table are on their way, and what asks for them at once: the
  // view asks when the user scrolls to the last row (canFetchMore / fetchMore).
  void SetMoreRowsComing(bool coming) { more_rows_coming_ = coming; }
  std::function<void()> on_more_rows_wanted;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  // The first FixedRows() rows and FixedColumns() columns look like headers and are never edited
  // in place. Counts below 0 count as 0; they may exceed the grid's shape.
  int FixedRows() const { return fixed_rows_; }
  int FixedColumns() const { return fixed_columns_; }
  void SetFixedRows(int rows);
  void SetFixedColumns(int columns);
  bool IsFixed(int row, int column) const { return row < fixed_rows_ || column < fixed_columns_; }

  // Kind of column `column`; kText for no such column. A column inserted later is plain text; a
  // column keeps its kind when columns before it come and go.
  ColumnKind Kind(int column) const;
  // The list of drop-down column `column`; empty for other columns.
  const QStringList& DropDownList(int column) const;
  // Makes column `column` of kind `kind`, a drop-down column with the list `list` (ignored for
  // other kinds); ignored for no such column.
  void SetKind(int column, ColumnKind kind, const QStringList& list);
  // Makes every column plain text.
  void ClearKinds();
  // Whether `text` may go into column `column` (see AcceptsNumber).
  bool Accepts(int column, const std::string& text) const;

 private:
  using Key = std::uint64_t;
  // A text written into a cell; a NULL of the shown table copied in when the grid let go of it
  // stays NULL, and bytes stay bytes of their size as stored (of which `text` may be the start).
  struct Written {
    std::string text;
    bool null = false;
    bool bytes = false;
    std::uint64_t bytes_size = 0;
  };

  static Key KeyOf(int row, int column) {
    return (static_cast<Key>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(column);
  }

  // How many bytes cell (row, column) holds, as far as that is known without reading its text.
  std::size_t StoredSize(int row, int column) const;
  // The source row / column a grid row / column shows, or kNone (or kNumbers for the column of
  // row numbers).
  static constexpr int kNone = -1;
  static constexpr int kNumbers = -2;
  int SourceRow(int row) const;
  int SourceColumn(int column) const;

  // The text cell (row, column) shows; `scratch` holds a text made on the spot (a row number).
  // With `limit`, a shown text is read only as far as CellTexts::prefix reads it.
  std::string_view TextView(int row, int column, std::string& scratch,
                            std::size_t limit = std::string_view::npos) const;
  // The shown table's cell behind grid cell (row, column), which was not written into; false when
  // there is none (a row number, an added row or column).
  bool SourceCell(int row, int column, int& source_row, int& source_column) const;
  // The cell written into at (row, column); nullptr when none was.
  const Written* FindWritten(int row, int column) const;
  // Gives every row its own entry in row_map_, for an insertion or removal among shown rows.
  void MapRows();
  // Moves written texts after `count` rows (vertical) or columns were inserted at `first`, or
  // removes those inside and moves the others back when `count` is negative.
  void ShiftTexts(Qt::Orientation orientation, int first, int count);
  // Copies the shown texts into written ones and lets go of the shown table once only a few of its
  // cells are left in the grid (a grid shrunk to one cell should not keep a large result alive).
  void LetGoOfSmallSource();
  // Sets the shape through the insertion and removal signals.
  void Reshape(int rows, int columns);

  int rows_ = 0;
  int columns_ = 0;
  std::shared_ptr<const CellTexts> source_;
  bool header_ = false;
  // Grid rows [0, source_rows_) show the source's rows of the same index while row_map_ is empty;
  // after rows were inserted or removed among them, row_map_ gives each grid row its source row.
  int source_rows_ = 0;
  std::vector<int> row_map_;
  std::vector<int> column_map_;  // one entry per column while a table is shown
  std::unordered_map<Key, Written> texts_;
  int fixed_rows_ = 0;
  int fixed_columns_ = 0;
  bool more_rows_coming_ = false;
  // One entry per column.
  std::vector<ColumnKind> kinds_;
  std::vector<QStringList> lists_;
};

}  // namespace torvane
