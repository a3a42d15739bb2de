#include "ui/main_window.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "base/codec.h"
#include "ui/forms/form_controls.h"

namespace torvane {

struct MainWindow::Impl {
  forms::FormControls form{forms::MainForm()};
  bool created = false;
};

MainWindow::MainWindow() : impl_(std::make_unique<Impl>()) {
  // Refreshing has no menu item: the key lives on the window alone.
  QWidget* window = impl_->form.widget();
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), window);
  refresh->setContext(Qt::WindowShortcut);
  QObject::connect(refresh, &QShortcut::activated, refresh, [this] {
    if (on_refresh_requested) on_refresh_requested();
  });
}
MainWindow::~MainWindow() = default;

void MainWindow::Show() {
  if (!impl_->created) {
    impl_->created = true;
    if (on_created) on_created();
  }
  impl_->form.window().Show();
}

Window& MainWindow::window() { return impl_->form.window(); }
Toolbar& MainWindow::toolbar() { return impl_->form.Get<Toolbar>("工具条1"); }
ComboBox& MainWindow::display_filter() { return impl_->form.Get<ComboBox>("组合框_显示内容"); }
TreeView& MainWindow::tree() { return impl_->form.Get<TreeView>("树型框1"); }
EditBox& MainWindow::definition_box() { return impl_->form.Get<EditBox>("编辑框_表或视图定义"); }
Grid& MainWindow::grid() { return impl_->form.Get<Grid>("高级表格1"); }
EditBox& MainWindow::info_box() { return impl_->form.Get<EditBox>("编辑框_表基本信息"); }
Button& MainWindow::save_log_button() { return impl_->form.Get<Button>("超级按钮_写日志到文件"); }
Button& MainWindow::clear_log_button() { return impl_->form.Get<Button>("超级按钮_清除日志"); }
EditBox& MainWindow::log_box() { return impl_->form.Get<EditBox>("编辑框_操作日志"); }

GroupBox& MainWindow::field_panel() { return impl_->form.Get<GroupBox>("分组框_字段读写"); }
ComboBox& MainWindow::record_number_box() { return impl_->form.Get<ComboBox>("组合框_记录序号"); }
ComboBox& MainWindow::field_name_box() { return impl_->form.Get<ComboBox>("组合框_字段名称"); }
TabControl& MainWindow::field_tabs() { return impl_->form.Get<TabControl>("高级选择夹1"); }
EditBox& MainWindow::text_value_box() { return impl_->form.Get<EditBox>("编辑框_文本字段值"); }
Button& MainWindow::read_text_from_file_button() {
  return impl_->form.Get<Button>("按钮_从文件读入文本");
}
Button& MainWindow::write_text_to_file_button() {
  return impl_->form.Get<Button>("按钮_写文本到文件");
}
Button& MainWindow::read_text_button() { return impl_->form.Get<Button>("按钮_读文本字段值"); }
Button& MainWindow::write_text_button() { return impl_->form.Get<Button>("按钮_写文本字段值"); }
EditBox& MainWindow::integer_value_box() { return impl_->form.Get<EditBox>("编辑框_整数字段值"); }
Button& MainWindow::read_integer_button() { return impl_->form.Get<Button>("按钮_读整数字段值"); }
Button& MainWindow::write_integer_button() { return impl_->form.Get<Button>("按钮_写整数字段值"); }
EditBox& MainWindow::decimal_value_box() { return impl_->form.Get<EditBox>("编辑框_小数字段值"); }
Button& MainWindow::read_decimal_button() { return impl_->form.Get<Button>("按钮_读小数字段值"); }
Button& MainWindow::write_decimal_button() { return impl_->form.Get<Button>("按钮_写小数字段值"); }
Button& MainWindow::write_bytes_to_file_button() {
  return impl_->form.Get<Button>("按钮_写字节集字段值到文件");
}
Button& MainWindow::clear_bytes_button() { return impl_->form.Get<Button>("按钮_清除字节集字段"); }
Button& MainWindow::read_bytes_from_file_button() {
  return impl_->form.Get<Button>("按钮_从文件写到字节集字段");
}
PictureBox& MainWindow::picture_box() { return impl_->form.Get<PictureBox>("图片框_字节集预览"); }

FileDialog& MainWindow::bytes_file_dialog() { return impl_->form.file_dialog("对话框_字节集读写"); }
FileDialog& MainWindow::text_file_dialog() {
  return impl_->form.file_dialog("对话框_打开或保存文本");
}
FileDialog& MainWindow::database_file_dialog() {
  return impl_->form.file_dialog("对话框_打开或新建数据库");
}

Label& MainWindow::manual_link() { return impl_->form.Get<Label>("标签7"); }
Label& MainWindow::home_page_link() { return impl_->form.Get<Label>("标签8"); }
std::string MainWindow::manual_address() const {
  return impl_->form.LinkTarget(impl_->form.Get<Label>("标签7"));
}
std::string MainWindow::home_page_address() const {
  return impl_->form.LinkTarget(impl_->form.Get<Label>("标签8"));
}

Menu& MainWindow::menu(MainMenu which) { return impl_->form.menu(static_cast<int>(which)); }
MenuItem* MainWindow::menu_item(const std::string& caption) {
  return impl_->form.FindMenuItem(caption);
}

const ImageList& MainWindow::image_list() const { return impl_->form.images(); }

Control* MainWindow::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }
FileDialog* MainWindow::FindFileDialog(const std::string& name) {
  return impl_->form.FindFileDialog(ToUtf8(name));
}

}  // namespace torvane
