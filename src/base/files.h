#pragma once

// Whole-file operations on paths given as internal text. Each path is converted to the UTF-8 bytes
// Linux uses for file names here, and nowhere else.

#include <string>
#include <string_view>

#include "base/bytes.h"

namespace torvane {

// `path` as the file system wants it (UTF-8 bytes).
std::string SystemPath(std::string_view path);

// True when something other than a directory exists at `path`.
bool FileExists(std::string_view path);

// True when `path` can be opened for reading (it is opened and closed again at once).
bool CanOpenForReading(std::string_view path);
// Why `path` cannot be opened for reading, as the system says it ("No such file or directory",
// "Permission denied", "Is a directory"); "" when it can be.
std::string ReadingProblem(std::string_view path);

// The whole file as bytes; empty bytes when the name is empty or the file cannot be read.
Bytes ReadFile(std::string_view path);
// The whole file into `bytes`; false, with `bytes` empty, when the name is empty, the file cannot
// be opened or is a directory, or reading it fails part way. An empty file gives true.
bool ReadWholeFile(std::string_view path, Bytes& bytes);

// Creates or truncates the file and writes `bytes`; false when the name is empty or the file
// cannot be opened or fully written.
bool WriteFile(std::string_view path, const Bytes& bytes);

// Copies the file at `from` to `to`, replacing a file of that name; false on any failure.
bool CopyFile(std::string_view from, std::string_view to);

// True when `a` and `b` name the same existing file (one file under two names included).
bool SameFile(std::string_view a, std::string_view b);
// Deletes the file; false when it could not be deleted.
bool DeleteFile(std::string_view path);

// Creates one directory level; false when it could not be created (also when it exists).
bool CreateDirectory(std::string_view path);

// The directory holding the running executable, without a trailing "/", as internal text.
std::string RunDirectory();

// The running executable's own file name (no directory), as internal text.
std::string ExecutableFileName();

// Makes RunDirectory and ExecutableFileName answer for the executable at `path` (internal text)
// instead of the running one, so a test can stand the program in another layout; "" undoes it.
void SetExecutablePathForTesting(const std::string& path);

}  // namespace torvane
