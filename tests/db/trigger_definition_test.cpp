#include "db/trigger_definition.h"

#include <string>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::TempDir;

TEST(ReadTriggerDefinition, FindsTheNameTheTableAndTheBody) {
  static const struct {
    const char* origin;
    std::string sql;
    std::string name;   // the text of the name span
    std::string table;  // the text of the table span
    std::string body;   // the text from body_begin on
  } cases[] = {
      {"an e-book library's delete trigger",
       "CREATE TRIGGER books_delete_trg\n"
       "        AFTER DELETE ON books\n"
       "        BEGIN\n"
       "            DELETE FROM books_authors_link WHERE book=OLD.id;\n"
       "        END",
       "books_delete_trg", "books",
       "\n            DELETE FROM books_authors_link WHERE book=OLD.id;\n        END"},
      {"an e-book library's update trigger",
       "CREATE TRIGGER books_update_trg AFTER UPDATE ON books BEGIN UPDATE books SET "
       "sort=title_sort(NEW.title) WHERE id=NEW.id AND OLD.title <> NEW.title; END",
       "books_update_trg", "books",
       " UPDATE books SET sort=title_sort(NEW.title) WHERE id=NEW.id AND OLD.title <> NEW.title; "
       "END"},
      {"a temporary trigger on a main table, columns after UPDATE OF, a WHEN condition",
       "CREATE TEMP TRIGGER IF NOT EXISTS tr BEFORE UPDATE OF title, \"on\" ON "
       "main.\"my table\" FOR EACH ROW WHEN new.title > 0 BEGIN SELECT 1; END",
       "tr", "\"my table\"", " SELECT 1; END"},
      {"a schema-qualified name",
       "CREATE TRIGGER main.tr AFTER DELETE ON books BEGIN SELECT 1; END", "tr", "books",
       " SELECT 1; END"},
      {"a column named begin in the condition",
       "CREATE TRIGGER tr AFTER INSERT ON \"my table\" WHEN new.begin BEGIN INSERT INTO books "
       "(id) VALUES (new.begin); END",
       "tr", "\"my table\"", " INSERT INTO books (id) VALUES (new.begin); END"},
      {"INSTEAD OF on a view, Chinese names",
       "CREATE TRIGGER 视图_插入 INSTEAD OF INSERT ON 视图 BEGIN INSERT INTO 商品(名称) VALUES "
       "(new.名称); END",
       "视图_插入", "视图", " INSERT INTO 商品(名称) VALUES (new.名称); END"},
      {"comments and line breaks between the words",
       "CREATE /*a*/ TRIGGER -- b\n [tr 2] AFTER DELETE ON /*c*/ [books] -- d\n BEGIN/*e*/DELETE "
       "FROM 商品; END",
       "[tr 2]", "[books]", "/*e*/DELETE FROM 商品; END"},
  };
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("triggers.db"), true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE books (id, title, sort, begin, \"on\"); CREATE TABLE 商品 (名称);"
                 "CREATE TABLE books_authors_link (book); CREATE VIEW 视图 AS SELECT * FROM 商品;"
                 "CREATE TABLE \"my table\" (title, \"on\", begin);"
                 "CREATE TABLE renamed (id, title, sort, begin, \"on\");"
                 "CREATE VIEW \"renamed view\" AS SELECT 名称 FROM 商品"));
  for (const auto& c : cases) {
    const TriggerDefinition trigger = ReadTriggerDefinition(c.sql);
    ASSERT_TRUE(trigger.ok) << c.origin;
    EXPECT_EQ(c.sql.substr(trigger.name_begin, trigger.name_end - trigger.name_begin), c.name)
        << c.origin;
    EXPECT_EQ(c.sql.substr(trigger.table_begin, trigger.table_end - trigger.table_begin), c.table)
        << c.origin;
    EXPECT_EQ(c.sql.substr(trigger.body_begin), c.body) << c.origin;
    ASSERT_TRUE(db.Execute(c.sql)) << c.origin << ": " << db.GetErrorText();
    // What re-pointing does with it: the same trigger on another table or view.
    const std::string target = c.table == "视图" ? "\"renamed view\"" : "renamed";
    const std::string moved =
        c.sql.substr(0, trigger.name_begin) + "moved" +
        c.sql.substr(trigger.name_end, trigger.table_begin - trigger.name_end) + target +
        c.sql.substr(trigger.table_end);
    ASSERT_TRUE(db.Execute(moved)) << moved << "\n" << db.GetErrorText();
    ASSERT_TRUE(db.Execute("DROP TRIGGER moved; DROP TRIGGER " + c.name));
  }
}

TEST(ReadTriggerDefinition, RefusesWhatIsNoTrigger) {
  static const char* const cases[] = {
      "",
      "CREATE TRIGGER tr AFTER INSERT ON t",
      "CREATE TRIGGER tr AFTER INSERT ON t BEGIN",
      "CREATE TRIGGER tr BEGIN SELECT 1; END",
      "CREATE TRIGGER tr AFTER INSERT ON BEGIN SELECT 1; END",
      "CREATE TABLE t (a)",
      "CREATE VIEW v AS SELECT 1",
  };
  for (const char* sql : cases) EXPECT_FALSE(ReadTriggerDefinition(sql).ok) << sql;
}

}  // namespace
}  // namespace torvane
