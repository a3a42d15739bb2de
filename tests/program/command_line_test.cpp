#include "program/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(CommandLine, OptionsAndTheDatabase) {
  static const struct {
    std::vector<std::string> arguments;
    bool help, version;
    const char* database;
    const char* table;
    bool error;
  } cases[] = {
      {{}, false, false, "", "", false},
      {{"a.sdb"}, false, false, "a.sdb", "", false},
      {{"a.sdb", "b.sdb"}, false, false, "a.sdb", "", false},  // further files are ignored
      {{"--help"}, true, false, "", "", false},
      {{"a.sdb", "--version"}, false, true, "a.sdb", "", false},
      {{"./--help"}, false, false, "./--help", "", false},
      {{"--", "--help"}, false, false, "--help", "", false},
      {{"-x"}, false, false, "-x", "", false},  // not an option: a file name, as always
      {{"a.sdb", "-t", "商品"}, false, false, "a.sdb", "商品", false},
      {{"-t", "v", "a.sdb"}, false, false, "a.sdb", "v", false},
      {{"--table", "my table", "a.sdb"}, false, false, "a.sdb", "my table", false},
      {{"--table=t=1", "a.sdb"}, false, false, "a.sdb", "t=1", false},
      {{"a.sdb", "--", "-t", "x"}, false, false, "a.sdb", "", false},
      {{"a.sdb", "-t"}, false, false, "a.sdb", "", true},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    std::string joined;
    for (const std::string& a : c.arguments) joined += "[" + a + "]";
    EXPECT_EQ(line.help, c.help) << joined;
    EXPECT_EQ(line.version, c.version) << joined;
    EXPECT_EQ(line.database, c.database) << joined;
    EXPECT_EQ(line.table, c.table) << joined;
    EXPECT_EQ(!line.error.empty(), c.error) << joined;
  }
  EXPECT_EQ(VersionText(), "Torvane 1.0\n");
  EXPECT_NE(HelpText().find("--table"), std::string::npos);
}

}  // namespace
}  // namespace torvane
