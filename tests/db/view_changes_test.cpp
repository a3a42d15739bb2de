#include "db/view_changes.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/sql_name.h"
#include "support/fault_vfs.h"
#include "support/file_state.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::RawDb;
using testing::TempDir;

// A registry of the kind applications ship: a view with INSTEAD OF triggers, a view on it, and a
// trigger of a table that writes through the view.
constexpr char kRegistry[] =
    "CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT NOT NULL, qty INTEGER DEFAULT 0);"
    "CREATE TABLE audit (what TEXT);"
    "CREATE TABLE other (a);"
    "CREATE VIEW \"item view\"\n  AS /* the visible items */ SELECT id, name, qty FROM item;"
    "CREATE VIEW totals AS SELECT sum(qty) AS total FROM \"item view\";"
    "CREATE TRIGGER iv_insert INSTEAD OF INSERT ON \"item view\" BEGIN"
    "  INSERT INTO item(name, qty) VALUES (new.name, new.qty); END;"
    "CREATE TRIGGER iv_delete INSTEAD OF DELETE ON main.\"item view\" BEGIN"
    "  DELETE FROM item WHERE id = old.id; END;"
    "CREATE TRIGGER audit_add AFTER INSERT ON audit BEGIN"
    "  INSERT INTO \"item view\"(name, qty) VALUES (new.what, 1); END;";

class ViewChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("r.sdb");
    RawDb raw(path_);
    ASSERT_EQ(raw.Exec(kRegistry), "");
    ASSERT_TRUE(db_.Open(path_));
  }

  std::string FileBytes() { return testing::FileBytes(dir_.system_path() + "/r.sdb"); }

  std::string Value(const std::string& sql) {
    RawDb raw(path_);
    return raw.Value(sql);
  }

  TempDir dir_;
  std::string path_;
  ZuveviRE db_;
};

TEST_F(ViewChangesTest, ARenamedViewKeepsItsTriggersAndWhatNamesIt) {
  const ViewChange change = RenameView(db_, "item view", "货品", false);
  ASSERT_TRUE(change.status.ok()) << change.status.message();
  db_.Close();
  EXPECT_EQ(Value("SELECT sql FROM sqlite_master WHERE name = '货品'"),
            "CREATE VIEW 货品\n  AS /* the visible items */ SELECT id, name, qty FROM item");
  EXPECT_EQ(Value("SELECT count(*) FROM sqlite_master WHERE name = 'item view'"), "0");
  EXPECT_EQ(Value("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                  "WHERE type = 'trigger' AND tbl_name = '货品' ORDER BY name)"),
            "iv_delete,iv_insert");
  // Everything works through the new name: the triggers on it, the view on it, the trigger that
  // writes through it.
  RawDb raw(path_);
  EXPECT_EQ(raw.Exec("INSERT INTO 货品(name, qty) VALUES ('x', 2); INSERT INTO audit VALUES ('y');"
                     "DELETE FROM 货品 WHERE name = 'x'"),
            "");
  EXPECT_EQ(raw.Value("SELECT group_concat(name) FROM item"), "y");
  EXPECT_EQ(raw.Value("SELECT total FROM totals"), "1");
  // The engine still alters any table of the file, and the file is sound.
  EXPECT_EQ(raw.Exec("ALTER TABLE other RENAME TO other2; ALTER TABLE item ADD COLUMN note"), "");
  EXPECT_EQ(raw.Value("PRAGMA integrity_check"), "ok");
}

TEST_F(ViewChangesTest, DefinitionsOfEveryShapeAreRenamed) {
  static const struct {
    const char* create;
    const char* old_name;
    const char* new_name;
    const char* stored;
  } cases[] = {
      {"CREATE VIEW v1 AS SELECT 1", "v1", "v2", "CREATE VIEW v2 AS SELECT 1"},
      {"create view V3 as select 1", "V3", "视图三", "create view 视图三 as select 1"},
      {"CREATE VIEW IF NOT EXISTS v4\r\nAS\r\nSELECT 4", "v4", "w4",
       "CREATE VIEW IF NOT EXISTS w4\r\nAS\r\nSELECT 4"},
      {"CREATE VIEW [v 5] (a, b) AS SELECT 1, 2", "v 5", "\"v;6\"",
       "CREATE VIEW \"v;6\" (a, b) AS SELECT 1, 2"},
      {"CREATE VIEW main.v7 -- a comment with AS in it\n AS SELECT 7", "v7", "w7",
       "CREATE VIEW main.w7 -- a comment with AS in it\n AS SELECT 7"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(db_.Execute(c.create)) << c.create;
    const ViewChange change = RenameView(db_, c.old_name, c.new_name, false);
    ASSERT_TRUE(change.status.ok()) << c.create << ": " << change.status.message();
  }
  db_.Close();
  // Each renamed view is stored as the engine stores the statement that creates it so named.
  for (const auto& c : cases) {
    RawDb fresh(dir_.Path("fresh.sdb"));
    ASSERT_EQ(fresh.Exec(c.stored), "") << c.stored;
    const std::string stored = fresh.Value("SELECT sql FROM sqlite_master");
    ASSERT_EQ(fresh.Exec("DROP VIEW " + fresh.Value("SELECT quote(name) FROM sqlite_master")), "");
    EXPECT_EQ(Value("SELECT count(*) FROM sqlite_master WHERE sql = " +
                    fresh.Value("SELECT quote('" + EscapeSqlText(stored) + "')")),
              "1")
        << c.create;
  }
}

TEST_F(ViewChangesTest, WhatCannotBeCarriedOverRefusesTheRenameAndChangesNothing) {
  // A column of the same name is no reference and stays; a view that names it by a string, which
  // the engine reads as a name there but may be a value elsewhere, is not rewritten and would stop
  // working.
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE sums (total); CREATE VIEW total AS SELECT 1 AS one;"
                  "CREATE VIEW reads_column AS SELECT total, sums.total FROM sums;"
                  "CREATE VIEW by_string AS SELECT * FROM 'total';"));
  db_.Close();
  const std::string before = FileBytes();
  ASSERT_TRUE(db_.Open(path_));
  const ViewChange change = RenameView(db_, "total", "grand", false);
  EXPECT_FALSE(change.status.ok());
  ASSERT_EQ(change.broken.size(), 1u);
  EXPECT_EQ(change.broken[0].name, "by_string");
  EXPECT_NE(change.status.message().find("视图 by_string"), std::string::npos)
      << change.status.message();
  EXPECT_FALSE(db_.IsInTransaction());
  db_.Close();
  EXPECT_TRUE(FileBytes() == before) << "the file changed";
}

TEST_F(ViewChangesTest, ARedefinedViewKeepsItsTriggersOrIsRefused) {
  ASSERT_TRUE(RedefineView(db_, "item view", "SELECT id, name, qty, 1 AS one FROM item", false)
                  .status.ok());
  {
    RawDb raw(path_);
    EXPECT_EQ(raw.Value("SELECT count(*) FROM sqlite_master WHERE tbl_name = 'item view'"), "3");
    EXPECT_EQ(raw.Exec("INSERT INTO \"item view\"(name, qty) VALUES ('x', 2)"), "");
  }
  // A query without the columns its trigger and the view on it use: refused, nothing changes.
  db_.Close();
  const std::string before = FileBytes();
  ASSERT_TRUE(db_.Open(path_));
  const ViewChange change = RedefineView(db_, "item view", "SELECT id FROM item", false);
  EXPECT_FALSE(change.status.ok());
  EXPECT_FALSE(change.broken.empty());
  // A query the engine refuses outright.
  EXPECT_FALSE(RedefineView(db_, "item view", "SELECT nothing_here FROM item", false).status.ok());
  db_.Close();
  EXPECT_TRUE(FileBytes() == before) << "the file changed";
}

TEST_F(ViewChangesTest, ObjectsNamingATableOrView) {
  ASSERT_TRUE(
      db_.Execute("CREATE VIEW by_column AS SELECT item.name AS item FROM item;"
                  "CREATE TRIGGER on_item AFTER DELETE ON item BEGIN SELECT 1; END;"));
  auto names = [&](const std::string& name) {
    std::vector<std::string> found;
    for (const BrokenObject& object : ObjectsNaming(db_, name)) found.push_back(object.name);
    std::sort(found.begin(), found.end());
    return found;
  };
  // The item table: the view reading it and the trigger deleting from it; not the trigger on it,
  // which goes with it.
  EXPECT_EQ(names("item"),
            (std::vector<std::string>{"by_column", "item view", "iv_delete", "iv_insert"}));
  EXPECT_EQ(names("ITEM VIEW"), (std::vector<std::string>{"audit_add", "totals"}));
  EXPECT_EQ(names("audit"), std::vector<std::string>{});
  EXPECT_EQ(names("qty"), std::vector<std::string>{});
}

// Inside the user's transaction a change is part of it: whatever read or write fails on the file
// on the way (the change first checks the views and triggers, writing and undoing a scratch table),
// nothing of it is written to the file on its own. The change either joins the transaction or fails
// with the engine's reason; a failure that ended the transaction leaves the file as it was. The
// transaction is larger than the page cache, so that its pages are read and written as it goes.
TEST(ViewChanges, InsideTheUsersTransactionNothingIsWrittenOnItsOwn) {
  TempDir dir;
  const std::string path = dir.Path("registry.sdb");
  ASSERT_EQ(RawDb(path).Exec(kRegistry), "");
  const std::string before = RawDb(path).Dump();
  static const struct {
    const char* name;
    ViewChange (*change)(ZuveviRE& db);
  } changes[] = {
      {"rename", [](ZuveviRE& db) { return RenameView(db, "totals", "sums", false); }},
      {"redefine",
       [](ZuveviRE& db) {
         return RedefineView(db, "totals", "SELECT count(*) AS n FROM item", false);
       }},
  };
  static const testing::FileCall calls[] = {testing::FileCall::kRead, testing::FileCall::kWrite};
  testing::ScopedFaultVfs vfs;
  for (const auto& c : changes) {
    for (const testing::FileCall call : calls) {
      for (int nth = 1; nth < 100; ++nth) {
        SCOPED_TRACE(std::string(c.name) +
                     (call == testing::FileCall::kRead ? " read " : " write ") +
                     std::to_string(nth));
        ZuveviRE db;
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(db.Execute("PRAGMA cache_size = 1"));
        ASSERT_TRUE(db.BeginTransaction());
        ASSERT_TRUE(db.Execute("UPDATE item SET qty = 99"));
        vfs.Fail(call, nth, SQLITE_IOERR, false);
        const ViewChange change = c.change(db);
        const int failures = vfs.failures();
        vfs.Heal();
        if (change.status.ok()) {
          EXPECT_TRUE(db.IsInTransaction());
        } else {
          EXPECT_EQ(change.status.message(), "disk I/O error");
        }
        // Closing rolls back what the transaction still holds.
        EXPECT_TRUE(db.Close());
        EXPECT_EQ(RawDb(path).Dump(), before);
        if (failures == 0) break;
      }
    }
  }
}

TEST(ViewChanges, ATemporaryViewStaysTemporaryWithItsTriggers) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t (a); CREATE TEMP VIEW tv AS SELECT a FROM t;"
                 "CREATE TEMP TRIGGER tv_add INSTEAD OF INSERT ON tv BEGIN INSERT INTO t VALUES "
                 "(new.a); END;"));
  ASSERT_TRUE(RenameView(db, "tv", "tw", true).status.ok());
  ASSERT_TRUE(db.Execute("INSERT INTO tw VALUES (5)"));
  SqliteDataset rows = db.Query(
      "SELECT (SELECT count(*) FROM temp.sqlite_master) || '/' || "
      "(SELECT count(*) FROM main.sqlite_master) || '/' || (SELECT a FROM t)");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "2/1/5");
}

}  // namespace
}  // namespace torvane
