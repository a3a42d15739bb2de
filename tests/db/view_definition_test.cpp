#include "db/view_definition.h"

#include <string>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::TempDir;

TEST(ReadViewDefinition, FindsTheNameTheColumnsAndTheQuery) {
  static const struct {
    const char* origin;
    std::string sql;
    std::string name;     // the text of the name span
    std::string columns;  // the text of the column list span
    std::string query;    // the text from select_begin on
  } cases[] = {
      {"an e-book library's metadata view",
       "CREATE VIEW meta AS\n        SELECT id, title,\n               sort\n        FROM books",
       "meta", "", "\n        SELECT id, title,\n               sort\n        FROM books"},
      {"a home automation add-on's view (lower-case as, IF NOT EXISTS)",
       "CREATE VIEW IF NOT EXISTS history_with_duration as select ts, value, ref from history "
       "order by ref, ts desc",
       "history_with_duration", "", " select ts, value, ref from history order by ref, ts desc"},
      {"a temporary view with a column list and quoted names",
       "CREATE TEMPORARY VIEW IF NOT EXISTS temp.\"my view\"(a, \"b c\") AS SELECT 1, 2",
       "\"my view\"", "(a, \"b c\")", " SELECT 1, 2"},
      {"comments and line breaks between the words",
       "CREATE /* c */ TEMP VIEW -- x\n [v 1] /* y */ ( [a] ) -- z\n AS/*q*/SELECT 1", "[v 1]",
       "( [a] )", "/*q*/SELECT 1"},
      {"Chinese names", "CREATE VIEW 视图 AS SELECT 名称 FROM 商品", "视图", "",
       " SELECT 名称 FROM 商品"},
      {"a keyword as the view's name", "CREATE VIEW \"as\" AS SELECT 1 AS \"as\"", "\"as\"", "",
       " SELECT 1 AS \"as\""},
      {"a schema-qualified name", "CREATE VIEW main.v AS WITH x AS (SELECT 1) SELECT * FROM x", "v",
       "", " WITH x AS (SELECT 1) SELECT * FROM x"},
  };
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("views.db"), true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE books (id, title, sort); CREATE TABLE 商品 (名称);"
                 "CREATE TABLE history (ts, value, ref)"));
  for (const auto& c : cases) {
    const ViewDefinition view = ReadViewDefinition(c.sql);
    ASSERT_TRUE(view.ok) << c.origin;
    EXPECT_EQ(c.sql.substr(view.name_begin, view.name_end - view.name_begin), c.name) << c.origin;
    EXPECT_EQ(c.sql.substr(view.columns_begin, view.columns_end - view.columns_begin), c.columns)
        << c.origin;
    if (c.columns.empty()) {
      EXPECT_EQ(view.columns_begin, 0u) << c.origin;
    }
    EXPECT_EQ(c.sql.substr(view.select_begin), c.query) << c.origin;
    // What a rename does with it: the engine takes the text with another name in the name's place.
    const std::string renamed =
        c.sql.substr(0, view.name_begin) + "\"renamed \"\"view\"\"\"" + c.sql.substr(view.name_end);
    ASSERT_TRUE(db.Execute(renamed)) << renamed << "\n" << db.GetErrorText();
    EXPECT_NE(db.GetTableSql("renamed \"view\""), "") << c.origin;
    ASSERT_TRUE(db.Execute("DROP VIEW \"renamed \"\"view\"\"\""));
  }
}

TEST(ReadViewDefinition, RefusesWhatIsNoView) {
  static const char* const cases[] = {
      "",
      "CREATE VIEW v",
      "CREATE VIEW v (a AS SELECT 1",
      "CREATE VIEW v (a) SELECT 1",
      "CREATE VIEW AS SELECT 1",
      "CREATE TABLE v AS SELECT 1",
      "CREATE TRIGGER v AFTER INSERT ON t BEGIN SELECT 1; END",
      "SELECT 1",
  };
  for (const char* sql : cases) EXPECT_FALSE(ReadViewDefinition(sql).ok) << sql;
}

}  // namespace
}  // namespace torvane
