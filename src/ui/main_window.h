#pragma once

// The main window: schema tree, record grid, field value panel, operation log, menu bar and
// toolbar. Qt-free: the logic reaches every control through the contract classes of ui/controls.h.
// Texts in and out are internal text (GB18030).

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/controls.h"
#include "ui/modal_services.h"

namespace torvane {

// The menus of the main window's menu bar, in their order.
enum class MainMenu {
  kDatabase,  // "数据库"
  kTable,     // "表"
  kView,      // "视图"
  kOther,     // "其它操作"
  kHelp,      // "帮助"
};

// The commands of the menu bar, one per menu item, in menu order. The logic binds and enables
// them by these values; only the window knows their captions.
enum class MainCommand {
  kNewDatabase,          // "新建数据库..."
  kOpenDatabase,         // "打开数据库..."
  kCloseDatabase,        // "关闭数据库"
  kBackupDatabase,       // "备份数据库"
  kExit,                 // "退出"
  kNewTable,             // "新建表..."
  kAlterTable,           // "修改表..."
  kRenameTable,          // "修改表名称"
  kDropTable,            // "删除表"
  kInsertEmptyRecord,    // "插入空记录"
  kInsertRecord,         // "插入记录..."
  kDeleteRecord,         // "删除当前记录"
  kNewView,              // "新建视图"
  kAlterView,            // "修改视图"
  kRenameView,           // "修改视图名称"
  kDropView,             // "删除视图"
  kSqlConsole,           // "执行SQL语句"
  kBeginTransaction,     // "开始事务"
  kCommitTransaction,    // "提交事务"
  kRollbackTransaction,  // "回滚事务"
  kShowErrorText,        // "取错误文本"
  kShowErrorCode,        // "取错误码"
  kShowLastInsertId,     // "取最新插入ID"
  kSwitchTextMode,       // "文本编码..."
  kAbout,                // "关于"
};

class MainWindow {
 public:
  // Creates the window with all its controls, menus and file dialogs, as designed: hidden, the
  // field panel hidden, the display filter on its first item, every command enabled. Ctrl+N,
  // Ctrl+O, Ctrl+W and Ctrl+E choose "新建数据库...", "打开数据库...", "关闭数据库" and
  // "执行SQL语句" as a click would (nothing while the item or its menu is disabled); F5 raises
  // on_refresh_requested.
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Raised by the first Show(), before the window appears; every control exists by then.
  std::function<void()> on_created;
  // Raised once, after the window has first been painted: work that may take a while (opening
  // the database the command line names) starts here, so the window is on the screen first. Runs
  // from the message loop, after the paint has been handled.
  std::function<void()> on_first_shown;
  // Whether on_first_shown has been raised.
  bool WasFirstShown() const;
  // The user pressed F5 in the window to have the schema and the browsed table read again.
  std::function<void()> on_refresh_requested;
  // Raises on_created on the first call, then shows the window without blocking. The run ends
  // when the window has been closed (ui/runtime.h).
  void Show();

  Window& window();
  // "工具条1": 13 positions, separators at 3, 7 and 11.
  Toolbar& toolbar();
  // "组合框_显示内容": the display filter of the schema tree.
  ComboBox& display_filter();
  // "树型框1": the schema tree, drawing from image_list().
  TreeView& tree();
  // "编辑框_表或视图定义": the stored definition, read-only.
  EditBox& definition_box();
  // "高级表格1": the record grid.
  Grid& grid();
  // "编辑框_表基本信息": the summary line, read-only.
  EditBox& info_box();
  // "超级按钮_写日志到文件", "超级按钮_清除日志".
  Button& save_log_button();
  Button& clear_log_button();
  // "编辑框_操作日志": the operation log, read-only.
  EditBox& log_box();

  // The field value panel "分组框_字段读写" and its controls.
  GroupBox& field_panel();
  ComboBox& record_number_box();  // "组合框_记录序号"
  ComboBox& field_name_box();     // "组合框_字段名称"
  TabControl& field_tabs();  // "高级选择夹1": pages 文本型, 整数型, 小数型, 字节集型
  // Page "文本型".
  EditBox& text_value_box();             // "编辑框_文本字段值"
  Button& read_text_from_file_button();  // "按钮_从文件读入文本"
  Button& write_text_to_file_button();   // "按钮_写文本到文件"
  Button& read_text_button();            // "按钮_读文本字段值"
  Button& write_text_button();           // "按钮_写文本字段值"
  // Page "整数型".
  EditBox& integer_value_box();    // "编辑框_整数字段值", integer input
  Button& read_integer_button();   // "按钮_读整数字段值"
  Button& write_integer_button();  // "按钮_写整数字段值"
  // Page "小数型".
  EditBox& decimal_value_box();    // "编辑框_小数字段值", decimal input
  Button& read_decimal_button();   // "按钮_读小数字段值"
  Button& write_decimal_button();  // "按钮_写小数字段值"
  // Page "字节集型".
  Button& write_bytes_to_file_button();   // "按钮_写字节集字段值到文件"
  Button& clear_bytes_button();           // "按钮_清除字节集字段"
  Button& read_bytes_from_file_button();  // "按钮_从文件写到字节集字段"
  PictureBox& picture_box();              // "图片框_字节集预览"

  // The file dialogs, kept between shows.
  FileDialog& bytes_file_dialog();     // "对话框_字节集读写": open, all files
  FileDialog& text_file_dialog();      // "对话框_打开或保存文本": save, text files, "txt"
  FileDialog& database_file_dialog();  // "对话框_打开或新建数据库": open, databases, "sdb"

  // The two link labels at the lower right, "标签7" and "标签8", and the web addresses they stand
  // for (the logic opens them on on_left_pressed).
  Label& manual_link();
  Label& home_page_link();
  std::string manual_address() const;
  std::string home_page_address() const;

  // A menu of the menu bar; 表 and 视图 also pop up over the tree and the grid.
  Menu& menu(MainMenu which);
  // The menu item of `command`. Every command has one.
  MenuItem& command_item(MainCommand command);
  // The command toolbar button `index` stands for; none for a separator or no such button.
  std::optional<MainCommand> toolbar_command(int index) const;
  // The menu item captioned `caption` (for example "新建表..."); nullptr when there is none.
  MenuItem* menu_item(const std::string& caption);

  // The image list of the toolbar and the schema tree.
  const ImageList& image_list() const;

  // Any control by its name (for example "标签6"); nullptr when the window has none.
  Control* Find(const std::string& name);
  // Any file dialog by its name; nullptr when the window has none.
  FileDialog* FindFileDialog(const std::string& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
