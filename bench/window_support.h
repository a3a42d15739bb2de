#pragma once

// What the benchmarks inside the real main window share: the program started on one database
// file, and a folder of the run's own for what start-up registers.

#include <stdlib.h>

#include <string>

#include "app/app_state.h"
#include "app/database_commands.h"
#include "app/schema_tree.h"
#include "shell/command_routing.h"
#include "support/scripted_modal_services.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

namespace torvane::bench {

// The running program on one database: state, scripted modal services and the main window, started
// as the program starts it (events bound, start-up work done, row limit set), with the file opened
// as the open command opens it, less the backup copy (which would copy the whole file): connection,
// name lists, schema tree, commands enabled. Needs a running Runtime.
struct StartedWindow {
  AppState state;
  testing::ScriptedModalServices services;
  MainWindow window;
  App app{state, window, services};
  bool open = false;  // the file was opened

  explicit StartedWindow(const std::string& path) {
    ConnectMainWindow(app, {});
    window.Show();
    if (!state.Connection.Open(path, false)) return;
    state.DatabasePath = path;
    RefreshNameLists(app);
    RefreshSchemaTree(app);
    SetDatabaseCommandsEnabled(app, true);
    Runtime::ProcessEvents();
    open = true;
  }
  ~StartedWindow() { ReleaseState(state); }
  StartedWindow(const StartedWindow&) = delete;
  StartedWindow& operator=(const StartedWindow&) = delete;
};

// Start-up registers the file type under the user's configuration and data folders: points both
// into a new folder of the run's own and returns it ("" when it cannot be made).
inline std::string RedirectUserFolders(const char* program) {
  std::string pattern = std::string("/tmp/") + program + ".XXXXXX";
  const char* dir = ::mkdtemp(pattern.data());
  if (dir == nullptr) return "";
  const std::string folder = dir;
  ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  return folder;
}

}  // namespace torvane::bench
