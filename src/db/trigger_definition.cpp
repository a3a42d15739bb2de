#include "db/trigger_definition.h"

#include "db/create_head.h"
#include "db/sql_tokens.h"

namespace torvane {
namespace {

// The words a trigger's body may start with: the statements a trigger can run.
constexpr std::string_view kBodyStatements[] = {"SELECT",  "INSERT", "UPDATE", "DELETE",
                                                "REPLACE", "WITH",   "VALUES"};

}  // namespace

TriggerDefinition ReadTriggerDefinition(std::string_view create_sql) {
  const std::string_view sql = create_sql;
  const std::vector<SqlToken> tokens = SignificantSqlTokens(sql);
  TriggerDefinition trigger;
  const CreateHead head = ReadCreateHead(sql, tokens, "TRIGGER");
  if (!head.ok) return trigger;
  // ON is a keyword no name can be unquoted, so its first bare appearance after the name (past
  // the event and an UPDATE OF column list) introduces the table.
  std::size_t on = head.name + 1;
  while (on < tokens.size() && !TokenIsKeyword(sql, tokens[on], "ON")) ++on;
  std::size_t table = on + 1;
  if (!IsNameToken(tokens, table)) return trigger;
  if (IsPunctuation(sql, tokens, table + 1, '.')) {
    table += 2;
    if (!IsNameToken(tokens, table)) return trigger;
  }
  // BEGIN is also a name the engine accepts (a column in the WHEN condition may be called so);
  // the BEGIN that opens the body is the one a statement follows.
  std::size_t begin = table + 1;
  int depth = 0;
  for (; begin + 1 < tokens.size(); ++begin) {
    if (IsPunctuation(sql, tokens, begin, '(')) ++depth;
    if (IsPunctuation(sql, tokens, begin, ')')) --depth;
    if (depth != 0 || !TokenIsKeyword(sql, tokens[begin], "BEGIN")) continue;
    bool statement = false;
    for (const std::string_view word : kBodyStatements) {
      statement |= TokenIsKeyword(sql, tokens[begin + 1], word);
    }
    if (statement) break;
  }
  if (begin + 1 >= tokens.size()) return trigger;
  trigger.ok = true;
  trigger.name_begin = tokens[head.name].begin;
  trigger.name_end = tokens[head.name].end;
  trigger.table_begin = tokens[table].begin;
  trigger.table_end = tokens[table].end;
  trigger.body_begin = tokens[begin].end;
  return trigger;
}

}  // namespace torvane
