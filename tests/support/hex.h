#pragma once

// Bytes and code units written out in hexadecimal, for naming a failing case in a test's message
// and for blob literals in SQL. Works on any bytes, whatever their encoding.

#include <string>
#include <string_view>

namespace torvane::testing {

// Each byte as two upper-case hex digits, a blank between them: Hex("\xD6\xD0") is "D6 D0", and
// Hex("\n") is "0A", the digits of the blob literal x'0A'.
std::string Hex(std::string_view bytes);
// Each UTF-16 code unit as four upper-case hex digits, a blank between them.
std::string Hex(std::u16string_view units);

}  // namespace torvane::testing
