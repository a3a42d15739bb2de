#include "db/text_mode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "base/clock.h"
#include "base/codec.h"
#include "db/connection.h"
#include "db/sql_name.h"

namespace torvane {
namespace {

// Bytes of one value looked at.
constexpr std::size_t kBytesPerValue = 4096;
// UTF-8 wins only with more than this many values for it per value for GBK: a UTF-8 database may
// hold a few values some other program wrote in another encoding, while a GBK database's short
// values read as valid UTF-8 only now and then, and then mostly as less ordinary text.
constexpr int kStrayShare = 16;
// Values of one table that settle the matter for that table once its verdict goes their way.
constexpr int kDecisiveValues = 256;
// Engine instructions between two looks at the clock while a statement runs: a few microseconds.
constexpr int kInstructionsPerLook = 1000;
// Rows the filter passes over before it lets one through anyway, so that the reader can look at
// the clock and put the table aside at the end of its share: about half a millisecond.
constexpr int kRowsPerPause = 4096;
// Tables put aside unfinished, to be taken up again with the time the others leave; beyond that
// many, a table cut off at the end of its share is not taken up again.
constexpr std::size_t kTablesAside = 64;
// Columns handed to one call of the filter (the engine takes at most 127 arguments).
constexpr std::size_t kColumnsPerCall = 100;
// The filter's name, for the time detection runs.
constexpr char kFilterName[] = "torvane_detect_non_ascii_text";

// How ordinary a character looks in a text: the weights of the two readings of a value's bytes.
constexpr int kOrdinary = 3;
constexpr int kFair = 2;
constexpr int kUnusual = 1;
constexpr int kRare = 0;
constexpr int kImplausible = -3;

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The alphabet a letter belongs to, for telling a letter inside a word from a lone one.
enum class Script { kNone, kLatin, kGreek, kCyrillic, kArmenian, kHebrew, kArabic, kThai };

Script LetterScript(char32_t c) {
  if (IsAsciiLetter(c)) return Script::kLatin;
  if (c < 0xC0) return Script::kNone;
  if ((c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x1E00 && c <= 0x1EFF)) {
    return Script::kLatin;
  }
  if ((c >= 0x370 && c <= 0x3FF) || (c >= 0x1F00 && c <= 0x1FFF)) return Script::kGreek;
  if (c >= 0x400 && c <= 0x52F) return Script::kCyrillic;
  if (c >= 0x531 && c <= 0x587) return Script::kArmenian;
  if (c >= 0x5D0 && c <= 0x5EA) return Script::kHebrew;
  if ((c >= 0x620 && c <= 0x64A) || (c >= 0x671 && c <= 0x6D3)) return Script::kArabic;
  if (c >= 0xE01 && c <= 0xE4E) return Script::kThai;
  return Script::kNone;
}

constexpr char32_t kHanziFirst = 0x4E00;
constexpr char32_t kHanziLast = 0x9FFF;

// 1 for the most common Chinese characters (GB2312's first level, 3755 of them), 2 for its second
// level, 0 for the other unified ideographs. Found once by decoding every pair of those two levels
// (first byte B0..D7 and D8..F7, second byte A1..FE): the codec knows them, so no table of them is
// kept here.
int HanziLevel(char32_t c) {
  static const std::vector<unsigned char> levels = [] {
    std::vector<unsigned char> table(kHanziLast - kHanziFirst + 1, 0);
    constexpr int kRowSize = 0xFE - 0xA1 + 1;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
      std::string row;
      for (int second = 0xA1; second <= 0xFE; ++second) {
        row += static_cast<char>(lead);
        row += static_cast<char>(second);
      }
      // One unit a pair; a pair that does not decode (none should) reads as two escapes, so such
      // a row is taken pair by pair.
      const std::u16string units = ToUtf16(row);
      for (int k = 0; k < kRowSize; ++k) {
        const char16_t unit = units.size() == static_cast<std::size_t>(kRowSize)
                                  ? units[k]
                                  : ToUtf16(std::string_view(row).substr(2 * k, 2))[0];
        if (unit >= kHanziFirst && unit <= kHanziLast) {
          table[unit - kHanziFirst] = lead <= 0xD7 ? 1 : 2;
        }
      }
    }
    return table;
  }();
  return levels[c - kHanziFirst];
}

// How ordinary the character `c` (not ASCII) looks between `before` and `after` (0 at either end
// of the value). What matters is where the two readings of the same bytes differ: GBK text read as
// UTF-8 turns into lone letters of Latin, Cyrillic or other alphabets, controls and rare signs
// ("一" D2 BB reads as the Cyrillic "һ"); UTF-8 text read as GBK turns into rare Chinese
// characters, private-use characters, or common ones glued to Latin letters ("café" reads as
// "caf茅").
int CharacterScore(char32_t c, char32_t before, char32_t after) {
  if (c >= kHanziFirst && c <= kHanziLast) {
    const int level = HanziLevel(c);
    const int score = level == 1 ? kOrdinary : level == 2 ? kFair : kRare;
    return IsAsciiLetter(before) || IsAsciiLetter(after) ? score - 1 : score;
  }
  if (const Script script = LetterScript(c); script != Script::kNone) {
    return LetterScript(before) == script || LetterScript(after) == script ? kOrdinary : kUnusual;
  }
  // Accents written as marks after their letter.
  if (c >= 0x300 && c <= 0x36F) return LetterScript(before) != Script::kNone ? kOrdinary : kRare;
  if (c < 0xA0) return kImplausible;  // controls
  // Latin-1 signs (° ± · « » © ×), general punctuation and currency signs, CJK punctuation,
  // full-width forms and signs, pictographs.
  if (c <= 0xBF || c == 0xD7 || c == 0xF7 || (c >= 0x2010 && c <= 0x205E) ||
      (c >= 0x20A0 && c <= 0x20BF) || (c >= 0x2600 && c <= 0x27BF) ||
      (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF5E) ||
      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F000 && c <= 0x1FAFF)) {
    return kOrdinary;
  }
  // Letter-like signs, arrows, numbers in circles, shapes, kana, enclosed and squared CJK,
  // Hangul syllables.
  if ((c >= 0x2100 && c <= 0x21FF) || (c >= 0x2460 && c <= 0x24FF) ||
      (c >= 0x25A0 && c <= 0x25FF) || (c >= 0x3040 && c <= 0x30FF) ||
      (c >= 0x3200 && c <= 0x33FF) || (c >= 0xAC00 && c <= 0xD7A3)) {
    return kFair;
  }
  // Box drawing.
  if (c >= 0x2500 && c <= 0x257F) return kUnusual;
  // Private use (GBK's user-defined pairs read as it) and noncharacters.
  if ((c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFDD0 && c <= 0xFDEF) ||
      (c >= 0xFFF0 && c <= 0xFFFF) || c >= 0xF0000) {
    return kImplausible;
  }
  return kRare;
}

// One reading of a value's bytes.
struct Reading {
  bool valid = false;  // every byte, a character cut off at the end aside, is part of a character
  bool beyond_ascii = false;  // it holds a character that is not ASCII
  int score = 0;              // CharacterScore summed over those characters
};

Reading Weigh(const std::u32string& text) {
  Reading reading;
  reading.valid = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 0x80) continue;
    reading.beyond_ascii = true;
    reading.score +=
        CharacterScore(text[i], i > 0 ? text[i - 1] : 0, i + 1 < text.size() ? text[i + 1] : 0);
  }
  return reading;
}

// `bytes` without its last UTF-8 character when that one lacks some of its continuation bytes.
std::string_view WithoutCutUtf8Character(std::string_view bytes) {
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return back < length ? bytes.substr(0, bytes.size() - back) : bytes;
  }
  return bytes;
}

// `bytes` without its last GB18030 character when that one lacks some of its bytes: a first byte
// at the very end, or a four-byte character cut after its second or third byte. Which byte starts
// a character is only known walking from the start.
std::string_view WithoutCutGbCharacter(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  const auto is_lead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
  const auto is_digit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
  for (std::size_t i = 0; i < n;) {
    if (!is_lead(s[i])) {
      ++i;
      continue;
    }
    const std::size_t left = n - i;
    if (left == 1) return bytes.substr(0, i);
    const unsigned char second = s[i + 1];
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) {
      i += 2;
    } else if (is_digit(second) && (left == 2 || (left == 3 && is_lead(s[i + 2])))) {
      return bytes.substr(0, i);
    } else if (is_digit(second) && left >= 4 && is_lead(s[i + 2]) && is_digit(s[i + 3])) {
      i += 4;
    } else {
      ++i;  // starts no character: the reading is invalid, which the codec tells
    }
  }
  return bytes;
}

Reading ReadAsUtf8(std::string_view bytes) {
  bytes = WithoutCutUtf8Character(bytes);
  if (!IsValidUtf8(bytes)) return {};
  std::u32string text;
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char lead = s[i];
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) c = (c << 6) | (s[i + k] & 0x3F);
    text += c;
    i += static_cast<std::size_t>(length);
  }
  return Weigh(text);
}

Reading ReadAsGbk(std::string_view bytes) {
  // GBK bytes are internal text as they are. The codec reads a byte that starts no character as a
  // lone low surrogate, and nothing else as one.
  const std::u16string units = ToUtf16(WithoutCutGbCharacter(bytes));
  std::u32string text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      text += 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return {};
    } else {
      text += u;
    }
  }
  return Weigh(text);
}

// What the values seen so far say.
class Evidence {
 public:
  void See(const unsigned char* text, int size) {
    if (text == nullptr || size <= 0) return;
    std::string_view bytes(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
    bytes = bytes.substr(0, kBytesPerValue);
    unsigned char any = 0;
    for (const char c : bytes) any |= static_cast<unsigned char>(c);
    if (any < 0x80) return;
    const Reading utf8 = ReadAsUtf8(bytes);
    const Reading gbk = ReadAsGbk(bytes);
    // A valid reading with nothing beyond ASCII means that the value's other bytes are only a
    // character cut off at its end (by a program that cut the value to a number of bytes, or by
    // the limit above), which says nothing either way.
    if ((utf8.valid && !utf8.beyond_ascii) || (gbk.valid && !gbk.beyond_ascii)) return;
    if (utf8.valid && (!gbk.valid || utf8.score > gbk.score)) {
      ++utf8_;
    } else if (gbk.valid && (!utf8.valid || gbk.score > utf8.score)) {
      ++gbk_;
    }
  }

  // Adds what `other` saw.
  void Add(const Evidence& other) {
    utf8_ += other.utf8_;
    gbk_ += other.gbk_;
  }

  bool Decided() const { return Utf8Wins() ? utf8_ >= kDecisiveValues : gbk_ >= kDecisiveValues; }
  TextMode Mode() const { return Utf8Wins() ? TextMode::kUtf8 : TextMode::kGbk; }

 private:
  bool Utf8Wins() const { return utf8_ > kStrayShare * gbk_; }

  int utf8_ = 0;
  int gbk_ = 0;
};

// The filter the engine runs on every row: 1 when any argument is a text holding a byte of 0x80
// or more, and for every kRowsPerPause-th row whatever it holds. The engine thus passes over ASCII
// rows by itself: that reads a table about twice as fast as handing every row out, and about five
// times as fast as a GLOB with a character class, which the engine matches character by
// character.
void HasNonAsciiText(sqlite3_context* context, int count, sqlite3_value** values) {
  // Per thread rather than per connection, so that the function keeps no pointer that could
  // outlive detection.
  thread_local int rows_passed = 0;
  if (++rows_passed == kRowsPerPause) {
    rows_passed = 0;
    sqlite3_result_int(context, 1);
    return;
  }
  for (int k = 0; k < count; ++k) {
    if (sqlite3_value_type(values[k]) != SQLITE_TEXT) continue;
    const unsigned char* text = sqlite3_value_text(values[k]);
    const int size = sqlite3_value_bytes(values[k]);
    unsigned char any = 0;
    for (int i = 0; i < size; ++i) any |= text[i];  // no early exit: the loop vectorises
    if (any >= 0x80) {
      sqlite3_result_int(context, 1);
      return;
    }
  }
  sqlite3_result_int(context, 0);
}

// The clock time (TickMicroseconds) at which the engine stops the statement it runs: the end of
// the budget; and the connection, whose own keep-going hook may stop it sooner.
struct Limit {
  std::uint64_t until = 0;
  const Engine* engine = nullptr;
};

int OnProgress(void* data) {
  const auto& limit = *static_cast<const Limit*>(data);
  if (TickMicroseconds() >= limit.until) return 1;
  return limit.engine != nullptr && !limit.engine->KeepsGoing() ? 1 : 0;
}

// Gives the connection the filter and the clock check for its life, and takes both away again,
// putting the connection's own keep-going hook back. Taking the filter away fails only while
// another statement of the connection is running; it then stays, which is harmless, since it
// keeps no state.
class ScanHooks {
 public:
  ScanHooks(Engine& engine, Limit* limit) : engine_(engine), db_(engine.get()) {
    filtering_ =
        sqlite3_create_function_v2(db_, kFilterName, -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                                   &HasNonAsciiText, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_progress_handler(db_, kInstructionsPerLook, &OnProgress, limit);
  }
  ~ScanHooks() {
    engine_.RestoreKeepGoing();
    if (filtering_) {
      sqlite3_create_function_v2(db_, kFilterName, -1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
    }
  }
  ScanHooks(const ScanHooks&) = delete;
  ScanHooks& operator=(const ScanHooks&) = delete;

  // False when the filter could not be set (out of memory): the rows are then all handed out.
  bool filtering() const { return filtering_; }

 private:
  Engine& engine_;
  sqlite3* db_;
  bool filtering_ = false;
};

// The columns of table `table` as SELECT * gives them, each ready for SQL; empty when the table
// cannot be read.
std::vector<std::string> ColumnsOf(Engine& engine, const std::string& table) {
  Statement all;
  std::vector<std::string> columns;
  if (all.PrepareBytes(engine, "SELECT * FROM " + QuoteSqlName(table)) != SQLITE_OK || !all) {
    return columns;
  }
  const int count = sqlite3_column_count(all.get());
  for (int c = 0; c < count; ++c) {
    const char* name = sqlite3_column_name(all.get(), c);
    if (name == nullptr) return {};
    columns.push_back(QuoteSqlName(name));
  }
  return columns;
}

// The statement that reads `table`'s rows holding a text beyond ASCII (and a row now and then),
// or all its rows when not `filtering`.
std::string ScanSql(const std::string& table, const std::vector<std::string>& columns,
                    bool filtering) {
  std::string list;
  std::string filter;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const bool first_of_call = c % kColumnsPerCall == 0;
    if (c > 0) list += ", ";
    list += columns[c];
    if (first_of_call) {
      if (c > 0) filter += ") OR ";
      filter += kFilterName;
      filter += '(';
    } else {
      filter += ", ";
    }
    filter += columns[c];
  }
  std::string sql = "SELECT " + list + " FROM " + QuoteSqlName(table);
  if (filtering) sql += " WHERE " + filter + ")";
  return sql;
}

// One table being read: its statement, stepped as far as its shares of time allowed, and what its
// values said so far.
struct TableScan {
  Statement rows;
  Evidence evidence;
  bool done = false;

  // Steps on until the table's end, until the table has settled the matter for itself, or until
  // the clock passes `until` (the table is then put aside, and can go on later from where it
  // stopped). At the end of the budget the engine stops the statement: the table is done.
  void ReadUntil(std::uint64_t until) {
    sqlite3_stmt* s = rows.get();
    const int count = sqlite3_column_count(s);
    while (!evidence.Decided()) {
      if (rows.Step() != SQLITE_ROW) break;
      for (int c = 0; c < count; ++c) {
        if (sqlite3_column_type(s, c) != SQLITE_TEXT) continue;
        evidence.See(sqlite3_column_text(s, c), sqlite3_column_bytes(s, c));
      }
      if (TickMicroseconds() >= until) return;
    }
    done = true;
  }
};

// The end of an equal share, for each of `tables` left, of the time from now to `deadline`; 0
// when the time is up.
std::uint64_t ShareEnd(std::uint64_t deadline, std::size_t tables) {
  const std::uint64_t now = TickMicroseconds();
  return now >= deadline ? 0 : now + (deadline - now) / tables;
}

}  // namespace

bool KeepsTextInUtf16(ZuveviRE& database) {
  return database.GetFileEncoding().rfind("UTF-16", 0) == 0;
}

TextMode DetectTextMode(ZuveviRE& database, std::uint64_t budget_ms) {
  if (!database.IsOpen()) return TextMode::kGbk;
  if (KeepsTextInUtf16(database)) return TextMode::kUtf8;
  Engine& engine = *database.handle();

  const std::uint64_t deadline = TickMicroseconds() + budget_ms * 1000;
  Limit limit{deadline, &engine};
  ScanHooks hooks(engine, &limit);
  Evidence evidence;
  std::vector<std::string> tables;
  {
    // Names and SQL reach the engine and come back byte for byte here.
    Statement catalog;
    if (catalog.PrepareBytes(engine, "SELECT type, name, sql, rootpage FROM sqlite_master") !=
            SQLITE_OK ||
        !catalog) {
      return TextMode::kGbk;
    }
    while (catalog.Step() == SQLITE_ROW) {
      sqlite3_stmt* s = catalog.get();
      for (int c = 1; c <= 2; ++c) {
        evidence.See(sqlite3_column_text(s, c), sqlite3_column_bytes(s, c));
      }
      const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
      const auto* name = sqlite3_column_text(s, 1);
      // A virtual table has no pages of its own (root page 0): its module makes its rows.
      if (type != nullptr && std::string_view(type) == "table" && name != nullptr &&
          sqlite3_column_int64(s, 3) != 0) {
        tables.emplace_back(reinterpret_cast<const char*>(name),
                            static_cast<std::size_t>(sqlite3_column_bytes(s, 1)));
      }
    }
  }

  // Each table in the catalog's order gets an equal share of the time left, so that a huge table
  // does not keep the others unread. The tables their share did not finish are then taken up
  // again, from where they stopped, with the time the others left unused.
  std::vector<TableScan> aside;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const std::uint64_t share_end = ShareEnd(deadline, tables.size() - t);
    if (share_end == 0) break;
    const std::vector<std::string> columns = ColumnsOf(engine, tables[t]);
    TableScan table;
    // A table the engine cannot read (its definition refers to something missing) says nothing.
    if (columns.empty() ||
        table.rows.PrepareBytes(engine, ScanSql(tables[t], columns, hooks.filtering())) !=
            SQLITE_OK ||
        !table.rows) {
      continue;
    }
    table.ReadUntil(share_end);
    // A table that has settled the matter for itself is not read on: the next one is read all
    // the same, since a database whose first table is UTF-8 and whose second is GBK is a mix.
    if (table.done || aside.size() == kTablesAside) {
      evidence.Add(table.evidence);
    } else {
      aside.push_back(std::move(table));
    }
  }
  while (!aside.empty()) {
    for (std::size_t t = 0; t < aside.size();) {
      const std::uint64_t share_end = ShareEnd(deadline, aside.size() - t);
      if (share_end != 0) aside[t].ReadUntil(share_end);
      if (share_end == 0 || aside[t].done) {
        evidence.Add(aside[t].evidence);
        aside.erase(aside.begin() + static_cast<std::ptrdiff_t>(t));
      } else {
        ++t;
      }
    }
  }
  return evidence.Mode();
}

}  // namespace torvane
