#pragma once

// Putting names and texts taken from the database into SQL text.

#include <string>
#include <string_view>

namespace torvane {

// True when `name` can stand in SQL as it is: not empty, only ASCII letters, digits, "_" and
// bytes of 0x80 or more, not starting with a digit or a UTF-8 byte-order mark (EF BB BF), and not
// an SQL keyword (letter case aside).
bool IsPlainSqlName(std::string_view name);

// `name` ready to be put into SQL: unchanged when it is a plain name, otherwise between double
// quotes with every inner double quote doubled. `name` is always the raw name as the catalog holds
// it; a name that already carries quotes gets quoted once more, because those quotes belong to it.
std::string QuoteSqlName(std::string_view name);

// `text` with every single quote doubled, to be put between single quotes in SQL.
std::string EscapeSqlText(std::string_view text);

}  // namespace torvane
