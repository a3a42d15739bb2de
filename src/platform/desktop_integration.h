#pragma once

// Makes the desktop open "*.sdb" files with this program: a shared-mime-info package that names the
// file type, and a desktop entry whose command passes the chosen file as one argument. Both go
// under $XDG_DATA_HOME (default ~/.local/share).

#include <string>
#include <string_view>

namespace torvane {

// The MIME type given to "*.sdb" files.
inline constexpr char kDatabaseMimeType[] = "application/x-torvane-database";

// Writes (or refreshes) the MIME package and the desktop entry for the executable at `executable`
// with the icon file at `icon`, and asks the desktop's databases to pick them up when anything
// changed. Both paths are internal text. False when a file could not be written.
bool InstallDesktopIntegration(std::string_view executable, std::string_view icon);

// The text of the desktop entry for `executable` and `icon` (UTF-8, as written to disk).
std::string DesktopEntryText(std::string_view executable, std::string_view icon);

// The path of the desktop entry file, as internal text.
std::string DesktopEntryPath();

// The path of the MIME package file, as internal text.
std::string MimePackagePath();

// Removes the per-user desktop entry when this program wrote it, so that it no longer stands in
// front of the entry an install put in place (`installed_entry`, internal text). A file that is the
// installed entry itself (an install into ~/.local), or that the user wrote, stays. True when no
// per-user entry of this program is left in front of it.
bool RemovePerUserDesktopEntry(std::string_view installed_entry);

}  // namespace torvane
