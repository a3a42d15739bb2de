#include "ui/forms/form_controls.h"

#include <cstdio>
#include <cstdlib>

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QVariant>
#include <QWidget>

#include "base/codec.h"
#include "ui/forms/form_builder.h"
#include "ui/forms/image_painter.h"
#include "ui/image_list_qt.h"
#include "ui/qt_support.h"

namespace torvane::forms {
namespace {

// True when some control of `form` draws from the image list.
bool UsesImages(const FormSpec& form) {
  for (const ControlSpec& layout : form.controls) {
    if (layout.kind == Kind::kToolbar || (layout.flags & kImageList)) return true;
  }
  return false;
}

std::unique_ptr<Control> Wrap(const ControlSpec& layout, QWidget* widget, const ImageList& images) {
  switch (layout.kind) {
    case Kind::kLabel:
    case Kind::kDivider:
    case Kind::kLinkLabel:
      return std::make_unique<Label>(widget);
    case Kind::kButton:
    case Kind::kFlatButton:
      return std::make_unique<Button>(widget);
    case Kind::kRadioButton:
      return std::make_unique<RadioButton>(widget);
    case Kind::kGroupBox:
      return std::make_unique<GroupBox>(widget);
    case Kind::kMultiLineEdit:
    case Kind::kLineEdit: {
      auto edit = std::make_unique<EditBox>(widget);
      if (layout.flags & kIntegerInput) edit->SetInputKind(InputKind::kInteger);
      if (layout.flags & kDecimalInput) edit->SetInputKind(InputKind::kDecimal);
      return edit;
    }
    case Kind::kComboBox:
      return std::make_unique<ComboBox>(widget);
    case Kind::kTabControl:
      return std::make_unique<TabControl>(widget);
    case Kind::kPictureBox:
      return std::make_unique<PictureBox>(widget);
    case Kind::kToolbar:
      return std::make_unique<Toolbar>(widget);
    case Kind::kTree: {
      auto tree = std::make_unique<TreeView>(widget);
      if (layout.flags & kImageList) tree->SetImageList(images);
      return tree;
    }
    case Kind::kGrid: {
      auto grid = std::make_unique<Grid>(widget);
      const GridDesign& design = layout.grid;
      // A plain table view starts without rows and columns.
      grid->SetRowCount(design.rows);
      grid->SetColumnCount(design.columns);
      grid->SetDesignFixed(design.fixed_rows, design.fixed_columns);
      grid->SetDefaultRowHeight(design.row_height);
      grid->SetDefaultColumnWidth(design.column_width);
      grid->SetEditable(!(layout.flags & kNotEditable));
      grid->SetWholeRowSelection(layout.flags & kWholeRowSelect);
      return grid;
    }
    case Kind::kSplitter:
      return std::make_unique<Control>(widget);
  }
  return nullptr;
}

}  // namespace

void FormControls::WidgetDeleter::operator()(QWidget* widget) const { delete widget; }

FormControls::FormControls(const FormSpec& form)
    : images_(UsesImages(form) ? MakeImageList(PaintImages()) : ImageList()),
      widget_(CreateWindow(form, ImageListPixmaps(images_))),
      window_(std::make_unique<Window>(widget_.get())),
      toolbar_(form.toolbar) {
  for (const ControlSpec& layout : form.controls) {
    QWidget* widget = widget_->findChild<QWidget*>(Utf8(layout.name));
    Expect(widget != nullptr, layout.name);
    controls_[layout.name] = Wrap(layout, widget, images_);
  }
  for (const ControlSpec& layout : form.controls) {
    if (layout.kind != Kind::kToolbar) continue;
    auto& toolbar = static_cast<Toolbar&>(*controls_[layout.name]);
    toolbar.SetImageList(images_);
    for (int i = 0; i < static_cast<int>(form.toolbar.size()); ++i) {
      if (form.toolbar[i].image >= 0) toolbar.SetButtonImage(i, form.toolbar[i].image);
    }
  }
  for (const MenuSpec& layout : form.menus) {
    auto* menu = widget_->findChild<QMenu*>(Utf8(layout.caption));
    Expect(menu != nullptr, layout.caption);
    menus_.push_back(std::make_unique<Menu>(menu));
  }
  for (const ShortcutSpec& layout : form.shortcuts) {
    MenuItem* item = FindMenuItem(layout.menu_item);
    Expect(item != nullptr, layout.menu_item);
    // The menus keep showing no key: the key lives on the window and chooses the item as a click
    // would, which a disabled item or menu refuses.
    auto* shortcut = new QShortcut(QKeySequence(Utf8(layout.keys)), widget_.get());
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, shortcut, [item] { item->Choose(); });
  }
  for (const FileDialogSpec& layout : form.file_dialogs) {
    FileDialog dialog;
    dialog.kind = layout.kind;
    dialog.filter = FromUtf8(layout.filter);
    dialog.default_extension = FromUtf8(layout.default_extension);
    file_dialogs_[layout.name] = dialog;
  }
}

FormControls::~FormControls() {
  // The wrappers go before the widgets they wrap, the pieces before the window. A wrapper's
  // connections end with it (their context is its hook), so the signals widgets send while they
  // are destroyed (a selection emptied, a current item gone) reach no wrapper that is gone. The
  // widget tree goes last, by its deleter.
  menus_.clear();
  controls_.clear();
  window_.reset();
}

int FormControls::ShowModal(const std::function<void()>& on_created) {
  if (window_->IsOpen()) return -1;
  if (!created_) {
    created_ = true;
    if (on_created) on_created();
  }
  window_->ShowModal();
  return 0;
}

Control* FormControls::Find(const std::string& name) const {
  auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second.get();
}

MenuItem* FormControls::FindMenuItem(const std::string& caption) const {
  // The menu items themselves speak internal text, like every contract class.
  const std::string internal = FromUtf8(caption);
  for (const auto& menu : menus_) {
    if (MenuItem* item = menu->Item(internal)) return item;
  }
  return nullptr;
}

MenuItem& FormControls::menu_item(const char* caption) const {
  MenuItem* item = FindMenuItem(caption);
  Expect(item != nullptr, caption);
  return *item;
}

const char* FormControls::ToolbarMenuItem(int index) const {
  if (index < 0 || index >= static_cast<int>(toolbar_.size())) return nullptr;
  return toolbar_[index].menu_item;
}

FileDialog& FormControls::file_dialog(const char* name) {
  FileDialog* dialog = FindFileDialog(name);
  Expect(dialog != nullptr, name);
  return *dialog;
}

FileDialog* FormControls::FindFileDialog(const std::string& name) {
  auto found = file_dialogs_.find(name);
  return found == file_dialogs_.end() ? nullptr : &found->second;
}

std::string FormControls::LinkTarget(const Label& label) const {
  QWidget* widget = label.widget();
  if (!widget) return "";
  QVariant target = widget->property(kTargetProperty);
  return target.isValid() ? FromQt(target.toString()) : std::string();
}

void FormControls::Expect(bool found, const char* name) {
  // The layout tables and the facades are written together: a miss is a programming error.
  if (!found) {
    std::fprintf(stderr, "torvane: window has no control, menu or dialog named %s\n", name);
    std::abort();
  }
}

}  // namespace torvane::forms
