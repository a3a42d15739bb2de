#pragma once

// Reading a table's stored CREATE TABLE text as the engine reads it: its columns with their
// declared types, its table constraints and options, each with where it stands in the text, so
// that a change can keep everything it does not touch. And checking such a reading against the
// columns the engine itself reports.
//
// Every position is a byte offset into the text that was read; spans are [begin, end).
//
// The text is read byte by byte, as the engine reads a database kept in GBK. The stored text of a
// database kept in UTF-8 reaches the program converted to internal text, where the trail byte of
// a rare two-byte character may be an ASCII "]", "`" or "@" that the engine never saw; a name
// holding one can then read otherwise than the engine read it, which ColumnDifference reports.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class ZuveviRE;

// One column definition of a CREATE TABLE text.
//
// Note: db/field_info.h declares a function ColumnDefinition too, which hides this type's name
// wherever both are visible; write `struct ColumnDefinition` or TableColumn there.
struct ColumnDefinition {
  // The column's name, unquoted.
  std::string name;
  // The declared type exactly as the engine reports it (PRAGMA table_xinfo): the text from the
  // type's first word to its last word or ")" as written, blanks and comments inside included
  // ("VARCHAR(50)", "NUMERIC(10, 2)", "UNSIGNED BIG INT"), unquoted the engine's way, without a
  // "GENERATED ALWAYS" that introduces a generated column, and in capitals when it is one of the
  // names a STRICT table accepts ("integer" is reported as "INTEGER"); "" for none.
  std::string declared_type;
  // The type's words without the "(...)" after them, each unquoted, joined by one blank: "VARCHAR",
  // "UNSIGNED BIG INT"; "" for none.
  std::string type_base;
  // The first number inside the type's parentheses, with its sign, as written ("50", "10",
  // "-3"); "" when there is none.
  std::string type_length;
  // The whole column definition, without the blanks and comments around it.
  std::size_t begin = 0, end = 0;
  // The name token.
  std::size_t name_begin = 0, name_end = 0;
  // The type's text from its first word to its last word or ")"; both equal name_end when there
  // is no type.
  std::size_t type_begin = 0, type_end = 0;
  // Has a PRIMARY KEY column constraint (a table's PRIMARY KEY (...) constraint does not count).
  bool primary_key = false;
  // Its PRIMARY KEY column constraint says AUTOINCREMENT.
  bool autoincrement = false;
  // A generated column: GENERATED ALWAYS AS (...) or AS (...).
  bool generated = false;
};
using TableColumn = struct ColumnDefinition;

// One table constraint: PRIMARY KEY (...), UNIQUE (...), CHECK (...) or FOREIGN KEY (...), with
// the "CONSTRAINT name" before it when there is one.
struct TableConstraint {
  // The constraint's text, from CONSTRAINT or its keyword to its last token.
  std::size_t begin = 0, end = 0;
  // The table's own columns it names, in its column lists and expressions (the referenced
  // columns of a foreign key only when it refers to this same table), unquoted and spelled as
  // written in the constraint, each once, in order of first mention.
  std::vector<std::string> columns;
};

// What a CREATE TABLE text defines.
struct TableDefinition {
  // False when the text is not a CREATE TABLE with a parenthesised list of at least one column
  // (for example CREATE TABLE ... AS SELECT, CREATE VIRTUAL TABLE, or text the engine would
  // refuse); nothing else is then set.
  bool ok = false;
  // The table name token (after an optional "schema.").
  std::size_t name_begin = 0, name_end = 0;
  // Just inside the outer parentheses.
  std::size_t body_begin = 0, body_end = 0;
  std::vector<TableColumn> columns;
  std::vector<TableConstraint> constraints;
  // Just after the closing parenthesis: the table options (WITHOUT ROWID, STRICT) run from here to
  // the end of the text, which may hold only blanks.
  std::size_t options_begin = 0;
  bool without_rowid = false;
  bool strict = false;
};

// Reads `create_sql`, a CREATE TABLE statement as the catalog keeps it (or as a user wrote it:
// comments, line breaks, IF NOT EXISTS, TEMP and a schema name are all read). Never fails; see
// TableDefinition::ok.
TableDefinition ReadTableDefinition(std::string_view create_sql);

// One column as the engine reports it in PRAGMA table_xinfo.
struct EngineColumn {
  std::string name;
  // The declared type; "" for none.
  std::string type;
  bool not_null = false;
  // The DEFAULT expression's text, when has_default.
  std::string default_value;
  bool has_default = false;
  // The column's 1-based position in the primary key; 0 when it is not in the key.
  int pk = 0;
  // 0 for an ordinary column, 1 for a hidden column of a virtual table, 2 for a generated
  // VIRTUAL column and 3 for a generated STORED one.
  int hidden = 0;
};

// The columns of table `table` (exact name; the main catalog's before a temporary one, as
// ZuveviRE::GetTableSql looks), in order, hidden and generated ones included. Empty when not open,
// when there is no such table or when the engine cannot tell.
std::vector<EngineColumn> ReadEngineColumns(ZuveviRE& db, const std::string& table);

// "" when `definition` gives exactly the columns of `engine`: as many, in the same order, with the
// same names and declared types byte for byte, and generated exactly where the engine says so.
// Otherwise a short account of the first difference, for a log or a test. A definition that was
// not read (ok false) never agrees.
std::string ColumnDifference(const TableDefinition& definition,
                             const std::vector<EngineColumn>& engine);

}  // namespace torvane
