#pragma once

// What a file holds and who holds it open, read past the program's own file functions. Paths here
// are as the file system names them (UTF-8), not internal text.

#include <string>

namespace torvane::testing {

// The bytes of the file at `system_path`; empty when it cannot be read.
std::string FileBytes(const std::string& system_path);

// How many of this process's open file descriptors refer to the file at `system_path`.
int OpenDescriptorsOf(const std::string& system_path);

}  // namespace torvane::testing
