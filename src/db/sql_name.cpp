#include "db/sql_name.h"

#include <sqlite3.h>

namespace torvane {
namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsPlainSqlName(std::string_view name) {
  if (name.empty() || IsAsciiDigit(static_cast<unsigned char>(name.front()))) return false;
  // Where a token starts, the engine skips a UTF-8 byte-order mark as a blank: unquoted, a name
  // that starts with one would name the table without it.
  if (name.starts_with("\xEF\xBB\xBF")) return false;
  // Byte by byte on purpose: the engine's tokenizer reads bytes, so the trail byte of a two-byte
  // character that happens to be "[" or "\" ends an unquoted name there.
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_' && c < 0x80) return false;
  }
  // The engine's own keyword list, matched without regard to ASCII letter case.
  return sqlite3_keyword_check(name.data(), static_cast<int>(name.size())) == 0;
}

std::string QuoteSqlName(std::string_view name) {
  if (IsPlainSqlName(name)) return std::string(name);
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted += '"';
  for (const char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string EscapeSqlText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '\'') escaped += '\'';
    escaped += c;
  }
  return escaped;
}

}  // namespace torvane
