#include "db/sql_statements.h"

#include "db/sql_tokens.h"

namespace torvane {
namespace {

// Where a statement stands, read token by token as the engine decides whether a text is complete.
enum class Place {
  kStart,        // its first token
  kNormal,       // an ordinary statement: the next ";" ends it
  kExplain,      // after EXPLAIN (and whatever follows it), a CREATE TRIGGER may still come
  kCreate,       // after CREATE, TEMP or TEMPORARY
  kTrigger,      // in a trigger's body
  kTriggerSemi,  // right after a ";" in a trigger's body
  kTriggerEnd,   // after END right after a ";": the next ";" ends the trigger
};

// The words the rule looks at. Only a bare word counts: a quoted "END" is a name.
enum class Word { kOther, kExplain, kCreate, kTemp, kTrigger, kEnd };

Word WordOf(std::string_view sql, const SqlToken& token) {
  if (token.kind != SqlTokenKind::kWord) return Word::kOther;
  if (TokenIsKeyword(sql, token, "EXPLAIN")) return Word::kExplain;
  if (TokenIsKeyword(sql, token, "CREATE")) return Word::kCreate;
  if (TokenIsKeyword(sql, token, "TEMP") || TokenIsKeyword(sql, token, "TEMPORARY")) {
    return Word::kTemp;
  }
  if (TokenIsKeyword(sql, token, "TRIGGER")) return Word::kTrigger;
  if (TokenIsKeyword(sql, token, "END")) return Word::kEnd;
  return Word::kOther;
}

// The place after a token other than ";".
Place Next(Place place, Word word) {
  switch (place) {
    case Place::kStart:
      if (word == Word::kExplain) return Place::kExplain;
      return word == Word::kCreate ? Place::kCreate : Place::kNormal;
    case Place::kNormal:
      return Place::kNormal;
    case Place::kExplain:
      // "EXPLAIN QUERY PLAN CREATE TRIGGER …" still holds a trigger's body.
      if (word == Word::kCreate) return Place::kCreate;
      return word == Word::kOther ? Place::kExplain : Place::kNormal;
    case Place::kCreate:
      if (word == Word::kTemp) return Place::kCreate;
      return word == Word::kTrigger ? Place::kTrigger : Place::kNormal;
    case Place::kTrigger:
      return Place::kTrigger;
    case Place::kTriggerSemi:
      return word == Word::kEnd ? Place::kTriggerEnd : Place::kTrigger;
    case Place::kTriggerEnd:
      return Place::kTrigger;
  }
  return Place::kNormal;
}

}  // namespace

std::vector<SqlStatementRange> SplitSqlStatements(std::string_view sql) {
  std::vector<SqlStatementRange> statements;
  bool open = false;  // a statement has begun and not yet ended
  SqlStatementRange current{0, 0};
  Place place = Place::kStart;
  for (const SqlToken& token : SignificantSqlTokens(sql)) {
    const bool semicolon = token.kind == SqlTokenKind::kOperator && SqlTokenText(sql, token) == ";";
    if (!open) {
      if (semicolon) continue;
      open = true;
      current.begin = token.begin;
      place = Place::kStart;
    }
    current.end = token.end;
    if (!semicolon) {
      place = Next(place, WordOf(sql, token));
      continue;
    }
    if (place == Place::kTrigger || place == Place::kTriggerSemi) {
      place = Place::kTriggerSemi;
      continue;
    }
    statements.push_back(current);
    open = false;
  }
  if (open) statements.push_back(current);
  return statements;
}

}  // namespace torvane
