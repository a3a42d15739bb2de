#include "platform/program_places.h"

#include <sys/stat.h>

#include "base/codec.h"
#include "base/files.h"
#include "platform/xdg.h"

namespace torvane {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

constexpr char kIconName[] = "/ZuveviRE.ico";
constexpr char kTemplateName[] = "/SQL模板.txt";
constexpr char kBackupFolderName[] = "/数据库备份";

}  // namespace

ProgramPlaces PlacesFor(const std::string& run_directory) {
  ProgramPlaces places;
  const std::size_t slash = run_directory.rfind('/');
  const bool in_bin = slash != std::string::npos && run_directory.substr(slash + 1) == "bin";
  const std::string prefix = in_bin ? run_directory.substr(0, slash) : "";
  if (in_bin && IsDirectory(prefix + "/share/torvane")) {
    places.installed = true;
    places.prefix = prefix.empty() ? "/" : prefix;
    places.share_directory = prefix + "/share/torvane";
    const std::string data = DataHomeDirectory() + "/torvane";
    places.backup_directory = data + kBackupFolderName;
    places.template_file = places.share_directory + kTemplateName;
    places.icon_file = places.share_directory + kIconName;
    if (!FileExists(places.icon_file)) places.icon_file = data + kIconName;
    places.manual_file = prefix + "/share/doc/torvane/README.md";
    places.installed_desktop_entry = prefix + "/share/applications/torvane.desktop";
    return places;
  }
  places.share_directory = run_directory;
  places.backup_directory = run_directory + kBackupFolderName;
  places.template_file = run_directory + kTemplateName;
  places.icon_file = run_directory + kIconName;
  places.manual_file = run_directory + "/README.md";
  return places;
}

ProgramPlaces Places() { return PlacesFor(RunDirectory()); }

std::string FileUrl(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : ToUtf8(path)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0x0F];
    }
  }
  return url;
}

}  // namespace torvane
