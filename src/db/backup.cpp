#include "db/backup.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sqlite3.h>

#include "base/files.h"
#include "base/text.h"
#include "db/connection.h"

namespace torvane {
namespace {

constexpr const char* kPartialPrefix = ".torvane-backup-";
constexpr const char* kPartialSuffix = ".partial";

// `what` failed, and the system's reason: "无法读取 /a/b：Permission denied".
std::string SystemError(const std::string& what) { return what + "：" + std::strerror(errno); }

// Whether the file's header says write-ahead-log mode (read and write versions 2).
bool HeaderSaysWal(const std::string& path) {
  std::ifstream file(SystemPath(path), std::ios::binary);
  char header[20] = {};
  return file.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

bool NonEmptyFile(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(SystemPath(path), error);
  return !error && size > 0;
}

// The folder part of `path` ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name in `folder` that no other backup, of this program or another one running, uses.
std::string PartialName(const std::string& folder) {
  static int counter = 0;
  return folder + "/" + kPartialPrefix + IntToText(static_cast<int>(::getpid())) + "-" +
         IntToText(++counter) + kPartialSuffix;
}

// How far a copy has got, and the caller's question whether to go on.
struct Progress {
  const CopyProgress* keep_going = nullptr;
  std::uint64_t total = 0;
  std::uint64_t done = 0;
  bool stopped = false;
  bool begun = false;
  // Asks the first question, once the source is held at the state the copy will have and before
  // anything is copied; false once the caller said to stop. Later calls only say whether to go on.
  bool Begin() {
    if (begun) return !stopped;
    begun = true;
    return Advance(0);
  }
  // Counts `bytes` more as copied; false once the caller said to stop.
  bool Advance(std::uint64_t bytes) {
    done += bytes;
    if (keep_going != nullptr && *keep_going && !(*keep_going)(std::min(done, total), total)) {
      stopped = true;
    }
    return !stopped;
  }
};

// The most the kernel is asked to copy at once, so that a large file's copy is heard from.
constexpr std::size_t kCopyChunk = std::size_t{64} << 20;

// A connection closed when it goes.
struct Connection {
  sqlite3* db = nullptr;
  ~Connection() { sqlite3_close_v2(db); }
  bool Open(const std::string& path, int flags, std::string& error) {
    if (sqlite3_open_v2(SystemPath(path).c_str(), &db, flags, nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db, kBusyTimeoutMs);
      return true;
    }
    error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    return false;
  }
  int Run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

// Copies the rest of `in` into `out` by reads and writes; false with errno set and `write_failed`
// telling which side failed.
bool CopyByReading(int in, int out, bool& write_failed, Progress& progress) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      write_failed = false;
      return false;
    }
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        write_failed = true;
        return false;
      }
      done += put;
    }
    if (!progress.Advance(static_cast<std::uint64_t>(got))) {
      errno = ECANCELED;
      write_failed = false;
      return false;
    }
  }
}

// Copies `in` (of `size` bytes, not changing meanwhile) into the empty `out`: a clone of its
// blocks where the file system shares them (instant, and no space taken until one side changes),
// else the kernel's own copy, which never brings the bytes up into the program; reads and writes
// where the kernel offers neither. False with errno set and `write_failed` telling which side
// failed.
bool CopyContents(int in, int out, off_t size, bool& write_failed, Progress& progress) {
  if (::ioctl(out, FICLONE, in) == 0) {
    (void)progress.Advance(static_cast<std::uint64_t>(size));
    return true;
  }
  off_t copied = 0;
  while (copied < size) {
    const ssize_t moved =
        ::copy_file_range(in, nullptr, out, nullptr,
                          std::min(static_cast<std::size_t>(size - copied), kCopyChunk), 0);
    if (moved < 0 && errno == EINTR) continue;
    if (moved > 0) {
      copied += moved;
      if (!progress.Advance(static_cast<std::uint64_t>(moved))) {
        errno = ECANCELED;
        write_failed = false;
        return false;
      }
      continue;
    }
    // Refused before anything moved (another file system, a kind of file the kernel does not
    // copy), or nothing moved before the end the size promised: the plain way from here on.
    const bool unsupported = moved == 0 || errno == EXDEV || errno == ENOSYS ||
                             errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF;
    if (!unsupported) {
      write_failed = errno != EIO;
      return false;
    }
    if (::lseek(in, copied, SEEK_SET) < 0 || ::lseek(out, copied, SEEK_SET) < 0) {
      write_failed = true;
      return false;
    }
    return CopyByReading(in, out, write_failed, progress);
  }
  // Whatever lies beyond the size taken at the start.
  return CopyByReading(in, out, write_failed, progress);
}

// Copies the bytes of `from` into the new file `to`; false with the system's reason.
bool CopyBytes(const std::string& from, const std::string& to, std::string& error,
               Progress& progress) {
  if (!progress.Begin()) {
    error = "备份已取消";
    return false;
  }
  const int in = ::open(SystemPath(from).c_str(), O_RDONLY | O_CLOEXEC);
  struct stat source {};
  if (in < 0 || ::fstat(in, &source) != 0) {
    error = SystemError("无法读取 " + from);
    if (in >= 0) ::close(in);
    return false;
  }
  const int out = ::open(SystemPath(to).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    error = SystemError("无法在 " + FolderOf(to) + " 中建立文件");
    ::close(in);
    return false;
  }
  bool write_failed = false;
  bool ok = CopyContents(in, out, source.st_size, write_failed, progress);
  if (!ok) error = SystemError(write_failed ? "无法写入 " + FolderOf(to) : "无法读取 " + from);
  ::close(in);
  if (::close(out) != 0 && ok) {
    error = SystemError("无法写入 " + FolderOf(to));
    ok = false;
  }
  return ok;
}

// Flushes the file at `path` to the disk.
bool FlushFile(const std::string& path, std::string& error) {
  const int fd = ::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    error = SystemError("无法把备份写到磁盘上");
    if (fd >= 0) ::close(fd);
    return false;
  }
  ::close(fd);
  return true;
}

// The copy taken through the engine's online backup, which reads the file and its write-ahead log
// as one committed state. A read transaction of the source's own holds that state for the whole
// copy: a commit made meanwhile, by another program or by this one, neither reaches the copy nor
// makes it start over, and a checkpoint leaves alone the pages the copy still reads.
bool OnlineBackup(const std::string& source, const std::string& target, std::string& error,
                  Progress& progress) {
  Connection from, to;
  if (!from.Open(source, SQLITE_OPEN_READWRITE, error)) return false;
  if (!to.Open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error)) return false;
  if (from.Run("BEGIN; SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
    error = sqlite3_errmsg(from.db);
    return false;
  }
  sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
  if (backup == nullptr) {
    error = sqlite3_errmsg(to.db);
    return false;
  }
  if (!progress.Begin()) {
    sqlite3_backup_finish(backup);
    return false;
  }
  // A few megabytes of pages at a time, so that the caller hears how far it has got.
  constexpr int kPagesAtOnce = 1024;
  int rc = SQLITE_OK;
  int copied_pages = 0;
  while (rc == SQLITE_OK) {
    rc = sqlite3_backup_step(backup, kPagesAtOnce);
    const int count = sqlite3_backup_pagecount(backup);
    const int pages = count - sqlite3_backup_remaining(backup);
    const std::uint64_t page_size = count > 0 ? progress.total / count : 4096;
    if (rc == SQLITE_OK &&
        !progress.Advance(static_cast<std::uint64_t>(pages - copied_pages) * page_size)) {
      rc = SQLITE_INTERRUPT;
    }
    copied_pages = pages;
  }
  sqlite3_backup_finish(backup);
  from.Run("COMMIT");
  if (rc != SQLITE_DONE) {
    error = sqlite3_errstr(rc);
    return false;
  }
  // The copy is a database of its own: leave it in rollback-journal mode with nothing beside it.
  if (to.Run("PRAGMA journal_mode = DELETE") != SQLITE_OK) {
    error = sqlite3_errmsg(to.db);
    return false;
  }
  return true;
}

// The file and its journal copied side by side; opening the copy makes the engine roll the journal
// back into it, as it would after a crash. The copy is checked afterwards: a commit another
// program finished while the two were copied could leave them out of step.
bool CopyWithJournal(const std::string& source, const std::string& target, std::string& error,
                     Progress& progress) {
  const std::string journal = target + "-journal";
  bool ok = CopyBytes(source, target, error, progress) &&
            CopyBytes(source + "-journal", journal, error, progress);
  if (ok) {
    Connection copy;
    ok = copy.Open(target, SQLITE_OPEN_READWRITE, error);
    sqlite3_stmt* check = nullptr;
    if (ok &&
        (sqlite3_prepare_v2(copy.db, "PRAGMA quick_check", -1, &check, nullptr) != SQLITE_OK ||
         sqlite3_step(check) != SQLITE_ROW ||
         std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") != 0)) {
      error =
          sqlite3_errcode(copy.db) == SQLITE_OK ? "复制出的文件不完整" : sqlite3_errmsg(copy.db);
      ok = false;
    }
    sqlite3_finalize(check);
  }
  if (FileExists(journal)) DeleteFile(journal);
  return ok;
}

// The file copied byte for byte while the engine holds a read lock on it, so no other program can
// commit meanwhile: the copy is the committed state, also while another program has a transaction
// open (whose changes stay out of the file until it commits). Falls back to CopyWithJournal when
// the lock cannot be had because the file's pages are being changed under a journal (a
// transaction of this program that outgrew its cache, or a crashed program's journal), and to a
// plain copy when the file is not a database the engine can read.
bool LockedCopy(const std::string& source, const std::string& target, std::string& error,
                Progress& progress) {
  const bool journal = NonEmptyFile(source + "-journal");
  Connection reader;
  if (!reader.Open(source, SQLITE_OPEN_READONLY, error)) {
    return CopyBytes(source, target, error, progress);
  }
  // With a journal beside the file there is another way when the lock is refused: no waiting.
  if (journal) sqlite3_busy_timeout(reader.db, 0);
  const int rc = reader.Run("BEGIN; SELECT count(*) FROM sqlite_master");
  if (rc == SQLITE_OK) {
    const bool ok = CopyBytes(source, target, error, progress);
    reader.Run("COMMIT");
    return ok;
  }
  if (journal) return CopyWithJournal(source, target, error, progress);
  if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
    error = sqlite3_errmsg(reader.db);
    return false;
  }
  // Not a database the engine reads (or damaged): the user's bytes are kept as they are.
  return CopyBytes(source, target, error, progress);
}

}  // namespace

Status BackupDatabaseFile(const std::string& source, const std::string& target,
                          const CopyProgress& keep_going) {
  std::string error;
  const std::string folder = FolderOf(target);
  const std::string partial = PartialName(folder);
  Progress progress;
  progress.keep_going = &keep_going;
  std::error_code size_error;
  progress.total = std::filesystem::file_size(SystemPath(source), size_error);
  if (size_error) progress.total = 0;
  bool ok;
  if (NonEmptyFile(source + "-wal") || HeaderSaysWal(source)) {
    ok = OnlineBackup(source, partial, error, progress);
  } else {
    ok = LockedCopy(source, partial, error, progress);
  }
  ok = ok && FlushFile(partial, error);
  if (ok && ::rename(SystemPath(partial).c_str(), SystemPath(target).c_str()) != 0) {
    error = SystemError("无法给备份文件命名");
    ok = false;
  }
  if (!ok) {
    for (const char* suffix : {"", "-journal"}) {
      if (FileExists(partial + suffix)) DeleteFile(partial + suffix);
    }
    if (progress.stopped) return Status::Failure("备份已取消", SQLITE_INTERRUPT);
    return Status::Failure(error);
  }
  // The new name is kept by the folder, which is flushed too.
  const int dir = ::open(SystemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return Status();
}

int RemoveLeftoverBackups(const std::string& folder) {
  DIR* dir = ::opendir(SystemPath(folder).c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  const std::string prefix = kPartialPrefix;
  const std::string suffix = kPartialSuffix;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const std::size_t end = name.find(suffix);
    if (name.rfind(prefix, 0) != 0 || end == std::string::npos) continue;
    // ".torvane-backup-<pid>-<n>.partial", and the journal a copy may have beside it: left by a
    // program that no longer runs.
    const std::string numbers = name.substr(prefix.size(), end - prefix.size());
    const pid_t pid = static_cast<pid_t>(std::atol(numbers.c_str()));
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) {
      if (::unlink((SystemPath(folder) + "/" + name).c_str()) == 0) ++removed;
    }
  }
  ::closedir(dir);
  return removed;
}

}  // namespace torvane
