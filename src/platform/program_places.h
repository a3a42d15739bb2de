#pragma once

// Where the program's own files live: the files it ships (the SQL template file, its icon, its
// manual) and the files it writes (backups, and its icon when that has to be written).
//
// A build tree or a portable copy keeps everything beside the executable. An installed program —
// the executable in a folder named "bin" with the install's "share/torvane" folder beside it —
// reads what it ships from <prefix>/share/torvane and <prefix>/share/doc/torvane and writes nothing
// into the install: its backups go under $XDG_DATA_HOME/torvane. The layout decides, not the
// permission to write (root may write anywhere).

#include <string>

namespace torvane {

struct ProgramPlaces {
  bool installed = false;
  // The install's root ("/usr", "/opt/x"); "" when not installed.
  std::string prefix;
  // Where the shipped files are: the run directory, or <prefix>/share/torvane.
  std::string share_directory;
  // The folder of backup copies: <run directory>/数据库备份, or $XDG_DATA_HOME/torvane/数据库备份.
  std::string backup_directory;
  // The SQL template file.
  std::string template_file;
  // The icon file the registration names. Beside the executable (written there at start when
  // missing), or the installed one; when an install lacks it, one written under
  // $XDG_DATA_HOME/torvane.
  std::string icon_file;
  // The manual: the installed copy (<prefix>/share/doc/torvane/README.md), or the copy the build
  // puts beside the program (README.md in the run directory).
  std::string manual_file;
  // The desktop entry the install put in place (<prefix>/share/applications/torvane.desktop);
  // "" when not installed.
  std::string installed_desktop_entry;
};

// The places of a program whose executable sits in `run_directory` (internal text, no trailing
// "/"), under the current environment's $XDG_DATA_HOME.
ProgramPlaces PlacesFor(const std::string& run_directory);

// The places of the running program (PlacesFor(RunDirectory())).
ProgramPlaces Places();

// A file: URL naming `path` (internal text), its bytes percent-encoded where a URL needs it.
std::string FileUrl(const std::string& path);

}  // namespace torvane
