#include "ui/designer_dialog.h"

#include "base/codec.h"
#include "ui/forms/control_names.h"
#include "ui/forms/form_controls.h"

namespace torvane {

namespace names = forms::designer_names;

struct DesignerDialog::Impl {
  forms::FormControls form{forms::DesignerForm()};
};

DesignerDialog::DesignerDialog() : impl_(std::make_unique<Impl>()) {}
DesignerDialog::~DesignerDialog() = default;

int DesignerDialog::ShowModal() { return impl_->form.ShowModal(on_created); }

Window& DesignerDialog::window() { return impl_->form.window(); }
Grid& DesignerDialog::grid() { return impl_->form.Get<Grid>(names::kGrid); }
Button& DesignerDialog::insert_before_button() {
  return impl_->form.Get<Button>(names::kInsertBeforeButton);
}
Button& DesignerDialog::insert_after_button() {
  return impl_->form.Get<Button>(names::kInsertAfterButton);
}
Button& DesignerDialog::delete_button() { return impl_->form.Get<Button>(names::kDeleteButton); }
Button& DesignerDialog::move_up_button() { return impl_->form.Get<Button>(names::kMoveUpButton); }
Button& DesignerDialog::move_down_button() {
  return impl_->form.Get<Button>(names::kMoveDownButton);
}
Button& DesignerDialog::ok_button() { return impl_->form.Get<Button>(names::kOkButton); }
Button& DesignerDialog::cancel_button() { return impl_->form.Get<Button>(names::kCancelButton); }

Control* DesignerDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
