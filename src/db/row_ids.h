#pragma once

// The keys of a cursor's snapshot, in the snapshot's order, kept compactly: eight bytes per record
// for integer keys (row ids, integer primary keys), with a side list for the others (the text,
// real or bytes value of a one-column primary key; the whole condition of a primary key of
// several columns).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/chunked_vector.h"
#include "db/engine.h"

struct sqlite3_stmt;

namespace torvane {

// Column `column` of the statement's current row as an SQL literal: integers and reals as the
// engine reads them back to the same value, text and bytes as quoted literals (so a stored value
// can never be read as SQL), text as internal text in `engine`'s text mode. Nothing for NULL.
std::optional<std::string> SqlLiteral(sqlite3_stmt* statement, int column, const Engine& engine);

class RowIdList {
 public:
  // Appends column 0 of the statement's current row, run on `engine` (whose text mode reads a
  // text key).
  void AppendFrom(sqlite3_stmt* statement, const Engine& engine);
  // Appends a key kept as text as it is; nothing for an unknown key.
  void AppendText(std::optional<std::string> sql_text);
  void Finish() { ids_.ShrinkToFit(); }
  void Clear();

  std::size_t size() const { return ids_.size(); }

  // How key number `index` (from 0) is written into SQL; nothing when it is unknown (NULL, or
  // `index` not below size()).
  std::optional<std::string> SqlText(std::size_t index) const;

  // Index of the key written as `sql_text` (as SqlText writes it); nothing when the list holds
  // none. When every key is an integer they are ascending and found by a binary search.
  std::optional<std::size_t> Find(const std::string& sql_text) const;

  std::size_t HeldBytes() const;

 private:
  ChunkedVector<std::int64_t> ids_;  // the integer row ids; 0 where `others_` holds the entry
  std::vector<std::pair<std::size_t, std::optional<std::string>>> others_;  // by position
};

}  // namespace torvane
