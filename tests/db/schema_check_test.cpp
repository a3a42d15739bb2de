#include "db/schema_check.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/file_state.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::RawDb;
using testing::TempDir;

TEST(SchemaCheck, FindsWhatTheEngineWouldRefuseAndChangesNothing) {
  TempDir dir;
  const std::string path = dir.Path("s.sdb");
  {
    RawDb raw(path);
    ASSERT_EQ(
        raw.Exec(
            "CREATE TABLE t (a, b); CREATE TABLE u (x);"
            "CREATE VIEW good AS SELECT a FROM t;"
            "CREATE VIEW \"bad: one\" AS SELECT gone FROM t;"
            "CREATE VIEW on_bad AS SELECT * FROM \"bad: one\";"
            "CREATE TRIGGER tr AFTER INSERT ON u BEGIN INSERT INTO t VALUES (new.nope, 1); END;"
            "CREATE TRIGGER fine AFTER INSERT ON u BEGIN INSERT INTO t VALUES (new.x, 1); END;"),
        "");
  }
  const std::string before = testing::FileBytes(dir.system_path() + "/s.sdb");
  ASSERT_FALSE(before.empty());
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path));
  const SchemaCheck check = CheckSchema(db);
  ASSERT_TRUE(check.ok);
  std::vector<std::string> names;
  for (const BrokenObject& object : check.broken) names.push_back(object.type + " " + object.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"trigger tr", "view bad: one", "view on_bad"}));
  for (const BrokenObject& object : check.broken) EXPECT_NE(object.error, "") << object.name;
  EXPECT_FALSE(db.IsInTransaction());
  db.Close();
  EXPECT_TRUE(testing::FileBytes(dir.system_path() + "/s.sdb") == before) << "the file changed";
}

TEST(SchemaCheck, KeepsTheUsersTransactionAndSaysWhatAChangeBroke) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.Execute("CREATE TABLE t (a); CREATE VIEW v AS SELECT a FROM t;"));
  const SchemaCheck clean = CheckSchema(db);
  ASSERT_TRUE(clean.ok);
  EXPECT_TRUE(clean.broken.empty());
  ASSERT_TRUE(db.BeginTransaction());
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES (1); DROP TABLE t; CREATE TABLE t (b)"));
  const SchemaCheck after = CheckSchema(db);
  ASSERT_TRUE(after.ok);
  const std::vector<BrokenObject> newly = NewlyBroken(clean, after);
  ASSERT_EQ(newly.size(), 1u);
  EXPECT_EQ(newly[0].name, "v");
  EXPECT_EQ(DescribeObjects(newly), "视图 v（" + newly[0].error + "）");
  EXPECT_TRUE(db.IsInTransaction());
  ASSERT_TRUE(db.RollbackTransaction());
  EXPECT_TRUE(CheckSchema(db).broken.empty());
}

}  // namespace
}  // namespace torvane
