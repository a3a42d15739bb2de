#include "support/locking_process.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {

LockingProcess::LockingProcess(const std::string& path, const std::string& sql,
                               const std::string& finish, int linger_ms) {
  int ready[2], release[2];
  if (::pipe(ready) != 0) return;
  if (::pipe(release) != 0) {
    ::close(ready[0]);
    ::close(ready[1]);
    return;
  }
  child_ = ::fork();
  if (child_ == 0) {
    ::close(ready[0]);
    ::close(release[1]);
    sqlite3* db = nullptr;
    const bool locked = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    char byte = locked ? 'L' : 'F';
    (void)!::write(ready[1], &byte, 1);
    // Returns on the test's byte, or when the test's end of the pipe closes.
    (void)!::read(release[0], &byte, 1);
    if (linger_ms > 0) ::usleep(static_cast<useconds_t>(linger_ms) * 1000);
    sqlite3_exec(db, finish.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    // Without exit handlers: the test's own state belongs to the parent.
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  release_fd_ = release[1];
  char state = 0;
  holds_ = child_ > 0 && ::read(ready[0], &state, 1) == 1 && state == 'L';
  ::close(ready[0]);
}

LockingProcess::~LockingProcess() { Wait(); }

void LockingProcess::Release() {
  if (release_fd_ < 0) return;
  const char go = 'g';
  (void)!::write(release_fd_, &go, 1);
  ::close(release_fd_);
  release_fd_ = -1;
}

void LockingProcess::Wait() {
  Release();
  if (child_ <= 0) return;
  int status = 0;
  ::waitpid(child_, &status, 0);
  child_ = -1;
}

}  // namespace torvane::testing
