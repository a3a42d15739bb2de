#pragma once

// The row ids of a cursor's snapshot, in ascending order, kept compactly: eight bytes per row for
// integer row ids, with a side list for the rare others (NULL from a view; text, real or bytes from
// a table whose own column is named like the row id).

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

class RowIdList {
 public:
  // Appends column 0 of the statement's current row, run on `engine` (whose text mode reads a
  // text row id).
  void AppendFrom(sqlite3_stmt* statement, const Engine& engine);
  void Finish() { ids_.ShrinkToFit(); }
  void Clear();

  std::size_t size() const { return ids_.size(); }

  // How row id number `index` (from 0) is written into SQL; nothing when it is unknown (NULL, or
  // `index` not below size()). Integers and reals read as the engine writes them; text and bytes
  // become quoted literals so a stored value can never be read as SQL.
  std::optional<std::string> SqlText(std::size_t index) const;

  // Index of the row id written as `sql_text` (as SqlText writes it); nothing when the list holds
  // none. Integer row ids are found by a binary search.
  std::optional<std::size_t> Find(const std::string& sql_text) const;

  std::size_t HeldBytes() const;

 private:
  ChunkedVector<std::int64_t> ids_;  // the integer row ids; 0 where `others_` holds the entry
  std::vector<std::pair<std::size_t, std::optional<std::string>>> others_;  // by position
};

}  // namespace torvane
