#include "db/row_ids.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <sqlite3.h>

#include "base/text.h"
#include "db/sql_name.h"

namespace torvane {
namespace {

// A real as SQL: the engine's own text when it reads back as the same value, otherwise the
// shortest text that does (the engine's text keeps 15 digits and may not match the stored value).
std::string RealSqlText(sqlite3_stmt* statement, int column) {
  const double value = sqlite3_column_double(statement, column);
  if (std::isinf(value)) return value > 0 ? "9e999" : "-9e999";
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  const std::string engine_text = text == nullptr ? "" : text;
  double parsed = 0;
  const auto [end, error] =
      std::from_chars(engine_text.data(), engine_text.data() + engine_text.size(), parsed);
  if (error == std::errc() && end == engine_text.data() + engine_text.size() && parsed == value) {
    return engine_text;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string BlobSqlText(sqlite3_stmt* statement, int column) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
  const int size = sqlite3_column_bytes(statement, column);
  std::string text = "X'";
  for (int i = 0; i < size; ++i) {
    text += kHex[data[i] >> 4];
    text += kHex[data[i] & 0x0F];
  }
  text += '\'';
  return text;
}

}  // namespace

std::optional<std::string> SqlLiteral(sqlite3_stmt* statement, int column, const Engine& engine) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      return IntToText(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
      return RealSqlText(statement, column);
    case SQLITE_TEXT: {
      const auto* text = sqlite3_column_text(statement, column);
      const int size = sqlite3_column_bytes(statement, column);
      return "'" + EscapeSqlText(engine.FromEngine(text, size)) + "'";
    }
    case SQLITE_BLOB:
      return BlobSqlText(statement, column);
    default:
      return std::nullopt;
  }
}

void RowIdList::AppendFrom(sqlite3_stmt* statement, const Engine& engine) {
  // One column call per row: each takes the connection's lock, which on a ten-million-row table
  // costs as much as the rest of the loop. Reading the value it gives back needs no lock, and the
  // connection is only ever used from one thread.
  sqlite3_value* value = sqlite3_column_value(statement, 0);
  if (sqlite3_value_type(value) == SQLITE_INTEGER) {
    ids_.push_back(sqlite3_value_int64(value));
    return;
  }
  AppendText(SqlLiteral(statement, 0, engine));
}

void RowIdList::AppendText(std::optional<std::string> sql_text) {
  others_.emplace_back(ids_.size(), std::move(sql_text));
  ids_.push_back(0);
}

void RowIdList::Clear() {
  ids_.clear();
  others_.clear();
  others_.shrink_to_fit();
}

std::optional<std::string> RowIdList::SqlText(std::size_t index) const {
  if (index >= ids_.size()) return std::nullopt;
  if (!others_.empty()) {
    const auto it = std::lower_bound(
        others_.begin(), others_.end(), index,
        [](const auto& entry, std::size_t position) { return entry.first < position; });
    if (it != others_.end() && it->first == index) return it->second;
  }
  return IntToText(ids_[index]);
}

std::optional<std::size_t> RowIdList::Find(const std::string& sql_text) const {
  if (sql_text.empty()) return std::nullopt;
  if (others_.empty()) {
    // Only integers: the list is in ascending order.
    std::int64_t id = 0;
    const auto [end, error] =
        std::from_chars(sql_text.data(), sql_text.data() + sql_text.size(), id);
    if (error != std::errc() || end != sql_text.data() + sql_text.size()) return std::nullopt;
    std::size_t low = 0, high = ids_.size();
    while (low < high) {
      const std::size_t middle = low + (high - low) / 2;
      if (ids_[middle] < id) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    if (low < ids_.size() && ids_[low] == id) return low;
    return std::nullopt;
  }
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (SqlText(i) == sql_text) return i;
  }
  return std::nullopt;
}

std::size_t RowIdList::HeldBytes() const {
  std::size_t bytes = ids_.HeldBytes() + others_.capacity() * sizeof(others_[0]);
  for (const auto& entry : others_) {
    if (entry.second) bytes += entry.second->capacity();
  }
  return bytes;
}

}  // namespace torvane
