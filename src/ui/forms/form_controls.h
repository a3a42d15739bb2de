#pragma once

// One window's widgets together with the contract wrappers around them: what every window facade
// holds. Built from the window's layout table.

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/forms/form_layout.h"
#include "ui/modal_services.h"

class QWidget;

namespace torvane::forms {

class FormControls {
 public:
  // Creates the window of `form` hidden, with every control, menu and file dialog, and wraps each
  // control in its contract class (label, button, edit box, ...), set up as the layout says (input
  // kinds, the grid's designed shape, the image list). The form's shortcut keys choose their menu
  // items while the window is active.
  explicit FormControls(const FormSpec& form);
  ~FormControls();
  FormControls(const FormControls&) = delete;
  FormControls& operator=(const FormControls&) = delete;

  Window& window() { return *window_; }

  // Raises `on_created` on the first call, then shows the window modally and returns 0 once it
  // has closed; -1, doing nothing, while the window is already showing.
  int ShowModal(const std::function<void()>& on_created);
  QWidget* widget() const { return widget_.get(); }

  // The wrapper of the control named `name` (UTF-8); nullptr when the window has none.
  Control* Find(const std::string& name) const;
  // The wrapper of control `name` (UTF-8), which the layout table must list with a kind wrapped by
  // T.
  template <class T>
  T& Get(const char* name) const {
    auto* control = dynamic_cast<T*>(Find(name));
    Expect(control != nullptr, name);
    return *control;
  }

  // Menus in layout order: the menu bar's, or a dialog's pop-up menus.
  int MenuCount() const { return static_cast<int>(menus_.size()); }
  Menu& menu(int index) const { return *menus_.at(index); }
  // The item captioned `caption` (UTF-8) in any of the window's menus; nullptr when none.
  MenuItem* FindMenuItem(const std::string& caption) const;
  // The item captioned `caption` (UTF-8), which the layout table must list.
  MenuItem& menu_item(const char* caption) const;
  // The caption (UTF-8) of the menu item toolbar button `index` stands for; nullptr for a
  // separator, a button that stands for none, or no such button.
  const char* ToolbarMenuItem(int index) const;

  // The file dialog named `name` (UTF-8), which the layout table must list.
  FileDialog& file_dialog(const char* name);
  // The file dialog named `name` (UTF-8); nullptr when none.
  FileDialog* FindFileDialog(const std::string& name);

  // The image list shared by the window's toolbar and trees; empty when the window has neither.
  const ImageList& images() const { return images_; }

  // The address a link label leads to (internal text); "" for other controls.
  std::string LinkTarget(const Label& label) const;

 private:
  static void Expect(bool found, const char* name);

  // Destroyed last, after every wrapper below has let go of its widget.
  struct WidgetDeleter {
    void operator()(QWidget* widget) const;
  };
  ImageList images_;
  std::unique_ptr<QWidget, WidgetDeleter> widget_;
  std::unique_ptr<Window> window_;
  std::map<std::string, std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Menu>> menus_;
  std::map<std::string, FileDialog> file_dialogs_;
  std::span<const ToolbarButtonSpec> toolbar_;  // the layout table's: static, as all of them
  bool created_ = false;
};

}  // namespace torvane::forms
