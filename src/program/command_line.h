#pragma once

// The program's command line, read once by main before anything else runs.

#include <string>
#include <vector>

namespace torvane {

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

}  // namespace torvane
