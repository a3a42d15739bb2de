#include "platform/registry.h"

#include <map>

#include "base/codec.h"
#include "base/files.h"
#include "platform/xdg.h"

namespace torvane {
namespace {

using Values = std::map<std::string, std::string>;

Values Load() {
  Values values;
  const Bytes bytes = ReadFile(RegistryFilePath());
  const std::string utf8(bytes.begin(), bytes.end());
  std::size_t start = 0;
  while (start < utf8.size()) {
    std::size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    const std::string line = utf8.substr(start, end - start);
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos)
      values[FromUtf8(line.substr(0, tab))] = FromUtf8(line.substr(tab + 1));
    start = end + 1;
  }
  return values;
}

bool Store(const Values& values) {
  std::string utf8;
  for (const auto& [key, value] : values) utf8 += ToUtf8(key) + "\t" + ToUtf8(value) + "\n";
  CreateDirectories(ConfigDirectory());
  return WriteFile(RegistryFilePath(), Bytes(utf8.begin(), utf8.end()));
}

}  // namespace

std::string RegistryFilePath() { return ConfigDirectory() + "/registry.txt"; }

bool WriteRegistryDefault(std::string_view target, std::string_view value) {
  const std::size_t cut = target.rfind('\\');
  if (cut == std::string_view::npos || cut == 0) return false;
  // Only the default (unnamed) value is kept: the part after the last backslash must be empty.
  if (cut + 1 != target.size()) return false;
  // Line breaks would split the stored line; such values are not file-type values anyway.
  if (value.find('\n') != std::string_view::npos || target.find('\n') != std::string_view::npos) {
    return false;
  }
  Values values = Load();
  values[std::string(target.substr(0, cut))] = std::string(value);
  return Store(values);
}

std::string ReadRegistryDefault(std::string_view key) {
  const Values values = Load();
  const auto found = values.find(std::string(key));
  return found == values.end() ? std::string() : found->second;
}

}  // namespace torvane
