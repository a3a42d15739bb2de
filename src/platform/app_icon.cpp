#include "platform/app_icon.h"

#include <cmath>
#include <cstdint>

namespace torvane {
namespace {

// The standard 16-colour palette, as blue, green, red.
constexpr std::uint8_t kPalette[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
};
constexpr int kTransparent = -1;
constexpr int kDarkBlue = 4, kBlue = 12, kCyan = 14, kWhite = 15, kBlack = 0;

// Colour index of pixel (x, y), y counted from the top, of a drum drawn in a size x size square;
// kTransparent outside it.
int DrumPixel(int x, int y, int size) {
  const double cx = (size - 1) / 2.0;
  const double rx = size * 0.42;
  const double ry = size * 0.14;
  const double top = size * 0.18, bottom = size * 0.82;
  const double dx = (x - cx) / rx;
  if (dx < -1.0 || dx > 1.0) return kTransparent;
  const double half = ry * std::sqrt(1.0 - dx * dx);  // ellipse half-height at this column
  const double yd = y;
  // The lid: a full ellipse around `top`.
  if (yd >= top - half && yd <= top + half) {
    const bool rim = yd <= top - half + 1.0 || yd >= top + half - 1.0 || dx <= -0.93 || dx >= 0.93;
    return rim ? kDarkBlue : kCyan;
  }
  // The body down to the lower half of the ellipse around `bottom`.
  if (yd > top && yd <= bottom + half) {
    if (yd >= bottom + half - 1.0 || dx <= -0.93 || dx >= 0.93) return kBlack;
    // Two white bands follow the curve of the lid.
    for (double band : {0.42, 0.62}) {
      const double by = size * band + half;
      if (yd >= by - 0.6 && yd <= by + 0.6) return kWhite;
    }
    return kBlue;
  }
  return kTransparent;
}

void Put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Bytes of one image's colour and mask rows.
std::uint32_t ImageDataSize(int size) {
  const int xor_row = ((size * 4 + 31) / 32) * 4;
  const int and_row = ((size + 31) / 32) * 4;
  return static_cast<std::uint32_t>(40 + 16 * 4 + (xor_row + and_row) * size);
}

void AppendImage(Bytes& out, int size) {
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));  // colour rows plus mask rows
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);
  Put32(out, ImageDataSize(size) - 40 - 64);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 16);
  Put32(out, 0);
  for (const auto& c : kPalette) {
    out.insert(out.end(), {c[0], c[1], c[2], 0});
  }
  const int xor_row = ((size * 4 + 31) / 32) * 4;
  const int and_row = ((size + 31) / 32) * 4;
  for (int y = size - 1; y >= 0; --y) {  // rows bottom-up
    Bytes row(static_cast<std::size_t>(xor_row), 0);
    for (int x = 0; x < size; ++x) {
      const int p = DrumPixel(x, y, size);
      const std::uint8_t index = static_cast<std::uint8_t>(p == kTransparent ? 0 : p);
      row[static_cast<std::size_t>(x / 2)] |= (x % 2 == 0) ? index << 4 : index;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(and_row), 0);
    for (int x = 0; x < size; ++x) {
      if (DrumPixel(x, y, size) == kTransparent) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

}  // namespace

Bytes EmbeddedIcon() {
  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, 2);  // two images
  std::uint32_t offset = 6 + 2 * 16;
  for (int size : {32, 16}) {
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(16);  // colours
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, ImageDataSize(size));
    Put32(out, offset);
    offset += ImageDataSize(size);
  }
  AppendImage(out, 32);
  AppendImage(out, 16);
  return out;
}

}  // namespace torvane
