#pragma once

// The one conversion between internal text (GB18030 bytes) and UTF-8. The user-interface layer
// uses it for every text it shows or reads, the file layer for paths. Neither direction fails:
// undecodable input becomes U+FFFD (in GB18030, 84 31 A4 37), and the lone byte 0x80 reads as
// the euro sign, as the Windows GBK code page has it.

#include <string>
#include <string_view>

namespace torvane {

// Internal text -> UTF-8.
std::string ToUtf8(std::string_view internal);

// UTF-8 -> internal text.
std::string FromUtf8(std::string_view utf8);

}  // namespace torvane
