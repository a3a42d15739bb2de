#pragma once

// The control contract: Qt-free wrappers around the widgets of Torvane's windows. The program logic
// reads and changes controls only through these classes. Every text in or out is internal text
// (GB18030 bytes), every index is 0-based with -1 meaning "none", and every event is a plain
// callback that the logic binds by assigning the `on_...` member (an empty member ignores the
// event).
//
// A wrapper is built on the existing widget it controls (the window code creates the widgets and
// gives each the control's name as its objectName) and installs whatever filters and connections it
// needs. Keep exactly one wrapper per widget: the wrapper holds the control's state (input kind,
// column kinds, ...). Wrappers are not copyable. When the widget is destroyed before its wrapper,
// every operation of the wrapper does nothing and every getter returns "", 0, -1 or false; when the
// wrapper is destroyed first, its filters and connections go with it.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "ui/picture_format.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QObject;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QWidget;

namespace torvane {

class CellTexts;

// Key codes carried by Grid::on_key_pressed: the Windows virtual-key numbering the logic tests
// against. Letters are 'A'..'Z' (65..90) and digits '0'..'9' (48..57) whatever the shift state.
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyInsert = 45;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyF1 = 112;  // F1..F12 are 112..123

// A set of small images drawn beside tree items and on toolbar buttons, addressed by index. A
// value: copies are cheap and share the same immutable pictures.
class ImageList {
 public:
  // An empty list (no images).
  ImageList();
  ~ImageList();
  ImageList(const ImageList&);
  ImageList& operator=(const ImageList&);

  // A list built from image files (PNG, BMP, ... bytes), each scaled to width x height when its
  // size differs. An entry that is not a readable image becomes a blank (transparent) image, so
  // indexes stay as given.
  static ImageList FromImageFiles(const std::vector<Bytes>& files, int width, int height);

  // Number of images.
  int Count() const;
  // Size of every image in pixels; 0 for an empty list.
  int Width() const;
  int Height() const;

  // Shared pictures, for the Qt side only (see ui/image_list_qt.h).
  struct Data;
  explicit ImageList(std::shared_ptr<const Data> data);
  const std::shared_ptr<const Data>& data() const { return data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// Common to every control built on a widget: visibility, enabling and placement.
class Control {
 public:
  // Wraps `widget` (not owned; see the lifetime note at the top of this file).
  explicit Control(QWidget* widget);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Shows or hides the control together with its children.
  void SetVisible(bool visible);
  // True unless the control was explicitly hidden (a control on a page that is not current, or in a
  // hidden group, still counts as visible).
  bool IsVisible() const;
  // Enables or disables the control (a disabled control takes no input).
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // Moves and sizes the control, in pixels of its parent's client area.
  void Place(int left, int top, int width, int height);
  // Geometry in pixels of the parent's client area.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  // Puts the control above its siblings in the z-order.
  void BringToTop();
  // The control's name (its objectName) as internal text.
  std::string Name() const;

  // The wrapped widget; nullptr once it has been destroyed.
  QWidget* widget() const;

 protected:
  // A QObject owned by this wrapper: the context of its connections and the home of its event
  // filters, so both end with the wrapper.
  QObject* hook() const;

 private:
  struct Link;
  std::unique_ptr<Link> link_;
};

// A top-level window or dialog.
class Window : public Control {
 public:
  explicit Window(QWidget* window);
  ~Window() override;

  // Replaces / reads the caption.
  void SetTitle(const std::string& title);
  std::string Title() const;
  // Closes the window after the current event handler has returned, so a message box shown before
  // the call is still seen. Does nothing when the window is not open.
  void Close();
  // Height in pixels of the client area (below the menu bar and toolbars of a main window).
  int ClientHeight() const;
  // Shows the window modally to the whole application and returns when it has closed.
  void ShowModal();
  // Shows the window without blocking (the main window).
  void Show();
  // True while the window is shown.
  bool IsOpen() const;

  // The user asked to close the window (its close box); returning false keeps it open. Not raised
  // by Close.
  std::function<bool()> on_close_requested;

 private:
  bool closing_ = false;
};

// A label; link labels also report a left click.
class Label : public Control {
 public:
  explicit Label(QWidget* label);
  ~Label() override;

  std::string Caption() const;
  void SetCaption(const std::string& caption);

  // The left mouse button was pressed on the label, or Enter, Return or Space was pressed while a
  // label that takes the keyboard focus (a link) had it.
  std::function<void()> on_left_pressed;
};

// A push button or flat button.
class Button : public Control {
 public:
  explicit Button(QWidget* button);
  ~Button() override;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  // Raises on_clicked as a user click would; does nothing when the button is disabled or hidden.
  void Click();

  // The user clicked the button.
  std::function<void()> on_clicked;
};

// A radio button; the buttons of one group box exclude each other.
class RadioButton : public Control {
 public:
  explicit RadioButton(QWidget* button);
  ~RadioButton() override;

  std::string Caption() const;
  bool IsChecked() const;
  // Checks or unchecks the button (checking one unchecks the others of its group).
  void SetChecked(bool checked);
};

// A group box: a framed container whose visibility carries its children along.
class GroupBox : public Control {
 public:
  explicit GroupBox(QWidget* group);
  ~GroupBox() override;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
};

// What a one-line edit box lets the user type.
enum class InputKind {
  kPlain,    // anything
  kInteger,  // '0'-'9' and '-'
  kDecimal,  // '0'-'9', '-' and '.'
};

// A one-line (QLineEdit) or multi-line (QPlainTextEdit) edit box. A multi-line box's line breaks
// are CR LF in internal text: content set with CR LF reads back the same (a lone CR or LF reads
// back as CR LF).
class EditBox : public Control {
 public:
  explicit EditBox(QWidget* edit);
  ~EditBox() override;

  // The whole text.
  std::string Content() const;
  // Replaces the whole text and raises on_content_changed once, also when the text is unchanged.
  // A multi-line box shows a text with a line of more than 64K characters, or of more than 8 MB,
  // folded: its first 8 MB with every line cut into pieces and a last line saying what is not
  // shown; the box is read only while it shows it, and Content is exactly the text set. Append and
  // InsertAtCaret then add at the end.
  void SetContent(const std::string& text);
  // Adds `text` at the end, puts the caret there and scrolls it into view; raises
  // on_content_changed once.
  void Append(const std::string& text);
  // Inserts `text` at the caret, replacing the selection; raises on_content_changed once. The paste
  // operation calls this with the clipboard text.
  void InsertAtCaret(const std::string& text);
  // A read-only box cannot be changed by the user; the program still can.
  void SetReadOnly(bool read_only);
  bool IsReadOnly() const;
  // Filters characters the user types (not pasted or program-set text); control characters (below
  // 32) always pass.
  void SetInputKind(InputKind kind);
  InputKind GetInputKind() const;
  // Moves the keyboard focus into the box.
  void Focus();

  // The text changed, by the user or by the program (raised after the change).
  std::function<void()> on_content_changed;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A drop-down list whose text cannot be typed.
class ComboBox : public Control {
 public:
  explicit ComboBox(QWidget* combo);
  ~ComboBox() override;

  // Removes all items; nothing is selected afterwards. No event.
  void Clear();
  // Appends an item.
  void AddItem(const std::string& text);
  int ItemCount() const;
  // Text of item `index`; "" when there is no such item.
  std::string ItemText(int index) const;
  // Index of the selected item, -1 when none.
  int SelectedIndex() const;
  // Selects item `index`; -1 or an index that names no item leaves the box empty. Raises no event.
  void SetSelectedIndex(int index);
  // Text of the selected item, "" when none.
  std::string CurrentText() const;

  // The user picked an item (also the one already selected).
  std::function<void()> on_selection_changed;
};

// A tab control; each page holds its own controls, shown only while the page is current.
class TabControl : public Control {
 public:
  explicit TabControl(QWidget* tabs);
  ~TabControl() override;

  // Index of the current page, -1 when there are no pages.
  int CurrentPage() const;
  // Makes page `index` current; an index that names no page is ignored. Raises no event.
  void SetCurrentPage(int index);
  int PageCount() const;
  // Caption of page `index`; "" when there is no such page.
  std::string PageCaption(int index) const;

  // The user switched to another page.
  std::function<void()> on_page_changed;
};

// A picture decoded from bytes, ready for a picture box to show (PictureBox::ShowDecoded). A
// value: copies share the one image. Null when the bytes are no picture of a known format, do not
// decode, or their decoding was stopped.
class DecodedPicture {
 public:
  DecodedPicture();
  ~DecodedPicture();
  DecodedPicture(const DecodedPicture&);
  DecodedPicture& operator=(const DecodedPicture&);

  [[nodiscard]] bool IsNull() const;

 private:
  friend class PictureBox;
  friend class PictureDecoder;
  struct Impl;
  std::shared_ptr<const Impl> impl_;
};

// Decodes bytes exactly as a picture box decodes what it is given, on any thread: it makes images,
// which any thread may make, never the toolkit's pixmaps, which only the user-interface thread may.
// Made on the user-interface thread, where it learns the screen's size; then usable anywhere, by
// several threads at once.
class PictureDecoder {
 public:
  PictureDecoder();

  // `data` decoded, a picture larger than the screen at the screen's size. Stops early, giving a
  // null picture, once `*stop` is true (it is looked at while the bytes are read).
  [[nodiscard]] DecodedPicture Decode(const Bytes& data,
                                      const std::atomic<bool>* stop = nullptr) const;

 private:
  int largest_width_;
  int largest_height_;
};

// A picture box holding bytes; shows them when they are a picture of a known format.
class PictureBox : public Control {
 public:
  explicit PictureBox(QWidget* label);
  ~PictureBox() override;

  // Exactly the bytes last set (empty at first), picture or not.
  const Bytes& Picture() const;
  // Keeps `data` and shows it when its leading bytes mark a known format and it decodes; otherwise
  // shows nothing. Empty bytes clear the box. A picture larger than the box is scaled down to fit,
  // keeping its proportions; every picture is centred. A picture larger than the screen is decoded
  // at the screen's size, so a huge one takes no more memory than the screen shows. Pass the bytes
  // by moving them in where the caller no longer needs them: they are not copied then.
  void SetPicture(Bytes data);
  // Keeps `data` and shows `picture`, which a PictureDecoder made from exactly those bytes
  // (perhaps on another thread): the box then shows what SetPicture(data) would show.
  void ShowDecoded(Bytes data, const DecodedPicture& picture);
  // Shows `text` where the picture would be, until a picture or bytes are set; the bytes held stay.
  // For a short word while a picture is being read.
  void ShowNote(const std::string& text);
  // The text ShowNote shows now; "" when none.
  [[nodiscard]] std::string Note() const;
  // True while a picture is shown.
  bool ShowsImage() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A toolbar whose buttons are addressed by index, separators counted.
class Toolbar : public Control {
 public:
  explicit Toolbar(QWidget* toolbar);
  ~Toolbar() override;

  // Number of buttons, separators included.
  int ButtonCount() const;
  // False also for an index that names no button.
  bool IsButtonEnabled(int index) const;
  // Enables or disables button `index`; ignored for an index that names no button.
  void SetButtonEnabled(int index, bool enabled);
  // Caption of button `index`; "" for a separator or no such button.
  std::string ButtonCaption(int index) const;
  // Sets the images the buttons draw from, and the image of button `index` from it (-1: none).
  void SetImageList(const ImageList& images);
  void SetButtonImage(int index, int image);
  // Raises on_button_clicked as a user click would; does nothing for a disabled button or
  // separator.
  void ClickButton(int index);

  // The user clicked the button with this index.
  std::function<void(int index)> on_button_clicked;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One item of a tree copy, with its descendants.
struct TreeItem {
  std::string text;
  int image = -1;  // -1 draws image 0
  int data = 0;
  std::vector<TreeItem> children;

  bool operator==(const TreeItem&) const = default;
};
using TreeItems = std::vector<TreeItem>;

// A tree view. An item's index is its position when the tree is read from the top, each item
// followed by all its descendants (expanded or not), counting from 0.
class TreeView : public Control {
 public:
  explicit TreeView(QWidget* tree);
  ~TreeView() override;

  // Removes all items; the selection becomes none without an event.
  void Clear();
  // Appends an item as the last child of item `parent` (-1: a top-level item) and returns its
  // index; -1 when `parent` names no item. Image -1 draws image 0.
  int AddItem(int parent, const std::string& text, int image = -1, int data = 0);
  int ItemCount() const;
  // Text and data of item `index`; "" and 0 when there is no such item.
  std::string ItemText(int index) const;
  int ItemData(int index) const;
  // Index of the parent of item `index`; -1 for a top-level item or no such item.
  int ParentIndex(int index) const;
  // Opens item `index` so its children show; ignored for no such item.
  void Expand(int index);
  bool IsExpanded(int index) const;
  // Index of the selected item, -1 when none.
  int SelectedIndex() const;
  // Selects item `index` and raises on_selection_changed when the selection changes; an index that
  // names no item clears the selection without an event.
  void SetSelectedIndex(int index);
  // The images drawn beside the items.
  ImageList GetImageList() const;
  void SetImageList(const ImageList& images);
  // A copy of the whole tree (texts, images, data, structure).
  TreeItems Items() const;
  // Replaces every item by the copy `items` (an empty copy removes all); the selection becomes none
  // without an event. Items are shown collapsed.
  void SetItems(const TreeItems& items);

  // The selected item changed (by the user or by SetSelectedIndex).
  std::function<void()> on_selection_changed;
  // The right mouse button was pressed on an item; that item was selected first.
  std::function<void()> on_right_pressed;
  // An item was double-clicked (it is the selected item).
  std::function<void()> on_item_double_clicked;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// What a grid column holds and which in-place editor it gets.
enum class ColumnKind {
  kText,      // plain text (the default)
  kNumeric,   // "", "0" or text that reads as a non-zero number
  kDropDown,  // text picked from the column's list, or typed
};

// A grid of text cells. Row 0 and column 0 are ordinary cells; the first FixedRows() rows and
// FixedColumns() columns look like headers and are never edited in place. The user widens or
// narrows a column by dragging the right edge of its cell in a fixed row (a double click there
// fits it to its texts). A cell of a shown table that holds SQL NULL reads as "" like an empty
// text, but shows a dimmed "NULL" and is named "空值" to assistive technology.
class Grid : public Control {
 public:
  // Wraps a plain table view (QTableView) and gives it a model that keeps only the texts written
  // into it and reads the rest from the table ShowCells hands over, so the grid shows a table of
  // any size at no cost per cell. The grid starts without rows, columns or fixed cells; a view
  // that already has such a model, from an earlier wrapper, keeps it and what it holds.
  explicit Grid(QWidget* table);
  ~Grid() override;

  int RowCount() const;
  // Values below 1 are ignored. New rows are empty.
  void SetRowCount(int rows);
  int ColumnCount() const;
  // Values below 1 are ignored. New columns are empty plain-text columns.
  void SetColumnCount(int columns);
  int FixedRows() const;
  void SetFixedRows(int rows);
  int FixedColumns() const;
  void SetFixedColumns(int columns);
  // Sets the fixed rows and columns of the window's design, which Clear restores, and applies them.
  void SetDesignFixed(int rows, int columns);
  // Whether the user may edit non-fixed cells in place.
  void SetEditable(bool editable);
  bool IsEditable() const;
  // Whether the current cell highlights its whole row.
  void SetWholeRowSelection(bool whole_row);
  // Width of column `column` in pixels; ignored for no such column.
  void SetColumnWidth(int column, int width);
  int ColumnWidth(int column) const;
  // Applies `width` to every existing column and to columns added later.
  void SetDefaultColumnWidth(int width);
  // Makes every column as wide as its texts: the widest first line of its first 100 rows, read as
  // far as 100 characters, with the cell's margins; no narrower than the default width and no
  // wider than 300 pixels. A column whose width the user has dragged keeps it while the grid shows
  // the same columns (the same texts in row 0) as at the previous fit, so a table shown again after
  // an edit keeps the widths the user gave it. Reads a bounded part of a shown table, whatever its
  // size and its texts' lengths.
  void FitColumnWidths();
  // Applies `height` to every existing row and to rows added later.
  void SetDefaultRowHeight(int height);
  int RowHeight(int row) const;
  // Kind of column `column` (ignored for no such column). A drop-down column takes the list
  // collected by ClearDropDownItems / AddDropDownItem before this call.
  void SetColumnKind(int column, ColumnKind kind);
  ColumnKind GetColumnKind(int column) const;
  void ClearDropDownItems();
  void AddDropDownItem(const std::string& text);
  // The list of drop-down column `column`; empty for other columns.
  std::vector<std::string> DropDownItems(int column) const;

  // Writes `text` into cell (row, column). False, with the cell unchanged, when the cell does not
  // exist or the column is numeric and the text is not "", "0" or a non-zero number.
  bool SetCellText(int row, int column, const std::string& text);
  // Text of cell (row, column); "" for an empty cell or no such cell.
  std::string CellText(int row, int column) const;
  // Fills a block quickly: texts[i] goes to cell (row + i / columns, column + i % columns). Cells
  // outside the grid are skipped, numeric columns refuse as SetCellText does. Raises no event.
  void SetCells(int row, int column, int columns, const std::vector<std::string>& texts);
  // Shows the table `cells` (null: a table without rows or columns). Clears first as Clear does;
  // then the grid has the table's rows and columns, at least one of each, and cell (r, c) reads
  // the table's cell (r, c). With `numbers`, a column 0 is put in front that numbers the rows:
  // "序号" in row 0 when `header`, then 1, 2, 3 … from the first row below the header (from row 0
  // without a header). Row 0 becomes a fixed row when `header`, the numbering column a fixed column
  // when `numbers`. The grid shares `cells` instead of copying it, reads a cell when it is shown or
  // asked for, and lets go of it on the next ShowCells or Clear, or once it is cut down to a few of
  // the table's cells (which it then copies). Texts written afterwards — SetCellText, SetCells,
  // in-place edits — take the place of the table's; SetRowCount, SetColumnCount, InsertRow,
  // InsertColumn and DeleteRow keep every remaining cell's text. Raises no event.
  void ShowCells(std::shared_ptr<const CellTexts> cells, bool header, bool numbers);
  // The table ShowCells handed over has more rows now, since its rows are still arriving: the grid
  // shows them after the rows it shows (unless rows were inserted or deleted meanwhile). While
  // `more_coming`, scrolling to the last row raises on_more_rows_wanted.
  void ShowMoreRows(bool more_coming);
  // Empties every cell, forgets column kinds and drop-down lists, keeps the row and column counts,
  // restores the designed fixed rows and columns and leaves no current cell (without an event).
  void Clear();
  // Inserts an empty row at `position` with `title` in its column 0. A position of -1, inside the
  // fixed rows or past the end appends at the end. Returns the new row's index.
  int InsertRow(const std::string& title, int position = -1);
  // The same for a column, with `title` in its row 0; the new column is plain text.
  int InsertColumn(const std::string& title, int position = -1);
  // Deletes row `row`; ignored for no such row and for the only row. The current cell moves up when
  // the last row is deleted.
  void DeleteRow(int row);
  // The current cell; -1 when none.
  int CurrentRow() const;
  int CurrentColumn() const;
  // Makes (row, column) current and scrolls it into view; raises on_current_cell_changed when it
  // differs from the previous current cell. (-1, -1) clears the current cell; a cell that does not
  // exist is ignored.
  void SetCurrentCell(int row, int column);
  // Opens the in-place editor on the current cell as a user would (double click, typing); false
  // when the cell cannot be edited.
  bool EditCurrentCell();
  // Ends an in-place edit in progress as leaving the cell would: the text typed goes into the cell
  // and on_editing_ends is raised. Does nothing when no cell is being edited.
  void FinishEditing();

  // The current cell changed, by the user or the program.
  std::function<void()> on_current_cell_changed;
  // In-place editing of the current cell is about to begin (the editor is not yet open).
  std::function<void()> on_editing_begins;
  // In-place editing ended; an accepted text is already in the cell.
  std::function<void()> on_editing_ends;
  // The right mouse button was released over the grid.
  std::function<void()> on_right_released;
  // A cell was double-clicked.
  std::function<void()> on_double_clicked;
  // A key was pressed in the grid (before the grid handles it); the code is a kKey... value.
  std::function<void(int key)> on_key_pressed;
  // The user scrolled to the last row while more rows are coming (ShowMoreRows): they are wanted
  // now.
  std::function<void()> on_more_rows_wanted;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A menu item of the menu bar or of a pop-up menu.
class MenuItem {
 public:
  explicit MenuItem(QAction* action);
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  // The item's caption (its objectName), internal text.
  std::string Caption() const;
  // Sets the text the menu shows for the item; its caption, by which it is found, stays.
  void SetText(const std::string& text);
  std::string Text() const;
  // The item's own enabled state (a disabled menu above it also keeps it from being chosen).
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // True when the item and every menu it sits in are enabled.
  bool IsChoosable() const;
  // Raises on_chosen as the user choosing the item would; does nothing and returns false when it
  // cannot be chosen.
  bool Choose();

  // The user chose the item.
  std::function<void()> on_chosen;

  QAction* action() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A menu of the menu bar, or a pop-up menu. Owns one MenuItem per item.
class Menu {
 public:
  explicit Menu(QMenu* menu);
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  // The menu's caption (its objectName), internal text.
  std::string Caption() const;
  // Enabling of the whole menu: a disabled menu cannot be opened by any route and none of its
  // items can be chosen.
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // Number of entries, separators included.
  int ItemCount() const;
  // Entry `index` (separators counted) or the item with this caption; nullptr for a separator or
  // no such item.
  MenuItem* Item(int index);
  MenuItem* Item(const std::string& caption);
  // Shows the menu as a pop-up 3 pixels right and 3 down of the mouse pointer. Returns false,
  // showing nothing, when the menu is disabled.
  bool PopUp();
  // True while the menu is shown.
  bool IsOpen() const;

  QMenu* menu() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
