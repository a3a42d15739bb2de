#pragma once

// A fresh temporary folder for one test, removed with everything in it when the test ends.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/codec.h"

namespace torvane::testing {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/torvane-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    utf8_ = made != nullptr ? made : "/tmp";
  }
  ~TempDir() { std::filesystem::remove_all(utf8_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, as internal text.
  std::string path() const { return FromUtf8(utf8_); }
  // `name` inside the folder, as internal text.
  std::string Path(const std::string& name) const { return path() + "/" + name; }
  // The folder as the file system names it (UTF-8).
  const std::string& utf8() const { return utf8_; }

 private:
  std::string utf8_;
};

// Sets an environment variable for the life of the object, restoring the old value afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_old_ = old != nullptr;
    if (had_old_) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_old_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_old_ = false;
  std::string old_;
};

}  // namespace torvane::testing
