#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/codec.h"
#include "base/files.h"

namespace torvane::testing {

TempDir::TempDir() {
  char pattern[] = "/tmp/torvane-db-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  path_ = made == nullptr ? "/tmp" : made;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Path(const std::string& name) const { return FromUtf8(path_) + "/" + name; }

RawDb::RawDb(const std::string& path) { sqlite3_open(SystemPath(path).c_str(), &db_); }

RawDb::~RawDb() { sqlite3_close_v2(db_); }

std::string RawDb::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return "";
  std::string text = message == nullptr ? "error" : message;
  sqlite3_free(message);
  return text;
}

std::string RawDb::Value(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    return "<error: " + std::string(sqlite3_errmsg(db_)) + ">";
  }
  std::string value;
  const int rc = sqlite3_step(statement);
  if (rc == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    value = text == nullptr
                ? "<null>"
                : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
  } else if (rc == SQLITE_DONE) {
    value = "<none>";
  } else {
    value = "<error: " + std::string(sqlite3_errmsg(db_)) + ">";
  }
  sqlite3_finalize(statement);
  return value;
}

namespace {
StatementLog* active_log = nullptr;
}

StatementLog::StatementLog() {
  active_log = this;
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(&StatementLog::OnConnectionOpened));
}

StatementLog::~StatementLog() {
  sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&StatementLog::OnConnectionOpened));
  active_log = nullptr;
}

int StatementLog::OnConnectionOpened(sqlite3* db, const char**, const void*) {
  sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementLog::OnTrace, nullptr);
  return SQLITE_OK;
}

int StatementLog::OnTrace(unsigned, void*, void*, void* text) {
  StatementLog* log = active_log;
  if (log != nullptr && text != nullptr) {
    std::lock_guard<std::mutex> lock(log->mutex_);
    log->statements_.emplace_back(static_cast<const char*>(text));
  }
  return 0;
}

std::vector<std::string> StatementLog::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(statements_, {});
}

int OpenDescriptorsOf(const std::string& system_path) {
  std::error_code error;
  const auto target = std::filesystem::canonical(system_path, error);
  if (error) return 0;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    std::error_code link_error;
    const auto link = std::filesystem::read_symlink(entry.path(), link_error);
    if (!link_error && link == target) ++count;
  }
  return count;
}

std::string RunUnprivileged(const std::function<std::string()>& body) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(pipe_fds[0]);
    std::string report;
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      report = "skip";
    } else {
      report = body();
    }
    const char* data = report.data();
    std::size_t left = report.size();
    while (left > 0) {
      const ssize_t n = ::write(pipe_fds[1], data, left);
      if (n <= 0) break;
      data += n;
      left -= static_cast<std::size_t>(n);
    }
    ::close(pipe_fds[1]);
    // No exit handlers: the parent's test state must not be touched from the child.
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string report;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
    report.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " (child did not finish)";
  return report;
}

std::string FileBytes(const std::string& system_path) {
  std::ifstream in(system_path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace torvane::testing
