#include "db/table_definition.h"

#include <algorithm>
#include <cstdlib>

#include <sqlite3.h>

#include "db/connection.h"
#include "db/create_head.h"
#include "db/sql_name.h"
#include "db/sql_tokens.h"

namespace torvane {
namespace {

using Tokens = std::vector<SqlToken>;

// The engine's keywords that its grammar still takes for a name, and so for a word of a declared
// type, wherever a keyword is not expected there ("key", "replace", "temp", "current_timestamp",
// "generated", ...); and the three words its tokenizer reads as names unless a window definition
// follows them. Every other keyword ends a declared type.
constexpr std::string_view kKeywordsThatAreNames[] = {
    "ABORT",    "ACTION",    "AFTER",     "ALWAYS",       "ANALYZE",      "ASC",
    "ATTACH",   "BEFORE",    "BEGIN",     "BY",           "CASCADE",      "CAST",
    "COLUMN",   "CONFLICT",  "CURRENT",   "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
    "DATABASE", "DEFERRED",  "DESC",      "DETACH",       "DO",           "EACH",
    "END",      "EXCLUDE",   "EXCLUSIVE", "EXPLAIN",      "FAIL",         "FILTER",
    "FIRST",    "FOLLOWING", "FOR",       "GENERATED",    "GLOB",         "GROUPS",
    "IF",       "IGNORE",    "IMMEDIATE", "INITIALLY",    "INSTEAD",      "KEY",
    "LAST",     "LIKE",      "MATCH",     "MATERIALIZED", "NO",           "NULLS",
    "OF",       "OFFSET",    "OTHERS",    "OVER",         "PARTITION",    "PLAN",
    "PRAGMA",   "PRECEDING", "QUERY",     "RAISE",        "RANGE",        "RECURSIVE",
    "REGEXP",   "REINDEX",   "RELEASE",   "RENAME",       "REPLACE",      "RESTRICT",
    "ROLLBACK", "ROW",       "ROWS",      "SAVEPOINT",    "TEMP",         "TEMPORARY",
    "TIES",     "TRIGGER",   "UNBOUNDED", "VACUUM",       "VIEW",         "VIRTUAL",
    "WINDOW",   "WITH",      "WITHOUT",
};

// Of those, the words an expression uses as operators or values rather than as names.
constexpr std::string_view kKeywordsOfExpressions[] = {
    "LIKE", "GLOB", "REGEXP", "MATCH", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
};

// The words that start a table constraint. A column's name can be none of them unquoted, so the
// engine tells a constraint from a column definition by its first word alone.
constexpr std::string_view kConstraintStarts[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK",
                                                  "FOREIGN"};

template <std::size_t N>
bool IsAnyKeyword(std::string_view sql, const SqlToken& token, const std::string_view (&words)[N]) {
  for (const std::string_view word : words) {
    if (TokenIsKeyword(sql, token, word)) return true;
  }
  return false;
}

// A bare word that is one of the engine's keywords and never stands for a name where a type or a
// column constraint may stand.
bool IsReservedWord(std::string_view sql, const SqlToken& token) {
  if (token.kind != SqlTokenKind::kWord) return false;
  const std::string_view text = SqlTokenText(sql, token);
  if (sqlite3_keyword_check(text.data(), static_cast<int>(text.size())) == 0) return false;
  return !IsAnyKeyword(sql, token, kKeywordsThatAreNames);
}

bool IsTypeWord(std::string_view sql, const Tokens& tokens, std::size_t i) {
  return IsNameToken(tokens, i) && !IsReservedWord(sql, tokens[i]);
}

bool IsEngineBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsEngineQuote(char c) { return c == '"' || c == '\'' || c == '`' || c == '['; }

// The type names a STRICT table accepts. The engine keeps a column of one of them as that type's
// number, not as text, and so reports it in capitals however it was written.
constexpr std::string_view kStandardTypes[] = {"ANY", "BLOB", "INT", "INTEGER", "REAL", "TEXT"};

// The declared type the engine keeps for the type text `type` (first word to last word or ")",
// as written), by the engine's own steps. The grammar lets "GENERATED ALWAYS" run on as words of
// the type, so the engine cuts a trailing "always", then "generated", off the text (at least 16
// bytes long) with the blanks before each. Then a text of three bytes or more that starts with a
// quote and holds no other quote character before its last byte loses its first and last bytes.
// A standard type name is then reported in capitals; any other text that still starts with a
// quote keeps only what stands between that first pair of quotes, doubled quotes undoubled.
std::string EngineDeclaredType(std::string_view type) {
  auto ends_with = [&](std::string_view word) {
    return type.size() >= word.size() &&
           EqualsIgnoringAsciiCase(type.substr(type.size() - word.size()), word);
  };
  auto trim_end = [&] {
    while (!type.empty() && IsEngineBlank(type.back())) type.remove_suffix(1);
  };
  if (type.size() >= 16 && ends_with("always")) {
    type.remove_suffix(6);
    trim_end();
    if (type.size() >= 9 && ends_with("generated")) {
      type.remove_suffix(9);
      trim_end();
    }
  }
  if (type.size() >= 3 && IsEngineQuote(type.front())) {
    bool inner_quote = false;
    for (std::size_t i = 1; i + 1 < type.size(); ++i) inner_quote |= IsEngineQuote(type[i]);
    if (!inner_quote) type = type.substr(1, type.size() - 2);
  }
  for (const std::string_view standard : kStandardTypes) {
    if (EqualsIgnoringAsciiCase(type, standard)) return std::string(standard);
  }
  if (type.empty() || !IsEngineQuote(type.front())) return std::string(type);
  const char close = type.front() == '[' ? ']' : type.front();
  std::string unquoted;
  for (std::size_t i = 1; i < type.size(); ++i) {
    if (type[i] != close) {
      unquoted += type[i];
    } else if (i + 1 < type.size() && type[i + 1] == close) {
      unquoted += close;
      ++i;
    } else {
      break;
    }
  }
  return unquoted;
}

// The name, as written, of the column of `columns` that the significant token `i` names; "" when
// it names none.
std::string ColumnNamed(std::string_view sql, const Tokens& tokens, std::size_t i,
                        const std::vector<TableColumn>& columns) {
  if (!IsNameToken(tokens, i)) return "";
  const std::string name = SqlNameOfToken(sql, tokens[i]);
  for (const TableColumn& column : columns) {
    if (EqualsIgnoringAsciiCase(column.name, name)) return name;
  }
  return "";
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
  if (name.empty()) return;
  for (const std::string& known : names) {
    if (EqualsIgnoringAsciiCase(known, name)) return;
  }
  names.push_back(name);
}

// The columns a parenthesised list of names (a key's columns, or a foreign key's) names: each
// item's first token, as "a COLLATE nocase DESC" names only a.
void AddListColumns(std::string_view sql, const Tokens& tokens, std::size_t open, std::size_t close,
                    const std::vector<TableColumn>& columns, std::vector<std::string>& names) {
  bool item_start = true;
  int depth = 0;
  for (std::size_t i = open + 1; i < close; ++i) {
    if (item_start && depth == 0) AddOnce(names, ColumnNamed(sql, tokens, i, columns));
    item_start = false;
    if (IsPunctuation(sql, tokens, i, '(')) ++depth;
    if (IsPunctuation(sql, tokens, i, ')')) --depth;
    if (depth == 0 && IsPunctuation(sql, tokens, i, ',')) item_start = true;
  }
}

// The columns an expression between `open` and `close` names. A name followed by "(" is a
// function, one followed by "." a table; a name after "." counts only behind this table's name;
// the collation after COLLATE and the type after AS (in CAST) are not columns, nor are the
// keywords an expression uses as operators or values. A string is a value, never a column.
void AddExpressionColumns(std::string_view sql, const Tokens& tokens, std::size_t open,
                          std::size_t close, std::string_view table,
                          const std::vector<TableColumn>& columns,
                          std::vector<std::string>& names) {
  bool after_as = false;
  for (std::size_t i = open + 1; i < close; ++i) {
    const SqlToken& token = tokens[i];
    const bool name_like =
        token.kind == SqlTokenKind::kWord || token.kind == SqlTokenKind::kQuotedName;
    if (!name_like || IsReservedWord(sql, token)) {
      after_as = TokenIsKeyword(sql, token, "AS");
      continue;
    }
    if (after_as) continue;
    if (IsAnyKeyword(sql, token, kKeywordsOfExpressions)) continue;
    if (i > open + 1 && TokenIsKeyword(sql, tokens[i - 1], "COLLATE")) continue;
    if (IsPunctuation(sql, tokens, i + 1, '(') || IsPunctuation(sql, tokens, i + 1, '.')) continue;
    if (IsPunctuation(sql, tokens, i - 1, '.') &&
        !(i >= 2 && TokenNames(sql, tokens[i - 2], table))) {
      continue;
    }
    AddOnce(names, ColumnNamed(sql, tokens, i, columns));
  }
}

// The first "(" at or after `from` and before `last`; `last` when there is none.
std::size_t OpeningParenthesis(std::string_view sql, const Tokens& tokens, std::size_t from,
                               std::size_t last) {
  while (from < last && !IsPunctuation(sql, tokens, from, '(')) ++from;
  return from;
}

// The columns table constraint [first, last) names.
std::vector<std::string> ConstraintColumns(std::string_view sql, const Tokens& tokens,
                                           std::size_t first, std::size_t last,
                                           std::string_view table,
                                           const std::vector<TableColumn>& columns) {
  std::vector<std::string> names;
  std::size_t k = first;
  if (TokenIsKeyword(sql, tokens[k], "CONSTRAINT")) k += 2;
  if (k >= last) return names;
  const std::size_t open = OpeningParenthesis(sql, tokens, k, last);
  if (open >= last) return names;
  const std::size_t close = std::min(ClosingParenthesis(sql, tokens, open), last);
  if (TokenIsKeyword(sql, tokens[k], "CHECK")) {
    AddExpressionColumns(sql, tokens, open, close, table, columns, names);
    return names;
  }
  AddListColumns(sql, tokens, open, close, columns, names);
  if (!TokenIsKeyword(sql, tokens[k], "FOREIGN")) return names;
  // A foreign key to this same table names its columns on both sides.
  std::size_t references = close;
  while (references < last && !TokenIsKeyword(sql, tokens[references], "REFERENCES")) {
    ++references;
  }
  if (references + 2 < last && IsNameToken(tokens, references + 1) &&
      EqualsIgnoringAsciiCase(SqlNameOfToken(sql, tokens[references + 1]), table) &&
      IsPunctuation(sql, tokens, references + 2, '(')) {
    const std::size_t parent_close =
        std::min(ClosingParenthesis(sql, tokens, references + 2), last);
    AddListColumns(sql, tokens, references + 2, parent_close, columns, names);
  }
  return names;
}

// Reads the column definition [first, last). False when it is not one.
bool ReadColumn(std::string_view sql, const Tokens& tokens, std::size_t first, std::size_t last,
                TableColumn& column) {
  if (!IsNameToken(tokens, first)) return false;
  column.name = SqlNameOfToken(sql, tokens[first]);
  column.begin = column.name_begin = tokens[first].begin;
  column.end = tokens[last - 1].end;
  column.name_end = tokens[first].end;
  column.type_begin = column.type_end = column.name_end;

  std::size_t i = first + 1;
  while (i < last && IsTypeWord(sql, tokens, i)) ++i;
  const std::size_t words_end = i;
  std::size_t type_last = words_end;  // one past the type's last token
  if (words_end > first + 1 && IsPunctuation(sql, tokens, i, '(')) {
    const std::size_t close = ClosingParenthesis(sql, tokens, i);
    if (close >= last) return false;
    std::size_t number = i + 1;
    std::string sign;
    if (IsPunctuation(sql, tokens, number, '+') || IsPunctuation(sql, tokens, number, '-')) {
      sign = std::string(SqlTokenText(sql, tokens[number]));
      ++number;
    }
    if (number < close && tokens[number].kind == SqlTokenKind::kNumber) {
      column.type_length = sign + std::string(SqlTokenText(sql, tokens[number]));
    }
    type_last = close + 1;
  }
  if (type_last > first + 1) {
    column.declared_type = EngineDeclaredType(
        sql.substr(tokens[first + 1].begin, tokens[type_last - 1].end - tokens[first + 1].begin));
    // "GENERATED ALWAYS" read as the last words belongs to the generated column, not to the type.
    std::size_t words_kept = words_end;
    if (type_last == words_end && words_end >= first + 3 &&
        TokenIsKeyword(sql, tokens[words_end - 2], "GENERATED") &&
        TokenIsKeyword(sql, tokens[words_end - 1], "ALWAYS")) {
      words_kept -= 2;
      type_last -= 2;
    }
    for (std::size_t w = first + 1; w < words_kept; ++w) {
      if (!column.type_base.empty()) column.type_base += ' ';
      column.type_base += SqlNameOfToken(sql, tokens[w]);
    }
    if (type_last > first + 1) {
      column.type_begin = tokens[first + 1].begin;
      column.type_end = tokens[type_last - 1].end;
    }
  }

  int depth = 0;
  for (std::size_t k = words_end; k < last; ++k) {
    if (IsPunctuation(sql, tokens, k, '(')) ++depth;
    if (IsPunctuation(sql, tokens, k, ')')) --depth;
    if (depth != 0) continue;
    column.primary_key |= TokenIsKeyword(sql, tokens[k], "PRIMARY");
    column.autoincrement |= TokenIsKeyword(sql, tokens[k], "AUTOINCREMENT");
    column.generated |= TokenIsKeyword(sql, tokens[k], "AS");
  }
  return true;
}

bool StartsConstraint(std::string_view sql, const SqlToken& token) {
  return IsAnyKeyword(sql, token, kConstraintStarts);
}

// Reads the table constraints of [first, last). The engine lets table constraints follow one
// another without a comma ("PRIMARY KEY (a) UNIQUE (b)"), so one element may hold several; a
// "CONSTRAINT name" belongs to the constraint that follows it.
void ReadConstraints(std::string_view sql, const Tokens& tokens, std::size_t first,
                     std::size_t last, std::string_view table, TableDefinition& definition) {
  std::size_t start = first;
  int depth = 0;
  auto add = [&](std::size_t end) {
    TableConstraint constraint;
    constraint.begin = tokens[start].begin;
    constraint.end = tokens[end - 1].end;
    constraint.columns = ConstraintColumns(sql, tokens, start, end, table, definition.columns);
    definition.constraints.push_back(std::move(constraint));
  };
  for (std::size_t k = first + 1; k < last; ++k) {
    if (IsPunctuation(sql, tokens, k, '(')) ++depth;
    if (IsPunctuation(sql, tokens, k, ')')) --depth;
    if (depth != 0 || !StartsConstraint(sql, tokens[k])) continue;
    const bool only_named = TokenIsKeyword(sql, tokens[start], "CONSTRAINT") && k == start + 2;
    if (only_named && !TokenIsKeyword(sql, tokens[k], "CONSTRAINT")) continue;
    add(k);
    start = k;
  }
  add(last);
}

}  // namespace

TableDefinition ReadTableDefinition(std::string_view create_sql) {
  const std::string_view sql = create_sql;
  const Tokens tokens = SignificantSqlTokens(sql);
  TableDefinition definition;
  const CreateHead head = ReadCreateHead(sql, tokens, "TABLE");
  if (!head.ok) return definition;
  const std::size_t open = head.name + 1;
  if (!IsPunctuation(sql, tokens, open, '(')) return definition;
  const std::size_t close = ClosingParenthesis(sql, tokens, open);
  if (close >= tokens.size()) return definition;
  const std::string table = SqlNameOfToken(sql, tokens[head.name]);

  definition.name_begin = tokens[head.name].begin;
  definition.name_end = tokens[head.name].end;
  definition.body_begin = tokens[open].end;
  definition.body_end = tokens[close].begin;
  definition.options_begin = tokens[close].end;

  // The body's elements, split at the commas outside parentheses.
  std::size_t first = open + 1;
  int depth = 0;
  bool constraints_begun = false;
  for (std::size_t k = open + 1; k <= close; ++k) {
    if (k < close && IsPunctuation(sql, tokens, k, '(')) ++depth;
    if (k < close && IsPunctuation(sql, tokens, k, ')')) --depth;
    if (k < close && (depth != 0 || !IsPunctuation(sql, tokens, k, ','))) continue;
    if (k == first) return TableDefinition();  // an empty element: "(a,,b)" or "()"
    if (StartsConstraint(sql, tokens[first])) {
      constraints_begun = true;
      ReadConstraints(sql, tokens, first, k, table, definition);
    } else {
      // Every column comes before the first table constraint.
      TableColumn column;
      if (constraints_begun || !ReadColumn(sql, tokens, first, k, column)) {
        return TableDefinition();
      }
      definition.columns.push_back(std::move(column));
    }
    first = k + 1;
  }
  if (definition.columns.empty()) return TableDefinition();

  // The options, separated by commas: WITHOUT ROWID and STRICT, as bare words.
  for (std::size_t k = close + 1; k < tokens.size(); ++k) {
    if (TokenIsKeyword(sql, tokens[k], "WITHOUT") && k + 1 < tokens.size() &&
        TokenIsKeyword(sql, tokens[k + 1], "ROWID")) {
      definition.without_rowid = true;
    }
    definition.strict |= TokenIsKeyword(sql, tokens[k], "STRICT");
  }
  definition.ok = true;
  return definition;
}

std::vector<EngineColumn> ReadEngineColumns(ZuveviRE& db, const std::string& table) {
  std::vector<EngineColumn> columns;
  for (const char* schema : {"main", "temp"}) {
    SqliteDataset rows = db.Query(
        "SELECT name, type, \"notnull\", dflt_value, dflt_value IS NOT NULL, pk, hidden "
        "FROM pragma_table_xinfo('" +
        EscapeSqlText(table) + "', '" + schema + "')");
    if (!rows.Requery() || !rows.IsComplete()) return {};
    const TextTable all = rows.GetAll(false);
    for (int r = 0; r < all.rows(); ++r) {
      EngineColumn column;
      column.name = all.at(r, 0);
      column.type = all.at(r, 1);
      column.not_null = all.at(r, 2) == "1";
      column.default_value = all.at(r, 3);
      column.has_default = all.at(r, 4) == "1";
      column.pk = std::atoi(all.at(r, 5).c_str());
      column.hidden = std::atoi(all.at(r, 6).c_str());
      columns.push_back(std::move(column));
    }
    if (!columns.empty()) break;
  }
  return columns;
}

std::string ColumnDifference(const TableDefinition& definition,
                             const std::vector<EngineColumn>& engine) {
  if (!definition.ok) return "the definition was not read";
  for (std::size_t i = 0; i < definition.columns.size() || i < engine.size(); ++i) {
    const std::string at = "column " + std::to_string(i + 1) + ": ";
    if (i >= engine.size()) return at + "read " + definition.columns[i].name + ", engine none";
    if (i >= definition.columns.size()) return at + "read none, engine " + engine[i].name;
    const TableColumn& read = definition.columns[i];
    const EngineColumn& known = engine[i];
    if (read.name != known.name) return at + "read name " + read.name + ", engine " + known.name;
    if (read.declared_type != known.type) {
      return at + "read type \"" + read.declared_type + "\", engine \"" + known.type + "\"";
    }
    if (read.generated != (known.hidden >= 2)) {
      return at + (read.generated ? "read generated, engine not" : "engine generated, read not");
    }
  }
  return "";
}

}  // namespace torvane
