#include "db/view_definition.h"

#include "db/create_head.h"
#include "db/sql_tokens.h"

namespace torvane {

ViewDefinition ReadViewDefinition(std::string_view create_sql) {
  const std::string_view sql = create_sql;
  const std::vector<SqlToken> tokens = SignificantSqlTokens(sql);
  ViewDefinition view;
  const CreateHead head = ReadCreateHead(sql, tokens, "VIEW");
  if (!head.ok) return view;
  std::size_t as = head.name + 1;
  std::size_t columns_begin = 0, columns_end = 0;
  if (IsPunctuation(sql, tokens, as, '(')) {
    const std::size_t close = ClosingParenthesis(sql, tokens, as);
    if (close >= tokens.size()) return view;
    columns_begin = tokens[as].begin;
    columns_end = tokens[close].end;
    as = close + 1;
  }
  if (as >= tokens.size() || !TokenIsKeyword(sql, tokens[as], "AS")) return view;
  view.ok = true;
  view.name_begin = tokens[head.name].begin;
  view.name_end = tokens[head.name].end;
  view.select_begin = tokens[as].end;
  view.columns_begin = columns_begin;
  view.columns_end = columns_end;
  return view;
}

}  // namespace torvane
