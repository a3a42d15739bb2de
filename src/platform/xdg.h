#pragma once

// The user's XDG base directories, as internal text.

#include <string>

namespace torvane {

// $XDG_CONFIG_HOME/torvane (default ~/.config/torvane). Not created here.
std::string ConfigDirectory();

// $XDG_DATA_HOME (default ~/.local/share). Not created here.
std::string DataHomeDirectory();

// Creates `path` and every missing folder above it; false when it does not exist afterwards.
bool CreateDirectories(const std::string& path);

}  // namespace torvane
