#include "ui/sql_dialog.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "base/codec.h"
#include "ui/forms/control_names.h"
#include "ui/forms/form_controls.h"

namespace torvane {

namespace names = forms::sql_names;

struct SqlDialog::Impl {
  forms::FormControls form{forms::SqlForm()};
};

SqlDialog::SqlDialog() : impl_(std::make_unique<Impl>()) {
  // Ctrl+Enter and F5 in the SQL text run it as "确定" does, as in every SQL tool.
  QWidget* box = sql_box().widget();
  if (box == nullptr) return;
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
        QKeySequence(Qt::Key_F5)}) {
    auto* shortcut = new QShortcut(keys, box);
    shortcut->setContext(Qt::WidgetShortcut);
    QObject::connect(shortcut, &QShortcut::activated, box, [this] { ok_button().Click(); });
  }
}
SqlDialog::~SqlDialog() = default;

int SqlDialog::ShowModal() { return impl_->form.ShowModal(on_created); }

Window& SqlDialog::window() { return impl_->form.window(); }
TreeView& SqlDialog::tree() { return impl_->form.Get<TreeView>(names::kTree); }
EditBox& SqlDialog::sql_box() { return impl_->form.Get<EditBox>(names::kSqlBox); }
Button& SqlDialog::import_file_button() {
  return impl_->form.Get<Button>(names::kImportFileButton);
}
Button& SqlDialog::import_template_button() {
  return impl_->form.Get<Button>(names::kImportTemplateButton);
}
Grid& SqlDialog::template_grid() { return impl_->form.Get<Grid>(names::kTemplateGrid); }
GroupBox& SqlDialog::kind_group() { return impl_->form.Get<GroupBox>(names::kKindGroup); }
RadioButton& SqlDialog::query_radio() { return impl_->form.Get<RadioButton>(names::kQueryRadio); }
RadioButton& SqlDialog::execute_radio() {
  return impl_->form.Get<RadioButton>(names::kExecuteRadio);
}
Button& SqlDialog::ok_button() { return impl_->form.Get<Button>(names::kOkButton); }
Button& SqlDialog::close_button() { return impl_->form.Get<Button>(names::kCloseButton); }
FileDialog& SqlDialog::file_dialog() { return impl_->form.file_dialog(names::kFileDialog); }

Menu& SqlDialog::template_menu() { return impl_->form.menu(0); }
MenuItem& SqlDialog::apply_template_item() {
  return impl_->form.menu_item(names::kApplyTemplateItem);
}
MenuItem& SqlDialog::hide_templates_item() {
  return impl_->form.menu_item(names::kHideTemplatesItem);
}
MenuItem* SqlDialog::menu_item(const std::string& caption) {
  return impl_->form.FindMenuItem(ToUtf8(caption));
}

Control* SqlDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
