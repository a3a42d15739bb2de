#include "db/sql_name.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(SqlName, QuotesOnlyNamesThatAreNotPlain) {
  static const struct {
    std::string name;
    std::string expected;
  } cases[] = {
      {"t", "t"},
      {"goods_2024", "goods_2024"},
      {"_x", "_x"},
      {"rowid", "rowid"},  // the row id's alias is no keyword
      {"_ROWID_", "_ROWID_"},
      {"商品表", "商品表"},  // bytes of 0x80 and more are plain
      {"a\xB1\xED", "a\xB1\xED"},
      {"\x81\x5C", "\"\x81\x5C\""},  // a trail byte "\" would end an unquoted name
      // The engine skips a byte-order mark that starts a token: unquoted, this is "goods".
      {"\xEF\xBB\xBFgoods", "\"\xEF\xBB\xBFgoods\""},
      {"a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},  // inside a name it is part of the name
      {"my table", "\"my table\""},
      {"t where 1=1 --", "\"t where 1=1 --\""},
      {"a;DROP TABLE b", "\"a;DROP TABLE b\""},
      {"1abc", "\"1abc\""},
      {"9", "\"9\""},
      {"select", "\"select\""},
      {"Select", "\"Select\""},
      {"ORDER", "\"ORDER\""},
      {"key", "\"key\""},
      {"a-b", "\"a-b\""},
      {"a.b", "\"a.b\""},
      {"it's", "\"it's\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"\"q\"", "\"\"\"q\"\"\""},  // quotes that are part of the name are kept
      {"[x]", "\"[x]\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuoteSqlName(c.name), c.expected) << "name: " << c.name;
    EXPECT_EQ(IsPlainSqlName(c.name), c.expected == c.name) << "name: " << c.name;
  }
}

TEST(SqlName, EscapeDoublesSingleQuotesOnly) {
  static const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"it's", "it''s"},
      {"''", "''''"},
      {"say \"hi\"", "say \"hi\""},
      {"中'文", "中''文"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeSqlText(c.text), c.expected) << "text: " << c.text;
}

}  // namespace
}  // namespace torvane
