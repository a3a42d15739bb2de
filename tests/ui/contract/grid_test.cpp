// Grids: counts, fixed cells, column kinds, clear / insert / delete, the current cell and the
// events of in-place editing.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>

#include "base/codec.h"
#include "modal_answer.h"
#include "ui/controls.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

namespace torvane {
namespace {

std::string In(const char* utf8) { return FromUtf8(utf8); }

// A grid made the way the window code makes the record grid: 5 x 5, one fixed row and column.
struct GridFixture {
  explicit GridFixture(int rows = 5, int columns = 5, int fixed_rows = 1, int fixed_columns = 1)
      : widget(rows, columns) {
    widget.horizontalHeader()->hide();
    widget.verticalHeader()->hide();
    widget.horizontalHeader()->setMinimumSectionSize(1);
    widget.verticalHeader()->setMinimumSectionSize(1);
    widget.verticalHeader()->setDefaultSectionSize(20);
    widget.horizontalHeader()->setDefaultSectionSize(60);
    widget.setProperty("torvaneFixedRows", fixed_rows);
    widget.setProperty("torvaneFixedColumns", fixed_columns);
    widget.resize(384, 328);
    grid = std::make_unique<Grid>(&widget);
    grid->on_current_cell_changed = [this] {
      log.push_back("cell " + std::to_string(grid->CurrentRow()) + "," +
                    std::to_string(grid->CurrentColumn()));
    };
  }
  QLineEdit* Editor() { return widget.viewport()->findChild<QLineEdit*>(); }
  QTableWidget widget;
  std::unique_ptr<Grid> grid;
  std::vector<std::string> log;
};

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

TEST(Grid, DesignedFixedRowsAndColumnsComeFromTheWidget) {
  GridFixture f(2, 4, 1, 1);
  EXPECT_EQ(f.grid->FixedRows(), 1);
  EXPECT_EQ(f.grid->FixedColumns(), 1);
  GridFixture g(2, 2, 0, 1);
  EXPECT_EQ(g.grid->FixedRows(), 0);
  EXPECT_EQ(g.grid->FixedColumns(), 1);
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
    EXPECT_EQ(f.widget.currentRow(), c.expected_row) << c.what;
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
  const QPoint cell = f.widget.visualRect(f.widget.model()->index(3, 2)).center();
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 3,2"}));
  QTest::keyClick(&f.widget, Qt::Key_Down);
  QTest::keyClick(&f.widget, Qt::Key_Up);
  EXPECT_EQ(keys, (std::vector<std::string>{"40 at row 3", "38 at row 4"}))
      << "the handler runs before the grid moves";
  EXPECT_EQ(f.log, (std::vector<std::string>{"cell 3,2", "cell 4,2", "cell 3,2"}));
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
  for (const auto& c : cases) {
    GridFixture f;
    f.widget.show();
    f.grid->SetEditable(c.editable);
    EXPECT_EQ(f.grid->IsEditable(), c.editable);
    int begins = 0;
    f.grid->on_editing_begins = [&] { ++begins; };
    f.grid->SetCurrentCell(c.row, c.column);
    EXPECT_EQ(f.grid->EditCurrentCell(), c.opens) << c.what;
    QTest::mouseDClick(f.widget.viewport(), Qt::LeftButton, {},
                       f.widget.visualRect(f.widget.model()->index(c.row, c.column)).center());
    EXPECT_EQ(f.Editor() != nullptr, c.opens) << c.what;
    EXPECT_EQ(begins, c.opens ? 1 : 0) << c.what;
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

}  // namespace
}  // namespace torvane
