#pragma once

// The SQL dialog "执行SQL语句": a copy of the schema tree, the SQL text, the statement kind, the
// template list and the file import. Qt-free; texts are internal text (GB18030). Each opening of
// the dialog uses a new SqlDialog.

#include <functional>
#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/modal_services.h"

namespace torvane {

class SqlDialog {
 public:
  // Creates the dialog with all its controls as designed, hidden: the template list hidden, the
  // query kind checked, the SQL text empty.
  SqlDialog();
  ~SqlDialog();
  SqlDialog(const SqlDialog&) = delete;
  SqlDialog& operator=(const SqlDialog&) = delete;

  // Raised by the first ShowModal(), before the dialog appears; every control exists by then.
  std::function<void()> on_created;
  // Raises on_created on the first call, shows the dialog modally to the whole application and
  // returns 0 when it has been closed; -1, doing nothing, while it is already showing.
  int ShowModal();

  Window& window();
  TreeView& tree();                  // "树型框1": tables and views, filled by the logic
  EditBox& sql_box();                // "编辑框_SQL语句"
  Button& import_file_button();      // "按钮_从文件导入"
  Button& import_template_button();  // "按钮_从模板导入"
  Grid& template_grid();             // "高级表格1": the template list, hidden at first
  GroupBox& kind_group();            // "分组框1"
  RadioButton& query_radio();        // "单选框_查询类SQL", checked at first
  RadioButton& execute_radio();      // "单选框_执行类SQL"
  Button& ok_button();               // "按钮_确定"
  Button& close_button();            // "按钮_关闭"
  FileDialog& file_dialog();         // "通用对话框1": open, SQL and text files

  // "SQL模板_右键菜单": 应用选中行, a separator, 关闭SQL模板.
  Menu& template_menu();
  MenuItem& apply_template_item();  // "应用选中行"
  MenuItem& hide_templates_item();  // "关闭SQL模板"
  // The pop-up menu's item captioned `caption`; nullptr when there is none.
  MenuItem* menu_item(const std::string& caption);

  // Any control by its name (for example "标签3"); nullptr when the dialog has none.
  Control* Find(const std::string& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
