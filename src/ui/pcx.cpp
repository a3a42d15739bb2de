#include "ui/pcx.h"

#include <array>
#include <cstddef>

namespace torvane {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr int kMaxSide = 16384;
// At most 16 million pixels (64 MB decoded): a picture that a few compressed bytes blow up to
// gigabytes is refused rather than allowed to exhaust memory.
constexpr long long kMaxPixels = 16LL * 1024 * 1024;

int ReadU16(const Bytes& data, size_t at) { return data[at] | (data[at + 1] << 8); }

std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return 0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// The 16 colours of the standard EGA palette, for version 3 files, which carry no palette.
constexpr std::array<std::uint32_t, 16> kEgaPalette = {
    0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
    0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF, 0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF};

// Pulls decoded bytes out of the run-length (or plain) stream. A run may go on across scan lines.
class Stream {
 public:
  Stream(const Bytes& data, size_t begin, size_t end, bool rle)
      : data_(data), at_(begin), end_(end), rle_(rle) {}

  // False when the data ends before a byte could be produced.
  bool Next(std::uint8_t& out) {
    if (run_ > 0) {
      --run_;
      out = value_;
      return true;
    }
    while (at_ < end_) {
      const std::uint8_t b = data_[at_++];
      if (!rle_ || (b & 0xC0) != 0xC0) {
        out = b;
        return true;
      }
      const int count = b & 0x3F;
      if (at_ >= end_) return false;
      value_ = data_[at_++];
      if (count == 0) continue;  // an empty run emits nothing
      run_ = count - 1;
      out = value_;
      return true;
    }
    return false;
  }

 private:
  const Bytes& data_;
  size_t at_;
  size_t end_;
  bool rle_;
  int run_ = 0;
  std::uint8_t value_ = 0;
};

}  // namespace

bool LooksLikePcx(const Bytes& data) {
  if (data.size() < kHeaderSize) return false;
  const int version = data[1];
  const int encoding = data[2];
  const int bits = data[3];
  return data[0] == 0x0A &&
         (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) &&
         (encoding == 0 || encoding == 1) && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

std::optional<PcxImage> DecodePcx(const Bytes& data) {
  if (!LooksLikePcx(data)) return std::nullopt;
  const int version = data[1];
  const bool rle = data[2] == 1;
  const int bits = data[3];
  const int x_min = ReadU16(data, 4);
  const int y_min = ReadU16(data, 6);
  const int x_max = ReadU16(data, 8);
  const int y_max = ReadU16(data, 10);
  const int planes = data[65];
  const int bytes_per_line = ReadU16(data, 66);
  if (x_max < x_min || y_max < y_min) return std::nullopt;
  const int width = x_max - x_min + 1;
  const int height = y_max - y_min + 1;
  if (width > kMaxSide || height > kMaxSide) return std::nullopt;
  if (static_cast<long long>(width) * height > kMaxPixels) return std::nullopt;

  const bool paletted_bits = bits == 1 && planes >= 1 && planes <= 4;
  const bool cga = bits == 2 && planes == 1;
  const bool ega = bits == 4 && planes == 1;
  const bool indexed = bits == 8 && planes == 1;
  const bool true_colour = bits == 8 && (planes == 3 || planes == 4);
  if (!paletted_bits && !cga && !ega && !indexed && !true_colour) return std::nullopt;
  // Each plane's line must hold the whole width.
  if (bytes_per_line < (static_cast<long>(width) * bits + 7) / 8) return std::nullopt;

  // The 256-colour palette follows the pixel data: a 0x0C byte, then 768 bytes.
  size_t pixel_end = data.size();
  std::array<std::uint32_t, 256> palette{};
  if (indexed) {
    if (data.size() >= kHeaderSize + 769 && data[data.size() - 769] == 0x0C) {
      pixel_end = data.size() - 769;
      const size_t at = data.size() - 768;
      for (int i = 0; i < 256; ++i)
        palette[i] = Rgb(data[at + 3 * i], data[at + 3 * i + 1], data[at + 3 * i + 2]);
    } else {
      for (int i = 0; i < 256; ++i) palette[i] = Rgb(i, i, i);
    }
  } else if (paletted_bits && planes == 1) {
    palette[0] = Rgb(0, 0, 0);
    palette[1] = Rgb(255, 255, 255);
  } else if (version == 3) {
    for (int i = 0; i < 16; ++i) palette[i] = kEgaPalette[i];
  } else {
    for (int i = 0; i < 16; ++i)
      palette[i] = Rgb(data[16 + 3 * i], data[17 + 3 * i], data[18 + 3 * i]);
  }

  // Refuse before allocating when the data cannot hold that many pixels: a run of two bytes yields
  // at most 63.
  const size_t line_size = static_cast<size_t>(bytes_per_line) * planes;
  const size_t available = pixel_end - kHeaderSize;
  const size_t most = rle ? available / 2 * 63 + 1 : available;
  if (line_size * static_cast<size_t>(height) > most) return std::nullopt;

  PcxImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0);
  std::vector<std::uint8_t> line(line_size);
  Stream stream(data, kHeaderSize, pixel_end, rle);
  for (int y = 0; y < height; ++y) {
    for (size_t i = 0; i < line_size; ++i) {
      if (!stream.Next(line[i])) return std::nullopt;
    }
    std::uint32_t* out = &image.pixels[static_cast<size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      if (true_colour) {
        out[x] = Rgb(line[x], line[bytes_per_line + x], line[2 * bytes_per_line + x]);
      } else if (indexed) {
        out[x] = palette[line[x]];
      } else if (paletted_bits) {
        // One bit per plane, planes giving the bits of the colour index from the lowest up.
        int index = 0;
        for (int p = 0; p < planes; ++p) {
          const std::uint8_t byte = line[static_cast<size_t>(p) * bytes_per_line + x / 8];
          index |= ((byte >> (7 - x % 8)) & 1) << p;
        }
        out[x] = palette[index];
      } else if (cga) {
        const std::uint8_t byte = line[x / 4];
        out[x] = palette[(byte >> (6 - 2 * (x % 4))) & 3];
      } else {  // ega: two pixels per byte, high nibble first
        const std::uint8_t byte = line[x / 2];
        out[x] = palette[x % 2 == 0 ? byte >> 4 : byte & 0x0F];
      }
    }
  }
  return image;
}

}  // namespace torvane
