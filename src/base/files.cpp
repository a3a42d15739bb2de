#include "base/files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "base/codec.h"

namespace torvane {
namespace {

// Closes a file descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close worked (a failed close may mean lost data).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The executable a test stands the program in; "" for the running one. Bytes as on disk.
std::string& ExecutablePathOverride() {
  static std::string path;
  return path;
}

std::string ExecutablePath() {
  if (!ExecutablePathOverride().empty()) return ExecutablePathOverride();
  char buffer[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

std::string SystemPath(std::string_view path) { return ToUtf8(path); }

bool FileExists(std::string_view path) {
  if (path.empty()) return false;
  struct stat st;
  return ::stat(SystemPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool CanOpenForReading(std::string_view path) {
  if (path.empty()) return false;
  Fd fd(::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  return fd.get() >= 0;
}

std::string ReadingProblem(std::string_view path) {
  if (path.empty()) return std::strerror(ENOENT);
  Fd fd(::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::strerror(errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
  return "";
}

bool ReadWholeFile(std::string_view path, Bytes& bytes) {
  bytes.clear();
  if (path.empty()) return false;
  Fd fd(::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      bytes.clear();  // a half-read file is not the file
      return false;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return true;
}

Bytes ReadFile(std::string_view path) {
  Bytes bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

bool SameFile(std::string_view a, std::string_view b) {
  struct stat sa, sb;
  if (a.empty() || b.empty() || ::stat(SystemPath(a).c_str(), &sa) != 0 ||
      ::stat(SystemPath(b).c_str(), &sb) != 0) {
    return false;
  }
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool WriteFile(std::string_view path, const Bytes& bytes) {
  if (path.empty()) return false;
  Fd fd(::open(SystemPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  const bool written = WriteAll(fd.get(), bytes.data(), bytes.size());
  return fd.Close() && written;
}

bool CopyFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  Fd in(::open(SystemPath(from).c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return false;
  struct stat st;
  if (::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  Fd out(::open(SystemPath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.get() < 0) return false;
  std::uint8_t chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    if (!WriteAll(out.get(), chunk, static_cast<std::size_t>(n))) return false;
  }
  return out.Close();
}

bool DeleteFile(std::string_view path) {
  return !path.empty() && ::unlink(SystemPath(path).c_str()) == 0;
}

bool CreateDirectory(std::string_view path) {
  return !path.empty() && ::mkdir(SystemPath(path).c_str(), 0777) == 0;
}

std::string RunDirectory() {
  const std::string exe = ExecutablePath();
  const std::size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return FromUtf8(exe.substr(0, slash));
}

void SetExecutablePathForTesting(const std::string& path) {
  ExecutablePathOverride() = ToUtf8(path);
}

std::string ExecutableFileName() {
  const std::string exe = ExecutablePath();
  const std::size_t slash = exe.rfind('/');
  return FromUtf8(slash == std::string::npos ? exe : exe.substr(slash + 1));
}

}  // namespace torvane
