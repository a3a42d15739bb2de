#pragma once

// CellTexts: a read-only table of internal texts addressed by row and column. A grid that shows a
// result of any size reads each cell from it when the cell is drawn or asked for, instead of
// keeping a copy of every text.

#include <string_view>

namespace torvane {

// A table of texts that does not change while anyone holds it. Rows and columns count from 0.
class CellTexts {
 public:
  virtual ~CellTexts() = default;

  // Number of rows and columns; 0 or more.
  virtual int rows() const = 0;
  virtual int columns() const = 0;
  // The text of cell (row, column), asked only for a cell inside the table. The view stays valid
  // as long as this object exists.
  virtual std::string_view at(int row, int column) const = 0;
};

}  // namespace torvane
