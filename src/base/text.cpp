#include "base/text.h"

#include <locale.h>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>

namespace torvane {
namespace {

// Length of the unit starting at `i`: 2 for a lead byte with a byte after it, else 1.
inline std::size_t UnitLength(std::string_view text, std::size_t i) {
  return (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
}

inline bool IsFullWidthBlank(std::string_view text, std::size_t i, std::size_t len) {
  return len == 2 && static_cast<unsigned char>(text[i]) == 0xA1 &&
         static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

}  // namespace

int TextLength(std::string_view text) { return static_cast<int>(text.size()); }

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = UnitLength(out, i);
    if (len == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    i += len;
  }
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return ToUpperAscii(a) == ToUpperAscii(b);
}

int FindText(std::string_view text, std::string_view needle, int start, bool ignore_case) {
  if (needle.empty() || needle.size() > text.size()) return -1;
  std::string folded_text, folded_needle;
  if (ignore_case) {
    folded_text = ToUpperAscii(text);
    folded_needle = ToUpperAscii(needle);
    text = folded_text;
    needle = folded_needle;
  }
  const std::size_t first = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  for (std::size_t i = 0; i + needle.size() <= text.size(); i += UnitLength(text, i)) {
    if (i >= first && text.compare(i, needle.size(), needle) == 0) return static_cast<int>(i + 1);
  }
  return -1;
}

std::string LeftPart(std::string_view text, int n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RightPart(std::string_view text, int n) {
  if (n <= 0) return {};
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(n));
  return std::string(text.substr(text.size() - count));
}

std::string TextPrefix(std::string_view text, int max_bytes) {
  if (max_bytes <= 0) return {};
  const auto limit = static_cast<std::size_t>(max_bytes);
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t len = UnitLength(text, end);
    // Cutting a four-byte character after its first unit would leave two bytes that decode to
    // nothing: it goes whole or not at all.
    if (len == 2 && text[end + 1] >= '0' && text[end + 1] <= '9' && end + 2 < text.size()) {
      len = std::min<std::size_t>(4, text.size() - end);
    }
    if (end + len > limit) break;
    end += len;
  }
  return std::string(text.substr(0, end));
}

std::string TrimBlanks(std::string_view text) {
  // Walk the units from the left so that a trailing A1 A1 is only trimmed when it really is one
  // character, never the second byte of one character plus the first of the next.
  std::size_t begin = 0, end = 0;
  bool seen_content = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = UnitLength(text, i);
    const bool blank = (len == 1 && text[i] == ' ') || IsFullWidthBlank(text, i, len);
    if (!blank) {
      if (!seen_content) begin = i;
      seen_content = true;
      end = i + len;
    }
    i += len;
  }
  if (!seen_content) return {};
  return std::string(text.substr(begin, end - begin));
}

NumberSpan LeadingNumber(std::string_view text) {
  NumberSpan span;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  span.begin = i;
  span.end = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  span.integral = digits > 0;
  if (i < text.size() && text[i] == '.') {
    span.integral = false;
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) {
    span.integral = false;
    return span;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
      i = j;
      span.integral = false;
    }
  }
  span.end = i;
  return span;
}

double ToNumber(std::string_view text) {
  // Converted in the C locale whatever the process locale is (the widget toolkit sets it from the
  // environment, which could make "1.5" read as 1).
  const NumberSpan span = LeadingNumber(text);
  if (span.begin == span.end) return 0;
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string number(text.substr(span.begin, span.end - span.begin));
  return strtod_l(number.c_str(), nullptr, c_locale);
}

std::string IntToText(std::int64_t value) { return std::to_string(value); }

std::string DoubleToText(double value) {
  // to_chars with general format and a precision behaves as printf's "%.13g" in the C locale.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  return std::string(buffer, result.ptr);
}

Bytes TextToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string BytesToText(const Bytes& bytes) {
  std::size_t n = 0;
  while (n < bytes.size() && bytes[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(bytes.data()), n);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      lines.emplace_back(text.substr(line_start, i - line_start));
      i += 2;
      line_start = i;
      continue;
    }
    i += UnitLength(text, i);
  }
  if (line_start < text.size()) lines.emplace_back(text.substr(line_start));
  return lines;
}

}  // namespace torvane
