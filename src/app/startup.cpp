#include "app/startup.h"

#include "app/database_commands.h"
#include "base/files.h"
#include "platform/app_icon.h"
#include "platform/desktop_integration.h"
#include "platform/registry.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

void OnMainWindowCreated(App& app, const std::vector<std::string>& arguments) {
  app.state.TitleText = kTitleText;
  app.window.window().SetTitle(app.state.TitleText);
  CloseDatabase(app);
  RegisterFileType();
  app.state.RowLimit = 1000;
  if (!arguments.empty()) OpenDatabase(app, arguments.front(), false);
}

void RegisterFileType() {
  const std::string run_directory = RunDirectory();
  const std::string icon_path = run_directory + "/ZuveviRE.ico";
  if (!FileExists(icon_path) && !WriteFile(icon_path, EmbeddedIcon())) return;
  const std::string executable = run_directory + "/" + ExecutableFileName();
  WriteRegistryDefault(".sdb\\", "ZuveviREFile");
  WriteRegistryDefault("ZuveviREFile\\", "Sqlite数据库文件");
  WriteRegistryDefault("ZuveviREFile\\DefaultIcon\\", icon_path);
  WriteRegistryDefault("ZuveviREFile\\shell\\open\\command\\", executable + " %1");
  InstallDesktopIntegration(executable, icon_path);
}

void ExitCommand(App& app) {
  // The user kept a pending transaction (or the close was refused): the program stays.
  if (!CloseDatabase(app)) return;
  app.window.window().Close();
}

void AboutCommand(App& app) {
  app.services.MessageBox(
      app.state.TitleText + "\r\n\r\n" + "SQLite 3 数据库文件的桌面管理工具。", kMbOk);
  app.services.OpenWebAddress(app.window.manual_address());
}

}  // namespace torvane
