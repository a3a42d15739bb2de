#include "platform/app_icon.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

std::uint32_t Read32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(AppIcon, IsAWellFormedTwoImageSixteenColourIcon) {
  const Bytes icon = EmbeddedIcon();
  ASSERT_EQ(icon.size(), 1078u);
  EXPECT_EQ(icon[2], 1);  // type: icon
  EXPECT_EQ(icon[4], 2);  // two images
  std::size_t end = 6 + 2 * 16;
  static const int sizes[] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    EXPECT_EQ(icon[entry], sizes[i]);
    EXPECT_EQ(icon[entry + 1], sizes[i]);
    EXPECT_EQ(icon[entry + 2], 16);  // colours
    EXPECT_EQ(icon[entry + 6], 4);   // bits per pixel
    const std::uint32_t size = Read32(icon, entry + 8);
    const std::uint32_t offset = Read32(icon, entry + 12);
    EXPECT_EQ(offset, end);
    EXPECT_EQ(Read32(icon, offset), 40u);  // header size
    EXPECT_EQ(Read32(icon, offset + 4), static_cast<std::uint32_t>(sizes[i]));
    EXPECT_EQ(Read32(icon, offset + 8), static_cast<std::uint32_t>(sizes[i] * 2));
    end = offset + size;
  }
  EXPECT_EQ(end, icon.size());
}

}  // namespace
}  // namespace torvane
