#pragma once

// The insert-record dialog "插入记录...": the field list and a panel of value pages. Qt-free; texts
// are internal text (GB18030). Each opening of the dialog uses a new InsertDialog.

#include <functional>
#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/modal_services.h"

namespace torvane {

class InsertDialog {
 public:
  // Creates the dialog with all its controls as designed, hidden, page "文本型" current.
  InsertDialog();
  ~InsertDialog();
  InsertDialog(const InsertDialog&) = delete;
  InsertDialog& operator=(const InsertDialog&) = delete;

  // Raised by the first ShowModal(), before the dialog appears; every control exists by then.
  std::function<void()> on_created;
  // Raises on_created on the first call, shows the dialog modally to the whole application and
  // returns 0 when it has been closed; -1, doing nothing, while it is already showing.
  int ShowModal();

  Window& window();
  // "高级表格1": the field list, one column, not editable, whole-row selection.
  Grid& field_grid();
  TabControl& value_tabs();  // "高级选择夹1": pages 文本型, 整数型, 小数型, 字节集型
  // Page "文本型".
  Label& text_length_label();   // "标签_文本长度"
  EditBox& text_value_box();    // "编辑框_文本字段值"
  Button& write_text_button();  // "按钮_写文本字段值"
  // Page "整数型".
  EditBox& integer_value_box();    // "编辑框_整数字段值", integer input
  Button& write_integer_button();  // "按钮_写整数字段值"
  // Page "小数型".
  EditBox& decimal_value_box();    // "编辑框_小数字段值", decimal input
  Button& write_decimal_button();  // "按钮_写小数字段值"
  // Page "字节集型".
  Label& bytes_length_label();            // "标签_字节集长度"
  Button& clear_bytes_button();           // "按钮_清除字节集字段"
  Button& read_bytes_from_file_button();  // "按钮_从文件写到字节集字段"
  PictureBox& picture_box();              // "图片框_字节集预览"
  FileDialog& file_dialog();              // "对话框_打开文件": open, all files

  Button& ok_button();      // "按钮_确定"
  Button& cancel_button();  // "按钮_取消"

  // Any control by its name (for example "标签3"); nullptr when the dialog has none.
  Control* Find(const std::string& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
