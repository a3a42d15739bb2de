#include "db/side_backup.h"

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "base/files.h"
#include "support/file_state.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"
#include "support/worker_hold.h"

namespace torvane {
namespace {

using testing::RawDb;
using testing::TempDir;
using testing::WorkerHold;

class SideBackupTest : public ::testing::Test {
 protected:
  SideBackupTest() { EXPECT_EQ(::mkdir((dir_.system_path() + "/backups").c_str(), 0755), 0); }

  // Waits for the copy to end; fails the test when it does not within a minute.
  static void WaitForEnd(SideBackup& backup) {
    ASSERT_TRUE(backup.WaitFor(60'000)) << "the copy never ended";
  }

  TempDir dir_;
  const std::string source_ = dir_.Path("库.sdb");
  const std::string target_ = dir_.Path("backups/库.sdb__备份");
};

// The worker holds the file before it copies; the copy ends whole, and the end is told once.
TEST_F(SideBackupTest, CopiesTheFileWholeAndTellsTheEndOnce) {
  testing::MakeDatabase(source_, "CREATE TABLE t(a); INSERT INTO t VALUES('一');");
  WorkerHold hold;
  std::atomic<int> ends{0};
  {
    SideBackup backup(source_, target_, hold.Hook(), [&] { ++ends; });
    ASSERT_TRUE(hold.WaitUntilHeld());
    EXPECT_FALSE(backup.Ended());
    EXPECT_FALSE(FileExists(target_));
    EXPECT_EQ(backup.source(), source_);
    EXPECT_EQ(backup.target(), target_);
    hold.Release();
    WaitForEnd(backup);
    EXPECT_TRUE(backup.Result().ok()) << backup.Result().message();
    EXPECT_EQ(testing::FileBytes(SystemPath(target_)), testing::FileBytes(SystemPath(source_)));
    EXPECT_EQ(backup.Copied(), backup.Size());
  }
  // Told on the worker after the end, which the object's going waits for.
  EXPECT_EQ(ends, 1);
}

// What another program commits after the worker took hold of the file stays out of the copy: in
// write-ahead-log mode the commit goes ahead beside the copy; in rollback-journal mode the copy's
// read lock keeps it from committing until the copy is made.
TEST_F(SideBackupTest, TheCopyIsTheFileAsItWasWhenTheWorkerTookHoldOfIt) {
  static const struct {
    const char* mode;
    bool commits_meanwhile;
  } cases[] = {{"WAL", true}, {"DELETE", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string source = dir_.Path(std::string("库_") + c.mode + ".sdb");
    testing::MakeDatabase(source, std::string("PRAGMA journal_mode = ") + c.mode +
                                      "; CREATE TABLE t(a); INSERT INTO t VALUES('之前');");
    RawDb other(source);
    other.Run("PRAGMA wal_autocheckpoint = 1");
    WorkerHold hold;
    SideBackup backup(source, target_, hold.Hook(), nullptr);
    ASSERT_TRUE(hold.WaitUntilHeld());
    EXPECT_EQ(other.Exec("INSERT INTO t VALUES('之后')").empty(), c.commits_meanwhile);
    other.Exec("PRAGMA wal_checkpoint");
    hold.Release();
    WaitForEnd(backup);
    ASSERT_TRUE(backup.Result().ok()) << backup.Result().message();
    RawDb copy(target_);
    EXPECT_EQ(copy.Value("SELECT group_concat(a) FROM t"), "之前");
    EXPECT_EQ(copy.Value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(copy.Value("PRAGMA journal_mode"), "delete");
    ASSERT_TRUE(DeleteFile(target_));
  }
}

// An abandoned copy ends soon and leaves nothing behind.
TEST_F(SideBackupTest, AnAbandonedCopyLeavesNothing) {
  testing::MakeDatabase(source_, "CREATE TABLE t(a); INSERT INTO t VALUES('一');");
  WorkerHold hold;
  SideBackup backup(source_, target_, hold.Hook(), nullptr);
  ASSERT_TRUE(hold.WaitUntilHeld());
  backup.Abandon();
  EXPECT_TRUE(backup.Abandoned());
  hold.Release();
  WaitForEnd(backup);
  EXPECT_EQ(backup.Result().code(), SQLITE_INTERRUPT);
  EXPECT_TRUE(std::filesystem::is_empty(SystemPath(dir_.Path("backups"))));
}

// A copy that cannot be made says why, and leaves nothing either.
TEST_F(SideBackupTest, AFailedCopySaysWhy) {
  testing::MakeDatabase(source_, "CREATE TABLE t(a);");
  const std::string too_long = dir_.Path("backups/" + std::string(300, 'n'));
  SideBackup backup(source_, too_long, nullptr, nullptr);
  WaitForEnd(backup);
  EXPECT_FALSE(backup.Result().ok());
  EXPECT_EQ(backup.Result().message(), "无法给备份文件命名：File name too long");
  EXPECT_TRUE(std::filesystem::is_empty(SystemPath(dir_.Path("backups"))));
}

}  // namespace
}  // namespace torvane
