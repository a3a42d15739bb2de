#include "db/text_rows.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

// Cell i: i % 53 bytes of one letter, every 5000th cell far larger than a storage block.
std::string CellText(std::size_t i) {
  const std::size_t size = i % 5000 == 17 ? 1'500'000 : i % 53;
  return std::string(size, static_cast<char>('a' + i % 26));
}

void Fill(TextRows& rows, std::size_t cells) {
  for (std::size_t i = 0; i < cells; ++i) {
    const std::string text = CellText(i);
    rows.AppendCell(text.data(), text.size());
  }
  rows.Finish();
}

TEST(TextRows, KeepsEveryCellAcrossGroupsAndBlocks) {
  // Offsets limited to 32 bits as in use, and limited so far that the store must switch to whole
  // 64-bit end positions partway (in use that takes some four gigabytes of text in one group).
  for (const std::uint64_t limit : {std::uint64_t{UINT32_MAX}, std::uint64_t{2'000'000}}) {
    TextRows rows({"a", "b", "c"}, TextMode::kGbk, limit);
    const std::size_t cells = 3 * 9000;  // more than three groups of cells
    Fill(rows, cells);
    ASSERT_EQ(rows.rows(), 9000u) << limit;
    ASSERT_EQ(rows.columns(), 3);
    EXPECT_EQ(rows.column_name(2), "c");
    for (std::size_t i = 0; i < cells; ++i)
      ASSERT_EQ(rows.cell(i), CellText(i)) << limit << " " << i;
  }
}

TEST(TextRows, HoldsItsTextAndAboutFourBytesPerCell) {
  TextRows rows({"a"});
  std::size_t text = 0;
  for (std::size_t i = 0; i < 100'000; ++i) {
    const std::string cell = std::to_string(i);
    text += cell.size();
    rows.AppendCell(cell.data(), cell.size());
  }
  rows.Finish();
  EXPECT_LE(rows.HeldBytes(), text + 4 * 100'000 + 4096);
  EXPECT_EQ(rows.cell(99'999), "99999");
}

TEST(TextRows, EmptyCellsAndNoCells) {
  TextRows none({"a", "b"});
  none.Finish();
  EXPECT_EQ(none.rows(), 0u);
  TextRows empty({"a"});
  for (int i = 0; i < 10; ++i) empty.AppendCell(nullptr, 0);
  empty.Finish();
  EXPECT_EQ(empty.rows(), 10u);
  EXPECT_EQ(empty.cell(9), "");
}

}  // namespace
}  // namespace torvane
