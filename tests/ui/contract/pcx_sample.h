#pragma once

// Writes PCX files for the tests: any layout the decoder reads, plain or run-length encoded.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/bytes.h"

namespace torvane::testing_pcx {

struct Layout {
  int bits = 8;
  int planes = 1;
  int width = 4;
  int height = 3;
  bool rle = true;
  int version = 5;
  // Palette of 16 header colours, RGB.
  std::array<std::uint8_t, 48> header_palette{};
  // 256 RGB colours appended after the pixels when set (8-bit single-plane files).
  std::vector<std::uint8_t> tail_palette;
};

// `value(x, y, plane)` gives the sample of each pixel: a colour index for paletted layouts (the
// same for every plane; the writer splits it into bit planes), or the channel value for 8-bit
// planes.
inline Bytes WritePcx(const Layout& layout,
                      const std::function<int(int x, int y, int plane)>& value) {
  Bytes out(128, 0);
  out[0] = 0x0A;
  out[1] = static_cast<std::uint8_t>(layout.version);
  out[2] = layout.rle ? 1 : 0;
  out[3] = static_cast<std::uint8_t>(layout.bits);
  auto put16 = [&](size_t at, int v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  put16(8, layout.width - 1);
  put16(10, layout.height - 1);
  put16(12, 72);
  put16(14, 72);
  for (size_t i = 0; i < 48; ++i) out[16 + i] = layout.header_palette[i];
  out[65] = static_cast<std::uint8_t>(layout.planes);
  int bytes_per_line = (layout.width * layout.bits + 7) / 8;
  bytes_per_line += bytes_per_line % 2;
  put16(66, bytes_per_line);
  put16(68, 1);

  std::vector<std::uint8_t> line(static_cast<size_t>(bytes_per_line) * layout.planes);
  for (int y = 0; y < layout.height; ++y) {
    std::fill(line.begin(), line.end(), 0);
    for (int p = 0; p < layout.planes; ++p) {
      std::uint8_t* plane = &line[static_cast<size_t>(p) * bytes_per_line];
      for (int x = 0; x < layout.width; ++x) {
        const int v = value(x, y, p);
        if (layout.bits == 8) {
          plane[x] = static_cast<std::uint8_t>(v);
        } else if (layout.bits == 1) {
          // Bit plane p holds bit p of the colour index.
          if ((v >> p) & 1) plane[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        } else if (layout.bits == 2) {
          plane[x / 4] |= static_cast<std::uint8_t>((v & 3) << (6 - 2 * (x % 4)));
        } else {  // 4 bits
          plane[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 == 0 ? 4 : 0));
        }
      }
    }
    if (!layout.rle) {
      out.insert(out.end(), line.begin(), line.end());
      continue;
    }
    for (size_t i = 0; i < line.size();) {
      size_t run = 1;
      while (i + run < line.size() && run < 63 && line[i + run] == line[i]) ++run;
      if (run > 1 || (line[i] & 0xC0) == 0xC0) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | run));
      }
      out.push_back(line[i]);
      i += run;
    }
  }
  if (!layout.tail_palette.empty()) {
    out.push_back(0x0C);
    out.insert(out.end(), layout.tail_palette.begin(), layout.tail_palette.end());
  }
  return out;
}

}  // namespace torvane::testing_pcx
