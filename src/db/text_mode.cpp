#include "db/text_mode.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <sqlite3.h>

#include "base/codec.h"
#include "base/text.h"
#include "db/connection.h"
#include "db/sql_name.h"

namespace torvane {
namespace {

// Text values sampled from the tables in all, and at least from each table.
constexpr int kSampleValues = 4000;
constexpr int kLeastValuesPerTable = 16;
// Catalog rows read at most, and tables sampled at most: a database of thousands of tables is
// judged by its first ones.
constexpr int kCatalogRows = 2000;
constexpr std::size_t kTablesSampled = 400;
// Bytes of one value looked at.
constexpr std::size_t kBytesPerValue = 4096;

// What the texts seen so far say.
class Evidence {
 public:
  void See(const unsigned char* text, int size) {
    if (text == nullptr || size <= 0) return;
    std::string_view bytes(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
    bytes = bytes.substr(0, kBytesPerValue);
    // A character cut off at the end (by a program that cut the value to a number of bytes, or by
    // the limit above) says nothing either way.
    bytes = WithoutCutCharacter(bytes);
    const bool non_ascii = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!non_ascii) return;
    if (IsValidUtf8(bytes)) {
      multibyte_ = true;
    } else {
      invalid_ = true;
    }
  }

  bool Decided() const { return invalid_; }
  TextMode Mode() const { return multibyte_ && !invalid_ ? TextMode::kUtf8 : TextMode::kGbk; }

 private:
  // `bytes` without its last UTF-8 character when that one lacks some of its continuation bytes.
  static std::string_view WithoutCutCharacter(std::string_view bytes) {
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
      const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
      if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      return back < length ? bytes.substr(0, bytes.size() - back) : bytes;
    }
    return bytes;
  }

  bool multibyte_ = false;
  bool invalid_ = false;
};

}  // namespace

bool KeepsTextInUtf16(ZuveviRE& database) {
  return database.GetFileEncoding().rfind("UTF-16", 0) == 0;
}

TextMode DetectTextMode(ZuveviRE& database) {
  if (!database.IsOpen()) return TextMode::kGbk;
  if (KeepsTextInUtf16(database)) return TextMode::kUtf8;
  Engine& engine = *database.handle();

  Evidence evidence;
  std::vector<std::string> tables;
  {
    // Names and SQL reach the engine and come back byte for byte here.
    Statement catalog;
    const std::string sql =
        "SELECT type, name, sql FROM sqlite_master LIMIT " + IntToText(kCatalogRows);
    if (catalog.PrepareBytes(engine, sql) != SQLITE_OK || !catalog) return TextMode::kGbk;
    while (catalog.Step() == SQLITE_ROW) {
      sqlite3_stmt* s = catalog.get();
      for (int c = 1; c <= 2; ++c)
        evidence.See(sqlite3_column_text(s, c), sqlite3_column_bytes(s, c));
      const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
      const auto* name = sqlite3_column_text(s, 1);
      if (type != nullptr && std::string_view(type) == "table" && name != nullptr) {
        tables.emplace_back(reinterpret_cast<const char*>(name),
                            static_cast<std::size_t>(sqlite3_column_bytes(s, 1)));
      }
    }
  }
  if (evidence.Decided()) return evidence.Mode();

  if (tables.size() > kTablesSampled) tables.resize(kTablesSampled);
  int left = kSampleValues;
  for (std::size_t t = 0; t < tables.size() && left > 0 && !evidence.Decided(); ++t) {
    const int tables_left = static_cast<int>(tables.size() - t);
    const int share = std::max(kLeastValuesPerTable, left / tables_left);
    Statement rows;
    // At most `share` rows, so a table without text is not read whole. A table the engine cannot
    // read (a virtual table of a missing module) says nothing.
    if (rows.PrepareBytes(engine, "SELECT * FROM " + QuoteSqlName(tables[t]) + " LIMIT " +
                                      IntToText(share)) != SQLITE_OK ||
        !rows) {
      continue;
    }
    sqlite3_stmt* s = rows.get();
    const int columns = sqlite3_column_count(s);
    int taken = 0;
    while (taken < share && rows.Step() == SQLITE_ROW) {
      for (int c = 0; c < columns && taken < share; ++c) {
        if (sqlite3_column_type(s, c) != SQLITE_TEXT) continue;
        evidence.See(sqlite3_column_text(s, c), sqlite3_column_bytes(s, c));
        ++taken;
      }
    }
    left -= taken;
  }
  return evidence.Mode();
}

}  // namespace torvane
