// Internal text through the real widgets and back: every byte value, whether or not it starts a
// character, comes back unchanged from edit boxes, grid cells and their editors, tree items and
// combo box items, also after the user has typed next to it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "base/cell_texts.h"
#include "base/codec.h"
#include "support/hex.h"
#include "ui/controls.h"
#include "ui/runtime.h"

namespace torvane {
namespace {

using testing::Hex;

// Every byte value alone, then values whose bytes are not all characters. The zero byte does not
// occur in text a widget shows, but the widgets carry it too.
std::vector<std::string> Values() {
  std::vector<std::string> values;
  for (int b = 0x00; b <= 0xFF; ++b) values.emplace_back(1, static_cast<char>(b));
  values.emplace_back("a\0b", 3);
  for (const char* value : {
           "\xD6\xD0\xCE",      // cut inside a character
           "\xE4\xB8\xAD",      // UTF-8 written by another tool
           "A\x80Z",            // the euro sign of the Windows GBK code page
           "\xA2\xE3",          // GB18030's euro sign, which GBK does not know
           "\x94\x39\xFC\x36",  // an emoji: a four-byte character
           "\x81\x30",          // a four-byte character cut off
       }) {
    values.emplace_back(value);
  }
  return values;
}

TEST(EditBox, EveryByteComesBackAlsoAfterTheUserTypes) {
  QLineEdit line;
  QPlainTextEdit multi;
  struct {
    QWidget* widget;
    Qt::KeyboardModifiers to_end;  // with End, moves the caret to the end of the text
  } boxes[] = {{&line, Qt::NoModifier}, {&multi, Qt::ControlModifier}};
  for (const auto& b : boxes) {
    EditBox box(b.widget);
    const char* kind = b.widget->metaObject()->className();
    for (const std::string& value : Values()) {
      box.SetContent(value);
      EXPECT_EQ(Hex(box.Content()), Hex(value)) << kind;
      // Typed text makes the box give back what it holds, not what the program set.
      QTest::keyClick(b.widget, Qt::Key_End, b.to_end);
      QTest::keyClicks(b.widget, "X");
      std::string expected = value + "X";
      // A multi-line box breaks lines with CR LF.
      if (b.widget == &multi && (value == "\r" || value == "\n")) expected = "\r\nX";
      EXPECT_EQ(Hex(box.Content()), Hex(expected)) << kind;
    }
  }
}

// A grid whose cell (1, 1) is current and editable.
struct OneCellGrid {
  OneCellGrid() {
    widget.resize(300, 120);
    widget.show();
    grid = std::make_unique<Grid>(&widget);
    grid->SetRowCount(2);
    grid->SetColumnCount(2);
    grid->SetCurrentCell(1, 1);
  }
  QLineEdit* Editor() { return widget.viewport()->findChild<QLineEdit*>(); }

  // Opens the cell's editor, puts the caret at the end of its text, lets `keys` press keys there
  // and confirms.
  void Edit(const std::function<void(QLineEdit*)>& keys) {
    ASSERT_TRUE(grid->EditCurrentCell());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    keys(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    Runtime::ProcessEvents();
  }

  QTableView widget;
  std::unique_ptr<Grid> grid;
};

TEST(Grid, EveryByteComesBackFromACellAndItsEditor) {
  OneCellGrid f;
  for (const std::string& value : Values()) {
    ASSERT_TRUE(f.grid->SetCellText(1, 1, value));
    EXPECT_EQ(Hex(f.grid->CellText(1, 1)), Hex(value));
    f.Edit([](QLineEdit* editor) { QTest::keyClicks(editor, "X"); });
    EXPECT_EQ(Hex(f.grid->CellText(1, 1)), Hex(value + "X"));
  }
}

TEST(Grid, EditingNextToACutCharacterChangesOnlyWhatTheUserChanged) {
  struct {
    const char* what;
    std::function<void(QLineEdit*)> keys;
    std::string expected;
  } cases[] = {
      {"X typed at the end", [](QLineEdit* e) { QTest::keyClicks(e, "X"); }, "\xD6\xD0\xCE\x58"},
      {"X typed at the start",
       [](QLineEdit* e) {
         QTest::keyClick(e, Qt::Key_Home);
         QTest::keyClicks(e, "X");
       },
       "\x58\xD6\xD0\xCE"},
      {"Backspace at the end", [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Backspace); },
       "\xD6\xD0"},
      {"Backspace twice",
       [](QLineEdit* e) {
         QTest::keyClick(e, Qt::Key_Backspace);
         QTest::keyClick(e, Qt::Key_Backspace);
       },
       ""},
  };
  for (const auto& c : cases) {
    OneCellGrid f;
    ASSERT_TRUE(f.grid->SetCellText(1, 1, "\xD6\xD0\xCE"));
    f.Edit(c.keys);
    EXPECT_EQ(Hex(f.grid->CellText(1, 1)), Hex(c.expected)) << c.what;
  }
}

TEST(Grid, EveryByteComesBackFromAShownTableAndItsEditor) {
  class ValueCells : public CellTexts {
   public:
    int rows() const override { return static_cast<int>(values.size()); }
    int columns() const override { return 1; }
    std::string_view at(int row, int, std::string&) const override { return values[row]; }
    std::vector<std::string> values = Values();
  };
  auto cells = std::make_shared<ValueCells>();
  QTableView widget;  // the grid reads its cells from the shown table
  widget.resize(300, 120);
  widget.show();
  Grid grid(&widget);
  grid.ShowCells(cells, false, false);
  for (int row = 0; row < cells->rows(); ++row) {
    const std::string& value = cells->values[row];
    EXPECT_EQ(Hex(grid.CellText(row, 0)), Hex(value));
    // What the view draws and what the editor starts with convert back to exactly the bytes.
    const QString shown = widget.model()->index(row, 0).data().toString();
    EXPECT_EQ(Hex(FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(shown.utf16()),
                                                static_cast<size_t>(shown.size())))),
              Hex(value));
    grid.SetCurrentCell(row, 0);
    ASSERT_TRUE(grid.EditCurrentCell());
    auto* editor = widget.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "X");
    QTest::keyClick(editor, Qt::Key_Return);
    Runtime::ProcessEvents();
    EXPECT_EQ(Hex(grid.CellText(row, 0)), Hex(value + "X"));
  }
}

TEST(TreeView, EveryByteComesBackFromAnItem) {
  QTreeWidget widget;
  TreeView tree(&widget);
  const std::vector<std::string> values = Values();
  for (const std::string& value : values) tree.AddItem(-1, value);
  ASSERT_EQ(tree.ItemCount(), static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Hex(tree.ItemText(static_cast<int>(i))), Hex(values[i]));
  }
}

TEST(ComboBox, EveryByteComesBackFromAnItem) {
  QComboBox widget;
  ComboBox combo(&widget);
  const std::vector<std::string> values = Values();
  for (const std::string& value : values) combo.AddItem(value);
  ASSERT_EQ(combo.ItemCount(), static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i);
    EXPECT_EQ(Hex(combo.ItemText(index)), Hex(values[i]));
    combo.SetSelectedIndex(index);
    EXPECT_EQ(Hex(combo.CurrentText()), Hex(values[i]));
  }
}

}  // namespace
}  // namespace torvane
