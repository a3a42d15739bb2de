// The simple controls of the contract (window, label, buttons, group box, drop-down list, tab
// control, toolbar), the image list, and menus. Edit boxes, picture boxes, trees and grids have
// files of their own.
#include "ui/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "ui/image_list_qt.h"
#include "ui/qt_support.h"

namespace torvane {

// ---- ImageList

ImageList::ImageList() = default;
ImageList::~ImageList() = default;
ImageList::ImageList(const ImageList&) = default;
ImageList& ImageList::operator=(const ImageList&) = default;
ImageList::ImageList(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

ImageList ImageList::FromImageFiles(const std::vector<Bytes>& files, int width, int height) {
  auto data = std::make_shared<Data>();
  data->width = std::max(width, 0);
  data->height = std::max(height, 0);
  for (const Bytes& file : files) {
    QPixmap pixmap;
    const bool loaded =
        !file.empty() && pixmap.loadFromData(file.data(), static_cast<uint>(file.size()));
    if (!loaded || pixmap.isNull()) {
      pixmap = QPixmap(std::max(width, 1), std::max(height, 1));
      pixmap.fill(Qt::transparent);
    } else if (pixmap.width() != width || pixmap.height() != height) {
      pixmap = pixmap.scaled(std::max(width, 1), std::max(height, 1), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    }
    data->pixmaps.append(pixmap);
  }
  return ImageList(std::move(data));
}

int ImageList::Count() const { return data_ ? static_cast<int>(data_->pixmaps.size()) : 0; }
int ImageList::Width() const { return data_ ? data_->width : 0; }
int ImageList::Height() const { return data_ ? data_->height : 0; }

ImageList MakeImageList(const QList<QPixmap>& pixmaps) {
  auto data = std::make_shared<ImageList::Data>();
  data->pixmaps = pixmaps;
  if (!pixmaps.isEmpty()) {
    data->width = pixmaps.front().width();
    data->height = pixmaps.front().height();
  }
  return ImageList(std::move(data));
}

const QList<QPixmap>& ImageListPixmaps(const ImageList& images) {
  static const QList<QPixmap> kEmpty;
  return images.data() ? images.data()->pixmaps : kEmpty;
}

// ---- Control

struct Control::Link {
  QPointer<QWidget> widget;
  QObject hook;
};

Control::Control(QWidget* widget) : link_(std::make_unique<Link>()) { link_->widget = widget; }
Control::~Control() = default;

QWidget* Control::widget() const { return link_->widget.data(); }
QObject* Control::hook() const { return &link_->hook; }

void Control::SetVisible(bool visible) {
  if (QWidget* w = widget()) w->setVisible(visible);
}

bool Control::IsVisible() const {
  QWidget* w = widget();
  if (!w) return false;
  if (w->isWindow()) return w->isVisible();
  // A child that was never shown or hidden on its own follows its parent; only an explicit hide
  // makes it invisible in the sense of the contract.
  return !(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void Control::SetEnabled(bool enabled) {
  if (QWidget* w = widget()) w->setEnabled(enabled);
}

bool Control::IsEnabled() const {
  QWidget* w = widget();
  return w && w->isEnabled();
}

void Control::Place(int left, int top, int width, int height) {
  if (QWidget* w = widget()) w->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
}

int Control::Left() const { return widget() ? widget()->x() : 0; }
int Control::Top() const { return widget() ? widget()->y() : 0; }
int Control::Width() const { return widget() ? widget()->width() : 0; }
int Control::Height() const { return widget() ? widget()->height() : 0; }

void Control::BringToTop() {
  if (QWidget* w = widget()) w->raise();
}

std::string Control::Name() const { return widget() ? FromQt(widget()->objectName()) : ""; }

// ---- Window

Window::Window(QWidget* window) : Control(window) {
  if (!window) return;
  // A close the program did not ask for (the close box, the desktop's close) asks the handler
  // first; the program's own Close goes through as it is.
  window->installEventFilter(new EventHook(
      [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::Close || closing_ || !on_close_requested) return false;
        if (on_close_requested()) return false;
        event->ignore();
        return true;
      },
      hook()));
}
Window::~Window() = default;

void Window::SetTitle(const std::string& title) {
  if (QWidget* w = widget()) w->setWindowTitle(ToQt(title));
}

std::string Window::Title() const { return widget() ? FromQt(widget()->windowTitle()) : ""; }

void Window::Close() {
  QWidget* w = widget();
  if (!w) return;
  // Queued on the window itself: it runs after the current handler, and not at all when the window
  // is destroyed meanwhile.
  QPointer<QWidget> target(w);
  QTimer::singleShot(0, hook(), [this, target] {
    if (!target) return;
    closing_ = true;
    target->close();
    closing_ = false;
  });
}

int Window::ClientHeight() const {
  QWidget* w = widget();
  if (!w) return 0;
  if (auto* main = qobject_cast<QMainWindow*>(w); main && main->centralWidget())
    return main->centralWidget()->height();
  return w->height();
}

void Window::ShowModal() {
  QWidget* w = widget();
  if (!w) return;
  w->setWindowModality(Qt::ApplicationModal);
  if (auto* dialog = qobject_cast<QDialog*>(w)) {
    dialog->exec();
    return;
  }
  QEventLoop loop;
  QPointer<QWidget> guard(w);
  EventHook on_hide([&loop](QObject*, QEvent* event) {
    if (event->type() == QEvent::Hide) loop.quit();
    return false;
  });
  w->installEventFilter(&on_hide);
  QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
  w->show();
  if (w->isVisible()) loop.exec();
  if (guard) guard->removeEventFilter(&on_hide);
}

void Window::Show() {
  if (QWidget* w = widget()) w->show();
}

bool Window::IsOpen() const { return widget() && widget()->isVisible(); }

// ---- Label

Label::Label(QWidget* label) : Control(label) {
  if (!label) return;
  auto* filter = new EventHook(
      [this](QObject* watched, QEvent* event) {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && on_left_pressed) {
          on_left_pressed();
        }
        // A label the keyboard can reach is a link: Enter, Return and Space follow it.
        if (event->type() == QEvent::KeyPress &&
            (static_cast<QWidget*>(watched)->focusPolicy() & Qt::TabFocus)) {
          const auto* key = static_cast<QKeyEvent*>(event);
          const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                 key->key() == Qt::Key_Space;
          if (activates && !(key->modifiers() & ~Qt::KeypadModifier) && !key->isAutoRepeat()) {
            if (on_left_pressed) on_left_pressed();
            return true;
          }
        }
        return false;
      },
      hook());
  label->installEventFilter(filter);
}
Label::~Label() = default;

std::string Label::Caption() const {
  auto* label = qobject_cast<QLabel*>(widget());
  return label ? FromQt(label->text()) : "";
}

void Label::SetCaption(const std::string& caption) {
  if (auto* label = qobject_cast<QLabel*>(widget())) label->setText(ToQt(caption));
}

// ---- Button

Button::Button(QWidget* button) : Control(button) {
  if (auto* b = qobject_cast<QAbstractButton*>(button)) {
    QObject::connect(b, &QAbstractButton::clicked, hook(), [this] {
      if (on_clicked) on_clicked();
    });
  }
}
Button::~Button() = default;

std::string Button::Caption() const {
  auto* b = qobject_cast<QAbstractButton*>(widget());
  return b ? FromQt(b->text()) : "";
}

void Button::SetCaption(const std::string& caption) {
  if (auto* b = qobject_cast<QAbstractButton*>(widget())) b->setText(ToQt(caption));
}

void Button::Click() {
  auto* b = qobject_cast<QAbstractButton*>(widget());
  if (b && b->isEnabled() && IsVisible()) b->click();
}

// ---- RadioButton

RadioButton::RadioButton(QWidget* button) : Control(button) {}
RadioButton::~RadioButton() = default;

std::string RadioButton::Caption() const {
  auto* b = qobject_cast<QAbstractButton*>(widget());
  return b ? FromQt(b->text()) : "";
}

bool RadioButton::IsChecked() const {
  auto* b = qobject_cast<QAbstractButton*>(widget());
  return b && b->isChecked();
}

void RadioButton::SetChecked(bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(widget())) b->setChecked(checked);
}

// ---- GroupBox

GroupBox::GroupBox(QWidget* group) : Control(group) {}
GroupBox::~GroupBox() = default;

std::string GroupBox::Caption() const {
  auto* g = qobject_cast<QGroupBox*>(widget());
  return g ? FromQt(g->title()) : "";
}

void GroupBox::SetCaption(const std::string& caption) {
  if (auto* g = qobject_cast<QGroupBox*>(widget())) g->setTitle(ToQt(caption));
}

// ---- ComboBox

ComboBox::ComboBox(QWidget* combo) : Control(combo) {
  // `activated` comes from the user only; index changes made by the program stay silent.
  if (auto* c = qobject_cast<QComboBox*>(combo)) {
    QObject::connect(c, &QComboBox::activated, hook(), [this](int) {
      if (on_selection_changed) on_selection_changed();
    });
  }
}
ComboBox::~ComboBox() = default;

void ComboBox::Clear() {
  if (auto* c = qobject_cast<QComboBox*>(widget())) c->clear();
}

void ComboBox::AddItem(const std::string& text) {
  if (auto* c = qobject_cast<QComboBox*>(widget())) c->addItem(ToQt(text));
}

int ComboBox::ItemCount() const {
  auto* c = qobject_cast<QComboBox*>(widget());
  return c ? c->count() : 0;
}

std::string ComboBox::ItemText(int index) const {
  auto* c = qobject_cast<QComboBox*>(widget());
  if (!c || index < 0 || index >= c->count()) return "";
  return FromQt(c->itemText(index));
}

int ComboBox::SelectedIndex() const {
  auto* c = qobject_cast<QComboBox*>(widget());
  return c ? c->currentIndex() : -1;
}

void ComboBox::SetSelectedIndex(int index) {
  auto* c = qobject_cast<QComboBox*>(widget());
  if (!c) return;
  c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

std::string ComboBox::CurrentText() const {
  auto* c = qobject_cast<QComboBox*>(widget());
  if (!c || c->currentIndex() < 0) return "";
  return FromQt(c->itemText(c->currentIndex()));
}

// ---- TabControl

namespace {
// Set while the program changes the page, so that change does not look like the user's.
struct ProgramChange {
  explicit ProgramChange(QObject* tabs) : tabs_(tabs) { tabs_->setProperty(kKey, true); }
  ~ProgramChange() {
    if (tabs_) tabs_->setProperty(kKey, false);
  }
  static bool Active(QObject* tabs) { return tabs->property(kKey).toBool(); }
  static constexpr char kKey[] = "torvaneProgramChange";
  QPointer<QObject> tabs_;
};
}  // namespace

TabControl::TabControl(QWidget* tabs) : Control(tabs) {
  if (auto* t = qobject_cast<QTabWidget*>(tabs)) {
    QObject::connect(t, &QTabWidget::currentChanged, hook(), [this, t](int) {
      if (!ProgramChange::Active(t) && on_page_changed) on_page_changed();
    });
  }
}
TabControl::~TabControl() = default;

int TabControl::CurrentPage() const {
  auto* t = qobject_cast<QTabWidget*>(widget());
  return t ? t->currentIndex() : -1;
}

void TabControl::SetCurrentPage(int index) {
  auto* t = qobject_cast<QTabWidget*>(widget());
  if (!t || index < 0 || index >= t->count()) return;
  ProgramChange change(t);
  t->setCurrentIndex(index);
}

int TabControl::PageCount() const {
  auto* t = qobject_cast<QTabWidget*>(widget());
  return t ? t->count() : 0;
}

std::string TabControl::PageCaption(int index) const {
  auto* t = qobject_cast<QTabWidget*>(widget());
  if (!t || index < 0 || index >= t->count()) return "";
  return FromQt(t->tabText(index));
}

// ---- Toolbar

struct Toolbar::Impl {
  ImageList images;
};

Toolbar::Toolbar(QWidget* toolbar) : Control(toolbar), impl_(std::make_unique<Impl>()) {
  if (auto* bar = qobject_cast<QToolBar*>(toolbar)) {
    QObject::connect(bar, &QToolBar::actionTriggered, hook(), [this, bar](QAction* action) {
      const int index = static_cast<int>(bar->actions().indexOf(action));
      if (index >= 0 && on_button_clicked) on_button_clicked(index);
    });
  }
}
Toolbar::~Toolbar() = default;

namespace {
QAction* ToolbarAction(QWidget* widget, int index) {
  auto* bar = qobject_cast<QToolBar*>(widget);
  if (!bar) return nullptr;
  const QList<QAction*> actions = bar->actions();
  return index >= 0 && index < actions.size() ? actions.at(index) : nullptr;
}
}  // namespace

int Toolbar::ButtonCount() const {
  auto* bar = qobject_cast<QToolBar*>(widget());
  return bar ? static_cast<int>(bar->actions().size()) : 0;
}

bool Toolbar::IsButtonEnabled(int index) const {
  QAction* action = ToolbarAction(widget(), index);
  return action && action->isEnabled();
}

void Toolbar::SetButtonEnabled(int index, bool enabled) {
  if (QAction* action = ToolbarAction(widget(), index)) action->setEnabled(enabled);
}

std::string Toolbar::ButtonCaption(int index) const {
  QAction* action = ToolbarAction(widget(), index);
  return action && !action->isSeparator() ? FromQt(action->text()) : "";
}

void Toolbar::SetImageList(const ImageList& images) { impl_->images = images; }

void Toolbar::SetButtonImage(int index, int image) {
  QAction* action = ToolbarAction(widget(), index);
  if (!action || action->isSeparator()) return;
  const QList<QPixmap>& pixmaps = ImageListPixmaps(impl_->images);
  action->setIcon(image >= 0 && image < pixmaps.size() ? QIcon(pixmaps.at(image)) : QIcon());
}

void Toolbar::ClickButton(int index) {
  QAction* action = ToolbarAction(widget(), index);
  if (action && !action->isSeparator() && action->isEnabled()) action->trigger();
}

// ---- MenuItem

namespace {

// True when `action` and every menu holding it, up to the menu bar, are enabled.
bool ActionChoosable(QAction* action, int depth = 0) {
  if (!action || !action->isEnabled() || action->isSeparator()) return false;
  if (depth > 16) return true;  // a cycle of menus cannot happen; stop anyway
  for (QObject* holder : action->associatedObjects()) {
    if (auto* menu = qobject_cast<QMenu*>(holder)) {
      if (!ActionChoosable(menu->menuAction(), depth + 1)) return false;
    }
  }
  return true;
}

}  // namespace

struct MenuItem::Impl {
  QPointer<QAction> action;
  QObject hook;
};

MenuItem::MenuItem(QAction* action) : impl_(std::make_unique<Impl>()) {
  impl_->action = action;
  if (!action) return;
  QObject::connect(action, &QAction::triggered, &impl_->hook, [this] {
    // However the action was triggered, a disabled item or menu keeps it from being chosen.
    if (ActionChoosable(impl_->action) && on_chosen) on_chosen();
  });
}
MenuItem::~MenuItem() = default;

QAction* MenuItem::action() const { return impl_->action.data(); }

std::string MenuItem::Caption() const {
  QAction* a = action();
  if (!a) return "";
  return FromQt(a->objectName().isEmpty() ? a->text() : a->objectName());
}

void MenuItem::SetText(const std::string& text) {
  if (QAction* a = action()) a->setText(ToQt(text));
}

std::string MenuItem::Text() const {
  QAction* a = action();
  return a ? FromQt(a->text()) : "";
}

void MenuItem::SetEnabled(bool enabled) {
  if (QAction* a = action()) a->setEnabled(enabled);
}

bool MenuItem::IsEnabled() const { return action() && action()->isEnabled(); }

bool MenuItem::IsChoosable() const { return ActionChoosable(action()); }

bool MenuItem::Choose() {
  if (!IsChoosable()) return false;
  action()->trigger();
  return true;
}

// ---- Menu

struct Menu::Impl {
  QPointer<QMenu> menu;
  std::vector<std::unique_ptr<MenuItem>> items;  // nullptr for separators
  QObject hook;
};

Menu::Menu(QMenu* menu) : impl_(std::make_unique<Impl>()) {
  impl_->menu = menu;
  if (!menu) return;
  for (QAction* action : menu->actions()) {
    impl_->items.push_back(action->isSeparator() ? nullptr : std::make_unique<MenuItem>(action));
  }
  // Whatever route opens a disabled menu (the menu bar refuses, code calling QMenu directly does
  // not), it closes again at once.
  QObject::connect(menu, &QMenu::aboutToShow, &impl_->hook, [menu] {
    if (!menu->menuAction()->isEnabled()) {
      QMetaObject::invokeMethod(menu, &QMenu::close, Qt::QueuedConnection);
    }
  });
}
Menu::~Menu() = default;

QMenu* Menu::menu() const { return impl_->menu.data(); }

std::string Menu::Caption() const {
  QMenu* m = menu();
  if (!m) return "";
  return FromQt(m->objectName().isEmpty() ? m->title() : m->objectName());
}

void Menu::SetEnabled(bool enabled) {
  if (QMenu* m = menu()) m->menuAction()->setEnabled(enabled);
}

bool Menu::IsEnabled() const { return menu() && menu()->menuAction()->isEnabled(); }

int Menu::ItemCount() const { return static_cast<int>(impl_->items.size()); }

MenuItem* Menu::Item(int index) {
  if (!menu() || index < 0 || index >= ItemCount()) return nullptr;
  return impl_->items[index].get();
}

MenuItem* Menu::Item(const std::string& caption) {
  if (!menu()) return nullptr;
  for (auto& item : impl_->items) {
    if (item && item->Caption() == caption) return item.get();
  }
  return nullptr;
}

bool Menu::PopUp() {
  QMenu* m = menu();
  if (!m || !IsEnabled()) return false;
  m->popup(QCursor::pos() + QPoint(3, 3));
  return true;
}

bool Menu::IsOpen() const { return menu() && menu()->isVisible(); }

}  // namespace torvane
