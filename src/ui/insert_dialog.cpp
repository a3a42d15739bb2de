#include "ui/insert_dialog.h"

#include "base/codec.h"
#include "ui/forms/form_controls.h"

namespace torvane {

struct InsertDialog::Impl {
  forms::FormControls form{forms::InsertForm()};
};

InsertDialog::InsertDialog() : impl_(std::make_unique<Impl>()) {}
InsertDialog::~InsertDialog() = default;

int InsertDialog::ShowModal() { return impl_->form.ShowModal(on_created); }

Window& InsertDialog::window() { return impl_->form.window(); }
Grid& InsertDialog::field_grid() { return impl_->form.Get<Grid>("高级表格1"); }
TabControl& InsertDialog::value_tabs() { return impl_->form.Get<TabControl>("高级选择夹1"); }
Label& InsertDialog::text_length_label() { return impl_->form.Get<Label>("标签_文本长度"); }
EditBox& InsertDialog::text_value_box() { return impl_->form.Get<EditBox>("编辑框_文本字段值"); }
Button& InsertDialog::write_text_button() { return impl_->form.Get<Button>("按钮_写文本字段值"); }
EditBox& InsertDialog::integer_value_box() { return impl_->form.Get<EditBox>("编辑框_整数字段值"); }
Button& InsertDialog::write_integer_button() {
  return impl_->form.Get<Button>("按钮_写整数字段值");
}
EditBox& InsertDialog::decimal_value_box() { return impl_->form.Get<EditBox>("编辑框_小数字段值"); }
Button& InsertDialog::write_decimal_button() {
  return impl_->form.Get<Button>("按钮_写小数字段值");
}
Label& InsertDialog::bytes_length_label() { return impl_->form.Get<Label>("标签_字节集长度"); }
Button& InsertDialog::clear_bytes_button() {
  return impl_->form.Get<Button>("按钮_清除字节集字段");
}
Button& InsertDialog::read_bytes_from_file_button() {
  return impl_->form.Get<Button>("按钮_从文件写到字节集字段");
}
PictureBox& InsertDialog::picture_box() { return impl_->form.Get<PictureBox>("图片框_字节集预览"); }
FileDialog& InsertDialog::file_dialog() { return impl_->form.file_dialog("对话框_打开文件"); }
Button& InsertDialog::ok_button() { return impl_->form.Get<Button>("按钮_确定"); }
Button& InsertDialog::cancel_button() { return impl_->form.Get<Button>("按钮_取消"); }

Control* InsertDialog::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }

}  // namespace torvane
