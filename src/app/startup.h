#pragma once

// Start-up and shutdown: the work done once the main window exists, and the exit and About
// commands.

#include <string>

#include "app/app_state.h"

namespace torvane {

// The program's plain title: "Torvane v" and the project's version.
std::string TitleText();

// The main window has been created: sets the title, puts the window into the no-database state,
// registers the file type and sets the row limit.
void OnMainWindowCreated(App& app);

// The main window is on the screen: opens `database` (the command line's; "" for none) after
// backing it up, then shows table or view `table` ("" for none), or says that the database has
// none of that name. The window shows before any of this work, whatever the file's size.
void OnMainWindowFirstShown(App& app, const std::string& database, const std::string& table);

// Where the "Torvane 使用说明" link and the About command lead: the manual ProgramPlaces finds (the
// installed copy, or the one the build puts beside the program), as a file:// address.
std::string ManualAddress();

// Menu 退出: closes the database (reporting a refused close), then the main window.
void ExitCommand(App& app);

// Menu 关于: the title and a notice line, then the program's documentation in the browser.
void AboutCommand(App& app);

}  // namespace torvane
