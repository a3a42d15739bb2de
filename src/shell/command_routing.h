#pragma once

// Which command each menu item, toolbar button and control event of the main window runs.

#include <string>
#include <vector>

#include "app/app_state.h"

namespace torvane {

// Binds every event of the main window to its handler; `arguments` are the command-line arguments
// (internal text, the program's own path left out) that the created event opens.
void ConnectMainWindow(App& app, std::vector<std::string> arguments);

// Toolbar dispatch: 0 new, 1 open, 2 close database; 4-6, 8-10 and 12 run the menu item of the same
// caption; the separators do nothing.
void OnToolbarButtonClicked(App& app, int index);

}  // namespace torvane
