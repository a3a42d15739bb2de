#include "program/command_routing.h"

#include <functional>
#include <optional>
#include <utility>

#include "app/database_commands.h"
#include "app/operation_log.h"
#include "app/query_rows.h"
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

void Bind(App& app, MainCommand which, void (*command)(App&)) {
  app.window.command_item(which).on_chosen = [&app, command] { command(app); };
}

}  // namespace

void OnToolbarButtonClicked(App& app, int index) {
  // A button does what its menu item does, even while the item is disabled: the toolbar keeps its
  // own enabled state.
  const std::optional<MainCommand> command = app.window.toolbar_command(index);
  if (!command) return;
  MenuItem& item = app.window.command_item(*command);
  if (item.on_chosen) item.on_chosen();
}

void ConnectMainWindow(App& app, const CommandLine& line) {
  MainWindow& w = app.window;
  w.on_created = [&app] { OnMainWindowCreated(app); };
  w.on_first_shown = [&app, database = line.database, table = line.table] {
    OnMainWindowFirstShown(app, database, table);
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
  w.grid().on_more_rows_wanted = [&app] { ReadMoreQueryRows(app); };
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

  Bind(app, MainCommand::kNewDatabase, NewDatabaseCommand);
  Bind(app, MainCommand::kOpenDatabase, OpenDatabaseCommand);
  Bind(app, MainCommand::kCloseDatabase, CloseCommand);
  Bind(app, MainCommand::kBackupDatabase, BackupCommand);
  Bind(app, MainCommand::kExit, ExitCommand);
  Bind(app, MainCommand::kNewTable, NewTableCommand);
  Bind(app, MainCommand::kAlterTable, AlterTableCommand);
  Bind(app, MainCommand::kRenameTable, [](App& a) { RenameObject(a, ObjectKind::kTable); });
  Bind(app, MainCommand::kDropTable, [](App& a) { DropObject(a, ObjectKind::kTable); });
  Bind(app, MainCommand::kInsertEmptyRecord, InsertEmptyRecord);
  Bind(app, MainCommand::kInsertRecord, InsertRecordCommand);
  Bind(app, MainCommand::kDeleteRecord, DeleteCurrentRecord);
  Bind(app, MainCommand::kNewView, CreateViewCommand);
  Bind(app, MainCommand::kAlterView, AlterViewCommand);
  Bind(app, MainCommand::kRenameView, [](App& a) { RenameObject(a, ObjectKind::kView); });
  Bind(app, MainCommand::kDropView, [](App& a) { DropObject(a, ObjectKind::kView); });
  Bind(app, MainCommand::kSqlConsole, SqlConsoleCommand);
  Bind(app, MainCommand::kBeginTransaction, BeginTransactionCommand);
  Bind(app, MainCommand::kCommitTransaction, CommitTransactionCommand);
  Bind(app, MainCommand::kRollbackTransaction, RollbackTransactionCommand);
  Bind(app, MainCommand::kShowErrorText, ShowErrorTextCommand);
  Bind(app, MainCommand::kShowErrorCode, ShowErrorCodeCommand);
  Bind(app, MainCommand::kShowLastInsertId, ShowLastInsertIdCommand);
  Bind(app, MainCommand::kSwitchTextMode, SwitchTextModeCommand);
  Bind(app, MainCommand::kAbout, AboutCommand);
}

}  // namespace torvane
