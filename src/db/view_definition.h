#pragma once

// Reading a view's stored CREATE VIEW text: where its name, its optional column list and its
// query stand, so that renaming a view can rewrite exactly its name.

#include <cstddef>
#include <string_view>

namespace torvane {

// What a CREATE VIEW text holds. Positions are byte offsets into the text read; spans are
// [begin, end).
struct ViewDefinition {
  // False when the text is not "CREATE [TEMP] VIEW [IF NOT EXISTS] [schema.]name [(columns)] AS
  // query"; nothing else is then set.
  bool ok = false;
  // The view name token (after an optional "schema.").
  std::size_t name_begin = 0, name_end = 0;
  // The first byte after the AS keyword that starts the query.
  std::size_t select_begin = 0;
  // The column list "(a, b)" from its "(" to just past its ")"; both 0 when there is none.
  std::size_t columns_begin = 0, columns_end = 0;
};

// Reads `create_sql`, blanks, line breaks and comments between its words included. Never fails;
// see ViewDefinition::ok.
ViewDefinition ReadViewDefinition(std::string_view create_sql);

}  // namespace torvane
