#include "ui/forms/form_builder.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>

#include "ui/forms/image_painter.h"

namespace torvane::forms {
namespace {

constexpr char kDesignedGeometryProperty[] = "torvaneDesignedGeometry";

// Draws the style's keyboard-focus frame around `rect` of `widget`.
void DrawFocusFrame(QPainter& painter, QWidget* widget, const QRect& rect) {
  QStyleOptionFocusRect option;
  option.initFrom(widget);
  option.rect = rect;
  option.backgroundColor = widget->palette().color(QPalette::Window);
  widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, widget);
}

// The part of `growth` pixels that an edge with share `percent` moves by.
int EdgeShift(int percent, int growth) { return percent * growth / 100; }

// `rect` with its edges moved as `anchors` say for a container that grew by `growth` pixels.
QRect Grown(const QRect& rect, const AnchorSpec& anchors, const QSize& growth) {
  const int dx = growth.width();
  const int dy = growth.height();
  return QRect(
      QPoint(rect.left() + EdgeShift(anchors.left, dx), rect.top() + EdgeShift(anchors.top, dy)),
      QPoint(rect.right() + EdgeShift(anchors.right, dx),
             rect.bottom() + EdgeShift(anchors.bottom, dy)));
}

// `rect`, placed for a container grown by `from`, placed anew for a growth of `to`.
QRect Regrown(const QRect& rect, const AnchorSpec& anchors, const QSize& from, const QSize& to) {
  const QRect at_from = Grown(QRect(), anchors, from);
  const QRect at_to = Grown(QRect(), anchors, to);
  return rect.adjusted(at_to.left() - at_from.left(), at_to.top() - at_from.top(),
                       at_to.right() - at_from.right(), at_to.bottom() - at_from.bottom());
}

// Moves and sizes the anchored controls of a window or group box whenever it is resized, by the
// change of its growth over its designed size. The change is applied to where each control is
// now, so a control the program has placed anew (the SQL dialog's template list) keeps following.
class ContainerAnchors : public QObject {
 public:
  ContainerAnchors(QWidget* container, const QSize& designed)
      : QObject(container), container_(container), designed_(designed) {
    container->installEventFilter(this);
  }

  void Add(QWidget* control, const AnchorSpec& anchors) {
    controls_.push_back({control, anchors});
    Follow();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == container_ && event->type() == QEvent::Resize) Follow();
    return false;
  }

 private:
  void Follow() {
    const QSize growth = container_->size() - designed_;
    if (growth == applied_) return;
    for (const auto& [control, anchors] : controls_) {
      if (control) control->setGeometry(Regrown(control->geometry(), anchors, applied_, growth));
    }
    applied_ = growth;
  }

  QWidget* container_;
  QSize designed_;
  QSize applied_{0, 0};  // the growth the controls are placed for
  std::vector<std::pair<QPointer<QWidget>, AnchorSpec>> controls_;
};

// Keeps the controls of a tab page where the layout puts them relative to the tab control, moved
// as their anchors say when the tab control is larger than designed. Qt places a page below the
// tab bar, inside a stack, so whenever a page or the stack is moved or sized the page's children
// are placed anew and shifted back by the page's offset within the tab control.
class TabPageAnchor : public QObject {
 public:
  explicit TabPageAnchor(QTabWidget* tabs) : QObject(tabs), tabs_(tabs) {}

  // The tab control's designed size, once it is placed.
  void SetDesignedSize(const QSize& size) { designed_ = size; }
  // `control`, on one of the pages, follows the tab control's growth as `anchors` say.
  void Add(QWidget* control, const AnchorSpec& anchors) { anchors_[control] = anchors; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
      for (int i = 0; i < tabs_->count(); ++i) {
        QWidget* page = tabs_->widget(i);
        if (page == watched || page->parentWidget() == watched) Reanchor(page);
      }
    }
    return false;
  }

 private:
  void Reanchor(QWidget* page) {
    const QPoint offset = page->mapTo(tabs_, QPoint(0, 0));
    const QSize growth = designed_.isValid() ? tabs_->size() - designed_ : QSize(0, 0);
    for (QObject* child : page->children()) {
      auto* widget = qobject_cast<QWidget*>(child);
      if (!widget) continue;
      QVariant designed = widget->property(kDesignedGeometryProperty);
      if (!designed.isValid()) continue;
      QRect geometry = designed.toRect();
      if (auto anchors = anchors_.find(widget); anchors != anchors_.end())
        geometry = Grown(geometry, anchors->second, growth);
      widget->setGeometry(geometry.translated(-offset));
    }
  }

  QTabWidget* tabs_;
  QSize designed_;
  std::map<QWidget*, AnchorSpec> anchors_;
};

// A tab bar that puts its tabs in as many rows as the tab control's width needs, like the classic
// multi-line tab control, instead of scrolling them. Tabs are as wide as their captions; when there
// are several rows each row is stretched to the full width, and the row holding the current tab is
// the one next to the page.
class WrappingTabBar : public QTabBar {
 public:
  using QTabBar::QTabBar;

  QSize sizeHint() const override { return QSize(AvailableWidth(), RowCount() * RowHeight()); }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QList<QRect> rects = TabRects();
    // The current tab last, so its raised shape overlaps its neighbours.
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < count(); ++i) {
        if ((i == currentIndex()) != (pass == 1)) continue;
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.rect = rects[i];
        option.position = QStyleOptionTab::Middle;
        option.selectedPosition = QStyleOptionTab::NotAdjacent;
        // The style's own label margins are wider than these compact tabs: draw the caption here.
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);
        style()->drawItemText(&painter, option.rect, Qt::AlignCenter, palette(), isTabEnabled(i),
                              tabText(i), QPalette::WindowText);
      }
    }
    // Reached by Tab, the bar marks its current tab; the arrow keys then switch pages.
    if (hasFocus() && currentIndex() >= 0) DrawFocusFrame(painter, this, rects[currentIndex()]);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const QList<QRect> rects = TabRects();
    for (int i = 0; i < count(); ++i) {
      if (rects[i].contains(event->position().toPoint()) && isTabEnabled(i)) {
        emit tabBarClicked(i);
        setCurrentIndex(i);
        return;
      }
    }
  }
  void mouseMoveEvent(QMouseEvent*) override {}
  void mouseReleaseEvent(QMouseEvent*) override {}

  void tabLayoutChange() override { updateGeometry(); }

 private:
  int AvailableWidth() const {
    return parentWidget() ? parentWidget()->width() : QTabBar::sizeHint().width();
  }
  int RowHeight() const { return fontMetrics().height() + 6; }
  int NaturalWidth(int index) const { return fontMetrics().horizontalAdvance(tabText(index)) + 12; }
  // Tab indexes per row from top to bottom, filled left to right; the current tab's row last.
  QList<QList<int>> Rows() const {
    QList<QList<int>> rows(1);
    int used = 0;
    for (int i = 0; i < count(); ++i) {
      const int width = NaturalWidth(i);
      if (!rows.back().isEmpty() && used + width > AvailableWidth()) {
        rows.push_back({});
        used = 0;
      }
      rows.back().push_back(i);
      used += width;
    }
    for (int r = 0; r < rows.size(); ++r) {
      if (rows[r].contains(currentIndex())) {
        rows.move(r, rows.size() - 1);
        break;
      }
    }
    return rows;
  }
  int RowCount() const { return static_cast<int>(Rows().size()); }
  QList<QRect> TabRects() const {
    QList<QRect> rects(count());
    const QList<QList<int>> rows = Rows();
    const int row_height = RowHeight();
    for (int r = 0; r < rows.size(); ++r) {
      int natural = 0;
      for (int i : rows[r]) natural += NaturalWidth(i);
      const int spare = rows.size() > 1 ? std::max(0, AvailableWidth() - natural) : 0;
      int x = 0;
      for (int k = 0; k < rows[r].size(); ++k) {
        const int i = rows[r][k];
        int width = NaturalWidth(i) + spare / static_cast<int>(rows[r].size());
        if (rows.size() > 1 && k == rows[r].size() - 1) width = AvailableWidth() - x;
        rects[i] = QRect(x, r * row_height, width, row_height);
        x += width;
      }
    }
    return rects;
  }
};

// A tab widget whose tab bar wraps its tabs into rows.
class WrappingTabWidget : public QTabWidget {
 public:
  explicit WrappingTabWidget(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new WrappingTabBar(this));
  }
};

// A label that leads to an address. Tab reaches it (the label wrapper turns Enter and Space into
// a click), and while it has the focus a focus frame surrounds its text. A QLabel that takes the
// focus lays its text out through a text document, a pixel off where a plain label draws it, so
// this one draws its text itself, exactly as a plain label does.
class LinkLabel : public QLabel {
 public:
  LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFocusPolicy(Qt::TabFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int flags = QStyle::visualAlignment(layoutDirection(), alignment()) |
                      (isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
    style()->drawItemText(&painter, area, flags, palette(), isEnabled(), text(), foregroundRole());
    if (!hasFocus()) return;
    const int width = std::min(fontMetrics().horizontalAdvance(text()) + 2, area.width());
    DrawFocusFrame(painter, this, QRect(area.topLeft(), QSize(width, area.height())));
  }
};

// A push button that Enter and Return press as well as Space, once the user has moved the focus
// to it. No button is a dialog's default, so Enter elsewhere still presses none.
class PushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier) && !event->isAutoRepeat()) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

// A multi-line edit box that Tab leaves for the next control, as the other controls do, so the
// keyboard never gets stuck in it; Ctrl+Tab types a tab character instead.
class TextBox : public QPlainTextEdit {
 public:
  TextBox(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    setTabChangesFocus(true);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
      insertPlainText(QStringLiteral("\t"));
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
  }
};

QStringList SplitItems(const char* text) {
  QString items = Utf8(text);
  return items.isEmpty() ? QStringList() : items.split(QLatin1Char('|'));
}

QWidget* CreateControl(const ControlSpec& layout, QWidget* parent) {
  const QString caption = Utf8(layout.caption);
  switch (layout.kind) {
    case Kind::kLabel: {
      auto* label = new QLabel(caption, parent);
      if (layout.flags & kDialogFont) label->setFont(DialogFont());
      if (layout.flags & kBold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
      }
      return label;
    }
    case Kind::kDivider: {
      auto* label = new QLabel(parent);
      label->setFrameStyle(QFrame::HLine | QFrame::Sunken);
      return label;
    }
    case Kind::kLinkLabel: {
      auto* label = new LinkLabel(caption, parent);
      QFont font = label->font();
      font.setUnderline(true);
      label->setFont(font);
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, QColor(0, 0, 238));
      label->setPalette(palette);
      label->setCursor(Qt::PointingHandCursor);
      label->setProperty(kTargetProperty, Utf8(layout.target));
      label->setToolTip(Utf8(layout.target));
      return label;
    }
    case Kind::kButton:
    case Kind::kFlatButton: {
      auto* button = new PushButton(caption, parent);
      button->setFlat(layout.kind == Kind::kFlatButton);
      // No button is a dialog's default: Enter in an edit box must not press one.
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
    case Kind::kRadioButton: {
      auto* radio = new QRadioButton(caption, parent);
      radio->setChecked(layout.flags & kChecked);
      return radio;
    }
    case Kind::kGroupBox:
      return new QGroupBox(caption, parent);
    case Kind::kMultiLineEdit: {
      auto* edit = new TextBox(caption, parent);
      edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      edit->setVerticalScrollBarPolicy(
          (layout.flags & kVerticalScrollBar) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
      edit->setReadOnly(layout.flags & kReadOnly);
      return edit;
    }
    case Kind::kLineEdit: {
      auto* edit = new QLineEdit(caption, parent);
      edit->setReadOnly(layout.flags & kReadOnly);
      return edit;
    }
    case Kind::kComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      combo->addItems(SplitItems(layout.caption));
      combo->setCurrentIndex((layout.flags & kSelectFirst) && combo->count() > 0 ? 0 : -1);
      return combo;
    }
    case Kind::kTabControl: {
      auto* tabs = new WrappingTabWidget(parent);
      // Only the tabs themselves use the dialog font; the pages' controls keep the window's.
      tabs->tabBar()->setFont(DialogFont());
      tabs->setUsesScrollButtons(false);
      tabs->setElideMode(Qt::ElideNone);
      auto* anchor = new TabPageAnchor(tabs);
      for (const QString& page_caption : SplitItems(layout.caption)) {
        auto* page = new QWidget;
        page->setObjectName(page_caption);
        page->setAccessibleName(page_caption);
        page->installEventFilter(anchor);
        tabs->addTab(page, page_caption);
        page->parentWidget()->installEventFilter(anchor);  // the stack; once is enough
      }
      tabs->setCurrentIndex(0);
      return tabs;
    }
    case Kind::kPictureBox: {
      auto* picture = new QLabel(parent);
      picture->setAlignment(Qt::AlignCenter);
      picture->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      return picture;
    }
    case Kind::kToolbar: {
      auto* toolbar = new QToolBar(parent);
      toolbar->setMovable(false);
      toolbar->setFloatable(false);
      toolbar->setIconSize(QSize(kImageWidth, kImageHeight));
      toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
      return toolbar;
    }
    case Kind::kTree: {
      auto* tree = new QTreeWidget(parent);
      tree->setColumnCount(1);
      tree->setHeaderHidden(true);
      tree->setIconSize(QSize(kImageWidth, kImageHeight));
      return tree;
    }
    case Kind::kGrid: {
      const GridDesign& design = layout.grid;
      // A plain table view: its wrapper gives it the model that holds the cells and sets the
      // designed shape.
      auto* grid = new QTableView(parent);
      grid->horizontalHeader()->hide();
      grid->verticalHeader()->hide();
      grid->horizontalHeader()->setMinimumSectionSize(1);
      grid->verticalHeader()->setMinimumSectionSize(1);
      grid->horizontalHeader()->setDefaultSectionSize(design.column_width);
      grid->verticalHeader()->setDefaultSectionSize(design.row_height);
      grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
      if (layout.flags & kNotEditable) grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
      grid->setSelectionBehavior((layout.flags & kWholeRowSelect) ? QAbstractItemView::SelectRows
                                                                  : QAbstractItemView::SelectItems);
      grid->setSelectionMode(QAbstractItemView::SingleSelection);
      return grid;
    }
    case Kind::kSplitter: {
      auto* bar = new QFrame(parent);
      bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
      bar->setCursor(Qt::SplitHCursor);
      return bar;
    }
  }
  return nullptr;
}

void FillToolbar(QToolBar* toolbar, const FormSpec& form, const QList<QPixmap>& images) {
  for (const ToolbarButtonSpec& button : form.toolbar) {
    if (!button.caption) {
      toolbar->addSeparator();
      continue;
    }
    QAction* action = toolbar->addAction(Utf8(button.caption));
    if (button.image >= 0 && button.image < images.size())
      action->setIcon(QIcon(images[button.image]));
    // A listener hears the menu item the button stands for.
    if (QWidget* widget = toolbar->widgetForAction(action); widget && button.menu_item)
      widget->setAccessibleName(Utf8(button.menu_item));
  }
}

QMenu* CreateMenu(const MenuSpec& layout, QWidget* parent) {
  auto* menu = new QMenu(Utf8(layout.caption), parent);
  menu->setObjectName(Utf8(layout.caption));
  menu->setAccessibleName(Utf8(layout.spoken_name ? layout.spoken_name : layout.caption));
  for (const char* item : layout.items) {
    if (!item) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(Utf8(item));
    action->setObjectName(Utf8(item));
  }
  return menu;
}

using Created = std::map<std::string, QWidget*>;

// `text` without the "&" that marks a mnemonic ("&&" stands for one "&").
QString WithoutMnemonic(QString text) {
  for (qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0;
       at = text.indexOf(QLatin1Char('&'), at + 1)) {
    text.remove(at, 1);
  }
  return text;
}

// A label's caption as the name of the control it labels: without the trailing colon.
QString LabelName(const QString& caption) {
  QString name = WithoutMnemonic(caption).trimmed();
  while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':'))) name.chop(1);
  return name;
}

// Names every control for assistive technology and lets the labels that name inputs point at
// them. A plain label is left to speak its current text, which the program may change.
void NameControls(const FormSpec& form, const Created& created) {
  for (const ControlSpec& layout : form.controls) {
    QWidget* widget = created.at(layout.name);
    const AccessSpec* access = nullptr;
    for (const AccessSpec& entry : form.access) {
      if (std::string_view(entry.control) == layout.name) access = &entry;
    }
    QString name;
    if (access && access->spoken_name) {
      name = Utf8(access->spoken_name);
    } else if (access && access->label) {
      name = LabelName(static_cast<QLabel*>(created.at(access->label))->text());
    } else if (layout.kind != Kind::kLabel && layout.kind != Kind::kComboBox &&
               layout.kind != Kind::kTabControl) {
      name = WithoutMnemonic(Utf8(layout.caption));
    }
    if (!name.isEmpty()) widget->setAccessibleName(name);
    if (access && access->description) {
      widget->setAccessibleDescription(Utf8(access->description));
    } else if (layout.kind == Kind::kLinkLabel) {
      widget->setAccessibleDescription(Utf8(layout.target));
    }
    if (access && access->label) static_cast<QLabel*>(created.at(access->label))->setBuddy(widget);
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      tabs->tabBar()->setAccessibleName(name);
      tabs->tabBar()->setAccessibleDescription(widget->accessibleDescription());
    }
  }
}

// Chains the controls that take the focus in the order the layout gives, whatever the order of
// creation. A tab control is chained itself, not its tab bar: it moves together with the bar it
// hands the focus to, so Shift+Tab finds the bar where Tab does.
void ChainTabOrder(const FormSpec& form, const Created& created) {
  QWidget* previous = nullptr;
  for (const char* name : form.tab_order) {
    QWidget* widget = created.at(name);
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

// The anchors the form gives control `name`; nullptr when it keeps its designed place.
const AnchorSpec* FindAnchors(const FormSpec& form, std::string_view name) {
  for (const AnchorSpec& anchors : form.anchors) {
    if (name == anchors.control) return &anchors;
  }
  return nullptr;
}

// The tab page anchor of a tab control made by CreateControl.
TabPageAnchor* PageAnchorOf(QTabWidget* tabs) {
  for (QObject* child : tabs->children()) {
    if (auto* anchor = dynamic_cast<TabPageAnchor*>(child)) return anchor;
  }
  return nullptr;
}

// Lets every anchored control follow its container: the window's client area, a group box, or
// the tab control of its page.
void AnchorControls(const FormSpec& form, const Created& created, QWidget* client) {
  std::map<QWidget*, ContainerAnchors*> containers;
  for (const ControlSpec& layout : form.controls) {
    QWidget* widget = created.at(layout.name);
    if (layout.kind == Kind::kTabControl) {
      PageAnchorOf(static_cast<QTabWidget*>(widget))
          ->SetDesignedSize(QSize(layout.width, layout.height));
    }
    const AnchorSpec* anchors = FindAnchors(form, layout.name);
    if (!anchors) continue;
    if (layout.page) {
      auto* tabs = static_cast<QTabWidget*>(created.at(layout.container));
      PageAnchorOf(tabs)->Add(widget, *anchors);
      continue;
    }
    QWidget* container = client;
    QSize designed(ClientWidth(form), ClientHeight(form));
    if (layout.container) {
      container = created.at(layout.container);
      for (const ControlSpec& outer : form.controls) {
        if (std::string_view(outer.name) == layout.container)
          designed = QSize(outer.width, outer.height);
      }
    }
    ContainerAnchors*& follower = containers[container];
    if (!follower) follower = new ContainerAnchors(container, designed);
    follower->Add(widget, *anchors);
  }
}

// Creates every control of `form` inside `client`, containers before their children (the table
// lists them in that order), names them, chains their Tab order and lets them follow the window
// as it grows.
void CreateControls(const FormSpec& form, const QList<QPixmap>& images, QWidget* client) {
  Created created;
  for (const ControlSpec& layout : form.controls) {
    QWidget* parent = client;
    QRect geometry(layout.left, layout.top, layout.width, layout.height);
    if (layout.container) {
      QWidget* container = created.at(layout.container);
      parent = container;
      if (layout.page) {
        auto* tabs = static_cast<QTabWidget*>(container);
        parent = tabs->findChild<QWidget*>(Utf8(layout.page));
      }
    }
    QWidget* widget = CreateControl(layout, parent);
    widget->setObjectName(Utf8(layout.name));
    widget->setGeometry(geometry);
    if (layout.page) widget->setProperty(kDesignedGeometryProperty, geometry);
    if (layout.flags & kHidden) widget->hide();
    if (layout.kind == Kind::kToolbar) FillToolbar(static_cast<QToolBar*>(widget), form, images);
    created[layout.name] = widget;
  }
  NameControls(form, created);
  ChainTabOrder(form, created);
  AnchorControls(form, created, client);
}

// The client area of a main window: its designed size is its smallest and the size it starts at.
class ClientArea : public QWidget {
 public:
  explicit ClientArea(const QSize& designed) : designed_(designed) { setMinimumSize(designed); }
  QSize sizeHint() const override { return designed_; }

 private:
  QSize designed_;
};

}  // namespace

QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(9);
  return font;
}

QWidget* CreateWindow(const FormSpec& form, const QList<QPixmap>& images, QWidget* owner) {
  const QSize client_size(ClientWidth(form), ClientHeight(form));
  QWidget* window = nullptr;
  if (form.has_menu_bar) {
    auto* main = new QMainWindow(owner);
    auto* client = new ClientArea(client_size);
    client->setObjectName(QStringLiteral("client"));
    main->setCentralWidget(client);
    for (const MenuSpec& menu : form.menus) main->menuBar()->addMenu(CreateMenu(menu, main));
    main->menuBar()->setAccessibleName(QStringLiteral("菜单栏"));
    CreateControls(form, images, client);
    // The window starts as the menu bar over the designed client area, which is also its smallest
    // size; made larger or maximized, its controls follow as the anchors say.
    main->resize(main->sizeHint());
    main->move(form.left, form.top);
    if (kTableImage < images.size()) main->setWindowIcon(QIcon(images[kTableImage]));
    window = main;
  } else {
    auto* dialog = new QDialog(owner);
    dialog->setMinimumSize(client_size);
    dialog->resize(client_size);
    dialog->setSizeGripEnabled(false);
    // Without the hint a window manager offers no maximizing for a dialog.
    dialog->setWindowFlag(Qt::WindowMaximizeButtonHint);
    for (const MenuSpec& menu : form.menus) CreateMenu(menu, dialog);
    CreateControls(form, images, dialog);
    window = dialog;
  }
  // The layout's pixel geometry is made for a 9-point GUI font: keep the desktop's font family
  // (its fallbacks carry the CJK glyphs) but not a larger size it may prefer.
  QFont font = window->font();
  font.setPointSize(9);
  window->setFont(font);
  window->setObjectName(Utf8(form.name));
  window->setWindowTitle(Utf8(form.title));
  return window;
}

}  // namespace torvane::forms
