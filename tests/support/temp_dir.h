#pragma once

// Temporary folders and environment variables that last as long as one test.
//
// Paths come in two encodings here, named in each comment: internal text (GB18030 bytes, what the
// program's file functions take) and the file system's own bytes (UTF-8 on this system, what the
// C library and std::filesystem take). Literals in the tests of the Qt-free layers are internal
// text; in the widget tests they are UTF-8, so those tests pass only ASCII names here or convert
// with FromUtf8 first.

#include <string>

namespace torvane::testing {

// A fresh folder under /tmp, removed with everything in it when the object goes. A folder that
// cannot be made ends the test program: no test could run without it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, as internal text.
  std::string path() const;
  // `name` (internal text, may hold "/") inside the folder, as internal text.
  std::string Path(const std::string& name) const;
  // The folder as the file system names it (UTF-8).
  const std::string& system_path() const { return system_path_; }

 private:
  std::string system_path_;
};

// Sets environment variable `name` to `value` (file-system bytes) for the life of the object, and
// restores the old value (or its absence) afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_old_ = false;
  std::string old_;
};

}  // namespace torvane::testing
