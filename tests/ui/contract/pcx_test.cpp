// The PCX decoder: every supported layout, plain and run-length encoded, and damaged input.
#include "ui/pcx.h"

#include <random>

#include <gtest/gtest.h>

#include "pcx_sample.h"

namespace torvane {
namespace {

using testing_pcx::Layout;
using testing_pcx::WritePcx;

std::uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) |
         (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

std::array<std::uint8_t, 48> RampPalette() {
  std::array<std::uint8_t, 48> palette{};
  for (int i = 0; i < 16; ++i) {
    palette[3 * i] = static_cast<std::uint8_t>(i * 16);
    palette[3 * i + 1] = static_cast<std::uint8_t>(255 - i * 16);
    palette[3 * i + 2] = static_cast<std::uint8_t>(i * 5);
  }
  return palette;
}

std::uint32_t RampColour(int i) { return Rgb(i * 16, 255 - i * 16, i * 5); }

// The EGA colours that version 3 files (without a palette) use.
std::uint32_t EgaColour(int i) {
  static const std::uint32_t kEga[16] = {0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA,
                                         0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
                                         0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF,
                                         0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF};
  return kEga[i];
}

struct LayoutCase {
  const char* what;
  Layout layout;
  std::function<int(int, int, int)> value;
  std::function<std::uint32_t(int, int)> expected;
};

std::vector<LayoutCase> LayoutCases() {
  std::vector<std::uint8_t> tail(768);
  for (int i = 0; i < 256; ++i) {
    tail[3 * i] = static_cast<std::uint8_t>(i);
    tail[3 * i + 1] = static_cast<std::uint8_t>(255 - i);
    tail[3 * i + 2] = static_cast<std::uint8_t>(i / 2);
  }
  auto index256 = [](int x, int y, int) { return (x * 37 + y * 11) % 256; };
  auto index16 = [](int x, int y, int) { return (x + 3 * y) % 16; };
  std::vector<LayoutCase> cases;
  for (bool rle : {true, false}) {
    Layout l;
    l.rle = rle;
    l.width = 13;
    l.height = 7;

    Layout indexed = l;
    indexed.tail_palette = tail;
    cases.push_back({rle ? "256 colours, run-length" : "256 colours, plain", indexed, index256,
                     [](int x, int y) {
                       const int i = (x * 37 + y * 11) % 256;
                       return Rgb(i, 255 - i, i / 2);
                     }});

    cases.push_back({"256 levels of grey without a palette", l, index256, [](int x, int y) {
                       const int i = (x * 37 + y * 11) % 256;
                       return Rgb(i, i, i);
                     }});

    Layout rgb = l;
    rgb.planes = 3;
    cases.push_back({rle ? "true colour, run-length" : "true colour, plain", rgb,
                     [](int x, int y, int p) { return p == 0   ? x * 10
                                                      : p == 1 ? y * 20
                                                               : 77; },
                     [](int x, int y) { return Rgb(x * 10, y * 20, 77); }});

    Layout mono = l;
    mono.bits = 1;
    mono.width = 19;  // not a multiple of 8
    cases.push_back({"black and white", mono, [](int x, int y, int) { return (x + y) % 2; },
                     [](int x, int y) { return (x + y) % 2 ? Rgb(255, 255, 255) : Rgb(0, 0, 0); }});

    Layout ega_planes = l;
    ega_planes.bits = 1;
    ega_planes.planes = 4;
    ega_planes.header_palette = RampPalette();
    cases.push_back({"16 colours in 4 bit planes", ega_planes, index16,
                     [](int x, int y) { return RampColour((x + 3 * y) % 16); }});

    Layout nibbles = l;
    nibbles.bits = 4;
    nibbles.header_palette = RampPalette();
    cases.push_back({"16 colours, 4 bits per pixel", nibbles, index16,
                     [](int x, int y) { return RampColour((x + 3 * y) % 16); }});

    Layout four = l;
    four.bits = 2;
    four.header_palette = RampPalette();
    cases.push_back({"4 colours, 2 bits per pixel", four,
                     [](int x, int y, int) { return (x + y) % 4; },
                     [](int x, int y) { return RampColour((x + y) % 4); }});

    Layout old = ega_planes;
    old.version = 3;
    cases.push_back({"version 3: the standard EGA colours", old, index16,
                     [](int x, int y) { return EgaColour((x + 3 * y) % 16); }});
  }
  return cases;
}

TEST(Pcx, DecodesEverySupportedLayout) {
  for (const LayoutCase& c : LayoutCases()) {
    const Bytes file = WritePcx(c.layout, c.value);
    ASSERT_TRUE(LooksLikePcx(file)) << c.what;
    const std::optional<PcxImage> image = DecodePcx(file);
    ASSERT_TRUE(image) << c.what;
    ASSERT_EQ(image->width, c.layout.width) << c.what;
    ASSERT_EQ(image->height, c.layout.height) << c.what;
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        ASSERT_EQ(image->pixels[static_cast<size_t>(y) * image->width + x], c.expected(x, y))
            << c.what << " at " << x << "," << y;
      }
    }
  }
}

TEST(Pcx, ARunMayCrossTheEndOfAScanLine) {
  Layout l;
  l.width = 4;  // 4 bytes per line
  l.height = 2;
  l.rle = false;
  Bytes file = WritePcx(l, [](int, int, int) { return 9; });
  file.resize(128);
  file[2] = 1;
  file.push_back(0xC8);  // one run of 8 bytes covering both lines
  file.push_back(9);
  const std::optional<PcxImage> image = DecodePcx(file);
  ASSERT_TRUE(image);
  for (std::uint32_t pixel : image->pixels) EXPECT_EQ(pixel, Rgb(9, 9, 9));
}

TEST(Pcx, RefusesWhatItCannotRead) {
  Layout l;
  l.width = 8;
  l.height = 8;
  const Bytes good = WritePcx(l, [](int x, int y, int) { return x ^ y; });
  ASSERT_TRUE(DecodePcx(good));
  auto with = [&](size_t at, std::uint8_t value) {
    Bytes bytes = good;
    bytes[at] = value;
    return bytes;
  };
  Bytes truncated(good.begin(), good.end() - 5);
  Bytes header_only(good.begin(), good.begin() + 128);
  Bytes huge = good;
  huge[8] = huge[9] = huge[10] = huge[11] = 0x3F;  // 16128 x 16128 pixels from a few bytes
  huge[66] = 0x00;
  huge[67] = 0x40;
  Bytes too_wide = good;
  too_wide[8] = 0xFF;
  too_wide[9] = 0x7F;  // more than 16384 pixels a side
  struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"shorter than a header", Bytes(good.begin(), good.begin() + 100)},
      {"wrong maker byte", with(0, 0x0B)},
      {"unknown version", with(1, 1)},
      {"unknown encoding", with(2, 2)},
      {"unknown bit depth", with(3, 3)},
      {"unsupported plane count", with(65, 2)},
      {"line too short for the width", with(66, 1)},
      {"x max before x min", with(4, 200)},
      {"pixels cut short", truncated},
      {"no pixels at all", header_only},
      {"an enormous size from a few bytes", huge},
      {"too wide", too_wide},
  };
  for (const auto& c : cases) EXPECT_FALSE(DecodePcx(c.bytes)) << c.what;

  // A well-formed one-bit picture of more than 16 million pixels: a few hundred kilobytes that
  // would decode to 64 MB and more.
  Layout big;
  big.bits = 1;
  big.width = big.height = 4097;
  EXPECT_FALSE(DecodePcx(WritePcx(big, [](int, int, int) { return 0; })));
}

// Damaged and random input must be refused or decoded without reading outside the buffer (the
// sanitizer build checks the reads).
TEST(Pcx, SurvivesDamagedAndRandomInput) {
  std::mt19937 random(20240611);
  std::vector<Bytes> seeds;
  for (const LayoutCase& c : LayoutCases()) seeds.push_back(WritePcx(c.layout, c.value));
  int decoded = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes bytes = seeds[random() % seeds.size()];
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Mostly the header, where sizes and layouts live.
      const size_t at = random() % 2 ? random() % 128 : random() % bytes.size();
      bytes[at] = static_cast<std::uint8_t>(random());
    }
    if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
    if (const std::optional<PcxImage> image = DecodePcx(bytes)) {
      ++decoded;
      EXPECT_EQ(image->pixels.size(), static_cast<size_t>(image->width) * image->height);
    }
  }
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes(random() % 600);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    if (bytes.size() >= 4) {
      bytes[0] = 0x0A;
      bytes[1] = 5;
      bytes[2] = 1;
      bytes[3] = static_cast<std::uint8_t>(1 << (random() % 4));
    }
    (void)DecodePcx(bytes);
  }
  EXPECT_GT(decoded, 0) << "some damaged files still decode";
}

}  // namespace
}  // namespace torvane
