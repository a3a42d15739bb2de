#pragma once

// A connection of the test's own to a database file, beside whatever connections the program
// holds: for making files, changing them behind the program's back (as another program would) and
// reading back what the program wrote.
//
// SQL, names and values pass to the engine as they are, unconverted, as the program passes them:
// in the tests of the Qt-free layers, whose literals are compiled as internal text, they are
// internal text; a widget test's literals are UTF-8. File paths are internal text.

#include <string>

#include <sqlite3.h>

#include "base/bytes.h"

namespace torvane::testing {

class RawDb {
 public:
  // Opens the file at `path` (internal text), making it when it does not exist. A file that
  // cannot be opened shows as the failure of every statement run on it.
  explicit RawDb(const std::string& path);
  ~RawDb();
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  // Runs `sql` (any number of statements); "" on success, the engine's message on failure.
  std::string Exec(const std::string& sql);
  // Runs `sql`, which must succeed: a failure fails the running test with the engine's message.
  void Run(const std::string& sql);
  // The first column of the first row of `sql` as text: "<null>" for NULL, "<none>" when there is
  // no row, "<error: message>" with the engine's message when the statement fails.
  std::string Value(const std::string& sql);
  // The first column of the first row of `sql` as bytes; empty for NULL and when there is no row.
  // A failing statement fails the running test with the engine's message and gives empty bytes.
  Bytes ValueBytes(const std::string& sql);
  // Everything the database holds, as text to compare: each catalog entry (type, name, table and
  // SQL, by type and name) and then each table's rows in row-id order, a value written with its
  // type. "<error: message>" with the engine's message when some of it cannot be read.
  std::string Dump();

 private:
  sqlite3* db_ = nullptr;
};

// One statement or value on a connection opened for it alone and closed again, for the tests
// that only make a file or read one value from it. `path` is internal text.

// RawDb(path).Run(sql): the file made or changed by `sql`; a failure fails the running test.
void MakeDatabase(const std::string& path, const std::string& sql);
// RawDb(path).Value(sql).
std::string QueryText(const std::string& path, const std::string& sql);
// RawDb(path).ValueBytes(sql).
Bytes QueryBytes(const std::string& path, const std::string& sql);

}  // namespace torvane::testing
