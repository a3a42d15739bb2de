#include "program/command_routing.h"

#include <functional>
#include <utility>

#include "app/database_commands.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/startup.h"
#include "app/text_encoding.h"
#include "app/transactions.h"
#include "console/sql_console.h"
#include "designer/table_designer.h"
#include "editing/field_panel.h"
#include "editing/insert_record.h"
#include "editing/object_commands.h"
#include "editing/record_commands.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// The menu item each toolbar button from 4 on stands for.
const char* ToolbarMenuItem(int index) {
  switch (index) {
    case 4:
      return "新建表...";
    case 5:
      return "修改表...";
    case 6:
      return "删除表";
    case 8:
      return "新建视图";
    case 9:
      return "修改视图";
    case 10:
      return "删除视图";
    case 12:
      return "执行SQL语句";
    default:
      return nullptr;
  }
}

void Bind(App& app, const std::string& caption, void (*command)(App&)) {
  MenuItem* item = app.window.menu_item(caption);
  if (item != nullptr) item->on_chosen = [&app, command] { command(app); };
}

}  // namespace

void OnToolbarButtonClicked(App& app, int index) {
  switch (index) {
    case 0:
      NewDatabaseCommand(app);
      return;
    case 1:
      OpenDatabaseCommand(app);
      return;
    case 2:
      CloseDatabase(app);
      return;
    default:
      break;
  }
  const char* caption = ToolbarMenuItem(index);
  if (caption == nullptr) return;
  MenuItem* item = app.window.menu_item(caption);
  if (item != nullptr && item->on_chosen) item->on_chosen();
}

void ConnectMainWindow(App& app, const CommandLine& line) {
  MainWindow& w = app.window;
  w.on_created = [&app, database = line.database, table = line.table] {
    OnMainWindowCreated(app, database, table);
  };

  // The close box is an exit too: pending work is settled first, or the window stays.
  w.window().on_close_requested = [&app] { return CloseDatabase(app); };
  w.toolbar().on_button_clicked = [&app](int index) { OnToolbarButtonClicked(app, index); };
  w.tree().on_selection_changed = [&app] { OnTreeSelectionChanged(app); };
  w.tree().on_right_pressed = [&app] { OnTreeRightPressed(app); };
  w.display_filter().on_selection_changed = [&app] { RefreshSchemaTree(app); };
  // F5 reads the schema and the browsed table again, for changes made by another program.
  w.on_refresh_requested = [&app] {
    if (app.state.Connection.IsOpen()) RefreshSchema(app);
  };
  w.grid().on_current_cell_changed = [&app] {
    OnGridCurrentCellChanged(app);
    RefreshFieldPanel(app);
  };
  w.grid().on_editing_begins = [&app] { OnGridEditingBegins(app); };
  // The field panel shows the edited cell's field: it reads the value just written, not the one
  // it showed before the edit.
  w.grid().on_editing_ends = [&app] {
    if (OnGridEditingEnds(app)) RefreshFieldPanel(app);
  };
  w.grid().on_right_released = [&app] { OnGridRightReleased(app); };
  w.save_log_button().on_clicked = [&app] { SaveLogCommand(app); };
  w.clear_log_button().on_clicked = [&app] { ClearLogCommand(app); };

  w.record_number_box().on_selection_changed = [&app] { RefreshFieldPanel(app); };
  w.field_name_box().on_selection_changed = [&app] { RefreshFieldPanel(app); };
  w.field_tabs().on_page_changed = [&app] { RefreshFieldPanel(app); };
  w.read_text_button().on_clicked = [&app] { ReadIntoPanel(app, FieldTypeCode::kText, false); };
  w.read_integer_button().on_clicked = [&app] {
    ReadIntoPanel(app, FieldTypeCode::kInteger, false);
  };
  w.read_decimal_button().on_clicked = [&app] {
    ReadIntoPanel(app, FieldTypeCode::kDecimal, false);
  };
  w.write_bytes_to_file_button().on_clicked = [&app] {
    ReadIntoPanel(app, FieldTypeCode::kBytes, true);
  };
  w.write_text_button().on_clicked = [&app] { WriteFromPanel(app, PanelWrite::kText); };
  w.write_integer_button().on_clicked = [&app] { WriteFromPanel(app, PanelWrite::kInteger); };
  w.write_decimal_button().on_clicked = [&app] { WriteFromPanel(app, PanelWrite::kDecimal); };
  w.read_bytes_from_file_button().on_clicked = [&app] {
    WriteFromPanel(app, PanelWrite::kBytesFromFile);
  };
  w.clear_bytes_button().on_clicked = [&app] { WriteFromPanel(app, PanelWrite::kClearBytes); };
  w.read_text_from_file_button().on_clicked = [&app] { LoadTextFromFile(app); };
  w.write_text_to_file_button().on_clicked = [&app] { SaveTextToFile(app); };

  w.manual_link().on_left_pressed = [&app] { app.services.OpenWebAddress(ManualAddress()); };
  w.home_page_link().on_left_pressed = [&app] {
    app.services.OpenWebAddress(app.window.home_page_address());
  };

  Bind(app, "新建数据库...", NewDatabaseCommand);
  Bind(app, "打开数据库...", OpenDatabaseCommand);
  Bind(app, "关闭数据库", CloseCommand);
  Bind(app, "备份数据库", BackupCommand);
  Bind(app, "退出", ExitCommand);
  Bind(app, "新建表...", NewTableCommand);
  Bind(app, "修改表...", AlterTableCommand);
  Bind(app, "修改表名称", [](App& a) { RenameObject(a, ObjectKind::kTable); });
  Bind(app, "删除表", [](App& a) { DropObject(a, ObjectKind::kTable); });
  Bind(app, "插入空记录", InsertEmptyRecord);
  Bind(app, "插入记录...", InsertRecordCommand);
  Bind(app, "删除当前记录", DeleteCurrentRecord);
  Bind(app, "新建视图", CreateViewCommand);
  Bind(app, "修改视图", AlterViewCommand);
  Bind(app, "修改视图名称", [](App& a) { RenameObject(a, ObjectKind::kView); });
  Bind(app, "删除视图", [](App& a) { DropObject(a, ObjectKind::kView); });
  Bind(app, "执行SQL语句", SqlConsoleCommand);
  Bind(app, "开始事务", BeginTransactionCommand);
  Bind(app, "提交事务", CommitTransactionCommand);
  Bind(app, "回滚事务", RollbackTransactionCommand);
  Bind(app, "取错误文本", ShowErrorTextCommand);
  Bind(app, "取错误码", ShowErrorCodeCommand);
  Bind(app, "取最新插入ID", ShowLastInsertIdCommand);
  Bind(app, kTextModeItem, SwitchTextModeCommand);
  Bind(app, "关于", AboutCommand);
}

}  // namespace torvane
