// Torvane: a desktop manager for SQLite 3 database files.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/codec.h"
#include "shell/command_routing.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

int main(int argc, char** argv) {
  using namespace torvane;
  Runtime runtime(argc, argv);
  AppState state;
  QtModalServices services;
  MainWindow window;
  App app{state, window, services};

  // The shell has split and unquoted the command line already; the first argument is the
  // database, further ones are ignored.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
  ConnectMainWindow(app, std::move(arguments));

  window.Show();
  runtime.Run();
  ReleaseState(state);
  return 0;
}
