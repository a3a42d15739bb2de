// Connections, cursors and record sets closed or destroyed in every order: the engine connection is
// never used after it was closed and never left open once the last of them lets go (the
// sanitizer build checks the first, the process's open files the second).

#include <algorithm>
#include <array>
#include <memory>

#include <gtest/gtest.h>

#include "base/files.h"
#include "db/db.h"
#include "support/file_state.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::OpenDescriptorsOf;
using testing::TempDir;

class Lifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("life.sdb");
    ZuveviRE db;
    ASSERT_TRUE(db.Open(path_, true));
    ASSERT_TRUE(db.Execute("CREATE TABLE t (a); INSERT INTO t VALUES (1), (2)"));
  }
  int OpenFiles() const { return OpenDescriptorsOf(SystemPath(path_)); }

  TempDir dir_;
  std::string path_;
};

enum Object { kConnection, kCursor, kRecordSet };

TEST_F(Lifetime, CloseInEveryOrder) {
  std::array<Object, 3> order{kConnection, kCursor, kRecordSet};
  do {
    std::string what;
    for (Object o : order) what += "cnr"[o];
    ZuveviRE db;
    ASSERT_TRUE(db.Open(path_, false));
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open("t", db));
    SqliteDataset rows = db.Query("SELECT a FROM t");
    ASSERT_TRUE(rows.Requery());
    bool connection_open = true, cursor_open = true, rows_open = true;
    for (Object o : order) {
      if (o == kConnection) {
        // Refused exactly while the record set still holds its statement.
        EXPECT_EQ(db.Close(), !rows_open) << what;
        EXPECT_FALSE(db.IsOpen());
        connection_open = false;
      } else if (o == kCursor) {
        EXPECT_TRUE(cursor.Close());
        cursor_open = false;
      } else {
        EXPECT_TRUE(rows.Close());
        rows_open = false;
      }
      // Whatever is still open keeps working on the shared connection.
      if (cursor_open) {
        std::int32_t value = 0;
        EXPECT_TRUE(cursor.GoTo(2) && cursor.ReadField(1, value)) << what;
        EXPECT_EQ(value, 2) << what;
      }
      if (rows_open) {
        EXPECT_TRUE(rows.Requery()) << what;
        EXPECT_EQ(rows.GetAll(false).rows(), 2) << what;
      }
      EXPECT_EQ(OpenFiles() > 0, connection_open || cursor_open || rows_open) << what;
    }
    // Everything closed: using the objects again only fails.
    std::int32_t value = 0;
    EXPECT_FALSE(cursor.ReadField(1, value));
    EXPECT_FALSE(rows.Requery());
    EXPECT_FALSE(db.Execute("SELECT 1"));
    EXPECT_EQ(OpenFiles(), 0) << what;
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Lifetime, DestroyInEveryOrder) {
  std::array<Object, 3> order{kConnection, kCursor, kRecordSet};
  do {
    auto db = std::make_unique<ZuveviRE>();
    ASSERT_TRUE(db->Open(path_, false));
    auto cursor = std::make_unique<SqliteTable>();
    ASSERT_TRUE(cursor->Open("t", *db));
    auto rows = std::make_unique<SqliteDataset>(db->Query("SELECT a FROM t"));
    ASSERT_TRUE(rows->Requery());
    for (Object o : order) {
      if (o == kConnection) db.reset();
      if (o == kCursor) cursor.reset();
      if (o == kRecordSet) rows.reset();
      if (cursor) {
        std::int32_t value = 0;
        EXPECT_TRUE(cursor->GoTo(1) && cursor->ReadField(1, value));
      }
      if (rows) {
        EXPECT_TRUE(rows->Requery());
      }
    }
    EXPECT_EQ(OpenFiles(), 0);
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Lifetime, ReopeningTheConnectionLeavesBorrowersOnTheOldOne) {
  const std::string other = dir_.Path("other.sdb");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path_, false));
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  SqliteDataset rows = db.Query("SELECT count(*) FROM t");
  ASSERT_TRUE(db.Open(other, true));
  ASSERT_TRUE(db.Execute("CREATE TABLE u (b)"));
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0), "2");
  EXPECT_EQ(cursor.GetRecordCount(), 2);
  EXPECT_GT(OpenFiles(), 0);
  rows.Close();
  cursor.Close();
  EXPECT_EQ(OpenFiles(), 0);
  EXPECT_GT(OpenDescriptorsOf(SystemPath(other)), 0);
  EXPECT_TRUE(db.Close());
  EXPECT_EQ(OpenDescriptorsOf(SystemPath(other)), 0);
}

TEST_F(Lifetime, TablesOutliveEverything) {
  TextTable table;
  {
    ZuveviRE db;
    ASSERT_TRUE(db.Open(path_, false));
    SqliteDataset rows = db.Query("SELECT a, 'x' || a FROM t");
    ASSERT_TRUE(rows.Requery());
    table = rows.GetAll(true);
  }
  EXPECT_EQ(OpenFiles(), 0);
  ASSERT_EQ(table.rows(), 3);
  EXPECT_EQ(table.at(2, 1), "x2");
}

}  // namespace
}  // namespace torvane
