#include "support/file_state.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace torvane::testing {

std::string FileBytes(const std::string& system_path) {
  std::ifstream in(system_path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int OpenDescriptorsOf(const std::string& system_path) {
  std::error_code error;
  const auto target = std::filesystem::canonical(system_path, error);
  if (error) return 0;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    std::error_code link_error;
    const auto link = std::filesystem::read_symlink(entry.path(), link_error);
    if (!link_error && link == target) ++count;
  }
  return count;
}

}  // namespace torvane::testing
