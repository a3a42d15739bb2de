// The template file reader (console/sql_templates.h), on any file: the templates are the text up to
// the first zero byte, cut at every CR LF that stands between characters (a byte of 0x80 or more
// starts a two-byte unit whose second byte is never a separator's), and nothing else. Joined again
// with CR LF they give the text back, less a final separator; no template holds a zero byte or a
// separator of its own; and each cut falls between characters.

#include <algorithm>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "console/sql_templates.h"
#include "fuzz_check.h"

namespace {

// Where the walk over the units of `line` from its start first reaches or passes `at`.
std::size_t UnitBoundaryAtOrAfter(const std::string& line, std::size_t at) {
  std::size_t i = 0;
  while (i < at) i += static_cast<unsigned char>(line[i]) >= 0x80 ? 2 : 1;
  return i;
}

// True when `line` holds a CR LF that starts between characters.
bool HoldsSeparator(const std::string& line) {
  for (std::size_t i = 0; i + 1 < line.size();) {
    if (line[i] == '\r' && line[i + 1] == '\n') return true;
    i += static_cast<unsigned char>(line[i]) >= 0x80 ? 2 : 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvane;
  const Bytes file(data, data + size);
  const std::uint8_t* zero = std::find(data, data + size, std::uint8_t{0});
  const std::string text(reinterpret_cast<const char*>(data), zero - data);

  const std::vector<std::string> lines = TemplateLines(file);
  if (text.empty()) {
    Require(lines.empty(), "an empty file holds no template");
    return 0;
  }
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    Require(line.find('\0') == std::string::npos, "no template holds a zero byte");
    Require(!HoldsSeparator(line), "no template holds a separator between characters");
    if (i > 0) joined += "\r\n";
    joined += line;
    const bool cut_after = i + 1 < lines.size() || joined.size() < text.size();
    if (cut_after) {
      Require(UnitBoundaryAtOrAfter(line, line.size()) == line.size(),
              "a template ends between characters");
    }
  }
  Require(joined == text || joined + "\r\n" == text,
          "the templates joined by CR LF give the text, less a final separator");
  return 0;
}
