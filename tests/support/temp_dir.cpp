#include "support/temp_dir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/codec.h"

namespace torvane::testing {

TempDir::TempDir() {
  char pattern[] = "/tmp/torvane-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    // Carrying on with some fallback folder would let the destructor remove a folder the test
    // never made.
    std::fprintf(stderr, "cannot make a temporary folder: %s\n", std::strerror(errno));
    std::abort();
  }
  system_path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(system_path_, ignored);
}

std::string TempDir::path() const { return FromUtf8(system_path_); }

std::string TempDir::Path(const std::string& name) const { return path() + "/" + name; }

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_old_ = old != nullptr;
  if (had_old_) old_ = old;
  ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_old_) {
    ::setenv(name_, old_.c_str(), 1);
  } else {
    ::unsetenv(name_);
  }
}

}  // namespace torvane::testing
