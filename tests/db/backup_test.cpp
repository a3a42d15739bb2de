#include "db/backup.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "base/files.h"
#include "support/file_state.h"
#include "support/locking_process.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace torvane {
namespace {

using testing::FileBytes;
using testing::RawDb;
using testing::TempDir;

// The names in the folder (as the file system names them), "." and ".." left out.
std::vector<std::string> NamesIn(const std::string& system_folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(system_folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

class Backup : public ::testing::Test {
 protected:
  Backup() {
    RawDb db(source_);
    EXPECT_EQ(db.Exec("CREATE TABLE t(a); INSERT INTO t VALUES('一'), ('二');"), "");
    EXPECT_EQ(::mkdir((dir_.system_path() + "/backups").c_str(), 0755), 0);
  }

  TempDir dir_;
  const std::string source_ = dir_.Path("库.sdb");
  const std::string folder_ = dir_.Path("backups");
  const std::string target_ = dir_.Path("backups/库.sdb__备份");
};

TEST_F(Backup, AFileWithNothingPendingIsCopiedByteForByteAndNothingElseIsLeft) {
  const Status copied = BackupDatabaseFile(source_, target_);
  ASSERT_TRUE(copied.ok()) << copied.message();
  EXPECT_EQ(copied.message(), "");
  EXPECT_EQ(FileBytes(SystemPath(target_)), FileBytes(SystemPath(source_)));
  EXPECT_EQ(NamesIn(SystemPath(folder_)), std::vector<std::string>{SystemPath("库.sdb__备份")});
}

TEST_F(Backup, AFailedCopyLeavesNothingAndSaysWhy) {
  // A folder that is not there, and one where a plain file stands.
  Status copied = BackupDatabaseFile(source_, dir_.Path("missing/copy"));
  EXPECT_FALSE(copied.ok());
  EXPECT_EQ(copied.message(),
            "无法在 " + dir_.Path("missing") + " 中建立文件：No such file or directory");
  ASSERT_TRUE(WriteFile(dir_.Path("plain"), Bytes{1}));
  copied = BackupDatabaseFile(source_, dir_.Path("plain/copy"));
  EXPECT_FALSE(copied.ok());
  EXPECT_EQ(copied.message(), "无法在 " + dir_.Path("plain") + " 中建立文件：Not a directory");
  // A folder the user may not write to.
  const std::string locked = dir_.Path("locked");
  ASSERT_EQ(::mkdir(SystemPath(locked).c_str(), 0555), 0);
  ASSERT_EQ(::chmod(dir_.system_path().c_str(), 0755), 0);
  const std::string result = testing::RunUnprivileged([&]() -> std::string {
    const Status copied = BackupDatabaseFile(source_, locked + "/copy");
    if (copied.ok()) return "the copy was made";
    if (copied.message().find("Permission denied") == std::string::npos) {
      return "reason: " + copied.message();
    }
    if (!NamesIn(SystemPath(locked)).empty()) return "something was left";
    return "";
  });
  if (result != "skip") {
    EXPECT_EQ(result, "");
  }
  EXPECT_TRUE(NamesIn(SystemPath(folder_)).empty());
}

// A copy tells how far it has got, up to the file's size, in rollback-journal and in
// write-ahead-log mode; told to stop, it leaves nothing behind and says it was stopped. A clone of
// the file's blocks (where the file system shares them) takes no time and asks nothing.
TEST_F(Backup, ACopyReportsHowFarItGotAndStopsWhenTold) {
  RawDb(source_).Run(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
      " INSERT INTO t SELECT randomblob(300) FROM n;");
  const std::string wal = dir_.Path("日志.sdb");
  RawDb(wal).Run(
      "PRAGMA journal_mode = WAL; CREATE TABLE t(a);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
      " INSERT INTO t SELECT randomblob(300) FROM n;");
  for (const std::string& source : {source_, wal}) {
    SCOPED_TRACE(source);
    std::vector<std::uint64_t> seen;
    std::uint64_t size = 0;
    Status copied =
        BackupDatabaseFile(source, target_, [&](std::uint64_t done, std::uint64_t total) {
          seen.push_back(done);
          size = total;
          return true;
        });
    ASSERT_TRUE(copied.ok()) << copied.message();
    ASSERT_TRUE(DeleteFile(target_));
    // Asked first before anything is copied; a clone of the file's blocks is told whole at once.
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(size, 6'000'000u);
    EXPECT_LE(seen.back(), size);
    EXPECT_GE(seen.back(), size / 2);

    copied =
        BackupDatabaseFile(source, target_, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_FALSE(copied.ok());
    EXPECT_EQ(copied.code(), SQLITE_INTERRUPT);
    EXPECT_EQ(copied.message(), "备份已取消");
    EXPECT_TRUE(NamesIn(SystemPath(folder_)).empty());
  }
}

TEST_F(Backup, LeftoversOfKilledBackupsAreRemovedOnlyWhenTheirProgramIsGone) {
  // A pid no process has (above the kernel's limit), and this process's own.
  const std::string gone = folder_ + "/.torvane-backup-2147483646-1.partial";
  const std::string gone_journal = gone + "-journal";
  const std::string running =
      folder_ + "/.torvane-backup-" + std::to_string(::getpid()) + "-99.partial";
  const std::string other = folder_ + "/库.sdb__2024年1月1日";
  for (const std::string* path : {&gone, &gone_journal, &running, &other}) {
    ASSERT_TRUE(WriteFile(*path, Bytes{1, 2}));
  }
  EXPECT_EQ(RemoveLeftoverBackups(folder_), 2);
  EXPECT_FALSE(FileExists(gone));
  EXPECT_FALSE(FileExists(gone_journal));
  EXPECT_TRUE(FileExists(running));
  EXPECT_TRUE(FileExists(other));
}

// A file whose size says nothing of its bytes (the kernel's own files say 0) is still copied
// whole: the copy goes on reading until the end, whatever way the kernel offers.
TEST_F(Backup, AFileThatHidesItsSizeIsCopiedWhole) {
  const Status copied = BackupDatabaseFile("/proc/version", target_);
  ASSERT_TRUE(copied.ok()) << copied.message();
  const Bytes expected = ReadFile("/proc/version");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ReadFile(target_), expected);
}

// Another program writing the file when the backup starts: the copy holds the state before its
// commit or after it, whole, and the backup does not fail for the lock.
TEST_F(Backup, AWriteInProgressGivesAWholeCopy) {
  testing::LockingProcess other(SystemPath(source_), "BEGIN EXCLUSIVE; INSERT INTO t VALUES('三')",
                                "COMMIT", 300);
  ASSERT_TRUE(other.holds());
  other.Release();
  const Status copied = BackupDatabaseFile(source_, target_);
  EXPECT_TRUE(copied.ok()) << copied.message();
  other.Wait();
  RawDb copy(target_);
  const std::string rows = copy.Value("SELECT group_concat(a) FROM t");
  EXPECT_TRUE(rows == "一,二" || rows == "一,二,三") << rows;
  EXPECT_EQ(copy.Value("PRAGMA integrity_check"), "ok");
}

}  // namespace
}  // namespace torvane
