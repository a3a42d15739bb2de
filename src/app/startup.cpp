#include "app/startup.h"

#include "app/database_commands.h"
#include "app/schema_tree.h"
#include "base/files.h"
#include "platform/app_icon.h"
#include "platform/desktop_integration.h"
#include "platform/program_places.h"
#include "platform/registry.h"
#include "platform/xdg.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool options = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options && argument == "--") {
      options = false;
    } else if (options && argument == "--help") {
      line.help = true;
    } else if (options && argument == "--version") {
      line.version = true;
    } else if (options && (argument == "-t" || argument == "--table")) {
      if (i + 1 == arguments.size()) {
        line.error = "选项 " + argument + " 需要一个表名或视图名";
        return line;
      }
      line.table = arguments[++i];
    } else if (options && argument.rfind("--table=", 0) == 0) {
      line.table = argument.substr(8);
    } else if (line.database.empty()) {
      line.database = argument;
    }
  }
  return line;
}

std::string HelpText() {
  return "用法：torvane [选项] [数据库文件]\n"
         "打开一个 SQLite 3 数据库文件（.sdb），在窗口中浏览和编辑它的表、视图和记录。\n"
         "每次打开前都先留下该文件的一个带日期时间的备份。\n"
         "\n"
         "  -t, --table=名称   打开数据库后立即显示该表或视图\n"
         "      --help         显示此帮助并退出\n"
         "      --version      显示版本信息并退出\n"
         "  --                 其后的参数都是文件名（如名为 --help 的文件）\n"
         "\n"
         "其它以 - 开头的参数也当作文件名。数据库文件之后的参数不起作用。\n"
         "快捷键：Ctrl+N 新建数据库，Ctrl+O 打开数据库，Ctrl+W 关闭数据库，\n"
         "Ctrl+E 执行SQL语句，F5 刷新。\n";
}

std::string VersionText() { return std::string("Torvane ") + TORVANE_VERSION + "\n"; }

void OnMainWindowCreated(App& app, const std::vector<std::string>& arguments) {
  app.state.TitleText = kTitleText;
  app.window.window().SetTitle(app.state.TitleText);
  CloseDatabase(app);
  RegisterFileType();
  app.state.RowLimit = 1000;
  const CommandLine line = ParseCommandLine(arguments);
  if (line.database.empty()) return;
  OpenDatabase(app, line.database, false);
  if (line.table.empty() || !app.state.Connection.IsOpen()) return;
  TreeView& tree = app.window.tree();
  for (int i = 0; i < tree.ItemCount(); ++i) {
    if (tree.ItemData(i) >= static_cast<int>(ItemKind::kTable) && tree.ItemText(i) == line.table) {
      tree.SetSelectedIndex(i);
      return;
    }
  }
  app.services.MessageBox("数据库中没有名为 [" + line.table + "] 的表或视图。", kMbOkExclamation);
}

void RegisterFileType() {
  const ProgramPlaces places = Places();
  const std::string& icon_path = places.icon_file;
  if (!FileExists(icon_path)) {
    // An installed program whose install lacks the icon writes it under the user's data folder,
    // never into the install.
    if (places.installed) CreateDirectories(icon_path.substr(0, icon_path.rfind('/')));
    if (!WriteFile(icon_path, EmbeddedIcon())) return;
  }
  const std::string executable = RunDirectory() + "/" + ExecutableFileName();
  WriteRegistryDefault(".sdb\\", "ZuveviREFile");
  WriteRegistryDefault("ZuveviREFile\\", "Sqlite数据库文件");
  WriteRegistryDefault("ZuveviREFile\\DefaultIcon\\", icon_path);
  WriteRegistryDefault("ZuveviREFile\\shell\\open\\command\\", executable + " %1");
  if (places.installed && FileExists(places.installed_desktop_entry)) {
    // The install's own desktop entry and MIME package serve the desktop; an entry of the same
    // name under the user's folder would stand in front of it.
    RemovePerUserDesktopEntry(places.installed_desktop_entry);
    return;
  }
  InstallDesktopIntegration(executable, icon_path);
}

std::string ManualAddress(App& app) {
  const ProgramPlaces places = Places();
  if (places.installed) return FileUrl(places.manual_file);
  return app.window.manual_address();
}

void ExitCommand(App& app) {
  // The user kept a pending transaction (or the close was refused): the program stays.
  if (!CloseDatabase(app)) return;
  app.window.window().Close();
}

void AboutCommand(App& app) {
  app.services.MessageBox(app.state.TitleText + "\r\n\r\n" + "SQLite 3 数据库文件的桌面管理工具。",
                          kMbOk);
  app.services.OpenWebAddress(ManualAddress(app));
}

}  // namespace torvane
