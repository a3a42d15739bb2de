#include "platform/xdg.h"

#include <sys/stat.h>
#include <cstdlib>

#include "base/codec.h"
#include "base/files.h"

namespace torvane {
namespace {

// An absolute directory from the environment variable `name`, else $HOME + `fallback`.
std::string BaseDirectory(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  if (value != nullptr && value[0] == '/') return FromUtf8(value);
  const char* home = std::getenv("HOME");
  return FromUtf8(home != nullptr ? home : "") + fallback;
}

}  // namespace

std::string ConfigDirectory() { return BaseDirectory("XDG_CONFIG_HOME", "/.config") + "/torvane"; }

std::string DataHomeDirectory() { return BaseDirectory("XDG_DATA_HOME", "/.local/share"); }

bool CreateDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    CreateDirectory(path.substr(0, slash));
  }
  CreateDirectory(path);
  struct stat st;
  return ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace torvane
