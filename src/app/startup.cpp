#include "app/startup.h"

#include "app/database_commands.h"
#include "app/schema_tree.h"
#include "base/files.h"
#include "platform/file_type.h"
#include "platform/program_places.h"
#include "platform/xdg.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

std::string TitleText() { return std::string("Torvane v") + TORVANE_VERSION; }

void OnMainWindowCreated(App& app) {
  app.state.TitleText = TitleText();
  app.window.window().SetTitle(app.state.TitleText);
  CloseDatabase(app);
  RegisterFileType();
  app.state.RowLimit = 1000;
}

void OnMainWindowFirstShown(App& app, const std::string& database, const std::string& table) {
  if (database.empty()) return;
  OpenDatabase(app, database, false);
  if (table.empty() || !app.state.Connection.IsOpen()) return;
  TreeView& tree = app.window.tree();
  for (int i = 0; i < tree.ItemCount(); ++i) {
    if (tree.ItemData(i) >= static_cast<int>(ItemKind::kTable) && tree.ItemText(i) == table) {
      tree.SetSelectedIndex(i);
      return;
    }
  }
  app.services.MessageBox("数据库中没有名为 [" + table + "] 的表或视图。", kMbOkExclamation);
}

std::string ManualAddress() { return FileUrl(Places().manual_file); }

void ExitCommand(App& app) {
  // The user kept a pending transaction (or the close was refused): the program stays.
  if (!CloseDatabase(app)) return;
  app.window.window().Close();
}

void AboutCommand(App& app) {
  app.services.MessageBox(app.state.TitleText + "\r\n\r\n" + "SQLite 3 数据库文件的桌面管理工具。",
                          kMbOk);
  app.services.OpenWebAddress(ManualAddress());
}

}  // namespace torvane
