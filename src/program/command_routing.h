#pragma once

// Which command each menu item, toolbar button and control event of the main window runs.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "program/command_line.h"

namespace torvane {

// Binds every event of the main window to its handler; the created event opens what the command
// line `line` names.
void ConnectMainWindow(App& app, const CommandLine& line);

// Toolbar dispatch: 0 new, 1 open, 2 close database; 4-6, 8-10 and 12 run the menu item of the same
// caption; the separators do nothing.
void OnToolbarButtonClicked(App& app, int index);

}  // namespace torvane
