// The codec's promises (base/codec.h), for any bytes:
// - internal text -> UTF-16 -> internal text gives the bytes back, the UTF-16 is never longer than
//   the bytes, and the only lone surrogates in it are the escapes 0xDC00..0xDCFF;
// - UTF-8 -> internal text -> UTF-8 gives the bytes back;
// - internal text in which every byte reads as part of a character (its UTF-16 holds no escape)
//   comes back from UTF-8 unchanged, and that UTF-8 is valid: this follows from the two above,
//   since such text is written as the plain UTF-8 of its characters.
// The same bytes read as UTF-16 units go through FromUtf16, which must not fail either.

#include <cstring>
#include <string>
#include <string_view>

#include "base/codec.h"
#include "fuzz_check.h"

namespace {

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// True when every lone surrogate of `text` is an escape (0xDC00..0xDCFF); `any` tells whether
// there was one.
bool LoneSurrogatesAreEscapes(std::u16string_view text, bool& any) {
  any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
      ++i;
      continue;
    }
    if (IsHigh(text[i])) return false;
    if (IsLow(text[i])) {
      if (text[i] > 0xDCFF) return false;
      any = true;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvane;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::u16string utf16 = ToUtf16(bytes);
  Require(utf16.size() <= bytes.size(), "ToUtf16 is never longer than its bytes");
  std::u16string into(bytes.size(), u'\0');
  const std::size_t written = ToUtf16(bytes, into.data());
  into.resize(written);
  Require(into == utf16, "both forms of ToUtf16 agree");
  Require(FromUtf16(utf16) == bytes, "FromUtf16(ToUtf16(x)) == x");
  bool escapes = false;
  Require(LoneSurrogatesAreEscapes(utf16, escapes), "ToUtf16 gives no lone surrogate but escapes");

  Require(ToUtf8(FromUtf8(bytes)) == bytes, "ToUtf8(FromUtf8(x)) == x");

  const std::string utf8 = ToUtf8(bytes);
  if (!escapes) {
    Require(IsValidUtf8(utf8), "text without escapes is written as valid UTF-8");
    Require(FromUtf8(utf8) == bytes, "text without escapes comes back from UTF-8");
  }

  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  const std::string internal = FromUtf16(units);
  Require(FromUtf16(ToUtf16(internal)) == internal, "FromUtf16's text round-trips");
  return 0;
}
