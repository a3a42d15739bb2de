#pragma once

// Start-up and shutdown: the work done once the main window exists, the file-type registration,
// and the exit and About commands.

#include <string>
#include <vector>

#include "app/app_state.h"

namespace torvane {

// The program's plain title.
inline constexpr char kTitleText[] = "Torvane v1.0";

// The main window has been created: sets the title, puts the window into the no-database state,
// registers the file type, sets the row limit, and opens the database named by the first of
// `arguments` (further ones are ignored) after backing it up.
void OnMainWindowCreated(App& app, const std::vector<std::string>& arguments);

// Writes the icon file "ZuveviRE.ico" beside the program when it is missing, then the four
// file-type values of the registry stand-in and the desktop's MIME package and desktop entry.
// Failures are silent; without an icon file nothing is registered.
void RegisterFileType();

// Menu 退出: closes the database (reporting a refused close), then the main window.
void ExitCommand(App& app);

// Menu 关于: the title and a notice line, then the program's documentation in the browser.
void AboutCommand(App& app);

}  // namespace torvane
