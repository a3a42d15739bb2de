// Grid: a table view whose own headers are hidden, so grid (row, column) is the view's cell, over a
// GridModel that holds the grid's cells, fixed rows and columns and column kinds, and shows a
// shared table of texts without copying it (ShowCells). The first FixedRows() rows and
// FixedColumns() columns are drawn as headers and never edited; the current cell is a pair of
// indexes that structural changes keep where possible.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <limits>

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>

#include "base/cell_texts.h"
#include "ui/controls.h"
#include "ui/grid_model.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

// Up to this many rows a grid that cannot be edited lets the view search its rows for a typed
// character; beyond, a search would hold up the window.
constexpr int kSearchableRows = 10000;

// Fitting columns to their texts reads the first kFitRows rows, and of each text only its first
// line, as far as kFitCharacters characters (read from at most kFitBytes bytes of a shown text):
// a value of megabytes costs no more than a short one, and a hundred characters of the narrowest
// letters already reach kFitWidthLimit pixels, the widest a fitted column becomes.
constexpr int kFitRows = 100;
constexpr std::size_t kFitBytes = 400;
constexpr int kFitCharacters = 100;
constexpr int kFitWidthLimit = 300;
// Within this many pixels of a column's right edge, a cell of a fixed row offers to resize the
// column by dragging; a column dragged narrower keeps this width.
constexpr int kEdgeGrip = 3;
constexpr int kNarrowestColumn = 8;

// What a NULL cell shows in place of a text.
QString NullMarker() { return QStringLiteral("NULL"); }

bool NumberCharacter(QChar c) {
  return c.unicode() < 32 || c.unicode() == 0x7F ||
         (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
         c == QLatin1Char('.');
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

// The wrapper's side of a grid: the view's state and the events. What the grid holds — cells,
// fixed rows and columns, column kinds — is in the model. Shared with the delegate.
struct GridState {
  Grid* owner = nullptr;
  QPointer<QTableView> table;
  // The grid's model, owned by the view and destroyed with it.
  QPointer<GridModel> cells;
  QPointer<QStyledItemDelegate> delegate;
  // The fixed rows and columns Clear restores.
  int design_rows = 0;
  int design_columns = 0;
  bool editable = true;
  QStringList pending_list;  // collected for the next drop-down column
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
  // The column headings (row 0) at the latest fit of the column widths, and the widths the user
  // has dragged columns to since; -1 for a column not dragged.
  std::vector<std::string> fitted_headings;
  std::vector<int> dragged_widths;
  int dragged_column = -1;  // the column whose right edge is being dragged
  int drag_offset = 0;      // from the mouse to that edge when the drag began

  // The view while it and its model are both there; nullptr once either has gone.
  QTableView* View() const { return table && cells ? table.data() : nullptr; }

  bool IsFixed(int row, int column) const { return cells && cells->IsFixed(row, column); }

  int Rows() const { return cells ? cells->rowCount() : 0; }
  int Columns() const { return cells ? cells->columnCount() : 0; }
  bool Contains(int row, int column) const {
    return row >= 0 && row < Rows() && column >= 0 && column < Columns();
  }

  bool CanEdit(const QModelIndex& index) const {
    return table && cells && editable && (cells->flags(index) & Qt::ItemIsEditable);
  }

  ColumnKind KindOf(int column) const { return cells ? cells->Kind(column) : ColumnKind::kText; }

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
      table->setCurrentIndex(table->model()->index(row, column));
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
    int new_row = row;
    int new_column = column;
    if (row >= 0 && column >= 0) {
      new_row = std::min(row, Rows() - 1);
      new_column = std::min(column, Columns() - 1);
      if (new_row < 0 || new_column < 0) new_row = new_column = -1;
    }
    SetCurrentSilently(new_row, new_column);
    Report(new_row, new_column);
  }

  // As much of the text cell (row, column) shows as its column's fitted width depends on: the
  // first line, at most kFitCharacters characters; the marker of a NULL cell.
  QString FittedText(int row, int column) const {
    if (cells->IsNull(row, column)) return NullMarker();
    std::string scratch;
    QString text = ToQt(cells->TextPrefix(row, column, kFitBytes, scratch));
    for (qsizetype at = 0; at < text.size(); ++at) {
      if (text[at] == QLatin1Char('\n') || text[at] == QLatin1Char('\r')) {
        text.truncate(at);
        break;
      }
    }
    return text.left(kFitCharacters);
  }

  // The width that shows column `column`'s first rows whole, from the default column width up to
  // kFitWidthLimit pixels.
  int FittedWidth(int column) const {
    const QFontMetrics metrics = table->fontMetrics();
    QFont slanted = table->font();
    slanted.setItalic(true);
    const QFontMetrics null_metrics(slanted);
    // The text's margins on both sides and the grid line at the right.
    const int margins =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1) + 1;
    const int narrowest = table->horizontalHeader()->defaultSectionSize();
    int widest = narrowest;
    const int rows = std::min(Rows(), kFitRows);
    for (int r = 0; r < rows && widest < kFitWidthLimit; ++r) {
      const bool null = cells->IsNull(r, column);
      const QString text = FittedText(r, column);
      if (text.isEmpty()) continue;
      widest = std::max(widest, (null ? null_metrics : metrics).horizontalAdvance(text) + margins);
    }
    return std::max(narrowest, std::min(widest, kFitWidthLimit));
  }

  // The column whose right edge lies within kEdgeGrip pixels of viewport point `at` in a fixed
  // row; -1 elsewhere.
  int ColumnEdgeAt(const QPoint& at) const {
    const int row = table->rowAt(at.y());
    if (row < 0 || row >= cells->FixedRows()) return -1;
    int column = table->columnAt(at.x());
    if (column < 0) column = Columns() - 1;  // past the last column
    for (int c : {column, column - 1}) {
      if (c < 0) continue;
      const int edge = table->columnViewportPosition(c) + table->columnWidth(c);
      if (std::abs(at.x() - edge) <= kEdgeGrip) return c;
    }
    return -1;
  }

  // Resizing columns by the right edges of the fixed rows' cells, which stand for the headers the
  // grid hides. True when the event is taken.
  bool HandleColumnDrag(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick) {
      return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    if (dragged_column >= 0) {
      const int left = table->columnViewportPosition(dragged_column);
      table->setColumnWidth(dragged_column,
                            std::max(kNarrowestColumn, at.x() + drag_offset - left));
      if (type == QEvent::MouseButtonRelease) {
        if (dragged_column < static_cast<int>(dragged_widths.size()))
          dragged_widths[dragged_column] = table->columnWidth(dragged_column);
        dragged_column = -1;
      }
      return true;
    }
    const int edge = ColumnEdgeAt(at);
    if (type == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
      if (edge >= 0) {
        table->viewport()->setCursor(Qt::SplitHCursor);
      } else {
        table->viewport()->unsetCursor();
      }
      return false;
    }
    if (edge < 0 || mouse->button() != Qt::LeftButton) return false;
    if (type == QEvent::MouseButtonPress) {
      dragged_column = edge;
      drag_offset = table->columnViewportPosition(edge) + table->columnWidth(edge) - at.x();
      return true;
    }
    // A double click on the edge fits the column to its texts again.
    if (type == QEvent::MouseButtonDblClick) {
      table->setColumnWidth(edge, FittedWidth(edge));
      if (edge < static_cast<int>(dragged_widths.size())) dragged_widths[edge] = -1;
      return true;
    }
    return false;
  }

  // Sets the number of rows or columns through the model's insertions and removals, so the view
  // keeps the sizes of those that stay.
  void Resize(Qt::Orientation orientation, int count) {
    GridModel* model = cells;
    const int now = orientation == Qt::Vertical ? model->rowCount() : model->columnCount();
    if (orientation == Qt::Vertical) {
      if (count > now) model->insertRows(now, count - now);
      if (count < now) model->removeRows(count, now - count);
    } else {
      if (count > now) model->insertColumns(now, count - now);
      if (count < now) model->removeColumns(count, now - count);
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
        combo->addItems(impl_->cells->DropDownList(index.column()));
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
    // A numeric column's model refuses what the program's SetCellText would refuse; the cell
    // keeps its text.
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

  // A NULL cell shows a dimmed, slanted marker in place of its text, so it is told from an empty
  // text and from the text "NULL" at a glance.
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(kNullRole).toBool()) return;
    option->text = NullMarker();
    option->font.setItalic(true);
    option->fontMetrics = QFontMetrics(option->font);
    option->palette.setColor(QPalette::Text, option->palette.color(QPalette::PlaceholderText));
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
  auto* t = qobject_cast<QTableView*>(table);
  if (!t) return;
  // The model belongs to the view, which keeps showing its cells if the wrapper goes first; a
  // wrapper made again on the same view takes the cells it finds.
  auto* cells = dynamic_cast<GridModel*>(t->model());
  if (!cells) {
    cells = new GridModel(t);
    t->setModel(cells);
    // A view that keeps a model of its own refuses another: the grid then has no widget.
    if (t->model() != cells) {
      delete cells;
      return;
    }
  }
  impl_->table = t;
  impl_->cells = cells;
  impl_->design_rows = cells->FixedRows();
  impl_->design_columns = cells->FixedColumns();
  impl_->editable = t->editTriggers() != QAbstractItemView::NoEditTriggers;
  impl_->ApplyEditTriggers();
  t->setSortingEnabled(false);
  // Tab leaves the grid for the next control, so the keyboard can get past a grid of any size;
  // the arrow keys move between cells, and Tab in an open cell editor still moves to the next cell.
  t->setTabKeyNavigation(false);
  if (t->currentIndex().isValid()) {
    impl_->reported_row = t->currentIndex().row();
    impl_->reported_column = t->currentIndex().column();
  }

  cells->on_more_rows_wanted = [this] {
    if (on_more_rows_wanted) on_more_rows_wanted();
  };

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
  QObject::connect(t, &QAbstractItemView::doubleClicked, hook(), [this](const QModelIndex&) {
    if (on_double_clicked) on_double_clicked();
  });

  // Keys reach the handler before the grid moves its current cell; they are not consumed, except
  // that a character typed into a large grid that cannot be edited goes no further: the view would
  // search every row for it, which freezes the window on a result of millions of rows.
  auto* keys = new EventHook(
      [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (on_key_pressed) on_key_pressed(VirtualKey(key->key()));
        const bool typed =
            !key->text().isEmpty() && key->text().at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        return typed && !IsEditable() && RowCount() > kSearchableRows;
      },
      hook());
  t->installEventFilter(keys);
  auto* mouse = new EventHook(
      [this](QObject*, QEvent* event) {
        if (impl_->HandleColumnDrag(event)) return true;
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && on_right_released) {
          on_right_released();
        }
        return false;
      },
      hook());
  t->viewport()->installEventFilter(mouse);
  // Moves without a button pressed show where a column's edge can be dragged.
  t->viewport()->setMouseTracking(true);
}

Grid::~Grid() {
  if (impl_->View()) {
    impl_->cells->on_more_rows_wanted = nullptr;
    impl_->cells->SetMoreRowsComing(false);
  }
  if (impl_->delegate) {
    static_cast<GridDelegate*>(impl_->delegate.data())->Detach();
    if (impl_->table) {
      impl_->table->setItemDelegate(new QStyledItemDelegate(impl_->table));
    }
    delete impl_->delegate.data();
  }
}

int Grid::RowCount() const { return impl_->Rows(); }

void Grid::SetRowCount(int rows) {
  if (!impl_->View() || rows < 1 || rows == impl_->Rows()) return;
  impl_->Restructure([&] { impl_->Resize(Qt::Vertical, rows); });
}

int Grid::ColumnCount() const { return impl_->Columns(); }

void Grid::SetColumnCount(int columns) {
  if (!impl_->View() || columns < 1 || columns == impl_->Columns()) return;
  impl_->Restructure([&] { impl_->Resize(Qt::Horizontal, columns); });
}

int Grid::FixedRows() const { return impl_->cells ? impl_->cells->FixedRows() : 0; }

void Grid::SetFixedRows(int rows) {
  if (!impl_->View()) return;
  impl_->cells->SetFixedRows(rows);
  impl_->View()->viewport()->update();
}

int Grid::FixedColumns() const { return impl_->cells ? impl_->cells->FixedColumns() : 0; }

void Grid::SetFixedColumns(int columns) {
  if (!impl_->View()) return;
  impl_->cells->SetFixedColumns(columns);
  impl_->View()->viewport()->update();
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
  if (QTableView* t = impl_->View()) {
    t->setSelectionBehavior(whole_row ? QAbstractItemView::SelectRows
                                      : QAbstractItemView::SelectItems);
    const QModelIndex current = t->currentIndex();
    if (current.isValid()) impl_->SetCurrentSilently(current.row(), current.column());
  }
}

void Grid::SetColumnWidth(int column, int width) {
  QTableView* t = impl_->View();
  if (t && column >= 0 && column < impl_->Columns()) t->setColumnWidth(column, std::max(width, 0));
}

void Grid::FitColumnWidths() {
  QTableView* t = impl_->View();
  if (!t) return;
  const int columns = impl_->Columns();
  std::vector<std::string> headings(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns && impl_->Rows() > 0; ++c)
    headings[c] = FromQt(impl_->FittedText(0, c));
  const bool same_columns = headings == impl_->fitted_headings;
  if (!same_columns) {
    impl_->fitted_headings = std::move(headings);
    impl_->dragged_widths.assign(static_cast<std::size_t>(columns), -1);
  }
  for (int c = 0; c < columns; ++c) {
    // The user's own width of a column shown again stays; the view kept it.
    if (same_columns && impl_->dragged_widths[c] >= 0) continue;
    t->setColumnWidth(c, impl_->FittedWidth(c));
  }
}

int Grid::ColumnWidth(int column) const {
  QTableView* t = impl_->View();
  return t && column >= 0 && column < impl_->Columns() ? t->columnWidth(column) : 0;
}

void Grid::SetDefaultColumnWidth(int width) {
  QTableView* t = impl_->View();
  if (!t || width < 0) return;
  t->horizontalHeader()->setDefaultSectionSize(width);
  for (int c = 0; c < impl_->Columns(); ++c) t->setColumnWidth(c, width);
}

void Grid::SetDefaultRowHeight(int height) {
  QTableView* t = impl_->View();
  if (!t || height < 0) return;
  // Also resizes every existing row that has not been given a height of its own.
  t->verticalHeader()->setDefaultSectionSize(height);
  for (int r = 0; r < impl_->Rows(); ++r) {
    if (t->rowHeight(r) != height) t->setRowHeight(r, height);
  }
}

int Grid::RowHeight(int row) const {
  QTableView* t = impl_->View();
  return t && row >= 0 && row < impl_->Rows() ? t->rowHeight(row) : 0;
}

void Grid::SetColumnKind(int column, ColumnKind kind) {
  if (!impl_->View()) return;
  impl_->cells->SetKind(column, kind, impl_->pending_list);
}

ColumnKind Grid::GetColumnKind(int column) const { return impl_->KindOf(column); }

void Grid::ClearDropDownItems() { impl_->pending_list.clear(); }

void Grid::AddDropDownItem(const std::string& text) { impl_->pending_list.append(ToQt(text)); }

std::vector<std::string> Grid::DropDownItems(int column) const {
  std::vector<std::string> items;
  if (!impl_->cells) return items;
  for (const QString& item : impl_->cells->DropDownList(column)) items.push_back(FromQt(item));
  return items;
}

bool Grid::SetCellText(int row, int column, const std::string& text) {
  if (!impl_->View() || !impl_->Contains(row, column)) return false;
  if (!impl_->cells->Accepts(column, text)) return false;
  impl_->cells->SetText(row, column, text);
  return true;
}

std::string Grid::CellText(int row, int column) const {
  if (!impl_->View()) return "";
  return impl_->cells->Text(row, column);
}

void Grid::SetCells(int row, int column, int columns, const std::vector<std::string>& texts) {
  QTableView* t = impl_->View();
  if (!t || columns < 1) return;
  const int rows = impl_->Rows();
  const int all_columns = impl_->Columns();
  // One repaint for the whole block instead of a model signal per cell: the cells' contents do not
  // change the grid's shape, so the view needs no notice until it repaints.
  GridModel* model = impl_->cells;
  const bool was_blocked = model->blockSignals(true);
  for (size_t i = 0; i < texts.size(); ++i) {
    const int r = row + static_cast<int>(i / columns);
    const int c = column + static_cast<int>(i % columns);
    if (r < 0 || c < 0 || c >= all_columns) continue;
    if (r >= rows) break;
    if (!model->Accepts(c, texts[i])) continue;
    model->SetText(r, c, texts[i]);
  }
  model->blockSignals(was_blocked);
  t->viewport()->update();
}

void Grid::ShowCells(std::shared_ptr<const CellTexts> cells, bool header, bool numbers) {
  if (!impl_->View()) return;
  Clear();
  impl_->Restructure([&] { impl_->cells->ShowSource(std::move(cells), header, numbers); });
  SetFixedRows(header ? 1 : 0);
  SetFixedColumns(numbers ? 1 : 0);
}

void Grid::ShowMoreRows(bool more_coming) {
  if (!impl_->View()) return;
  impl_->Restructure([&] { impl_->cells->ShowMoreSourceRows(); });
  impl_->cells->SetMoreRowsComing(more_coming);
}

void Grid::Clear() {
  QTableView* t = impl_->View();
  if (!t) return;
  impl_->SetCurrentSilently(-1, -1);
  impl_->reported_row = impl_->reported_column = -1;
  GridModel* model = impl_->cells;
  model->ClearTexts();
  model->ClearKinds();
  impl_->pending_list.clear();
  model->SetFixedRows(impl_->design_rows);
  model->SetFixedColumns(impl_->design_columns);
}

int Grid::InsertRow(const std::string& title, int position) {
  QTableView* t = impl_->View();
  if (!t) return -1;
  const int rows = impl_->Rows();
  if (position < 0 || position < FixedRows() || position >= rows) position = rows;
  impl_->Restructure([&] {
    impl_->cells->insertRows(position, 1);
    if (impl_->Columns() > 0) impl_->cells->SetText(position, 0, title);
  });
  return position;
}

int Grid::InsertColumn(const std::string& title, int position) {
  QTableView* t = impl_->View();
  if (!t) return -1;
  const int columns = impl_->Columns();
  if (position < 0 || position < FixedColumns() || position >= columns) position = columns;
  impl_->Restructure([&] {
    impl_->cells->insertColumns(position, 1);
    if (impl_->Rows() > 0) impl_->cells->SetText(0, position, title);
  });
  return position;
}

void Grid::DeleteRow(int row) {
  QTableView* t = impl_->View();
  if (!t || row < 0 || row >= impl_->Rows() || impl_->Rows() <= 1) return;
  impl_->Restructure([&] { impl_->cells->removeRows(row, 1); });
}

int Grid::CurrentRow() const {
  if (!impl_->View()) return -1;
  return impl_->ending ? impl_->edited_row : impl_->reported_row;
}

int Grid::CurrentColumn() const {
  if (!impl_->View()) return -1;
  return impl_->ending ? impl_->edited_column : impl_->reported_column;
}

void Grid::SetCurrentCell(int row, int column) {
  QTableView* t = impl_->View();
  if (!t) return;
  if (row == -1 && column == -1) {
    impl_->SetCurrentSilently(-1, -1);
    impl_->Report(-1, -1);
    return;
  }
  if (!impl_->Contains(row, column)) return;
  impl_->SetCurrentSilently(row, column);
  t->scrollTo(t->model()->index(row, column));
  impl_->Report(row, column);
}

bool Grid::EditCurrentCell() {
  QTableView* t = impl_->View();
  if (!t || !t->currentIndex().isValid() || !impl_->CanEdit(t->currentIndex())) return false;
  if (impl_->editor_open) return true;
  t->edit(t->currentIndex());
  return impl_->editor_open;
}

void Grid::FinishEditing() {
  QTableView* t = impl_->View();
  if (!t || !impl_->editor_open) return;
  QWidget* editor = t->indexWidget(t->model()->index(impl_->edited_row, impl_->edited_column));
  QAbstractItemDelegate* delegate = t->itemDelegate();
  if (editor == nullptr || delegate == nullptr) return;
  // What the view does when the editor loses the focus: commit, then close (which raises the
  // editing-ends event from the delegate).
  emit delegate->commitData(editor);
  emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

}  // namespace torvane
