// Grid: a QTableWidget whose own headers are hidden, so grid (row, column) is the widget's cell.
// The first FixedRows() rows and FixedColumns() columns are drawn as headers and never edited; the
// current cell is a pair of indexes that structural changes keep where possible.
#include <algorithm>
#include <cctype>
#include <cmath>

#include <limits>

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "base/text.h"
#include "ui/controls.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

// "", "0" and any text whose leading numeric part is a number other than zero. The leading part
// must start with a digit or a point: the C library would also read "nan" and "inf", which are not
// numbers a user means.
bool AcceptsNumber(const std::string& text) {
  if (text.empty() || text == "0") return true;
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  if (at >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.'))
    return false;
  const double value = ToNumber(text);
  return value != 0.0 && !std::isnan(value);
}

bool NumberCharacter(QChar c) {
  return c.unicode() < 32 || c.unicode() == 0x7F || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
         c == QLatin1Char('-') || c == QLatin1Char('.');
}

// The Windows virtual-key code of a Qt key; 0 for keys without one.
int VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return kKeyBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kKeyReturn;
    case Qt::Key_Escape:
      return kKeyEscape;
    case Qt::Key_Space:
      return kKeySpace;
    case Qt::Key_PageUp:
      return kKeyPageUp;
    case Qt::Key_PageDown:
      return kKeyPageDown;
    case Qt::Key_End:
      return kKeyEnd;
    case Qt::Key_Home:
      return kKeyHome;
    case Qt::Key_Left:
      return kKeyLeft;
    case Qt::Key_Up:
      return kKeyUp;
    case Qt::Key_Right:
      return kKeyRight;
    case Qt::Key_Down:
      return kKeyDown;
    case Qt::Key_Insert:
      return kKeyInsert;
    case Qt::Key_Delete:
      return kKeyDelete;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    default:
      return 0;
  }
}

// Everything the wrapper knows about its grid; shared with the delegate.
struct GridState {
  Grid* owner = nullptr;
  QPointer<QTableWidget> table;
  QPointer<QStyledItemDelegate> delegate;
  int fixed_rows = 0;
  int fixed_columns = 0;
  int design_rows = 0;
  int design_columns = 0;
  bool editable = true;
  std::vector<ColumnKind> kinds;   // one per column
  std::vector<QStringList> lists;  // drop-down list per column
  QStringList pending_list;        // collected for the next drop-down column
  int reported_row = -1;
  int reported_column = -1;
  bool silent = false;  // current-cell changes made here report themselves
  bool editor_open = false;
  // The cell whose editor is open. While the editing-ends handler runs, the current cell reads as
  // this cell even when a click elsewhere already moved the view on: the handler writes the edited
  // text to the record and field of the cell that was edited, never to the newly clicked one.
  int edited_row = -1;
  int edited_column = -1;
  bool ending = false;

  bool IsFixed(int row, int column) const { return row < fixed_rows || column < fixed_columns; }

  bool CanEdit(const QModelIndex& index) const {
    return table && editable && index.isValid() && !IsFixed(index.row(), index.column());
  }

  ColumnKind KindOf(int column) const {
    return column >= 0 && column < static_cast<int>(kinds.size()) ? kinds[column]
                                                                  : ColumnKind::kText;
  }

  void SyncColumns() {
    const size_t n = table ? static_cast<size_t>(table->columnCount()) : 0;
    kinds.resize(n, ColumnKind::kText);
    lists.resize(n);
  }

  void ApplyEditTriggers() {
    if (!table) return;
    table->setEditTriggers(editable ? QAbstractItemView::DoubleClicked |
                                          QAbstractItemView::EditKeyPressed |
                                          QAbstractItemView::AnyKeyPressed
                                    : QAbstractItemView::NoEditTriggers);
  }

  // Raises the event when (row, column) differs from the cell reported last.
  void Report(int row, int column) {
    if (row == reported_row && column == reported_column) return;
    reported_row = row;
    reported_column = column;
    if (owner->on_current_cell_changed) owner->on_current_cell_changed();
  }

  void SetCurrentSilently(int row, int column) {
    silent = true;
    if (row < 0 || column < 0) {
      table->selectionModel()->clearCurrentIndex();
      table->clearSelection();
    } else {
      table->setCurrentCell(row, column);
    }
    silent = false;
  }

  // Runs a change of the grid's shape. The current cell keeps its indexes when they still name a
  // cell and moves to the last row / column otherwise; only that move raises the event.
  template <typename Change>
  void Restructure(Change change) {
    const int row = reported_row;
    const int column = reported_column;
    silent = true;
    change();
    silent = false;
    SyncColumns();
    int new_row = row;
    int new_column = column;
    if (row >= 0 && column >= 0) {
      new_row = std::min(row, table->rowCount() - 1);
      new_column = std::min(column, table->columnCount() - 1);
      if (new_row < 0 || new_column < 0) new_row = new_column = -1;
    }
    SetCurrentSilently(new_row, new_column);
    Report(new_row, new_column);
  }

  // Writes a cell without checks or events.
  void PutText(int row, int column, const QString& text) {
    if (QTableWidgetItem* item = table->item(row, column)) {
      item->setText(text);
    } else if (!text.isEmpty()) {
      table->setItem(row, column, new QTableWidgetItem(text));
    }
  }
};

// A frameless one-line editor for a cell. It has no length limit: a limit would cut a long value,
// and the cut text would be written back although the user changed nothing.
QLineEdit* NewLineEditor(QWidget* parent) {
  auto* line = new QLineEdit(parent);
  line->setFrame(false);
  line->setMaxLength(std::numeric_limits<int>::max());
  return line;
}

// Draws fixed cells as headers and creates the in-place editor that suits the column's kind.
class GridDelegate : public QStyledItemDelegate {
 public:
  GridDelegate(GridState* impl, QObject* parent) : QStyledItemDelegate(parent), impl_(impl) {}

  void Detach() { impl_ = nullptr; }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    if (!impl_ || !impl_->CanEdit(index)) return nullptr;
    if (impl_->owner->on_editing_begins) impl_->owner->on_editing_begins();
    // The handler may have changed the grid.
    if (!impl_ || !impl_->CanEdit(index)) return nullptr;
    QWidget* editor = nullptr;
    switch (impl_->KindOf(index.column())) {
      case ColumnKind::kDropDown: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(impl_->lists[index.column()]);
        editor = combo;
        break;
      }
      case ColumnKind::kNumeric: {
        QLineEdit* line = NewLineEditor(parent);
        line->installEventFilter(new EventHook(
            [](QObject*, QEvent* event) {
              if (event->type() != QEvent::KeyPress) return false;
              for (QChar c : static_cast<QKeyEvent*>(event)->text()) {
                if (!NumberCharacter(c)) return true;
              }
              return false;
            },
            line));
        editor = line;
        break;
      }
      case ColumnKind::kText:
        editor = NewLineEditor(parent);
        break;
    }
    impl_->editor_open = true;
    impl_->edited_row = index.row();
    impl_->edited_column = index.column();
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      combo->setCurrentIndex(combo->findText(text));
      combo->setEditText(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->setText(text);
    }
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    QString text;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      text = combo->currentText();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      text = line->text();
    } else {
      return;
    }
    // A numeric column refuses what the program's SetCellText would refuse; the cell keeps its
    // text.
    if (impl_ && impl_->KindOf(index.column()) == ColumnKind::kNumeric &&
        !AcceptsNumber(FromQt(text))) {
      return;
    }
    model->setData(index, text, Qt::EditRole);
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    QStyledItemDelegate::destroyEditor(editor, index);
    // Called when the view has taken the editor down, after any commit: the text is in the cell.
    if (impl_ && impl_->editor_open) {
      impl_->editor_open = false;
      if (impl_->owner->on_editing_ends) {
        impl_->ending = true;
        impl_->owner->on_editing_ends();
        if (impl_) impl_->ending = false;
      }
    }
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (!impl_ || !impl_->IsFixed(index.row(), index.column())) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    painter->fillRect(option.rect, option.palette.button());
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->setPen(option.palette.color(QPalette::ButtonText));
    const QRect text_rect = option.rect.adjusted(3, 0, -3, 0);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, text_rect.width());
    painter->drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
  }

 private:
  GridState* impl_;
};

}  // namespace

struct Grid::Impl : GridState {};

Grid::Grid(QWidget* table) : Control(table), impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  auto* t = qobject_cast<QTableWidget*>(table);
  impl_->table = t;
  if (!t) return;
  impl_->design_rows = impl_->fixed_rows = std::max(0, t->property("torvaneFixedRows").toInt());
  impl_->design_columns = impl_->fixed_columns =
      std::max(0, t->property("torvaneFixedColumns").toInt());
  impl_->editable = t->editTriggers() != QAbstractItemView::NoEditTriggers;
  impl_->ApplyEditTriggers();
  impl_->SyncColumns();
  t->setSortingEnabled(false);
  t->setTabKeyNavigation(true);
  if (t->currentIndex().isValid()) {
    impl_->reported_row = t->currentRow();
    impl_->reported_column = t->currentColumn();
  }

  auto* delegate = new GridDelegate(impl_.get(), t);
  impl_->delegate = delegate;
  t->setItemDelegate(delegate);

  QObject::connect(t->selectionModel(), &QItemSelectionModel::currentChanged, hook(),
                   [this](const QModelIndex& now, const QModelIndex&) {
                     if (impl_->silent) return;
                     if (now.isValid()) {
                       impl_->Report(now.row(), now.column());
                     } else {
                       impl_->Report(-1, -1);
                     }
                   });
  QObject::connect(t, &QTableWidget::cellDoubleClicked, hook(), [this](int, int) {
    if (on_double_clicked) on_double_clicked();
  });

  // Keys reach the handler before the grid moves its current cell; they are not consumed.
  auto* keys = new EventHook(
      [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::KeyPress && on_key_pressed) {
          on_key_pressed(VirtualKey(static_cast<QKeyEvent*>(event)->key()));
        }
        return false;
      },
      hook());
  t->installEventFilter(keys);
  auto* mouse = new EventHook(
      [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && on_right_released) {
          on_right_released();
        }
        return false;
      },
      hook());
  t->viewport()->installEventFilter(mouse);
}

Grid::~Grid() {
  if (impl_->delegate) {
    static_cast<GridDelegate*>(impl_->delegate.data())->Detach();
    if (impl_->table) {
      impl_->table->setItemDelegate(new QStyledItemDelegate(impl_->table));
    }
    delete impl_->delegate.data();
  }
}

int Grid::RowCount() const { return impl_->table ? impl_->table->rowCount() : 0; }

void Grid::SetRowCount(int rows) {
  QTableWidget* t = impl_->table;
  if (!t || rows < 1 || rows == t->rowCount()) return;
  impl_->Restructure([&] { t->setRowCount(rows); });
}

int Grid::ColumnCount() const { return impl_->table ? impl_->table->columnCount() : 0; }

void Grid::SetColumnCount(int columns) {
  QTableWidget* t = impl_->table;
  if (!t || columns < 1 || columns == t->columnCount()) return;
  impl_->Restructure([&] { t->setColumnCount(columns); });
}

int Grid::FixedRows() const { return impl_->fixed_rows; }

void Grid::SetFixedRows(int rows) {
  impl_->fixed_rows = std::max(rows, 0);
  if (impl_->table) impl_->table->viewport()->update();
}

int Grid::FixedColumns() const { return impl_->fixed_columns; }

void Grid::SetFixedColumns(int columns) {
  impl_->fixed_columns = std::max(columns, 0);
  if (impl_->table) impl_->table->viewport()->update();
}

void Grid::SetDesignFixed(int rows, int columns) {
  impl_->design_rows = std::max(rows, 0);
  impl_->design_columns = std::max(columns, 0);
  SetFixedRows(rows);
  SetFixedColumns(columns);
}

void Grid::SetEditable(bool editable) {
  impl_->editable = editable;
  impl_->ApplyEditTriggers();
}

bool Grid::IsEditable() const { return impl_->editable; }

void Grid::SetWholeRowSelection(bool whole_row) {
  if (QTableWidget* t = impl_->table) {
    t->setSelectionBehavior(whole_row ? QAbstractItemView::SelectRows
                                      : QAbstractItemView::SelectItems);
    if (t->currentIndex().isValid()) impl_->SetCurrentSilently(t->currentRow(), t->currentColumn());
  }
}

void Grid::SetColumnWidth(int column, int width) {
  QTableWidget* t = impl_->table;
  if (t && column >= 0 && column < t->columnCount()) t->setColumnWidth(column, std::max(width, 0));
}

int Grid::ColumnWidth(int column) const {
  QTableWidget* t = impl_->table;
  return t && column >= 0 && column < t->columnCount() ? t->columnWidth(column) : 0;
}

void Grid::SetDefaultColumnWidth(int width) {
  QTableWidget* t = impl_->table;
  if (!t || width < 0) return;
  t->horizontalHeader()->setDefaultSectionSize(width);
  for (int c = 0; c < t->columnCount(); ++c) t->setColumnWidth(c, width);
}

void Grid::SetDefaultRowHeight(int height) {
  QTableWidget* t = impl_->table;
  if (!t || height < 0) return;
  // Also resizes every existing row that has not been given a height of its own.
  t->verticalHeader()->setDefaultSectionSize(height);
  for (int r = 0; r < t->rowCount(); ++r) {
    if (t->rowHeight(r) != height) t->setRowHeight(r, height);
  }
}

int Grid::RowHeight(int row) const {
  QTableWidget* t = impl_->table;
  return t && row >= 0 && row < t->rowCount() ? t->rowHeight(row) : 0;
}

void Grid::SetColumnKind(int column, ColumnKind kind) {
  QTableWidget* t = impl_->table;
  if (!t || column < 0 || column >= t->columnCount()) return;
  impl_->SyncColumns();
  impl_->kinds[column] = kind;
  impl_->lists[column] = kind == ColumnKind::kDropDown ? impl_->pending_list : QStringList();
}

ColumnKind Grid::GetColumnKind(int column) const { return impl_->KindOf(column); }

void Grid::ClearDropDownItems() { impl_->pending_list.clear(); }

void Grid::AddDropDownItem(const std::string& text) { impl_->pending_list.append(ToQt(text)); }

std::vector<std::string> Grid::DropDownItems(int column) const {
  std::vector<std::string> items;
  if (column < 0 || column >= static_cast<int>(impl_->lists.size())) return items;
  for (const QString& item : impl_->lists[column]) items.push_back(FromQt(item));
  return items;
}

bool Grid::SetCellText(int row, int column, const std::string& text) {
  QTableWidget* t = impl_->table;
  if (!t || row < 0 || row >= t->rowCount() || column < 0 || column >= t->columnCount())
    return false;
  if (impl_->KindOf(column) == ColumnKind::kNumeric && !AcceptsNumber(text)) return false;
  impl_->PutText(row, column, ToQt(text));
  return true;
}

std::string Grid::CellText(int row, int column) const {
  QTableWidget* t = impl_->table;
  if (!t) return "";
  QTableWidgetItem* item = t->item(row, column);
  return item ? FromQt(item->text()) : "";
}

void Grid::SetCells(int row, int column, int columns, const std::vector<std::string>& texts) {
  QTableWidget* t = impl_->table;
  if (!t || columns < 1) return;
  const int rows = t->rowCount();
  const int all_columns = t->columnCount();
  // One repaint for the whole block instead of a model signal per cell: the cells' contents do not
  // change the grid's shape, so the view needs no notice until it repaints.
  QAbstractItemModel* model = t->model();
  const bool was_blocked = model->blockSignals(true);
  for (size_t i = 0; i < texts.size(); ++i) {
    const int r = row + static_cast<int>(i / columns);
    const int c = column + static_cast<int>(i % columns);
    if (r < 0 || c < 0 || c >= all_columns) continue;
    if (r >= rows) break;
    if (impl_->KindOf(c) == ColumnKind::kNumeric && !AcceptsNumber(texts[i])) continue;
    impl_->PutText(r, c, ToQt(texts[i]));
  }
  model->blockSignals(was_blocked);
  t->viewport()->update();
}

void Grid::Clear() {
  QTableWidget* t = impl_->table;
  if (!t) return;
  impl_->SetCurrentSilently(-1, -1);
  impl_->reported_row = impl_->reported_column = -1;
  // Items are taken one by one: clearContents() resets the model, which would also reset every
  // column width and row height.
  QAbstractItemModel* model = t->model();
  const bool was_blocked = model->blockSignals(true);
  for (int r = 0; r < t->rowCount(); ++r) {
    for (int c = 0; c < t->columnCount(); ++c) {
      if (t->item(r, c)) delete t->takeItem(r, c);
    }
  }
  model->blockSignals(was_blocked);
  t->viewport()->update();
  impl_->kinds.assign(static_cast<size_t>(t->columnCount()), ColumnKind::kText);
  impl_->lists.assign(static_cast<size_t>(t->columnCount()), QStringList());
  impl_->pending_list.clear();
  impl_->fixed_rows = impl_->design_rows;
  impl_->fixed_columns = impl_->design_columns;
}

int Grid::InsertRow(const std::string& title, int position) {
  QTableWidget* t = impl_->table;
  if (!t) return -1;
  const int rows = t->rowCount();
  if (position < 0 || position < impl_->fixed_rows || position >= rows) position = rows;
  impl_->Restructure([&] {
    t->insertRow(position);
    if (t->columnCount() > 0) impl_->PutText(position, 0, ToQt(title));
  });
  return position;
}

int Grid::InsertColumn(const std::string& title, int position) {
  QTableWidget* t = impl_->table;
  if (!t) return -1;
  const int columns = t->columnCount();
  if (position < 0 || position < impl_->fixed_columns || position >= columns) position = columns;
  impl_->Restructure([&] {
    t->insertColumn(position);
    impl_->kinds.insert(impl_->kinds.begin() + std::min<size_t>(position, impl_->kinds.size()),
                        ColumnKind::kText);
    impl_->lists.insert(impl_->lists.begin() + std::min<size_t>(position, impl_->lists.size()),
                        QStringList());
    if (t->rowCount() > 0) impl_->PutText(0, position, ToQt(title));
  });
  return position;
}

void Grid::DeleteRow(int row) {
  QTableWidget* t = impl_->table;
  if (!t || row < 0 || row >= t->rowCount() || t->rowCount() <= 1) return;
  impl_->Restructure([&] { t->removeRow(row); });
}

int Grid::CurrentRow() const {
  if (!impl_->table) return -1;
  return impl_->ending ? impl_->edited_row : impl_->reported_row;
}

int Grid::CurrentColumn() const {
  if (!impl_->table) return -1;
  return impl_->ending ? impl_->edited_column : impl_->reported_column;
}

void Grid::SetCurrentCell(int row, int column) {
  QTableWidget* t = impl_->table;
  if (!t) return;
  if (row == -1 && column == -1) {
    impl_->SetCurrentSilently(-1, -1);
    impl_->Report(-1, -1);
    return;
  }
  if (row < 0 || row >= t->rowCount() || column < 0 || column >= t->columnCount()) return;
  impl_->SetCurrentSilently(row, column);
  t->scrollTo(t->model()->index(row, column));
  impl_->Report(row, column);
}

bool Grid::EditCurrentCell() {
  QTableWidget* t = impl_->table;
  if (!t || !t->currentIndex().isValid() || !impl_->CanEdit(t->currentIndex())) return false;
  if (impl_->editor_open) return true;
  t->edit(t->currentIndex());
  return impl_->editor_open;
}

}  // namespace torvane
