#pragma once

// A small stand-in for the system registry's default values: each key keeps one text value, stored
// in a file under the user's configuration directory ($XDG_CONFIG_HOME/torvane, by default
// ~/.config/torvane). Keys and values are internal text; the file holds them as UTF-8, one
// "key<TAB>value" line each.

#include <string>
#include <string_view>

namespace torvane {

// The file that holds the values ($XDG_CONFIG_HOME/torvane/registry.txt), as internal text.
std::string RegistryFilePath();

// Writes `value` as the default value of the key that `target` names. `target` ends in a backslash
// ("ZuveviREFile\shell\open\command\"): it is cut at its last backslash, the part before it is the
// key, the empty part after it names the default value. The key is created when missing. False when
// the value could not be stored; callers that register file types ignore the result.
bool WriteRegistryDefault(std::string_view target, std::string_view value);

// The default value of `key` (no trailing backslash); "" when the key or the file is missing.
std::string ReadRegistryDefault(std::string_view key);

}  // namespace torvane
