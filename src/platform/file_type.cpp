#include "platform/file_type.h"

#include <string>

#include "base/files.h"
#include "platform/app_icon.h"
#include "platform/desktop_integration.h"
#include "platform/program_places.h"
#include "platform/registry.h"
#include "platform/xdg.h"

namespace torvane {

void RegisterFileType() {
  const ProgramPlaces places = Places();
  const std::string& icon_path = places.icon_file;
  if (!FileExists(icon_path)) {
    // An installed program whose install lacks the icon writes it under the user's data folder,
    // never into the install.
    if (places.installed) CreateDirectories(icon_path.substr(0, icon_path.rfind('/')));
    if (!WriteFile(icon_path, EmbeddedIcon())) return;
  }
  const std::string executable = RunDirectory() + "/" + ExecutableFileName();
  WriteRegistryDefault(".sdb\\", "ZuveviREFile");
  WriteRegistryDefault("ZuveviREFile\\", "Sqlite数据库文件");
  WriteRegistryDefault("ZuveviREFile\\DefaultIcon\\", icon_path);
  WriteRegistryDefault("ZuveviREFile\\shell\\open\\command\\", executable + " %1");
  if (places.installed && FileExists(places.installed_desktop_entry)) {
    // The install's own desktop entry and MIME package serve the desktop; an entry of the same
    // name under the user's folder would stand in front of it.
    RemovePerUserDesktopEntry(places.installed_desktop_entry);
    return;
  }
  InstallDesktopIntegration(executable, icon_path);
}

}  // namespace torvane
