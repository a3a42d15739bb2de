// Writes a copy of a C++ source in which every narrow string and character literal holds internal
// text (GB18030) the way GCC's -fexec-charset=GB18030 compiles it, spelled as escapes, so that a
// compiler without that option (clang) compiles the Qt-free layers to the same bytes.
//
// Usage: internal_literals <source> <copy>
//
// What changes, and only in a narrow literal ("...", '...', R"(...)" without an encoding prefix):
// a run of characters beyond ASCII, and a universal character name (\u4E2D, \U0001F600), become
// the GB18030 bytes of those characters, each as a three-digit octal escape (\326\320). Octal
// rather than hex: a hex escape would swallow a hex digit that follows it in the literal ("中A"),
// and an octal escape ends after three digits whatever follows. Every byte of a character is
// escaped, so a trail byte that is "\" (0x5C) or a digit never stands in the text by itself. A raw
// literal holding such characters becomes ordinary literals, one a source line, which the compiler
// joins again. Everything else is copied byte for byte: comments, u8/u/U/L literals (their
// encoding is not the execution character set), #include lines, and existing escapes, which GCC
// does not convert either. The copy starts with a #line directive naming the source, so that
// diagnostics, __FILE__ and a sanitizer's report point at the source, not at the copy.
//
// One difference remains, by the nature of a copy: a macro that turns its argument into text (#x,
// as assert and the test macros do for their messages) shows the escapes where GCC shows the
// characters. Only such messages differ, never a literal's bytes.
//
// The conversion is glibc's iconv from UTF-8 to GB18030, the one GCC itself uses for the option.
// A literal that is not valid UTF-8, or a character GB18030 cannot write, fails the copy, as it
// fails GCC. The copy is written only when its text changed, so an unchanged copy is not
// compiled again.

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

bool IsAscii(unsigned char c) { return c < 0x80; }
bool IsIdentifierStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsIdentifierByte(unsigned char c) { return IsIdentifierStart(c) || IsDigit(c); }

class Rewriter {
 public:
  Rewriter(std::string_view source, std::string shown_name)
      : s_(source), shown_name_(std::move(shown_name)) {
    to_gb18030_ = iconv_open("GB18030", "UTF-8");
  }
  ~Rewriter() {
    if (to_gb18030_ != reinterpret_cast<iconv_t>(-1)) iconv_close(to_gb18030_);
  }
  Rewriter(const Rewriter&) = delete;
  Rewriter& operator=(const Rewriter&) = delete;

  // The copy's text; false with `error_` set when a literal cannot be converted.
  bool Run(std::string& out);
  const std::string& error() const { return error_; }

 private:
  unsigned char At(std::size_t i) const {
    return i < s_.size() ? static_cast<unsigned char>(s_[i]) : 0;
  }
  std::size_t Line(std::size_t at) const {
    std::size_t line = 1;
    for (std::size_t i = 0; i < at && i < s_.size(); ++i) line += s_[i] == '\n';
    return line;
  }
  bool Fail(std::size_t at, const std::string& what) {
    error_ = shown_name_ + ":" + std::to_string(Line(at)) + ": " + what;
    return false;
  }

  // Appends the GB18030 bytes of the UTF-8 `text` as octal escapes.
  bool AppendEscaped(std::string_view text, std::size_t at, std::string& out);
  // Appends a UTF-8 encoding of `code_point`.
  static void AppendUtf8(char32_t code_point, std::string& utf8);

  std::size_t CopyLineComment(std::size_t i, std::string& out);
  std::size_t CopyBlockComment(std::size_t i, std::string& out);
  // Copies a literal opening at `i` (its quote) unchanged; returns the index after it.
  std::size_t CopyQuoted(std::size_t i, std::string& out);
  std::size_t CopyRaw(std::size_t i, std::string& out, bool convert);
  // A narrow literal opening at `i` (its quote), converted; npos on failure.
  std::size_t ConvertQuoted(std::size_t i, std::string& out);

  static constexpr std::size_t kFailed = std::string_view::npos;

  std::string_view s_;
  std::string shown_name_;
  iconv_t to_gb18030_;
  std::string error_;
  bool in_directive_ = false;
};

void Rewriter::AppendUtf8(char32_t c, std::string& utf8) {
  if (c < 0x80) {
    utf8 += static_cast<char>(c);
  } else if (c < 0x800) {
    utf8 += static_cast<char>(0xC0 | (c >> 6));
    utf8 += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (c >> 12));
    utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (c >> 18));
    utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool Rewriter::AppendEscaped(std::string_view text, std::size_t at, std::string& out) {
  if (to_gb18030_ == reinterpret_cast<iconv_t>(-1)) {
    return Fail(at, "this system's iconv has no GB18030 converter");
  }
  std::string converted(text.size() * 4 + 4, '\0');
  iconv(to_gb18030_, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(text.data());
  std::size_t src_left = text.size();
  char* dst = converted.data();
  std::size_t dst_left = converted.size();
  if (iconv(to_gb18030_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1) ||
      src_left != 0) {
    return Fail(at, "a literal holds text that is not UTF-8 or has no GB18030 spelling");
  }
  converted.resize(converted.size() - dst_left);
  for (const char byte : converted) {
    const auto b = static_cast<unsigned char>(byte);
    out += '\\';
    out += static_cast<char>('0' + (b >> 6));
    out += static_cast<char>('0' + ((b >> 3) & 7));
    out += static_cast<char>('0' + (b & 7));
  }
  return true;
}

std::size_t Rewriter::CopyLineComment(std::size_t i, std::string& out) {
  const std::size_t start = i;
  // A backslash at the end of the line carries the comment onto the next one.
  while (i < s_.size() && !(s_[i] == '\n' && s_[i - 1] != '\\')) ++i;
  out.append(s_.substr(start, i - start));
  return i;
}

std::size_t Rewriter::CopyBlockComment(std::size_t i, std::string& out) {
  const std::size_t end = s_.find("*/", i + 2);
  const std::size_t stop = end == std::string_view::npos ? s_.size() : end + 2;
  out.append(s_.substr(i, stop - i));
  return stop;
}

std::size_t Rewriter::CopyQuoted(std::size_t i, std::string& out) {
  const char quote = s_[i];
  std::size_t j = i + 1;
  while (j < s_.size() && s_[j] != quote && s_[j] != '\n') {
    j += s_[j] == '\\' ? 2 : 1;
  }
  if (j < s_.size() && s_[j] == quote) ++j;
  j = std::min(j, s_.size());
  out.append(s_.substr(i, j - i));
  return j;
}

std::size_t Rewriter::CopyRaw(std::size_t i, std::string& out, bool convert) {
  // R"delim( ... )delim": i is at the quote.
  const std::size_t open = s_.find('(', i + 1);
  if (open == std::string_view::npos || open - i - 1 > 16) return CopyQuoted(i, out);
  const std::string closing = ")" + std::string(s_.substr(i + 1, open - i - 1)) + "\"";
  const std::size_t close = s_.find(closing, open + 1);
  if (close == std::string_view::npos) return CopyQuoted(i, out);
  const std::size_t end = close + closing.size();
  const std::string_view body = s_.substr(open + 1, close - open - 1);
  bool beyond_ascii = false;
  for (const char c : body) beyond_ascii |= !IsAscii(static_cast<unsigned char>(c));
  if (!convert || !beyond_ascii) {
    out.append(s_.substr(i, end - i));
    return end;
  }
  // The prefix "R" is already written; take it back: the body becomes ordinary literals, one a
  // line, so the lines after it keep their numbers.
  out.pop_back();
  out += '"';
  for (std::size_t k = 0; k < body.size();) {
    const auto c = static_cast<unsigned char>(body[k]);
    if (!IsAscii(c)) {
      std::size_t run = k;
      while (run < body.size() && !IsAscii(static_cast<unsigned char>(body[run]))) ++run;
      if (!AppendEscaped(body.substr(k, run - k), open + 1 + k, out)) return kFailed;
      k = run;
      continue;
    }
    if (c == '\n') {
      out += in_directive_ ? "\\n\" \"" : "\\n\"\n\"";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += '\\';
      out += static_cast<char>('0' + (c >> 6));
      out += static_cast<char>('0' + ((c >> 3) & 7));
      out += static_cast<char>('0' + (c & 7));
    } else {
      out += static_cast<char>(c);
    }
    ++k;
  }
  out += '"';
  return end;
}

std::size_t Rewriter::ConvertQuoted(std::size_t i, std::string& out) {
  const char quote = s_[i];
  out += quote;
  std::size_t j = i + 1;
  while (j < s_.size() && s_[j] != quote && s_[j] != '\n') {
    const auto c = static_cast<unsigned char>(s_[j]);
    if (!IsAscii(c)) {
      std::size_t run = j;
      while (run < s_.size() && !IsAscii(At(run))) ++run;
      if (!AppendEscaped(s_.substr(j, run - j), j, out)) return kFailed;
      j = run;
      continue;
    }
    if (c != '\\') {
      out += static_cast<char>(c);
      ++j;
      continue;
    }
    // A universal character name is converted as its character is; every other escape stands
    // for the bytes it spells already.
    const unsigned char kind = At(j + 1);
    const std::size_t digits = kind == 'u' ? 4 : kind == 'U' ? 8 : 0;
    bool ucn = digits > 0;
    for (std::size_t k = 0; ucn && k < digits; ++k) ucn = IsHexDigit(At(j + 2 + k));
    if (ucn) {
      char32_t code_point = 0;
      for (std::size_t k = 0; k < digits; ++k) {
        const unsigned char d = At(j + 2 + k);
        code_point = code_point * 16 + (IsDigit(d) ? d - '0' : (d | 0x20) - 'a' + 10);
      }
      if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
        return Fail(j, "a universal character name names no character"), kFailed;
      }
      std::string utf8;
      AppendUtf8(code_point, utf8);
      if (!AppendEscaped(utf8, j, out)) return kFailed;
      j += 2 + digits;
      continue;
    }
    out += '\\';
    if (j + 1 < s_.size()) out += s_[j + 1];
    j += 2;
  }
  if (j < s_.size() && s_[j] == quote) {
    out += quote;
    ++j;
  }
  return std::min(j, s_.size());
}

bool Rewriter::Run(std::string& out) {
  out.clear();
  out.reserve(s_.size() + s_.size() / 4 + 64);
  out += "#line 1 \"";
  for (const char c : shown_name_) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += "\"\n";

  bool line_start = true;  // only blanks since the last line break
  for (std::size_t i = 0; i < s_.size();) {
    const unsigned char c = At(i);
    if (c == '\n') {
      // A directive ends at a line break that no backslash continues.
      if (i == 0 || s_[i - 1] != '\\') in_directive_ = false;
      line_start = true;
      out += '\n';
      ++i;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c == '#' && line_start) {
      line_start = false;
      in_directive_ = true;
      std::size_t j = i + 1;
      while (At(j) == ' ' || At(j) == '\t') ++j;
      std::size_t name_end = j;
      while (IsIdentifierByte(At(name_end))) ++name_end;
      const std::string_view name = s_.substr(j, name_end - j);
      if (name == "include" || name == "include_next" || name == "import" || name == "embed") {
        // A header name is not a literal: its bytes name a file.
        std::size_t end = s_.find('\n', i);
        if (end == std::string_view::npos) end = s_.size();
        out.append(s_.substr(i, end - i));
        i = end;
        continue;
      }
      out.append(s_.substr(i, name_end - i));
      i = name_end;
      continue;
    }
    line_start = false;
    if (c == '/' && At(i + 1) == '/') {
      i = CopyLineComment(i, out);
      continue;
    }
    if (c == '/' && At(i + 1) == '*') {
      i = CopyBlockComment(i, out);
      continue;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(At(i + 1)))) {
      // A number, with its digit separators ('), exponent signs and suffixes.
      std::size_t j = i + 1;
      for (;;) {
        const unsigned char d = At(j);
        if ((d == '+' || d == '-') && (At(j - 1) | 0x20) == 'e') {
          ++j;
        } else if ((d == '+' || d == '-') && (At(j - 1) | 0x20) == 'p') {
          ++j;
        } else if (d == '\'' && IsIdentifierByte(At(j + 1))) {
          j += 2;
        } else if (IsIdentifierByte(d) || d == '.') {
          ++j;
        } else {
          break;
        }
      }
      out.append(s_.substr(i, j - i));
      i = j;
      continue;
    }
    if (IsIdentifierStart(c)) {
      std::size_t j = i + 1;
      while (IsIdentifierByte(At(j))) ++j;
      const std::string_view word = s_.substr(i, j - i);
      out.append(word);
      i = j;
      const unsigned char next = At(i);
      const bool raw =
          !word.empty() && word.back() == 'R' &&
          (word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR");
      if (raw && next == '"') {
        i = CopyRaw(i, out, word == "R");
        if (i == kFailed) return false;
      } else if ((word == "u8" || word == "u" || word == "U" || word == "L") &&
                 (next == '"' || next == '\'')) {
        i = CopyQuoted(i, out);
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      i = ConvertQuoted(i, out);
      if (i == kFailed) return false;
      continue;
    }
    out += static_cast<char>(c);
    ++i;
  }
  return true;
}

bool ReadWhole(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: internal_literals <source> <copy>\n");
    return 2;
  }
  std::string source;
  if (!ReadWhole(argv[1], source)) {
    std::fprintf(stderr, "internal_literals: cannot read %s\n", argv[1]);
    return 1;
  }
  Rewriter rewriter(source, argv[1]);
  std::string copy;
  if (!rewriter.Run(copy)) {
    std::fprintf(stderr, "internal_literals: %s\n", rewriter.error().c_str());
    return 1;
  }
  std::string existing;
  if (ReadWhole(argv[2], existing) && existing == copy) return 0;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << copy;
  out.close();
  if (!out) {
    std::fprintf(stderr, "internal_literals: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
