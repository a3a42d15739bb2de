#pragma once

// What the benchmarks inside the real main window share: the program started on one database
// file, the set-up of the run, and the window's size for the record.

#include <stdlib.h>

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/database_commands.h"
#include "app/schema_tree.h"
#include "program/command_routing.h"
#include "support/scripted_modal_services.h"
#include "support/temp_dir.h"
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
    ConnectMainWindow(app, CommandLine());
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

// What a benchmark that starts the main window sets up first and takes down last: the offscreen
// platform (unless QT_QPA_PLATFORM names another), and the user's configuration and data folders,
// where start-up registers the file type, pointed into a temporary folder of the run's own that
// goes with the object.
class WindowRun {
 public:
  WindowRun() { ::setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  WindowRun(const WindowRun&) = delete;
  WindowRun& operator=(const WindowRun&) = delete;

 private:
  testing::TempDir folder_;
  testing::ScopedEnv config_{"XDG_CONFIG_HOME", folder_.system_path() + "/config"};
  testing::ScopedEnv data_{"XDG_DATA_HOME", folder_.system_path() + "/data"};
};

// Prints the size of `window`'s main window and of its grid, for the figures' record.
inline void PrintWindowSize(MainWindow& window) {
  std::printf("\nmain window %d x %d pixels, grid %d x %d pixels (offscreen)\n",
              window.window().Width(), window.window().Height(), window.grid().Width(),
              window.grid().Height());
}

}  // namespace torvane::bench
