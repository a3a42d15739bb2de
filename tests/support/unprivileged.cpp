#include "support/unprivileged.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {

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

}  // namespace torvane::testing
