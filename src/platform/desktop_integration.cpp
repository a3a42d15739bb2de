#include "platform/desktop_integration.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cctype>

#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "platform/xdg.h"

extern char** environ;

namespace torvane {
namespace {

constexpr char kMimePackage[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-torvane-database\">\n"
    "    <comment>SQLite database file</comment>\n"
    "    <comment "
    "xml:lang=\"zh_CN\">Sqlite\xE6\x95\xB0\xE6\x8D\xAE\xE5\xBA\x93\xE6\x96\x87\xE4\xBB\xB6"
    "</comment>\n"
    "    <sub-class-of type=\"application/vnd.sqlite3\"/>\n"
    "    <glob pattern=\"*.sdb\" weight=\"80\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

// One argument of an Exec line: quoted when it holds anything but plain path characters, with
// the characters the desktop entry format reserves inside quotes escaped.
std::string ExecArgument(const std::string& utf8) {
  bool plain = !utf8.empty();
  for (unsigned char c : utf8) {
    if (!(c >= 0x80 || std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' ||
          c == '+')) {
      plain = false;
    }
  }
  if (plain) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    // Inside quotes, ", `, $ and \ take a backslash; the string value level doubles backslashes
    // again, and a literal % is written %%.
    if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
    if (c == '\\') quoted += "\\\\\\";
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

// Writes `text` to `path` unless it already holds exactly that; true when the file now holds it.
// `changed` is set when the file was written.
bool WriteIfDifferent(const std::string& path, const std::string& text, bool& changed) {
  const Bytes wanted(text.begin(), text.end());
  if (ReadFile(path) == wanted) return true;
  changed = true;
  return WriteFile(path, wanted);
}

// Runs a desktop database tool, if it is installed, and waits for it; its outcome is not used.
void RunQuietly(const char* program, const std::string& argument) {
  std::string path = std::string("/usr/bin/") + program;
  if (::access(path.c_str(), X_OK) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {path.data(), const_cast<char*>(argument.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

std::string DesktopEntryPath() { return DataHomeDirectory() + "/applications/torvane.desktop"; }

std::string MimePackagePath() {
  return DataHomeDirectory() + "/mime/packages/torvane-database.xml";
}

// How every desktop entry this program writes begins.
constexpr char kEntryHead[] =
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=Torvane\n"
    "Comment=SQLite database manager\n";

std::string DesktopEntryText(std::string_view executable, std::string_view icon) {
  std::string icon_utf8 = ToUtf8(icon);
  // Values of a desktop entry are one line each; a backslash is written doubled.
  std::string icon_value;
  for (char c : icon_utf8) icon_value += (c == '\\') ? std::string("\\\\") : std::string(1, c);
  return std::string(kEntryHead) +
         "Comment[zh_CN]=Sqlite\xE6\x95\xB0\xE6\x8D\xAE\xE5\xBA\x93\xE7\xAE\xA1\xE7\x90\x86\n"
         "Exec=" +
         ExecArgument(ToUtf8(executable)) +
         " %f\n"
         "Icon=" +
         icon_value +
         "\n"
         "MimeType=" +
         std::string(kDatabaseMimeType) +
         ";\n"
         "Terminal=false\n"
         "Categories=Development;Database;\n";
}

bool RemovePerUserDesktopEntry(std::string_view installed_entry) {
  const std::string entry = DesktopEntryPath();
  if (!FileExists(entry) || SameFile(entry, installed_entry)) return true;
  // Every entry this program writes begins the same way; any other file is the user's.
  if (BytesToText(ReadFile(entry)).rfind(kEntryHead, 0) != 0) return false;
  if (!DeleteFile(entry)) return false;
  RunQuietly("update-desktop-database", ToUtf8(DataHomeDirectory() + "/applications"));
  return true;
}

bool InstallDesktopIntegration(std::string_view executable, std::string_view icon) {
  const std::string data_home = DataHomeDirectory();
  const bool folders = CreateDirectories(data_home + "/applications") &&
                       CreateDirectories(data_home + "/mime/packages");
  if (!folders) return false;
  bool mime_changed = false, entry_changed = false;
  const bool ok =
      WriteIfDifferent(MimePackagePath(), kMimePackage, mime_changed) &&
      WriteIfDifferent(DesktopEntryPath(), DesktopEntryText(executable, icon), entry_changed);
  if (mime_changed) RunQuietly("update-mime-database", ToUtf8(data_home + "/mime"));
  if (entry_changed) RunQuietly("update-desktop-database", ToUtf8(data_home + "/applications"));
  return ok;
}

}  // namespace torvane
