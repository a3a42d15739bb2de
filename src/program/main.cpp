// Torvane: a desktop manager for SQLite 3 database files.

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/codec.h"
#include "program/command_line.h"
#include "program/command_routing.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

int main(int argc, char** argv) {
  using namespace torvane;
  // Linux hands over file names as bytes: each argument reads losslessly, UTF-8 or not.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
  // Help, version and a usage error are answered before any window exists (no display needed).
  const CommandLine line = ParseCommandLine(arguments);
  if (!line.error.empty()) {
    std::fputs(ToUtf8("torvane：" + line.error + "\n请用“torvane --help”查看用法。\n").c_str(),
               stderr);
    return 2;
  }
  if (line.help || line.version) {
    std::fputs(ToUtf8(line.help ? HelpText() : VersionText()).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  // The toolkit takes its own options (-platform, -style, ...) out of argc and argv; what is left
  // is what the program opens. The same reading runs on those: a toolkit option read above as a
  // file name ("-x" is one) is gone now.
  Runtime runtime(argc, argv);
  arguments.clear();
  for (int i = 1; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
  const CommandLine opened = ParseCommandLine(arguments);
  AppState state;
  QtModalServices services;
  MainWindow window;
  App app{state, window, services};

  ConnectMainWindow(app, opened);

  window.Show();
  runtime.Run();
  ReleaseState(state);
  return 0;
}
