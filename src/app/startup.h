#pragma once

// Start-up and shutdown: the work done once the main window exists, the file-type registration,
// and the exit and About commands.

#include <string>
#include <vector>

#include "app/app_state.h"

namespace torvane {

// The program's plain title.
inline constexpr char kTitleText[] = "Torvane v1.0";

// What the command line asks for. The first argument that is not an option names the database;
// further ones are ignored. The options are --help, --version, -t NAME, --table NAME and
// --table=NAME; "--" ends them, and every other argument, "-x" included, is a file name, as it
// always was.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::string database;  // "" when none is named
  std::string table;     // the table or view to show at once; "" when none
  std::string error;     // what is wrong with the command line; "" when nothing
};
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The texts --help and --version print (internal text, lines ending in "\n").
std::string HelpText();
std::string VersionText();

// The main window has been created: sets the title, puts the window into the no-database state,
// registers the file type, sets the row limit, and opens the database the command line names
// (`arguments`, without the program's name) after backing it up; with -t NAME it then shows table
// or view NAME, or says that the database has none of that name.
void OnMainWindowCreated(App& app, const std::vector<std::string>& arguments);

// Writes the icon file "ZuveviRE.ico" where ProgramPlaces puts it (beside the program) when it is
// missing, then the four file-type values of the registry stand-in and the desktop's MIME package
// and desktop entry. An installed program whose install holds a desktop entry writes no entry of
// its own under the user's folder, and removes one it wrote there before (it would hide the
// install's). Failures are silent; without an icon file nothing is registered.
void RegisterFileType();

// Where the "Torvane 使用说明" link and the About command lead: the installed manual for an
// installed program, otherwise the link's own address.
std::string ManualAddress(App& app);

// Menu 退出: closes the database (reporting a refused close), then the main window.
void ExitCommand(App& app);

// Menu 关于: the title and a notice line, then the program's documentation in the browser.
void AboutCommand(App& app);

}  // namespace torvane
