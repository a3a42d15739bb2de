#include "ui/designer_dialog.h"

#include "base/codec.h"
#include "ui/forms/form_controls.h"

namespace torvane {

struct DesignerDialog::Impl {
  forms::FormControls form{forms::DesignerForm()};
};

DesignerDialog::DesignerDialog() : impl_(std::make_unique<Impl>()) {}
DesignerDialog::~DesignerDialog() = default;

int DesignerDialog::ShowModal() { return impl_->form.ShowModal(on_created); }

Window& DesignerDialog::window() { return impl_->form.window(); }
Grid& DesignerDialog::grid() { return impl_->form.Get<Grid>("高级表格1"); }
Button& DesignerDialog::insert_before_button() {
  return impl_->form.Get<Button>("按钮_向前插入字段");
}
Button& DesignerDialog::insert_after_button() {
  return impl_->form.Get<Button>("按钮_向后插入字段");
}
Button& DesignerDialog::delete_button() { return impl_->form.Get<Button>("按钮_删除字段"); }
Button& DesignerDialog::move_up_button() { return impl_->form.Get<Button>("按钮4"); }
Button& DesignerDialog::move_down_button() { return impl_->form.Get<Button>("按钮5"); }
Button& DesignerDialog::ok_button() { return impl_->form.Get<Button>("按钮_确定"); }
Button& DesignerDialog::cancel_button() { return impl_->form.Get<Button>("按钮_取消"); }

Control* DesignerDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
