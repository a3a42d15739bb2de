#pragma once

// A table of literals compiled twice: once by GCC with -fexec-charset=GB18030, once as the copy
// tools/internal_literals writes, compiled without that option. Both must give the same bytes.

#include <cstddef>
#include <string>
#include <vector>

namespace torvane {

struct LiteralCase {
  const char* what;  // ASCII, the same either way
  std::string bytes;
  int line;  // where the case stands in literal_table.cpp
};

// The table as GCC compiles literal_table.cpp itself.
std::vector<LiteralCase> ExecCharsetLiterals();
// The table as the copy of literal_table.cpp compiles.
std::vector<LiteralCase> CopiedLiterals();

}  // namespace torvane
