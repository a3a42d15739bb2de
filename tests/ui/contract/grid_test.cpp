// Grids: counts, fixed cells, column kinds, clear / insert / delete, the current cell and the
// events of in-place editing; a shown table of texts of any size, read cell by cell.
#include <gtest/gtest.h>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/cell_texts.h"
#include "base/codec.h"
#include "db/connection.h"
#include "db/record_set.h"
#include "db/table_browse.h"
#include "db/table_cursor.h"
#include "modal_answer.h"
#include "support/temp_dir.h"
#include "ui/controls.h"
#include "ui/grid_model.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

namespace torvane {
namespace {

std::string In(const char* utf8) { return FromUtf8(utf8); }

// A grid made the way the window code makes one: a table view with its headers hidden, wrapped,
// then given its designed shape; by default the record grid's, 5 x 5 with one fixed row and column.
struct GridFixture {
  explicit GridFixture(int rows = 5, int columns = 5, int fixed_rows = 1, int fixed_columns = 1) {
    widget.horizontalHeader()->hide();
    widget.verticalHeader()->hide();
    widget.horizontalHeader()->setMinimumSectionSize(1);
    widget.verticalHeader()->setMinimumSectionSize(1);
    widget.verticalHeader()->setDefaultSectionSize(20);
    widget.horizontalHeader()->setDefaultSectionSize(60);
    widget.resize(384, 328);
    grid = std::make_unique<Grid>(&widget);
    grid->SetRowCount(rows);
    grid->SetColumnCount(columns);
    grid->SetDesignFixed(fixed_rows, fixed_columns);
    grid->on_current_cell_changed = [this] {
      log.push_back("cell " + std::to_string(grid->CurrentRow()) + "," +
                    std::to_string(grid->CurrentColumn()));
    };
  }
  QLineEdit* Editor() { return widget.viewport()->findChild<QLineEdit*>(); }
  QRect CellRect(int row, int column) {
    return widget.visualRect(widget.model()->index(row, column));
  }
  QTableView widget;
  std::unique_ptr<Grid> grid;
  std::vector<std::string> log;
};

// A table of made-up texts, "r<row>c<column>", each made when it is first read. Counts the reads,
// so a test sees which cells a grid asked for.
class MadeUpCells : public CellTexts {
 public:
  MadeUpCells(int rows, int columns) : rows_(rows), columns_(columns) {}
  int rows() const override { return rows_; }
  int columns() const override { return columns_; }
  // Every text is made on demand into the caller's scratch, as a table whose cells need
  // converting makes them.
  std::string_view at(int row, int column, std::string& scratch) const override {
    ++reads;
    scratch = "r" + std::to_string(row) + "c" + std::to_string(column);
    return scratch;
  }
  // More rows, as a result whose rows keep arriving has.
  void Grow(int rows) { rows_ = rows; }
  mutable std::int64_t reads = 0;

 private:
  int rows_, columns_;
};

std::string MadeUp(int row, int column) {
  return "r" + std::to_string(row) + "c" + std::to_string(column);
}

TEST(Grid, CountsBelowOneAreIgnored) {
  GridFixture f;
  struct {
    int rows, columns, expected_rows, expected_columns;
  } cases[] = {{3, 2, 3, 2}, {0, 0, 3, 2}, {-4, 1, 3, 1}, {1001, 7, 1001, 7}, {1, -1, 1, 7}};
  for (const auto& c : cases) {
    f.grid->SetRowCount(c.rows);
    f.grid->SetColumnCount(c.columns);
    EXPECT_EQ(f.grid->RowCount(), c.expected_rows) << c.rows;
    EXPECT_EQ(f.grid->ColumnCount(), c.expected_columns) << c.columns;
  }
}

TEST(Grid, StartsEmptyAndTakesTheDesignedFixedRowsAndColumns) {
  QTableView widget;
  Grid grid(&widget);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.ColumnCount(), 0);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.FixedColumns(), 0);
  EXPECT_EQ(grid.CurrentRow(), -1);
  struct {
    int fixed_rows, fixed_columns;
  } cases[] = {{1, 1}, {0, 1}, {2, 0}, {-1, -3}};
  for (const auto& c : cases) {
    GridFixture f(2, 4, c.fixed_rows, c.fixed_columns);
    EXPECT_EQ(f.grid->FixedRows(), std::max(c.fixed_rows, 0)) << c.fixed_rows;
    EXPECT_EQ(f.grid->FixedColumns(), std::max(c.fixed_columns, 0)) << c.fixed_columns;
  }
}

// A wrapper made again on the same view finds the cells, the fixed cells and the column kinds
// where the previous wrapper left them.
TEST(Grid, AWrapperMadeAgainKeepsWhatTheViewHolds) {
  GridFixture f(3, 3, 1, 0);
  f.grid->SetCellText(2, 2, "kept");
  f.grid->SetColumnKind(1, ColumnKind::kNumeric);
  f.grid.reset();
  Grid again(&f.widget);
  EXPECT_EQ(again.RowCount(), 3);
  EXPECT_EQ(again.ColumnCount(), 3);
  EXPECT_EQ(again.CellText(2, 2), "kept");
  EXPECT_EQ(again.FixedRows(), 1);
  EXPECT_EQ(again.FixedColumns(), 0);
  EXPECT_EQ(again.GetColumnKind(1), ColumnKind::kNumeric);
  again.SetFixedRows(0);
  again.Clear();
  EXPECT_EQ(again.FixedRows(), 1) << "the fixed rows found count as designed";
}

TEST(Grid, CellsHoldTextAndNothingOutsideTheGrid) {
  GridFixture f;
  EXPECT_TRUE(f.grid->SetCellText(0, 0, In("序号")));
  EXPECT_TRUE(f.grid->SetCellText(4, 4, "x"));
  EXPECT_EQ(f.grid->CellText(0, 0), In("序号"));
  EXPECT_EQ(f.grid->CellText(4, 4), "x");
  EXPECT_EQ(f.grid->CellText(2, 2), "");
  for (auto [r, c] : {std::pair{5, 0}, {0, 5}, {-1, 0}, {0, -1}}) {
    EXPECT_FALSE(f.grid->SetCellText(r, c, "no")) << r << "," << c;
    EXPECT_EQ(f.grid->CellText(r, c), "") << r << "," << c;
  }
  EXPECT_TRUE(f.grid->SetCellText(4, 4, ""));
  EXPECT_EQ(f.grid->CellText(4, 4), "");
}

TEST(Grid, NumericColumnsRefuseTextThatIsNotANumber) {
  GridFixture f;
  f.grid->SetColumnKind(3, ColumnKind::kNumeric);
  EXPECT_EQ(f.grid->GetColumnKind(3), ColumnKind::kNumeric);
  EXPECT_EQ(f.grid->GetColumnKind(2), ColumnKind::kText);
  struct {
    const char* text;
    bool accepted;
  } cases[] = {{"", true},     {"0", true},    {"20", true},    {"-3.5", true},
               {"1e3", true},  {" 7", true},   {"12abc", true}, {"abc", false},
               {"0.0", false}, {"-", false},   {"00", false},   {"中文", false},
               {"nan", false}, {"inf", false}, {"-.5", true},   {".", false}};
  for (const auto& c : cases) {
    ASSERT_TRUE(f.grid->SetCellText(1, 3, "5"));
    EXPECT_EQ(f.grid->SetCellText(1, 3, In(c.text)), c.accepted) << c.text;
    EXPECT_EQ(f.grid->CellText(1, 3), c.accepted ? In(c.text) : "5") << c.text;
  }
  EXPECT_TRUE(f.grid->SetCellText(1, 2, "abc")) << "other columns take any text";
}

TEST(Grid, DropDownColumnsTakeTheListCollectedBefore) {
  GridFixture f(2, 4);
  f.grid->ClearDropDownItems();
  for (const char* item : {"", "整数型", "小数型", "文本型"}) f.grid->AddDropDownItem(In(item));
  f.grid->SetColumnKind(2, ColumnKind::kDropDown);
  f.grid->ClearDropDownItems();
  f.grid->AddDropDownItem("other");
  EXPECT_EQ(f.grid->DropDownItems(2),
            (std::vector<std::string>{"", In("整数型"), In("小数型"), In("文本型")}));
  EXPECT_TRUE(f.grid->DropDownItems(1).empty());
}

TEST(Grid, ClearEmptiesCellsForgetsKindsAndKeepsTheShape) {
  GridFixture f;
  f.grid->SetCellText(0, 0, "head");
  f.grid->SetCellText(3, 2, "cell");
  f.grid->SetColumnKind(2, ColumnKind::kNumeric);
  f.grid->AddDropDownItem("a");
  f.grid->SetColumnKind(3, ColumnKind::kDropDown);
  f.grid->SetColumnWidth(1, 130);
  f.grid->SetFixedRows(0);
  f.grid->SetFixedColumns(0);
  f.grid->SetCurrentCell(3, 2);
  f.log.clear();

  f.grid->Clear();
  EXPECT_EQ(f.grid->CellText(0, 0), "");
  EXPECT_EQ(f.grid->CellText(3, 2), "");
  EXPECT_EQ(f.grid->RowCount(), 5);
  EXPECT_EQ(f.grid->ColumnCount(), 5);
  EXPECT_EQ(f.grid->FixedRows(), 1);
  EXPECT_EQ(f.grid->FixedColumns(), 1);
  EXPECT_EQ(f.grid->GetColumnKind(2), ColumnKind::kText);
  EXPECT_TRUE(f.grid->DropDownItems(3).empty());
  EXPECT_EQ(f.grid->ColumnWidth(1), 130);
  EXPECT_EQ(f.grid->CurrentRow(), -1);
  EXPECT_EQ(f.grid->CurrentColumn(), -1);
  EXPECT_TRUE(f.log.empty());
  EXPECT_TRUE(f.grid->SetCellText(3, 2, "abc"));
}

TEST(Grid, InsertPositionsInsideTheFixedRowsOrPastTheEndAppend) {
  struct {
    int position;
    int inserted_at;
  } cases[] = {{-1, 5}, {0, 5}, {1, 1}, {3, 3}, {4, 4}, {5, 5}, {99, 5}};
  for (const auto& c : cases) {
    GridFixture f;
    for (int r = 0; r < 5; ++r) f.grid->SetCellText(r, 1, "row" + std::to_string(r));
    EXPECT_EQ(f.grid->InsertRow("title", c.position), c.inserted_at) << c.position;
    EXPECT_EQ(f.grid->RowCount(), 6);
    EXPECT_EQ(f.grid->CellText(c.inserted_at, 0), "title") << c.position;
    EXPECT_EQ(f.grid->CellText(c.inserted_at, 1), "") << c.position;
    if (c.inserted_at < 5) {
      EXPECT_EQ(f.grid->CellText(c.inserted_at + 1, 1), "row" + std::to_string(c.inserted_at));
    }
  }
}

TEST(Grid, InsertColumnShiftsCellsAndKinds) {
  GridFixture f(3, 2, 0, 0);
  f.grid->SetCellText(1, 0, "a");
  f.grid->SetCellText(1, 1, "5");
  f.grid->SetColumnKind(1, ColumnKind::kNumeric);
  EXPECT_EQ(f.grid->InsertColumn(In("序号"), 0), 0);
  EXPECT_EQ(f.grid->ColumnCount(), 3);
  EXPECT_EQ(f.grid->CellText(0, 0), In("序号"));
  EXPECT_EQ(f.grid->CellText(1, 1), "a");
  EXPECT_EQ(f.grid->CellText(1, 2), "5");
  EXPECT_EQ(f.grid->GetColumnKind(2), ColumnKind::kNumeric);
  EXPECT_EQ(f.grid->GetColumnKind(0), ColumnKind::kText);
  EXPECT_EQ(f.grid->InsertColumn("end"), 3);
  EXPECT_EQ(f.grid->CellText(0, 3), "end");
}

TEST(Grid, TheCurrentCellKeepsItsIndexesWhenRowsComeAndGo) {
  struct {
    const char* what;
    int row, column;
    std::function<void(Grid&)> change;
    int expected_row;
    bool event;
  } cases[] = {
      {"insert before the current row", 2, 1, [](Grid& g) { g.InsertRow("", 1); }, 2, false},
      {"delete the current middle row", 2, 1, [](Grid& g) { g.DeleteRow(2); }, 2, false},
      {"delete the current last row", 4, 1, [](Grid& g) { g.DeleteRow(4); }, 3, true},
      {"shrink below the current row", 4, 1, [](Grid& g) { g.SetRowCount(2); }, 1, true},
      {"delete a row before the current one", 3, 1, [](Grid& g) { g.DeleteRow(1); }, 3, false},
  };
  for (const auto& c : cases) {
    GridFixture f;
    f.grid->SetCurrentCell(c.row, c.column);
    f.log.clear();
    c.change(*f.grid);
    EXPECT_EQ(f.grid->CurrentRow(), c.expected_row) << c.what;
    EXPECT_EQ(f.grid->CurrentColumn(), c.column) << c.what;
    EXPECT_EQ(f.widget.currentIndex().row(), c.expected_row) << c.what;
    EXPECT_EQ(f.log.size(), c.event ? 1u : 0u) << c.what;
  }
}

TEST(Grid, TheOnlyRowIsNotDeleted) {
  GridFixture f(1, 3, 0, 0);
  f.grid->DeleteRow(0);
  EXPECT_EQ(f.grid->RowCount(), 1);
  f.grid->DeleteRow(7);
  EXPECT_EQ(f.grid->RowCount(), 1);
}

TEST(Grid, SettingTheCurrentCellRaisesTheEventOnlyOnAChange) {
  GridFixture f;
  struct {
    int row, column;
    int expected_row, expected_column;
    int events;
  } cases[] = {
      {1, 1, 1, 1, 1},     {1, 1, 1, 1, 0},     {2, 1, 2, 1, 1}, {9, 9, 2, 1, 0},
      {-1, -1, -1, -1, 1}, {-1, -1, -1, -1, 0}, {0, 0, 0, 0, 1},
  };
  for (const auto& c : cases) {
    f.log.clear();
    f.grid->SetCurrentCell(c.row, c.column);
    EXPECT_EQ(f.grid->CurrentRow(), c.expected_row) << c.row << "," << c.column;
    EXPECT_EQ(f.grid->CurrentColumn(), c.expected_column) << c.row << "," << c.column;
    EXPECT_EQ(static_cast<int>(f.log.size()), c.events) << c.row << "," << c.column;
  }
}

TEST(Grid, TheUsersClicksAndKeysMoveTheCurrentCellWithAnEvent) {
  GridFixture f;
  f.widget.show();
  std::vector<std::string> keys;
  f.grid->on_key_pressed = [&](int key) {
    keys.push_back(std::to_string(key) + " at row " + std::to_string(f.grid->CurrentRow()));
  };
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, f.CellRect(3, 2).center());
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 3,2"}));
  QTest::keyClick(&f.widget, Qt::Key_Down);
  QTest::keyClick(&f.widget, Qt::Key_Up);
  EXPECT_EQ(keys, (std::vector<std::string>{"40 at row 3", "38 at row 4"}))
      << "the handler runs before the grid moves";
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 3,2", "cell 4,2", "cell 3,2"}));

  // A double click is a click and then, on the same cell, the double-click event.
  f.grid->SetEditable(false);
  int double_clicks = 0;
  f.grid->on_double_clicked = [&] { ++double_clicks; };
  f.log.clear();
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, f.CellRect(1, 1).center());
  QTest::mouseDClick(f.widget.viewport(), Qt::LeftButton, {}, f.CellRect(1, 1).center());
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, f.CellRect(3, 2).center());
  QTest::keyClick(&f.widget, Qt::Key_Down);
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 1,1", "cell 3,2", "cell 4,2"}));
  EXPECT_EQ(double_clicks, 1);
}

TEST(Grid, KeyCodesAreVirtualKeys) {
  GridFixture f;
  f.grid->SetEditable(false);
  int code = -1;
  f.grid->on_key_pressed = [&](int key) { code = key; };
  struct {
    Qt::Key key;
    int code;
  } cases[] = {{Qt::Key_Down, 40},   {Qt::Key_Up, 38},     {Qt::Key_Left, 37}, {Qt::Key_Right, 39},
               {Qt::Key_Return, 13}, {Qt::Key_Delete, 46}, {Qt::Key_A, 65},    {Qt::Key_7, 55},
               {Qt::Key_F2, 113},    {Qt::Key_Escape, 27}};
  for (const auto& c : cases) {
    code = -1;
    QTest::keyClick(&f.widget, c.key);
    EXPECT_EQ(code, c.code) << c.key;
  }
}

TEST(Grid, EditingBeginsBeforeTheEditorAndEndsWithTheTextInTheCell) {
  GridFixture f;
  f.widget.show();
  f.grid->SetCellText(2, 3, "old");
  f.grid->SetCurrentCell(2, 3);
  std::vector<std::string> log;
  f.grid->on_editing_begins = [&] {
    log.push_back("begins " + f.grid->CellText(2, 3) + (f.Editor() ? " with editor" : ""));
  };
  f.grid->on_editing_ends = [&] { log.push_back("ends " + f.grid->CellText(2, 3)); };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QLineEdit* editor = f.Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "old");
  editor->selectAll();
  QTest::keyClicks(editor, "new");
  QTest::keyClick(editor, Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"begins old", "ends new"}));
  EXPECT_EQ(f.grid->CellText(2, 3), "new");
}

// A command that must not lose what is being typed (closing the database) finishes the edit: the
// text goes into the cell and the edit ends, at once, in a cell the program wrote as in a cell of
// a shown table. Without an edit in progress it does nothing.
TEST(Grid, FinishEditingPutsTheTypedTextIntoTheCell) {
  struct {
    const char* what;
    std::function<void(Grid&)> fill;
  } cases[] = {
      {"a written cell", [](Grid& g) { g.SetCellText(2, 3, "old"); }},
      {"a cell of a shown table",
       [](Grid& g) { g.ShowCells(std::make_shared<MadeUpCells>(5, 3), true, true); }},
  };
  for (const auto& c : cases) {
    GridFixture f;
    f.widget.show();
    c.fill(*f.grid);
    f.grid->SetEditable(true);
    f.grid->SetCurrentCell(2, 3);
    int ends = 0;
    f.grid->on_editing_ends = [&] { ++ends; };
    f.grid->FinishEditing();
    EXPECT_EQ(ends, 0) << c.what;
    ASSERT_TRUE(f.grid->EditCurrentCell()) << c.what;
    QLineEdit* editor = f.Editor();
    ASSERT_NE(editor, nullptr) << c.what;
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    f.grid->FinishEditing();
    EXPECT_EQ(ends, 1) << c.what;
    EXPECT_EQ(f.grid->CellText(2, 3), "typed") << c.what;
    f.grid->FinishEditing();
    EXPECT_EQ(ends, 1) << c.what;
  }
}

TEST(Grid, MovingToAnotherCellEndsTheEditBeforeTheCellChangedEvent) {
  GridFixture f;
  f.widget.show();
  f.grid->SetCurrentCell(1, 1);
  f.log.clear();
  // The handler sees the edited cell as the current one, so it writes where the user typed.
  f.grid->on_editing_ends = [&] {
    const int row = f.grid->CurrentRow(), column = f.grid->CurrentColumn();
    f.log.push_back("ends " + f.grid->CellText(row, column) + " at " + std::to_string(row) + "," +
                    std::to_string(column));
  };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClicks(f.Editor(), "typed");
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {},
                    f.widget.visualRect(f.widget.model()->index(3, 2)).center());
  Runtime::ProcessEvents();
  EXPECT_EQ(f.log, (std::vector<std::string>{"ends typed at 1,1", "cell 3,2"}));
  EXPECT_EQ(f.grid->CurrentRow(), 3);
  EXPECT_EQ(f.grid->CurrentColumn(), 2);

  // Tab commits and moves on; the next cell's editing begins after the previous one ended.
  f.log.clear();
  f.grid->on_editing_begins = [&] { f.log.push_back("begins"); };
  f.grid->on_editing_ends = [&] { f.log.push_back("ends " + f.grid->CellText(3, 2)); };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClicks(f.Editor(), "x");
  QTest::keyClick(f.Editor(), Qt::Key_Tab);
  Runtime::ProcessEvents();
  ASSERT_GE(f.log.size(), 3u);
  EXPECT_EQ(f.log[0], "begins");
  EXPECT_EQ(f.log[1], "ends x");
  EXPECT_EQ(f.log[2], "cell 3,3");
}

TEST(Grid, AnEditingEndsHandlerMayShowAMessageBox) {
  GridFixture f;
  f.widget.show();
  QtModalServices services;
  f.grid->SetCurrentCell(2, 2);
  int answer = -1;
  f.grid->on_editing_ends = [&] {
    WhenShown<QMessageBox>([](QMessageBox* box) { box->accept(); });
    answer = services.MessageBox(In("修改字段值失败！"), kMbOkStop, In("错误："));
  };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClicks(f.Editor(), "v");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(answer, kIdOk);
  EXPECT_EQ(f.grid->CellText(2, 2), "v");
  EXPECT_EQ(f.Editor(), nullptr);
}

TEST(Grid, TheEditorHoldsALongCellWhole) {
  GridFixture f;
  f.widget.show();
  const std::string long_text(40000, 'x');
  f.grid->SetCellText(1, 1, long_text);
  f.grid->SetCurrentCell(1, 1);
  std::string ended_with;
  f.grid->on_editing_ends = [&] { ended_with = f.grid->CellText(1, 1); };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(ended_with.size(), long_text.size());
  EXPECT_EQ(f.grid->CellText(1, 1), long_text);
}

TEST(Grid, EscapeEndsEditingWithoutChangingTheCell) {
  GridFixture f;
  f.widget.show();
  f.grid->SetCellText(1, 1, "keep");
  f.grid->SetCurrentCell(1, 1);
  int ends = 0;
  f.grid->on_editing_ends = [&] { ++ends; };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClicks(f.Editor(), "zzz");
  QTest::keyClick(f.Editor(), Qt::Key_Escape);
  Runtime::ProcessEvents();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(f.grid->CellText(1, 1), "keep");
}

TEST(Grid, TypingOnACellOpensItsEditor) {
  GridFixture f;
  f.widget.show();
  f.widget.setFocus();
  f.grid->SetCurrentCell(1, 2);
  int begins = 0;
  f.grid->on_editing_begins = [&] { ++begins; };
  QTest::keyClicks(&f.widget, "7");
  ASSERT_NE(f.Editor(), nullptr);
  QTest::keyClicks(f.Editor(), "5");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(f.grid->CellText(1, 2), "75");
}

// The fixed cells of the design, and those of a shown table's header row and numbering column.
TEST(Grid, FixedCellsAndNonEditableGridsAreNotEdited) {
  struct {
    const char* what;
    int row, column;
    bool editable;
    bool opens;
  } cases[] = {
      {"fixed row", 0, 2, true, false},
      {"fixed column", 2, 0, true, false},
      {"ordinary cell", 2, 2, true, true},
      {"ordinary cell of a grid that is not editable", 2, 2, false, false},
  };
  struct {
    const char* what;
    std::function<void(Grid&)> fill;
  } setups[] = {
      {"designed", [](Grid&) {}},
      {"shown", [](Grid& g) { g.ShowCells(std::make_shared<MadeUpCells>(2000, 3), true, true); }},
  };
  for (const auto& setup : setups) {
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << setup.what << ", " << c.what);
      GridFixture f;
      f.widget.show();
      setup.fill(*f.grid);
      f.grid->SetEditable(c.editable);
      EXPECT_EQ(f.grid->IsEditable(), c.editable);
      int begins = 0;
      f.grid->on_editing_begins = [&] { ++begins; };
      f.grid->SetCurrentCell(c.row, c.column);
      EXPECT_EQ(f.grid->EditCurrentCell(), c.opens);
      QTest::mouseDClick(f.widget.viewport(), Qt::LeftButton, {},
                         f.CellRect(c.row, c.column).center());
      EXPECT_EQ(f.Editor() != nullptr, c.opens);
      EXPECT_EQ(begins, c.opens ? 1 : 0);
    }
  }
}

TEST(Grid, NumericEditorRefusesANonNumber) {
  GridFixture f;
  f.widget.show();
  f.grid->SetColumnKind(3, ColumnKind::kNumeric);
  f.grid->SetCellText(1, 3, "20");
  f.grid->SetCurrentCell(1, 3);
  struct {
    const char* typed;
    const char* cell;
  } cases[] = {{"x1y5", "15"}, {"0.0", "15"}, {"-2.5", "-2.5"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(f.grid->EditCurrentCell());
    f.Editor()->selectAll();
    QTest::keyClicks(f.Editor(), c.typed);
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    Runtime::ProcessEvents();
    EXPECT_EQ(f.grid->CellText(1, 3), c.cell) << c.typed;
  }
}

TEST(Grid, DropDownEditorOffersTheListAndTakesTypedText) {
  GridFixture f(2, 4);
  f.widget.show();
  for (const char* item : {"", "整数型", "文本型"}) f.grid->AddDropDownItem(In(item));
  f.grid->SetColumnKind(2, ColumnKind::kDropDown);
  f.grid->SetCurrentCell(1, 2);
  ASSERT_TRUE(f.grid->EditCurrentCell());
  auto* combo = f.widget.viewport()->findChild<QComboBox*>();
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isEditable());
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(2), QStringLiteral("文本型"));
  combo->setCurrentIndex(1);
  QTest::keyClick(combo, Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(f.grid->CellText(1, 2), In("整数型"));

  ASSERT_TRUE(f.grid->EditCurrentCell());
  combo = f.widget.viewport()->findChild<QComboBox*>();
  ASSERT_NE(combo, nullptr);
  combo->setEditText(QStringLiteral("varchar"));
  QTest::keyClick(combo, Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(f.grid->CellText(1, 2), "varchar");
}

TEST(Grid, MouseEventsReachTheirHandlers) {
  GridFixture f;
  f.widget.show();
  f.grid->SetEditable(false);
  int released = 0;
  int double_clicks = 0;
  f.grid->on_right_released = [&] { ++released; };
  f.grid->on_double_clicked = [&] { ++double_clicks; };
  const QPoint cell = f.widget.visualRect(f.widget.model()->index(2, 2)).center();
  QTest::mousePress(f.widget.viewport(), Qt::RightButton, {}, cell);
  EXPECT_EQ(released, 0);
  QTest::mouseRelease(f.widget.viewport(), Qt::RightButton, {}, cell);
  EXPECT_EQ(released, 1);
  QTest::mouseDClick(f.widget.viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(double_clicks, 1);
}

TEST(Grid, WholeRowSelectionHighlightsTheCurrentRow) {
  GridFixture f(5, 1, 0, 0);
  f.grid->SetWholeRowSelection(true);
  f.grid->SetColumnCount(3);
  f.grid->SetCurrentCell(2, 0);
  EXPECT_TRUE(f.widget.selectionModel()->isRowSelected(2, QModelIndex()));
  EXPECT_FALSE(f.widget.selectionModel()->isRowSelected(1, QModelIndex()));
}

TEST(Grid, DefaultSizesApplyToExistingAndNewRowsAndColumns) {
  GridFixture f;
  f.grid->SetColumnWidth(2, 100);
  f.grid->SetDefaultRowHeight(24);
  f.grid->SetDefaultColumnWidth(32);
  f.grid->SetRowCount(8);
  f.grid->SetColumnCount(7);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(f.grid->RowHeight(r), 24) << r;
  for (int c = 0; c < 7; ++c) EXPECT_EQ(f.grid->ColumnWidth(c), 32) << c;
  f.grid->SetColumnWidth(1, 130);
  EXPECT_EQ(f.grid->ColumnWidth(1), 130);
  EXPECT_EQ(f.grid->ColumnWidth(9), 0);
}

TEST(Grid, BulkFillPutsTextsRowByRow) {
  GridFixture f;
  f.grid->Clear();
  f.grid->SetFixedRows(0);
  f.grid->SetFixedColumns(0);
  const int rows = 1001;
  const int columns = 6;
  f.grid->SetRowCount(rows);
  f.grid->SetColumnCount(columns);
  f.grid->SetColumnKind(5, ColumnKind::kNumeric);
  std::vector<std::string> texts;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < 5; ++c) texts.push_back(In("值") + std::to_string(r * columns + c));
    texts.push_back(r == 7 ? "nan?" : std::to_string(r + 1));
  }
  f.log.clear();
  f.grid->SetCells(0, 0, columns, texts);
  EXPECT_EQ(f.grid->CellText(0, 0), In("值") + "0");
  EXPECT_EQ(f.grid->CellText(1000, 5), "1001");
  EXPECT_EQ(f.grid->CellText(500, 3), In("值") + std::to_string(500 * columns + 3));
  EXPECT_EQ(f.grid->CellText(7, 5), "") << "refused by the numeric column";
  EXPECT_TRUE(f.log.empty());

  // A block placed at an offset; texts beyond the grid are skipped.
  f.grid->SetCells(999, 4, 3, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  EXPECT_EQ(f.grid->CellText(999, 4), "a");
  EXPECT_EQ(f.grid->CellText(1000, 4), "d");
  EXPECT_EQ(f.grid->CellText(1000, 5), "1001") << "e is not a number";
}

TEST(Grid, RecordGridFillSequence) {
  // The record grid's fill: clear, no fixed cells, counts, cells, a numbering column, fixed cells.
  GridFixture f;
  f.grid->SetCurrentCell(2, 2);
  const std::vector<std::string> rows = {"id", "name", "1", "apple", "2", In("梨")};
  f.grid->Clear();
  f.grid->SetFixedRows(0);
  f.grid->SetFixedColumns(0);
  f.grid->SetRowCount(3);
  f.grid->SetColumnCount(2);
  f.grid->SetCells(0, 0, 2, rows);
  f.grid->InsertColumn(In("序号"), 0);
  f.grid->SetCellText(0, 0, In("序号"));
  f.grid->SetCellText(1, 0, "1");
  f.grid->SetCellText(2, 0, "2");
  f.grid->SetFixedRows(1);
  f.grid->SetFixedColumns(1);
  const char* expected[3][3] = {{"序号", "id", "name"}, {"1", "1", "apple"}, {"2", "2", "梨"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(f.grid->CellText(r, c), In(expected[r][c])) << r << "," << c;
  }
  EXPECT_EQ(f.grid->CurrentRow(), -1);
}

TEST(GridCells, AMillionRowsAreShownByReadingOnlyTheCellsAskedFor) {
  GridFixture f;
  const int rows = 1'000'000;
  auto cells = std::make_shared<MadeUpCells>(rows, 5);
  f.grid->ShowCells(cells, true, true);
  EXPECT_EQ(f.grid->RowCount(), rows);
  EXPECT_EQ(f.grid->ColumnCount(), 6);
  EXPECT_EQ(f.grid->FixedRows(), 1);
  EXPECT_EQ(f.grid->FixedColumns(), 1);
  EXPECT_EQ(f.grid->CurrentRow(), -1);
  EXPECT_TRUE(f.log.empty());
  f.widget.show();
  Runtime::ProcessEvents();
  f.widget.grab();  // paints every visible cell
  // A grid holding the texts, or an item per cell, would have read all five million cells.
  EXPECT_GT(cells->reads, 0);
  EXPECT_LT(cells->reads, 500);

  struct {
    int row, column;
    std::string text;
  } cases[] = {
      {0, 0, In("序号")},
      {0, 1, "r0c0"},
      {0, 5, "r0c4"},
      {1, 0, "1"},
      {1, 1, "r1c0"},
      {500'000, 0, "500000"},
      {500'000, 3, "r500000c2"},
      {rows - 1, 0, "999999"},
      {rows - 1, 5, MadeUp(rows - 1, 4)},
      {rows, 1, ""},
      {0, 6, ""},
      {-1, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(f.grid->CellText(c.row, c.column), c.text) << c.row << "," << c.column;
  }

  // Going to the last row scrolls it into view and draws it.
  const std::int64_t reads_before = cells->reads;
  f.log.clear();  // the view may have made its first cell current when it took the focus
  f.grid->SetCurrentCell(rows - 1, 2);
  Runtime::ProcessEvents();
  f.widget.grab();
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 999999,2"}));
  EXPECT_TRUE(f.widget.viewport()->rect().contains(f.CellRect(rows - 1, 2)));
  EXPECT_FALSE(f.widget.viewport()->rect().intersects(f.CellRect(1, 2)));
  EXPECT_LT(cells->reads - reads_before, 500);
}

TEST(GridCells, ATableIsLaidOutAsTheRecordGridShowsIt) {
  struct {
    const char* what;
    std::vector<std::vector<const char*>> table;
    int columns;
    bool header, numbers;
    std::vector<std::vector<const char*>> cells;  // every cell of the grid, row by row
  } cases[] = {
      {"header and numbers",
       {{"id", "名称"}, {"1", "苹果"}, {"2", ""}},
       2,
       true,
       true,
       {{"序号", "id", "名称"}, {"1", "1", "苹果"}, {"2", "2", ""}}},
      {"numbers only", {{"a"}, {"b"}}, 1, false, true, {{"1", "a"}, {"2", "b"}}},
      {"neither", {{"a", "b"}}, 2, false, false, {{"a", "b"}}},
      {"no rows, with header and numbers", {}, 0, true, true, {{"序号", ""}}},
      {"no rows, numbers only", {}, 0, false, true, {{"1", ""}}},
      {"no rows, neither", {}, 0, false, false, {{""}}},
      {"no rows but columns", {}, 3, true, true, {{"序号", "", "", ""}}},
  };
  for (const auto& c : cases) {
    class ListCells : public CellTexts {
     public:
      ListCells(const std::vector<std::vector<const char*>>& table, int columns)
          : columns_(columns) {
        for (const auto& row : table) {
          for (const char* text : row) texts_.push_back(FromUtf8(text));
        }
      }
      int rows() const override { return static_cast<int>(texts_.size()) / std::max(columns_, 1); }
      int columns() const override { return columns_; }
      std::string_view at(int row, int column, std::string&) const override {
        return texts_[static_cast<size_t>(row * columns_ + column)];
      }

     private:
      int columns_;
      std::vector<std::string> texts_;
    };
    GridFixture f;
    f.grid->SetCurrentCell(2, 2);
    f.log.clear();
    f.grid->ShowCells(std::make_shared<ListCells>(c.table, c.columns), c.header, c.numbers);
    ASSERT_EQ(f.grid->RowCount(), static_cast<int>(c.cells.size())) << c.what;
    ASSERT_EQ(f.grid->ColumnCount(), static_cast<int>(c.cells[0].size())) << c.what;
    EXPECT_EQ(f.grid->FixedRows(), c.header ? 1 : 0) << c.what;
    EXPECT_EQ(f.grid->FixedColumns(), c.numbers ? 1 : 0) << c.what;
    EXPECT_EQ(f.grid->CurrentRow(), -1) << c.what;
    EXPECT_TRUE(f.log.empty()) << c.what;
    for (size_t r = 0; r < c.cells.size(); ++r) {
      for (size_t col = 0; col < c.cells[r].size(); ++col) {
        EXPECT_EQ(f.grid->CellText(static_cast<int>(r), static_cast<int>(col)),
                  FromUtf8(c.cells[r][col]))
            << c.what << " at " << r << "," << col;
      }
    }
  }
  // A null table shows as a table without rows or columns.
  GridFixture f;
  f.grid->ShowCells(nullptr, true, true);
  EXPECT_EQ(f.grid->RowCount(), 1);
  EXPECT_EQ(f.grid->ColumnCount(), 2);
  EXPECT_EQ(f.grid->CellText(0, 0), In("序号"));
}

// Every cell of `grid`, row by row, with its counts, fixed cells and current cell.
std::vector<std::string> Snapshot(Grid& grid) {
  std::vector<std::string> cells = {
      std::to_string(grid.RowCount()) + "x" + std::to_string(grid.ColumnCount()),
      "fixed " + std::to_string(grid.FixedRows()) + "," + std::to_string(grid.FixedColumns()),
      "current " + std::to_string(grid.CurrentRow()) + "," + std::to_string(grid.CurrentColumn())};
  for (int r = 0; r < grid.RowCount(); ++r) {
    for (int c = 0; c < grid.ColumnCount(); ++c) {
      cells.push_back(std::to_string(r) + "," + std::to_string(c) + " " + grid.CellText(r, c));
    }
  }
  return cells;
}

// Writes every text of `cells` into the grid, laid out as ShowCells lays it out: the grid then
// holds a copy of each text instead of reading the table.
void WriteTable(Grid& grid, const std::shared_ptr<const CellTexts>& cells, bool header,
                bool numbers) {
  grid.Clear();
  const int source_rows = cells ? cells->rows() : 0;
  const int source_columns = cells ? cells->columns() : 0;
  const int offset = numbers ? 1 : 0;
  const int columns = std::max(source_columns, 1) + offset;
  grid.SetRowCount(std::max(source_rows, 1));
  grid.SetColumnCount(columns);
  std::vector<std::string> texts;
  std::string scratch;
  for (int r = 0; r < grid.RowCount(); ++r) {
    if (numbers) texts.push_back(RowNumberText(r, header));
    for (int c = 0; c < columns - offset; ++c) {
      texts.emplace_back(r < source_rows && c < source_columns ? cells->at(r, c, scratch)
                                                               : std::string_view());
    }
  }
  grid.SetCells(0, 0, columns, texts);
  grid.SetFixedRows(header ? 1 : 0);
  grid.SetFixedColumns(numbers ? 1 : 0);
}

TEST(GridCells, AShownTableTakesTheSameChangesAsCellsOfTheirOwn) {
  // A grid reading the shown table and a grid holding a copy of every text go through the same
  // steps and must hold the same cells after each. The tables are large enough that the first
  // keeps reading them until the grid is cut down to a few cells.
  using Show = std::function<void(Grid&, std::shared_ptr<const CellTexts>, bool, bool)>;
  const Show shown = [](Grid& g, std::shared_ptr<const CellTexts> cells, bool header,
                        bool numbers) { g.ShowCells(std::move(cells), header, numbers); };
  const Show copied = [](Grid& g, std::shared_ptr<const CellTexts> cells, bool header,
                         bool numbers) { WriteTable(g, cells, header, numbers); };
  GridFixture reading;
  GridFixture holding;
  struct Step {
    const char* what;
    std::function<void(Grid&, const Show&)> change;
  } steps[] = {
      {"shown",
       [](Grid& g, const Show& show) {
         show(g, std::make_shared<MadeUpCells>(40, 30), true, true);
       }},
      {"a cell written", [](Grid& g, const Show&) { g.SetCellText(3, 2, "x"); }},
      {"current cell", [](Grid& g, const Show&) { g.SetCurrentCell(6, 4); }},
      {"a row inserted among the shown rows", [](Grid& g, const Show&) { g.InsertRow("new", 2); }},
      {"a row deleted", [](Grid& g, const Show&) { g.DeleteRow(4); }},
      {"a column inserted", [](Grid& g, const Show&) { g.InsertColumn("col", 3); }},
      {"a block written",
       [](Grid& g, const Show&) {
         g.SetCells(38, 28, 2, {"a", "b", "c", "d"});
       }},
      {"the last rows cut off", [](Grid& g, const Show&) { g.SetRowCount(30); }},
      {"rows added back", [](Grid& g, const Show&) { g.SetRowCount(33); }},
      {"columns cut off", [](Grid& g, const Show&) { g.SetColumnCount(4); }},
      {"columns added back", [](Grid& g, const Show&) { g.SetColumnCount(6); }},
      {"a cell emptied", [](Grid& g, const Show&) { g.SetCellText(1, 1, ""); }},
      {"shown again",
       [](Grid& g, const Show& show) {
         show(g, std::make_shared<MadeUpCells>(400, 3), false, true);
       }},
      {"the last row deleted", [](Grid& g, const Show&) { g.DeleteRow(399); }},
      {"a row appended", [](Grid& g, const Show&) { g.InsertRow("end"); }},
      {"a row deleted among the shown rows", [](Grid& g, const Show&) { g.DeleteRow(10); }},
      {"cut to one cell",
       [](Grid& g, const Show&) {
         g.SetRowCount(1);
         g.SetColumnCount(1);
       }},
      {"grown again",
       [](Grid& g, const Show&) {
         g.SetRowCount(3);
         g.SetColumnCount(3);
       }},
      {"shown without numbers",
       [](Grid& g, const Show& show) {
         show(g, std::make_shared<MadeUpCells>(20, 2), true, false);
       }},
      {"cleared", [](Grid& g, const Show&) { g.Clear(); }},
      {"written after clearing", [](Grid& g, const Show&) { g.SetCellText(19, 1, "y"); }},
  };
  for (const Step& step : steps) {
    step.change(*reading.grid, shown);
    step.change(*holding.grid, copied);
    EXPECT_EQ(Snapshot(*reading.grid), Snapshot(*holding.grid)) << step.what;
  }
}

TEST(GridCells, TheGridLetsGoOfATableItNoLongerShows) {
  GridFixture f;
  auto cells = std::make_shared<MadeUpCells>(100'000, 4);
  f.grid->ShowCells(cells, true, true);
  EXPECT_GT(cells.use_count(), 1);
  // What the main window does when no table is shown.
  f.grid->SetRowCount(1);
  f.grid->SetColumnCount(1);
  EXPECT_EQ(cells.use_count(), 1) << "one cell left: copied, the table let go";
  EXPECT_EQ(f.grid->CellText(0, 0), In("序号"));
  EXPECT_TRUE(f.grid->SetCellText(0, 0, In("无数据")));
  EXPECT_EQ(f.grid->CellText(0, 0), In("无数据"));
  f.grid->SetRowCount(4);
  EXPECT_EQ(f.grid->CellText(1, 0), "") << "new rows are empty";

  f.grid->ShowCells(cells, true, true);
  EXPECT_GT(cells.use_count(), 1);
  f.grid->Clear();
  EXPECT_EQ(cells.use_count(), 1);
  EXPECT_EQ(f.grid->RowCount(), 100'000);
  EXPECT_EQ(f.grid->CellText(50'000, 2), "");
  EXPECT_TRUE(f.grid->SetCellText(50'000, 2, "z"));
  EXPECT_EQ(f.grid->CellText(50'000, 2), "z");
}

TEST(GridCells, EditsOfAShownTableComeBackAndLeaveTheOtherCells) {
  GridFixture f;
  f.widget.show();
  auto cells = std::make_shared<MadeUpCells>(2000, 3);
  f.grid->ShowCells(cells, true, true);
  f.grid->SetColumnKind(3, ColumnKind::kNumeric);
  f.grid->SetCurrentCell(1500, 2);
  std::vector<std::string> log;
  f.grid->on_editing_begins = [&] { log.push_back("begins " + f.grid->CellText(1500, 2)); };
  f.grid->on_editing_ends = [&] { log.push_back("ends " + f.grid->CellText(1500, 2)); };
  ASSERT_TRUE(f.grid->EditCurrentCell());
  ASSERT_NE(f.Editor(), nullptr);
  EXPECT_EQ(f.Editor()->text(), "r1500c1");
  QTest::keyClick(f.Editor(), Qt::Key_End);
  QTest::keyClicks(f.Editor(), "+");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  Runtime::ProcessEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"begins r1500c1", "ends r1500c1+"}));
  EXPECT_EQ(f.grid->CellText(1500, 2), "r1500c1+");
  EXPECT_EQ(f.grid->CellText(1499, 2), "r1499c1");
  EXPECT_EQ(f.grid->CellText(1500, 1), "r1500c0");

  // The program's writes go in front of the table too; a numeric column still refuses.
  EXPECT_TRUE(f.grid->SetCellText(1, 1, "w"));
  EXPECT_FALSE(f.grid->SetCellText(1, 3, "abc"));
  EXPECT_EQ(f.grid->CellText(1, 1), "w");
  EXPECT_EQ(f.grid->CellText(1, 3), "r1c2");
}

// A letter typed into a large result that cannot be edited does not send the view searching every
// row: the window stays responsive, the current cell stays where it was.
TEST(GridCells, TypingIntoALargeResultSearchesNothing) {
  GridFixture f;
  f.widget.show();
  auto cells = std::make_shared<MadeUpCells>(1'000'000, 3);
  f.grid->ShowCells(cells, true, true);
  f.grid->SetEditable(false);
  f.grid->SetCurrentCell(2, 1);
  int keys = 0;
  f.grid->on_key_pressed = [&keys](int) { ++keys; };
  const std::int64_t reads = cells->reads;
  QTest::keyClicks(&f.widget, "r9");
  EXPECT_EQ(keys, 2);
  EXPECT_LT(cells->reads - reads, 100);
  EXPECT_EQ(f.grid->CurrentRow(), 2);
  QTest::keyClick(&f.widget, Qt::Key_Down);  // keys that move still move
  EXPECT_EQ(f.grid->CurrentRow(), 3);
}

TEST(GridCells, FixedCellsOfAShownTableLookLikeHeaders) {
  GridFixture f;
  f.widget.show();
  // Empty cells, so only the background is drawn.
  f.grid->ShowCells(std::make_shared<MadeUpCells>(0, 3), false, false);
  f.grid->SetRowCount(3);
  f.grid->SetFixedRows(1);
  Runtime::ProcessEvents();
  const QImage picture = f.widget.viewport()->grab().toImage();
  const QPalette& palette = f.widget.palette();
  EXPECT_EQ(picture.pixelColor(f.CellRect(0, 1).topLeft() + QPoint(2, 2)),
            palette.color(QPalette::Button));
  EXPECT_EQ(picture.pixelColor(f.CellRect(1, 1).topLeft() + QPoint(2, 2)),
            palette.color(QPalette::Base));
}

TEST(GridCells, ColumnWidthsStayWhenATableIsShown) {
  GridFixture f;
  f.grid->SetColumnWidth(1, 130);
  f.grid->SetColumnWidth(4, 90);
  f.grid->ShowCells(std::make_shared<MadeUpCells>(10, 7), true, true);
  EXPECT_EQ(f.grid->ColumnWidth(1), 130);
  EXPECT_EQ(f.grid->ColumnWidth(4), 90);
  EXPECT_EQ(f.grid->ColumnWidth(7), 60) << "a new column has the default width";
  EXPECT_EQ(f.grid->RowHeight(9), 20);
}

// A shown table of given texts, some of them NULL, that counts how the grid reads it.
// Rows that keep arriving: the grid adds them after the rows it shows, keeps its current cell, and
// asks for more when the user scrolls to the last row while more are coming.
TEST(GridCells, RowsThatArriveLaterAreAddedAtTheEnd) {
  GridFixture f;
  auto cells = std::make_shared<MadeUpCells>(11, 2);
  f.grid->ShowCells(cells, true, true);
  f.grid->SetCurrentCell(5, 1);
  f.log.clear();
  int wanted = 0;
  f.grid->on_more_rows_wanted = [&] { ++wanted; };
  QAbstractItemModel* model = f.widget.model();
  EXPECT_FALSE(model->canFetchMore(QModelIndex()));
  cells->Grow(1001);
  f.grid->ShowMoreRows(true);
  EXPECT_EQ(f.grid->RowCount(), 1001);
  EXPECT_EQ(f.grid->CellText(1000, 1), MadeUp(1000, 0));
  EXPECT_EQ(f.grid->CurrentRow(), 5);
  EXPECT_EQ(f.grid->CurrentColumn(), 1);
  EXPECT_TRUE(f.log.empty());
  EXPECT_TRUE(model->canFetchMore(QModelIndex()));
  f.widget.resize(300, 200);
  f.widget.show();
  Runtime::ProcessEvents();
  f.widget.verticalScrollBar()->setValue(f.widget.verticalScrollBar()->maximum());
  EXPECT_GE(wanted, 1);
  // The last rows came: nothing more is asked for.
  f.grid->ShowMoreRows(false);
  EXPECT_FALSE(model->canFetchMore(QModelIndex()));
  // Once the program changed the rows, the grid keeps those it has.
  f.grid->InsertRow("新");
  cells->Grow(2000);
  f.grid->ShowMoreRows(true);
  EXPECT_EQ(f.grid->RowCount(), 1002);
  // A table shown anew is not taken for one whose rows are still coming.
  f.grid->ShowCells(std::make_shared<MadeUpCells>(3, 2), true, true);
  EXPECT_FALSE(model->canFetchMore(QModelIndex()));
}

class GivenCells : public CellTexts {
 public:
  // `texts` row by row, `columns` to a row; std::nullopt stands for NULL.
  GivenCells(int columns, std::vector<std::optional<std::string>> texts)
      : columns_(columns), texts_(std::move(texts)) {}
  int rows() const override { return static_cast<int>(texts_.size()) / columns_; }
  int columns() const override { return columns_; }
  std::string_view at(int row, int column, std::string&) const override {
    ++whole_reads;
    return Text(row, column);
  }
  std::string_view prefix(int row, int column, std::size_t bytes, std::string&) const override {
    ++prefix_reads;
    largest_prefix = std::max(largest_prefix, bytes);
    return Text(row, column).substr(0, bytes);
  }
  bool is_null(int row, int column) const override { return !Cell(row, column).has_value(); }

  mutable int whole_reads = 0;
  mutable int prefix_reads = 0;
  mutable std::size_t largest_prefix = 0;

 private:
  const std::optional<std::string>& Cell(int row, int column) const {
    return texts_[static_cast<std::size_t>(row * columns_ + column)];
  }
  std::string_view Text(int row, int column) const {
    const std::optional<std::string>& cell = Cell(row, column);
    return cell ? std::string_view(*cell) : std::string_view();
  }

  int columns_;
  std::vector<std::optional<std::string>> texts_;
};

constexpr std::nullopt_t kNull = std::nullopt;

// The pixels of cell (row, column) inside its grid lines, as the viewport shows them.
QImage CellPicture(GridFixture& f, int row, int column) {
  const QImage viewport = f.widget.viewport()->grab().toImage();
  return viewport.copy(f.CellRect(row, column).adjusted(1, 1, -2, -2));
}

// The darkest grey level among the pixels of `picture`; 255 for a blank one.
int Darkest(const QImage& picture) {
  int darkest = 255;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x)
      darkest = std::min(darkest, qGray(picture.pixel(x, y)));
  }
  return darkest;
}

// The name assistive technology gives cell (row, column) of the grid.
QString SpokenCellName(QTableView& view, int row, int column) {
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&view);
  QAccessibleTableInterface* table = access ? access->tableInterface() : nullptr;
  QAccessibleInterface* cell = table ? table->cellAt(row, column) : nullptr;
  return cell ? cell->text(QAccessible::Name) : QStringLiteral("<no cell>");
}

// A NULL reads as "" like an empty text, but shows a dimmed marker, unlike an empty text and unlike
// the text "NULL", and assistive technology names it.
TEST(GridNulls, ShowAMarkerAndAreNamedButReadAsEmpty) {
  GridFixture f;
  f.widget.show();
  f.grid->ShowCells(std::make_shared<GivenCells>(
                        3, std::vector<std::optional<std::string>>{"a", "b", "c", kNull, "", "NULL",
                                                                   "x", kNull, ""}),
                    true, true);
  Runtime::ProcessEvents();
  const QString null_name = QStringLiteral("空值");
  static const struct {
    int row, column;
    const char* text;  // what the program reads
    bool null;
    const char* spoken;  // UTF-8
  } cases[] = {
      {1, 1, "", true, "空值"}, {1, 2, "", false, ""},    {1, 3, "NULL", false, "NULL"},
      {2, 1, "x", false, "x"},  {2, 2, "", true, "空值"}, {2, 3, "", false, ""},
      {0, 1, "a", false, "a"},  {1, 0, "1", false, "1"},
  };
  QAbstractItemModel* model = f.widget.model();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.row << "," << c.column);
    const QModelIndex index = model->index(c.row, c.column);
    EXPECT_EQ(f.grid->CellText(c.row, c.column), c.text);
    EXPECT_EQ(index.data(Qt::EditRole).toString(), QString::fromUtf8(c.text));
    EXPECT_EQ(index.data(kNullRole).toBool(), c.null);
    EXPECT_EQ(index.data(Qt::AccessibleTextRole).toString(), c.null ? null_name : QString());
    EXPECT_EQ(SpokenCellName(f.widget, c.row, c.column), QString::fromUtf8(c.spoken));
  }
  // On screen: the empty text is blank; the NULL marker is drawn, lighter than the text "NULL".
  const QColor base = f.widget.palette().color(QPalette::Base);
  const QImage empty = CellPicture(f, 1, 2);
  const QImage null = CellPicture(f, 1, 1);
  const QImage text = CellPicture(f, 1, 3);
  EXPECT_EQ(Darkest(empty), qGray(base.rgb()));
  EXPECT_LT(Darkest(null), qGray(base.rgb()));
  EXPECT_GT(Darkest(null), Darkest(text));
  EXPECT_NE(null, text);
}

// An editor opened on a NULL starts empty, as on an empty text. Left empty, the cell still shows
// NULL, as the record still holds it; a typed text, or a text the program writes, replaces it.
TEST(GridNulls, OnlyAWrittenTextReplacesANull) {
  GridFixture f;
  f.widget.show();
  f.grid->ShowCells(std::make_shared<GivenCells>(
                        2, std::vector<std::optional<std::string>>{"a", "b", kNull, kNull, kNull,
                                                                   kNull, "x", "y"}),
                    true, true);
  f.grid->SetEditable(true);
  auto null_at = [&](int row, int column) {
    return f.widget.model()->index(row, column).data(kNullRole).toBool();
  };
  f.grid->SetCurrentCell(1, 1);
  ASSERT_TRUE(f.grid->EditCurrentCell());
  ASSERT_NE(f.Editor(), nullptr);
  EXPECT_EQ(f.Editor()->text(), QString());
  f.grid->FinishEditing();
  Runtime::ProcessEvents();  // the closed editor goes
  EXPECT_EQ(f.grid->CellText(1, 1), "");
  EXPECT_TRUE(null_at(1, 1));

  f.grid->SetCurrentCell(1, 2);
  ASSERT_TRUE(f.grid->EditCurrentCell());
  QTest::keyClicks(f.Editor(), "v");
  f.grid->FinishEditing();
  EXPECT_EQ(f.grid->CellText(1, 2), "v");
  EXPECT_FALSE(null_at(1, 2));

  EXPECT_TRUE(f.grid->SetCellText(2, 1, ""));
  EXPECT_FALSE(null_at(2, 1));
  EXPECT_TRUE(null_at(2, 2));
  // A grid cut down to a few cells copies them and lets the table go; its NULLs stay NULLs.
  f.grid->DeleteRow(1);
  EXPECT_FALSE(null_at(1, 1));
  EXPECT_TRUE(null_at(1, 2));
  EXPECT_EQ(f.grid->CellText(2, 1), "x");
}

// The NULLs of a real database's rows reach the grid as NULLs; empty texts and empty byte values
// as empty texts.
TEST(GridNulls, ARecordSetsNullsShowAsNull) {
  testing::TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("nulls.sdb"), true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t(a, b, c); INSERT INTO t VALUES (NULL, '', x''), ('', NULL, 0)"));
  SqliteDataset rows = db.Query("SELECT a, b, c FROM t ORDER BY rowid");
  ASSERT_TRUE(rows.Requery());
  GridFixture f;
  f.grid->ShowCells(ShareAsCells(rows.GetAll(true)), true, true);
  const bool expected[3][4] = {
      {false, false, false, false}, {false, true, false, false}, {false, false, true, false}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(f.widget.model()->index(r, c).data(kNullRole).toBool(), expected[r][c])
          << r << "," << c;
      if (r > 0 && c > 0 && !(r == 2 && c == 3)) {
        EXPECT_EQ(f.grid->CellText(r, c), "");
      }
    }
  }
}

TEST(GridBytes, ADescriptionGivesTheSizeAndTheFirstBytes) {
  static const struct {
    std::uint64_t size;
    std::string_view start;
    const char* text;
  } cases[] = {
      {0, "", "<二进制 0字节>"},
      {3, std::string_view("\x01\x7f\xff", 3), "<二进制 3字节> 01 7F FF"},
      {1023, "BM6", "<二进制 1023字节> 42 4D 36…"},
      {1536, "\x89PNG\r\n\x1a\n\0", "<二进制 1.5KB> 89 50 4E 47 0D 0A 1A 0A…"},
      {200u << 20, "BM", "<二进制 200.0MB> 42 4D…"},
      {std::uint64_t{3} << 30, "", "<二进制 3.0GB>…"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesCellText({c.size, c.start}), QString::fromUtf8(c.text)) << c.text;
  }
}

// A record set's bytes show as their description, never as characters, and are not edited in
// place; nor is a text too long for a line editor. The description stays when the grid takes the
// few cells left into its own keeping.
TEST(GridBytes, ARecordSetsBytesShowTheirDescriptionAndAreNotEditedInPlace) {
  testing::TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("bytes.sdb"), true));
  ASSERT_TRUE(db.Execute(
      "CREATE TABLE t(a, b); INSERT INTO t VALUES"
      " (x'424D360C', 'BM6'), (zeroblob(3000000), replace(hex(zeroblob(40000)), '0', 'xy')),"
      " (x'', 12)"));
  SqliteDataset rows = db.Query("SELECT a, b FROM t ORDER BY rowid");
  ASSERT_TRUE(rows.Requery());
  GridFixture f;
  f.grid->ShowCells(ShareAsCells(rows.GetAll(true)), true, true);
  f.widget.show();
  Runtime::ProcessEvents();
  f.widget.viewport()->grab();
  auto shown = [&](int row, int column) {
    return f.widget.model()->index(row, column).data(Qt::DisplayRole).toString();
  };
  auto editable = [&](int row, int column) {
    return (f.widget.model()->index(row, column).flags() & Qt::ItemIsEditable) != 0;
  };
  EXPECT_EQ(shown(1, 1), QStringLiteral("<二进制 4字节> 42 4D 36 0C"));
  EXPECT_EQ(shown(1, 2), QStringLiteral("BM6"));
  EXPECT_EQ(shown(2, 1), QStringLiteral("<二进制 2.9MB> 00 00 00 00 00 00 00 00…"));
  EXPECT_EQ(shown(3, 1), QStringLiteral("<二进制 0字节>"));
  EXPECT_EQ(shown(3, 2), QStringLiteral("12"));
  EXPECT_FALSE(editable(1, 1));
  EXPECT_TRUE(editable(1, 2));
  EXPECT_FALSE(editable(2, 2)) << "160000 bytes of text";
  EXPECT_FALSE(editable(3, 1));
  EXPECT_TRUE(editable(3, 2));
  // The program still reads what the cell holds.
  EXPECT_EQ(f.grid->CellText(1, 1), "BM6\x0c");
  f.grid->SetCurrentCell(1, 1);
  EXPECT_FALSE(f.grid->EditCurrentCell());

  f.grid->DeleteRow(2);
  EXPECT_EQ(shown(1, 1), QStringLiteral("<二进制 4字节> 42 4D 36 0C"));
  EXPECT_EQ(shown(2, 1), QStringLiteral("<二进制 0字节>"));
  f.grid->SetCellText(1, 1, In("文字"));
  EXPECT_EQ(shown(1, 1), QStringLiteral("文字")) << "a text written over bytes is a text";
  EXPECT_TRUE(editable(1, 1));
}

// A table's browse keeps a long BLOB as its size and first bytes: the grid describes it by its
// whole size, also once it has taken the few cells left into its own keeping.
TEST(GridBytes, BytesReadInPartShowTheirWholeSize) {
  testing::TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("part.sdb"), true));
  ASSERT_TRUE(db.Execute(
      "CREATE TABLE t(a, b); INSERT INTO t VALUES"
      " (CAST(x'424D360C' || zeroblob(3000000) AS BLOB), 'BM6'), (zeroblob(5000), x'00')"));
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  const BrowseStatement browse = MakeBrowseStatement(cursor, db, true, 1000);
  ASSERT_TRUE(browse.cut);
  SqliteDataset rows = db.Query(browse.sql);
  ASSERT_TRUE(rows.Requery(&*browse.cut));
  GridFixture f;
  f.grid->ShowCells(ShareAsCells(rows.GetAll(true)), true, true);
  f.widget.show();
  Runtime::ProcessEvents();
  auto shown = [&](int row, int column) {
    return f.widget.model()->index(row, column).data(Qt::DisplayRole).toString();
  };
  EXPECT_EQ(shown(1, 1), QStringLiteral("<二进制 2.9MB> 42 4D 36 0C 00 00 00 00…"));
  EXPECT_EQ(shown(2, 1), QStringLiteral("<二进制 4.9KB> 00 00 00 00 00 00 00 00…"));
  EXPECT_EQ(shown(2, 2), QStringLiteral("<二进制 1字节> 00"));
  EXPECT_EQ(f.grid->CellText(1, 1).size(), kBlobStartKept);
  f.grid->DeleteRow(2);
  EXPECT_EQ(shown(1, 1), QStringLiteral("<二进制 2.9MB> 42 4D 36 0C 00 00 00 00…"));
  EXPECT_EQ(shown(1, 2), QStringLiteral("BM6"));
}

// The width a column needs for `text` in the grid's font, without margins.
int TextWidth(const QTableView& view, const QString& text) {
  return view.fontMetrics().horizontalAdvance(text);
}

// Columns fitted to their texts: as wide as the widest first line of the first hundred rows needs,
// from the default width up to 300 pixels, reading only the start of each text.
TEST(GridColumns, FitToTheStartOfTheirFirstRowsWithinALimit) {
  const std::string medium = In("一二三四五六七八九十");
  const std::string heading = In("这一列的名称比它的值长得多");
  const std::string huge(3'000'000, 'w');
  const int rows = 1000;
  std::vector<std::optional<std::string>> texts;
  for (int r = 0; r < rows; ++r) {
    if (r == 0) {
      for (const std::string& name : {std::string("a"), std::string("b"), std::string("c"), heading,
                                      std::string("e"), std::string("f"), std::string("g")}) {
        texts.emplace_back(name);
      }
      continue;
    }
    texts.emplace_back(std::to_string(r));                       // short
    texts.emplace_back(r == 7 ? medium : "m");                   // one medium text
    texts.emplace_back(r == 1 || r == 3 ? huge : "h");           // megabytes
    texts.emplace_back("d");                                     // a long heading
    texts.emplace_back("first\n" + std::string(2000, 'W'));      // a long second line
    texts.emplace_back(r == 150 ? std::string(500, 'F') : "f");  // long past the rows read
    texts.emplace_back(kNull);                                   // NULL only
  }
  auto cells = std::make_shared<GivenCells>(7, std::move(texts));
  GridFixture f;
  f.grid->ShowCells(cells, true, true);
  const int whole_reads = cells->whole_reads;
  f.grid->FitColumnWidths();
  EXPECT_EQ(cells->whole_reads, whole_reads) << "no whole text is read";
  EXPECT_LE(cells->largest_prefix, 400u);
  EXPECT_LE(cells->prefix_reads, 7 * 100);

  EXPECT_EQ(f.grid->ColumnWidth(0), 60);  // the row numbers
  EXPECT_EQ(f.grid->ColumnWidth(1), 60);
  const int medium_width = TextWidth(f.widget, QString::fromUtf8("一二三四五六七八九十"));
  EXPECT_GT(medium_width, 60);
  EXPECT_GE(f.grid->ColumnWidth(2), medium_width);
  EXPECT_LE(f.grid->ColumnWidth(2), medium_width + 12);
  EXPECT_EQ(f.grid->ColumnWidth(3), 300);
  const int heading_width = TextWidth(f.widget, QString::fromUtf8("这一列的名称比它的值长得多"));
  EXPECT_GE(f.grid->ColumnWidth(4), heading_width);
  EXPECT_LE(f.grid->ColumnWidth(4), std::min(heading_width + 12, 300));
  EXPECT_EQ(f.grid->ColumnWidth(5), 60);
  EXPECT_EQ(f.grid->ColumnWidth(6), 60);
  EXPECT_EQ(f.grid->ColumnWidth(7), 60);
  // What shows in a fitted column is not cut off.
  f.widget.show();
  Runtime::ProcessEvents();
  EXPECT_EQ(f.widget.model()->index(7, 2).data().toString(),
            QString::fromUtf8("一二三四五六七八九十"));
}

// A cell of megabytes shows the start of its text and is drawn from that start alone; the whole
// text is what the program and the editor (the edit role) get.
TEST(GridCells, LongTextsShowTheirStartOnly) {
  const std::string huge = std::string(2'000'000, 'w') + "end";
  auto cells = std::make_shared<GivenCells>(
      2, std::vector<std::optional<std::string>>{"a", "b", huge, "short", huge, kNull});
  GridFixture f;
  f.grid->ShowCells(cells, true, true);
  f.widget.show();
  Runtime::ProcessEvents();
  f.widget.viewport()->grab();
  EXPECT_EQ(cells->whole_reads, 0) << "drawing reads the start of each text";
  const QString shown = f.widget.model()->index(1, 1).data(Qt::DisplayRole).toString();
  EXPECT_EQ(shown, QString(4096, QLatin1Char('w')) + QChar(0x2026));
  EXPECT_EQ(f.widget.model()->index(1, 2).data(Qt::DisplayRole).toString(),
            QStringLiteral("short"));
  EXPECT_EQ(f.widget.model()->index(1, 1).data(Qt::EditRole).toString().size(),
            static_cast<qsizetype>(huge.size()));
  EXPECT_EQ(f.grid->CellText(2, 1), huge);
}

// Sends a mouse event of `type` at viewport point `at`.
void Mouse(QTableView& view, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &event);
}

// Where the right edge of column `column` meets the fixed row.
QPoint EdgeOf(GridFixture& f, int column) {
  return QPoint(f.widget.columnViewportPosition(column) + f.widget.columnWidth(column),
                f.CellRect(0, column).center().y());
}

// The right edge of a column's cell in a fixed row stands for the hidden header's: dragging it
// widens or narrows the column, without touching the current cell; a double click fits the column
// again. A dragged width stays while the same columns are shown again.
TEST(GridColumns, TheUserDragsAColumnsEdgeInAFixedRow) {
  GridFixture f;
  f.widget.show();
  auto show = [&](std::vector<std::optional<std::string>> texts) {
    f.grid->ShowCells(std::make_shared<GivenCells>(3, std::move(texts)), true, true);
    f.grid->FitColumnWidths();
    Runtime::ProcessEvents();
  };
  show({"a", "b", "c", "1", "2", "3"});
  ASSERT_EQ(f.grid->ColumnWidth(2), 60);
  f.grid->SetCurrentCell(1, 1);
  f.log.clear();

  // Hovering: the cursor says where a drag would resize.
  Mouse(f.widget, QEvent::MouseMove, EdgeOf(f, 2), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(f.widget.viewport()->cursor().shape(), Qt::SplitHCursor);
  Mouse(f.widget, QEvent::MouseMove, f.CellRect(0, 2).center(), Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(f.widget.viewport()->testAttribute(Qt::WA_SetCursor));
  Mouse(f.widget, QEvent::MouseMove, QPoint(EdgeOf(f, 2).x(), f.CellRect(1, 2).center().y()),
        Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(f.widget.viewport()->testAttribute(Qt::WA_SetCursor)) << "only in a fixed row";

  // Taken a pixel off the edge, the edge follows the mouse from there.
  const QPoint edge = EdgeOf(f, 2) - QPoint(1, 0);
  Mouse(f.widget, QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
  Mouse(f.widget, QEvent::MouseMove, edge + QPoint(40, 3), Qt::NoButton, Qt::LeftButton);
  Mouse(f.widget, QEvent::MouseButtonRelease, edge + QPoint(40, 3), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(f.grid->ColumnWidth(2), 100);
  EXPECT_TRUE(f.log.empty());
  EXPECT_EQ(f.grid->CurrentColumn(), 1);

  // Narrower than a few pixels it does not get.
  Mouse(f.widget, QEvent::MouseButtonPress, EdgeOf(f, 3), Qt::LeftButton, Qt::LeftButton);
  Mouse(f.widget, QEvent::MouseButtonRelease, EdgeOf(f, 3) - QPoint(200, 0), Qt::LeftButton,
        Qt::NoButton);
  EXPECT_EQ(f.grid->ColumnWidth(3), 8);

  // The same columns again, longer texts: the dragged widths stay, the other columns fit anew.
  show({"a", "b", "c", std::string(30, 'z'), std::string(30, 'x'), std::string(30, 'y')});
  EXPECT_EQ(f.grid->ColumnWidth(2), 100);
  EXPECT_EQ(f.grid->ColumnWidth(3), 8);
  EXPECT_GT(f.grid->ColumnWidth(1), 60);
  // A double click on the edge fits the column to its texts again.
  Mouse(f.widget, QEvent::MouseButtonDblClick, EdgeOf(f, 3), Qt::LeftButton, Qt::LeftButton);
  EXPECT_GE(f.grid->ColumnWidth(3), TextWidth(f.widget, QString(30, QLatin1Char('y'))));
  EXPECT_LT(f.grid->ColumnWidth(3), 300);
  EXPECT_EQ(f.grid->ColumnWidth(2), 100);
  // Other columns: every width is fitted again.
  show({"a", "b", "other", "1", "2", "3"});
  EXPECT_EQ(f.grid->ColumnWidth(2), 60);
  EXPECT_EQ(f.grid->ColumnWidth(3), 60);
}

}  // namespace
}  // namespace torvane
