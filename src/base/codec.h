#pragma once

// The one conversion between internal text (GB18030 bytes) and the encodings at the program's
// edges: UTF-16 for the widgets, UTF-8 for file names and the files other programs read.
//
// Internal text <-> UTF-16 is lossless for every byte string. Bytes below 0x80 are ASCII. A byte
// that starts no character (a lead byte cut off, a pair that is not GB18030, UTF-8 text written by
// another tool) becomes the escape unit 0xDC00 + byte: a lone low surrogate, which no character
// decodes to, so no text is ambiguous. The lone byte 0x80 reads as the euro sign, as the Windows
// GBK code page has it, and the euro sign is written as 0x80; GB18030's own spelling of it, A2 E3,
// which GBK readers do not know, therefore reads as two escapes.
//
// UTF-8 from outside (a database kept in UTF-8, a file name, an argument) reads losslessly too. A
// byte that is not part of a UTF-8 character (a character cut off, GBK text, any stray byte)
// becomes a foreign byte: in internal text one of 128 four-byte sequences that GB18030 leaves
// unassigned, 84 31 A5 30 .. 84 31 B1 37, which reads in UTF-16 as the escape unit
// 0xDC00 + (byte - 0x80), again a lone low surrogate. Written back as UTF-8 it is that byte again,
// so FromUtf8 followed by ToUtf8 gives back every byte string exactly. The few private-use
// characters GB18030 has no spelling for are kept as the foreign bytes of their UTF-8 form.
// Neither direction of either pair fails or throws.

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

// Internal text -> UTF-16. FromUtf16(ToUtf16(x)) == x for every byte string x, zero bytes included.
std::u16string ToUtf16(std::string_view internal);

// The same into `out`, which must have room for internal.size() units (the result is never
// longer); returns the number of units written.
std::size_t ToUtf16(std::string_view internal, char16_t* out);

// UTF-16 -> internal text. An escape unit 0xDC80..0xDCFF becomes its byte, a foreign-byte unit
// 0xDC00..0xDC7F its four-byte sequence; any other unpaired surrogate, and a character GB18030
// cannot write, becomes U+FFFD (84 31 A4 37).
std::string FromUtf16(std::u16string_view text);

// Internal text -> UTF-8. A byte that reads as an escape and a foreign byte are each written as
// the byte itself, so nothing is dropped; ToUtf8(FromUtf8(x)) == x for every byte string x.
std::string ToUtf8(std::string_view internal);

// UTF-8 -> internal text; every byte that is not part of a UTF-8 character becomes a foreign byte.
std::string FromUtf8(std::string_view utf8);

// True when `text` is valid UTF-8 (ASCII included).
bool IsValidUtf8(std::string_view text);

}  // namespace torvane
