#include "base/codec.h"

#include <iconv.h>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace torvane {
namespace {

constexpr char16_t kEuro = 0x20AC;
constexpr char kEuroByte = '\x80';
constexpr char kGbReplacement[] = "\x84\x31\xA4\x37";  // U+FFFD in GB18030
constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";
constexpr char16_t kEscapeBase = 0xDC00;
// Foreign bytes 0x80..0xFF read as the units kEscapeBase + 0x00..0x7F.
constexpr int kForeignBytes = 128;

// iconv's name of UTF-16 in this machine's byte order (no byte-order mark).
constexpr const char* kUtf16Name =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// The most bytes handed to iconv at once: it bounds the buffer that checks a run, and the work done
// again character by character when a run holds a character that does not come back.
constexpr std::size_t kRunLimit = 256;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsEscape(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }
bool IsForeignUnit(char16_t u) { return u >= kEscapeBase && u < kEscapeBase + kForeignBytes; }

// The internal spelling of foreign byte 0x80 + k: 84 31 (A5 + k / 10) (30 + k % 10), inside the
// four-byte range GB18030 assigns to nothing (its basic plane ends at 84 31 A4 39).
void AppendForeignByte(unsigned char byte, std::string& out) {
  const int k = byte - 0x80;
  out += '\x84';
  out += '\x31';
  out += static_cast<char>(0xA5 + k / 10);
  out += static_cast<char>(0x30 + k % 10);
}

// The foreign byte whose spelling starts at `s` (a four-byte sequence), or -1.
int ForeignByteAt(const unsigned char* s, int length) {
  if (length != 4 || s[0] != 0x84 || s[1] != 0x31 || s[2] < 0xA5 || s[2] > 0xB1) return -1;
  const int k = (s[2] - 0xA5) * 10 + (s[3] - 0x30);
  return k < kForeignBytes ? 0x80 + k : -1;
}

// The unit a byte travels as when it starts no character: ASCII stays itself.
char16_t Escape(unsigned char byte) {
  return byte < 0x80 ? byte : static_cast<char16_t>(kEscapeBase + byte);
}

// Length of the GB18030 character that starts at `s` (`left` bytes remain): 1, 2 or 4; 0 when the
// byte there starts none (0x80, 0xFF, a lead byte without a fitting second byte or cut off).
int SequenceLength(const unsigned char* s, std::size_t left) {
  const unsigned char lead = s[0];
  if (lead < 0x80) return 1;
  if (lead == 0x80 || lead == 0xFF || left < 2) return 0;
  const unsigned char second = s[1];
  if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) return 2;
  if (second >= 0x30 && second <= 0x39 && left >= 4 && s[2] >= 0x81 && s[2] <= 0xFE &&
      s[3] >= 0x30 && s[3] <= 0x39) {
    return 4;
  }
  return 0;
}

// GB18030's euro sign. The euro sign is written as the single byte 0x80, so these two bytes must
// not read as it too.
bool IsGbEuro(const unsigned char* s, int length) {
  return length == 2 && s[0] == 0xA2 && s[1] == 0xE3;
}

bool AllAscii(const unsigned char* s, std::size_t n) {
  unsigned char any = 0;
  for (std::size_t i = 0; i < n; ++i) any |= s[i];  // no early exit: the loop vectorises
  return any < 0x80;
}

bool AllAscii(const char16_t* s, std::size_t n) {
  char16_t any = 0;
  for (std::size_t i = 0; i < n; ++i) any |= s[i];
  return any < 0x80;
}

// The two glibc iconv descriptors between GB18030 and UTF-16, opened once per thread and reused.
// Without them (no GB18030 module installed) every byte of a two- or four-byte character reads as
// an escape and every such character typed is written as U+FFFD: still lossless for text that was
// read from bytes.
class Gb18030 {
 public:
  Gb18030()
      : decoder_(iconv_open(kUtf16Name, "GB18030")), encoder_(iconv_open("GB18030", kUtf16Name)) {}
  ~Gb18030() {
    if (decoder_ != kNone) iconv_close(decoder_);
    if (encoder_ != kNone) iconv_close(encoder_);
  }
  Gb18030(const Gb18030&) = delete;
  Gb18030& operator=(const Gb18030&) = delete;

  // Decodes `run`, whole characters of at most kRunLimit bytes, into `out` (room for run.size()
  // units). Returns the number of units, or 0 when some character of the run does not decode, or
  // decodes to a character whose own spelling is other bytes (iconv reads a few four-byte
  // sequences as characters that it writes in two bytes): such a character would not come back.
  std::size_t DecodeExactly(std::string_view run, char16_t* out) {
    if (decoder_ == kNone || encoder_ == kNone || run.empty() || run.size() > kRunLimit) return 0;
    iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(run.data());
    std::size_t src_left = run.size();
    char* dst = reinterpret_cast<char*>(out);
    std::size_t dst_left = run.size() * sizeof(char16_t);
    if (iconv(decoder_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1) ||
        src_left != 0) {
      return 0;
    }
    const std::size_t units = static_cast<std::size_t>(dst - reinterpret_cast<char*>(out)) / 2;

    // Written back, the units must give exactly the run; room for exactly run.size() bytes
    // makes a longer spelling fail with E2BIG.
    char back[kRunLimit];
    iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
    src = reinterpret_cast<char*>(out);
    src_left = units * sizeof(char16_t);
    dst = back;
    dst_left = run.size();
    if (iconv(encoder_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1) ||
        src_left != 0 || dst_left != 0 || std::memcmp(back, run.data(), run.size()) != 0) {
      return 0;
    }
    return units;
  }

  // Appends the GB18030 spelling of `run` (characters and surrogate pairs, no lone surrogate) to
  // `out`; a character GB18030 has no spelling for becomes U+FFFD.
  void Encode(std::u16string_view run, std::string& out) {
    const std::size_t start = out.size();
    // Four bytes per unit is enough: no character, nor the replacement, is longer.
    out.resize(start + run.size() * 4);
    char* dst = out.data() + start;
    std::size_t dst_left = run.size() * 4;
    const char16_t* unit = run.data();
    const char16_t* const end = run.data() + run.size();
    if (encoder_ != kNone) iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
    while (unit < end) {
      if (encoder_ != kNone) {
        char* src = reinterpret_cast<char*>(const_cast<char16_t*>(unit));
        std::size_t src_left = static_cast<std::size_t>(end - unit) * sizeof(char16_t);
        const std::size_t rc = iconv(encoder_, &src, &src_left, &dst, &dst_left);
        unit = reinterpret_cast<const char16_t*>(src);
        if (rc != static_cast<std::size_t>(-1) || unit == end) break;
        if (errno == E2BIG) {
          // Not expected with four bytes a unit, but never write past the room.
          const std::size_t used = static_cast<std::size_t>(dst - out.data());
          out.resize(out.size() + 4 * static_cast<std::size_t>(end - unit) + 4);
          dst = out.data() + used;
          dst_left = out.size() - used;
          continue;
        }
        iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
      }
      // A character GB18030 cannot write (or no descriptor): U+FFFD, and go on after it.
      std::memcpy(dst, kGbReplacement, 4);
      dst += 4;
      dst_left -= 4;
      unit += (IsHighSurrogate(*unit) && unit + 1 < end) ? 2 : 1;
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  iconv_t decoder_;
  iconv_t encoder_;
};

Gb18030& Codec() {
  static thread_local Gb18030 codec;
  return codec;
}

// Decodes `run` (whole characters, none of them A2 E3) into `out`, at most one unit per byte.
std::size_t DecodeRun(const unsigned char* run, std::size_t n, char16_t* out) {
  Gb18030& codec = Codec();
  const auto view = [](const unsigned char* s, std::size_t length) {
    return std::string_view(reinterpret_cast<const char*>(s), length);
  };
  if (std::size_t units = codec.DecodeExactly(view(run, n), out)) return units;
  // Some character does not come back: take the run one character at a time, so that only the
  // bytes of that character become escapes.
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    const int length = SequenceLength(run + i, n - i);
    const std::size_t units =
        length > 1
            ? codec.DecodeExactly(view(run + i, static_cast<std::size_t>(length)), out + written)
            : 0;
    if (units > 0) {
      written += units;
    } else {
      // Each byte of the character on its own: its trailing digits stay ASCII, and the next
      // character starts where this one ended, as it would for a reader that knows it.
      for (int b = 0; b < length; ++b) out[written++] = Escape(run[i + b]);
    }
    i += static_cast<std::size_t>(length);
  }
  return written;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence at `s` (`left` bytes remain), 0 when there is none:
// overlong forms, surrogates and values past U+10FFFF are not UTF-8.
int Utf8Length(const unsigned char* s, std::size_t left) {
  const unsigned char lead = s[0];
  if (lead < 0x80) return 1;
  auto tail = [&](std::size_t at, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return at < left && s[at] >= low && s[at] <= high;
  };
  if (lead >= 0xC2 && lead <= 0xDF) return tail(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
    return tail(1, low, high) && tail(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return tail(1, low, high) && tail(2) && tail(3) ? 4 : 0;
  }
  return 0;
}

// True for the few private-use characters GB18030 (as glibc has it) has no spelling for. Found
// once by asking the encoder about every private-use character.
bool IsUnwritablePrivateUse(char16_t c) {
  constexpr char16_t kFirst = 0xE000, kLast = 0xF8FF;
  if (c < kFirst || c > kLast) return false;
  static const std::vector<bool> unwritable = [] {
    std::vector<bool> list(kLast - kFirst + 1);
    std::string spelling;
    for (char16_t u = kFirst; u <= kLast; ++u) {
      spelling.clear();
      Codec().Encode(std::u16string_view(&u, 1), spelling);
      list[u - kFirst] = spelling == kGbReplacement;
    }
    return list;
  }();
  return unwritable[c - kFirst];
}

}  // namespace

std::size_t ToUtf16(std::string_view internal, char16_t* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(internal.data());
  const std::size_t n = internal.size();
  if (AllAscii(s, n)) {
    for (std::size_t i = 0; i < n; ++i) out[i] = s[i];
    return n;
  }
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    const unsigned char byte = s[i];
    if (byte < 0x80) {
      out[written++] = byte;
      ++i;
      continue;
    }
    const int length = SequenceLength(s + i, n - i);
    if (length == 0) {
      out[written++] = byte == 0x80 ? kEuro : Escape(byte);
      ++i;
      continue;
    }
    if (IsGbEuro(s + i, length)) {
      out[written++] = Escape(s[i]);
      out[written++] = Escape(s[i + 1]);
      i += 2;
      continue;
    }
    if (const int foreign = ForeignByteAt(s + i, length); foreign >= 0) {
      out[written++] = static_cast<char16_t>(kEscapeBase + foreign - 0x80);
      i += 4;
      continue;
    }
    // Whole characters, and the ASCII between them, go to iconv together, up to the next byte
    // that needs a rule of its own.
    std::size_t end = i + static_cast<std::size_t>(length);
    while (end < n) {
      const int next = SequenceLength(s + end, n - end);
      if (next == 0 || IsGbEuro(s + end, next) || ForeignByteAt(s + end, next) >= 0 ||
          end + next - i > kRunLimit) {
        break;
      }
      end += static_cast<std::size_t>(next);
    }
    written += DecodeRun(s + i, end - i, out + written);
    i = end;
  }
  return written;
}

std::u16string ToUtf16(std::string_view internal) {
  std::u16string text(internal.size(), u'\0');
  text.resize(ToUtf16(internal, text.data()));
  return text;
}

std::string FromUtf16(std::u16string_view text) {
  const std::size_t n = text.size();
  if (AllAscii(text.data(), n)) {
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(text[i]);
    return out;
  }
  std::string out;
  out.reserve(n * 2);
  for (std::size_t i = 0; i < n;) {
    const char16_t unit = text[i];
    const bool pair = IsHighSurrogate(unit) && i + 1 < n && IsLowSurrogate(text[i + 1]);
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      ++i;
    } else if (unit == kEuro) {
      out += kEuroByte;
      ++i;
    } else if (IsEscape(unit)) {
      out += static_cast<char>(unit - kEscapeBase);
      ++i;
    } else if (IsForeignUnit(unit)) {
      AppendForeignByte(static_cast<unsigned char>(0x80 + unit - kEscapeBase), out);
      ++i;
    } else if (IsHighSurrogate(unit) && !pair) {
      out += kGbReplacement;
      ++i;
    } else if (IsLowSurrogate(unit)) {
      out += kGbReplacement;  // unpaired, and outside both kinds of escape
      ++i;
    } else {
      // Characters and pairs up to the next unit with a rule of its own go to iconv together.
      std::size_t end = i + (pair ? 2 : 1);
      while (end < n) {
        const char16_t next = text[end];
        if (next == kEuro || IsLowSurrogate(next)) break;
        if (IsHighSurrogate(next)) {
          if (end + 1 < n && IsLowSurrogate(text[end + 1])) {
            end += 2;
            continue;
          }
          break;
        }
        ++end;
      }
      Codec().Encode(text.substr(i, end - i), out);
      i = end;
    }
  }
  return out;
}

std::string ToUtf8(std::string_view internal) {
  if (AllAscii(reinterpret_cast<const unsigned char*>(internal.data()), internal.size())) {
    return std::string(internal);
  }
  const std::u16string text = ToUtf16(internal);
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (IsEscape(unit)) {
      out += static_cast<char>(unit - kEscapeBase);
    } else if (IsForeignUnit(unit)) {
      out += static_cast<char>(0x80 + unit - kEscapeBase);
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      out += kUtf8Replacement;  // ToUtf16 gives no other lone surrogate
    } else {
      AppendUtf8(unit, out);
    }
  }
  return out;
}

std::string FromUtf8(std::string_view utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  if (AllAscii(s, n)) return std::string(utf8);
  std::u16string text;
  text.reserve(n);
  auto foreign = [&text](unsigned char byte) {
    text += static_cast<char16_t>(kEscapeBase + byte - 0x80);
  };
  for (std::size_t i = 0; i < n;) {
    const int length = Utf8Length(s + i, n - i);
    if (length == 0) {
      foreign(s[i]);  // one for each byte that is not UTF-8
      ++i;
      continue;
    }
    char32_t c = length == 1 ? s[i] : s[i] & (0x7F >> length);
    for (int k = 1; k < length; ++k) c = (c << 6) | (s[i + k] & 0x3F);
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else if (IsUnwritablePrivateUse(static_cast<char16_t>(c))) {
      for (int k = 0; k < length; ++k) foreign(s[i + k]);
    } else {
      text += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(length);
  }
  return FromUtf16(text);
}

bool IsValidUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const int length = Utf8Length(s + i, n - i);
    if (length == 0) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

}  // namespace torvane
