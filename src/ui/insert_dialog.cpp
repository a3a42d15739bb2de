#include "ui/insert_dialog.h"

#include "base/codec.h"
#include "ui/forms/control_names.h"
#include "ui/forms/form_controls.h"

namespace torvane {

namespace names = forms::insert_names;

struct InsertDialog::Impl {
  forms::FormControls form{forms::InsertForm()};
};

InsertDialog::InsertDialog() : impl_(std::make_unique<Impl>()) {}
InsertDialog::~InsertDialog() = default;

int InsertDialog::ShowModal() { return impl_->form.ShowModal(on_created); }

Window& InsertDialog::window() { return impl_->form.window(); }
Grid& InsertDialog::field_grid() { return impl_->form.Get<Grid>(names::kFieldGrid); }
TabControl& InsertDialog::value_tabs() { return impl_->form.Get<TabControl>(names::kValueTabs); }
Label& InsertDialog::text_length_label() { return impl_->form.Get<Label>(names::kTextLengthLabel); }
EditBox& InsertDialog::text_value_box() { return impl_->form.Get<EditBox>(names::kTextValueBox); }
Button& InsertDialog::write_text_button() {
  return impl_->form.Get<Button>(names::kWriteTextButton);
}
EditBox& InsertDialog::integer_value_box() {
  return impl_->form.Get<EditBox>(names::kIntegerValueBox);
}
Button& InsertDialog::write_integer_button() {
  return impl_->form.Get<Button>(names::kWriteIntegerButton);
}
EditBox& InsertDialog::decimal_value_box() {
  return impl_->form.Get<EditBox>(names::kDecimalValueBox);
}
Button& InsertDialog::write_decimal_button() {
  return impl_->form.Get<Button>(names::kWriteDecimalButton);
}
Label& InsertDialog::bytes_length_label() {
  return impl_->form.Get<Label>(names::kBytesLengthLabel);
}
Button& InsertDialog::clear_bytes_button() {
  return impl_->form.Get<Button>(names::kClearBytesButton);
}
Button& InsertDialog::read_bytes_from_file_button() {
  return impl_->form.Get<Button>(names::kReadBytesFromFileButton);
}
PictureBox& InsertDialog::picture_box() { return impl_->form.Get<PictureBox>(names::kPictureBox); }
FileDialog& InsertDialog::file_dialog() { return impl_->form.file_dialog(names::kFileDialog); }
Button& InsertDialog::ok_button() { return impl_->form.Get<Button>(names::kOkButton); }
Button& InsertDialog::cancel_button() { return impl_->form.Get<Button>(names::kCancelButton); }

Control* InsertDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
