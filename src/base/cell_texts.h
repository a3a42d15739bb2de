#pragma once

// CellTexts: a read-only table of internal texts addressed by row and column. A grid that shows a
// result of any size reads each cell from it when the cell is drawn or asked for, instead of
// keeping a copy of every text.

#include <string>
#include <string_view>

namespace torvane {

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
};

}  // namespace torvane
