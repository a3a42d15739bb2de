#include "support/hex.h"

namespace torvane::testing {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// `value`'s lowest `digits` hex digits appended to `out`, most significant first.
void AppendDigits(std::string& out, unsigned value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

}  // namespace

std::string Hex(std::string_view bytes) {
  std::string hex;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) hex += ' ';
    AppendDigits(hex, static_cast<unsigned char>(bytes[i]), 2);
  }
  return hex;
}

std::string Hex(std::u16string_view units) {
  std::string hex;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i > 0) hex += ' ';
    AppendDigits(hex, units[i], 4);
  }
  return hex;
}

}  // namespace torvane::testing
