#pragma once

// Text rules on internal text. Internal text is a std::string of GB18030 bytes (a superset of GBK).
// A byte of 0x80 or more starts a two-byte unit whose second byte is never looked at on its own;
// a GB18030 four-byte character is simply two such units. Lengths and positions count bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace torvane {

// Length of `text` in bytes (a two-byte character counts 2).
int TextLength(std::string_view text);

// Copy of `text` with ASCII a-z turned into capitals; the second byte of every two-byte unit is
// left untouched, so a trail byte that happens to be a lower-case letter stays as it is.
std::string ToUpperAscii(std::string_view text);

// The comparison rule: equal after ToUpperAscii of both sides, compared bytewise.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// 1-based position of `needle` in `text`, searching at or after the 1-based `start` (values below 1
// count as 1), optionally ignoring ASCII letter case. A match never begins on the second byte of a
// two-byte unit. -1 when not found or when `needle` is empty.
int FindText(std::string_view text, std::string_view needle, int start = 1,
             bool ignore_case = false);

// The first / last `n` bytes of `text`: all of it when n exceeds the length, "" when n <= 0.
std::string LeftPart(std::string_view text, int n);
std::string RightPart(std::string_view text, int n);

// The longest start of `text` of at most `max_bytes` bytes that ends between characters: never
// inside a two-byte unit, nor between the two units of a GB18030 four-byte character (a unit whose
// second byte is a digit begins one). "" when max_bytes <= 0.
std::string TextPrefix(std::string_view text, int max_bytes);

// `text` without blanks (0x20) and full-width blanks (A1 A1) at both ends.
std::string TrimBlanks(std::string_view text);

// Where the leading decimal number of `text` lies: after white space, a sign, digits with at most
// one point, and an exponent when digits follow its letter. No hexadecimal, "inf" or "nan". The one
// reading of a text's number for the grid's number columns, the field panel and the conversions.
struct NumberSpan {
  std::size_t begin = 0;  // its sign or first digit
  std::size_t end = 0;    // one past it; begin == end when the text has no number
  bool integral = false;  // an optional sign and digits, without a point or an exponent
};
NumberSpan LeadingNumber(std::string_view text);

// The leading number of `text` (LeadingNumber) as a double, as atof reads it in the C locale; 0
// when there is none.
double ToNumber(std::string_view text);

// An integer in decimal.
std::string IntToText(std::int64_t value);
// A double as printf's "%.13g" writes it in the C locale (3 -> "3", 0.1 -> "0.1", 1e20 -> "1e+20").
std::string DoubleToText(double value);

// The bytes of `text`, without a terminating zero.
Bytes TextToBytes(std::string_view text);
// The bytes up to the first zero byte, or all of them when there is none.
std::string BytesToText(const Bytes& bytes);

// `text` cut at every CR LF that does not start on the second byte of a two-byte unit. A separator
// at the very end adds no empty line; "" gives an empty list.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace torvane
