#pragma once

// A decoder for PCX pictures, which the toolkit cannot read. Qt-free.

#include <cstdint>
#include <optional>
#include <vector>

#include "base/bytes.h"

namespace torvane {

// A decoded picture: width x height pixels, row by row from the top, each 0xAARRGGBB (opaque).
struct PcxImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// True when the leading bytes of `data` are a PCX header: the maker byte 0x0A, a known version
// (0, 2, 3, 4 or 5), encoding 0 or 1 and 1, 2, 4 or 8 bits per pixel per plane.
bool LooksLikePcx(const Bytes& data);

// Decodes a PCX file: 1 bit per pixel in 1 plane (black and white), 1 bit in 4 planes and 4 bits in
// 1 plane (16 colours from the header palette), 2 bits in 1 plane (4 colours from the header
// palette), 8 bits in 1 plane (256 colours from the palette at the end of the file, or grey when
// there is none) and 8 bits in 3 planes (true colour). Run-length encoded or plain. nullopt for an
// unsupported layout, a size of more than 16384 pixels a side or data that ends too early; never
// reads outside `data`.
std::optional<PcxImage> DecodePcx(const Bytes& data);

}  // namespace torvane
