#pragma once

// Cutting an SQL text into the statements the engine runs one after another, so that a text of
// several statements can be run, counted and reported statement by statement.

#include <cstddef>
#include <string_view>
#include <vector>

namespace torvane {

// One statement: the bytes [begin, end) of the text it was cut from.
struct SqlStatementRange {
  std::size_t begin;
  std::size_t end;
};

// The statements of `sql`, in order, cut where the engine's own completeness rule cuts them: a ";"
// ends a statement, except inside the body of CREATE [TEMP | TEMPORARY] TRIGGER (also behind
// EXPLAIN), where only a ";" after END, itself right after a ";", ends it. A ";" inside a string,
// a quoted name or a comment ends nothing (see TokenizeSql). Each statement runs from its first
// token that is neither blank nor comment up to and including its ";", or up to its last such
// token when the text ends without one. Empty statements (";" alone) are left out, as the engine
// skips them; a text of blanks and comments gives an empty list. Never fails: a text the engine
// would refuse is cut all the same (a trigger without its END runs to the end of the text).
std::vector<SqlStatementRange> SplitSqlStatements(std::string_view sql);

}  // namespace torvane
