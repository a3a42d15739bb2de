#pragma once

// Reading a trigger's stored CREATE TRIGGER text: where its name, the table or view it is on and
// its body stand, so that a trigger can be pointed at a renamed table or view.

#include <cstddef>
#include <string_view>

namespace torvane {

// What a CREATE TRIGGER text holds. Positions are byte offsets into the text read; spans are
// [begin, end).
struct TriggerDefinition {
  // False when the text is not "CREATE [TEMP] TRIGGER [IF NOT EXISTS] [schema.]name ... ON
  // [schema.]table ... BEGIN ..."; nothing else is then set.
  bool ok = false;
  // The trigger name token (after an optional "schema.").
  std::size_t name_begin = 0, name_end = 0;
  // The name token of the table or view after ON (after an optional "schema.").
  std::size_t table_begin = 0, table_end = 0;
  // The first byte after the BEGIN keyword that opens the body.
  std::size_t body_begin = 0;
};

// Reads `create_sql`, blanks, line breaks and comments between its words included. Never fails;
// see TriggerDefinition::ok.
TriggerDefinition ReadTriggerDefinition(std::string_view create_sql);

}  // namespace torvane
