#include "ui/sql_dialog.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "base/codec.h"
#include "ui/forms/form_controls.h"

namespace torvane {

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
TreeView& SqlDialog::tree() { return impl_->form.Get<TreeView>("树型框1"); }
EditBox& SqlDialog::sql_box() { return impl_->form.Get<EditBox>("编辑框_SQL语句"); }
Button& SqlDialog::import_file_button() { return impl_->form.Get<Button>("按钮_从文件导入"); }
Button& SqlDialog::import_template_button() { return impl_->form.Get<Button>("按钮_从模板导入"); }
Grid& SqlDialog::template_grid() { return impl_->form.Get<Grid>("高级表格1"); }
GroupBox& SqlDialog::kind_group() { return impl_->form.Get<GroupBox>("分组框1"); }
RadioButton& SqlDialog::query_radio() { return impl_->form.Get<RadioButton>("单选框_查询类SQL"); }
RadioButton& SqlDialog::execute_radio() { return impl_->form.Get<RadioButton>("单选框_执行类SQL"); }
Button& SqlDialog::ok_button() { return impl_->form.Get<Button>("按钮_确定"); }
Button& SqlDialog::close_button() { return impl_->form.Get<Button>("按钮_关闭"); }
FileDialog& SqlDialog::file_dialog() { return impl_->form.file_dialog("通用对话框1"); }

Menu& SqlDialog::template_menu() { return impl_->form.menu(0); }
MenuItem* SqlDialog::menu_item(const std::string& caption) {
  return impl_->form.FindMenuItem(caption);
}

Control* SqlDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
