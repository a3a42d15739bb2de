#pragma once

// CellTexts: a read-only table of internal texts addressed by row and column. A grid that shows a
// result of any size reads each cell from it when the cell is drawn or asked for, instead of
// keeping a copy of every text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// A cell that holds bytes (a BLOB) rather than text: its size and the first bytes of it, as stored.
struct BytesCell {
  std::uint64_t size = 0;
  std::string_view start;
};

// A table of texts that does not change while anyone holds it. Rows and columns count from 0.
class CellTexts {
 public:
  virtual ~CellTexts() = default;

  // Number of rows and columns; 0 or more.
  virtual int rows() const = 0;
  virtual int columns() const = 0;
  // The text of cell (row, column), asked only for a cell inside the table: a view of text this
  // object holds (valid as long as it exists), or of `scratch` when the text had to be made
  // (valid until `scratch` changes).
  virtual std::string_view at(int row, int column, std::string& scratch) const = 0;
  // The start of the text of cell (row, column), for measuring it: the text itself, cut after about
  // `bytes` bytes when it is longer. Where `at` has to convert a cell, a table of long texts reads
  // only their starts here. Views as `at` gives them.
  virtual std::string_view prefix(int row, int column, std::size_t bytes,
                                  std::string& scratch) const {
    return at(row, column, scratch).substr(0, bytes);
  }
  // Whether cell (row, column) stands for no value at all (SQL NULL). Its text is "", as an empty
  // text's is; only this tells the two apart. By default no cell does.
  virtual bool is_null(int, int) const { return false; }
  // How many bytes cell (row, column) holds as stored, found without reading its text; 0 when that
  // is not known cheaply (the default).
  virtual std::size_t stored_size(int, int) const { return 0; }
  // When cell (row, column) holds bytes (a BLOB), its size and at most its first `start_bytes`
  // bytes, viewed as `at` views; nothing for a text, a number or NULL. By default no cell does.
  virtual std::optional<BytesCell> bytes(int, int, std::size_t) const { return std::nullopt; }
};

}  // namespace torvane
