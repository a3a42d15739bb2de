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

// NULL cells read as "" and are told from empty texts, wherever they fall among the cells.
TEST(TextRows, TellsNullFromEmptyText) {
  static const std::size_t kNulls[] = {0, 5, 63, 64, 65, 127, 128, 8191, 8192, 70'000};
  TextRows rows({"a", "b"});
  const std::size_t cells = 80'000;
  std::size_t next = 0;
  for (std::size_t i = 0; i < cells; ++i) {
    if (next < std::size(kNulls) && kNulls[next] == i) {
      rows.AppendNull();
      ++next;
    } else if (i % 2 == 0) {
      rows.AppendCell("", 0);
    } else {
      rows.AppendCell("x", 1);
    }
  }
  rows.Finish();
  ASSERT_EQ(rows.rows(), cells / 2);
  next = 0;
  for (std::size_t i = 0; i < cells; ++i) {
    const bool null = next < std::size(kNulls) && kNulls[next] == i;
    if (null) ++next;
    ASSERT_EQ(rows.IsNull(i), null) << i;
    ASSERT_EQ(rows.cell(i), null || i % 2 == 0 ? "" : "x") << i;
  }
}

// Telling NULLs apart costs a bit per cell up to the last NULL, and nothing without any.
TEST(TextRows, NullsCostABitPerCellAtMost) {
  TextRows plain({"a"});
  TextRows with_null({"a"});
  for (int i = 0; i < 100'000; ++i) {
    plain.AppendCell("", 0);
    if (i == 99'999) {
      with_null.AppendNull();
    } else {
      with_null.AppendCell("", 0);
    }
  }
  plain.Finish();
  with_null.Finish();
  EXPECT_FALSE(plain.IsNull(99'999));
  EXPECT_TRUE(with_null.IsNull(99'999));
  EXPECT_FALSE(with_null.IsNull(99'998));
  EXPECT_LE(with_null.HeldBytes(), plain.HeldBytes() + 100'000 / 8 + 64);
}

// Bytes kept cut hold only their start but answer their whole size, 64-bit, among cells of every
// other kind, in any group of cells.
TEST(TextRows, CutBytesKeepTheirStartAndTellTheirWholeSize) {
  TextRows rows({"a", "b", "c"});
  const std::size_t cells = 3 * 9000;
  auto size_of = [](std::size_t i) { return (std::uint64_t{5} << 30) + i; };
  for (std::size_t i = 0; i < cells; ++i) {
    if (i % 1000 == 7) {
      rows.AppendCutBytes(size_of(i), "BM6", 3);
    } else if (i % 1000 == 8) {
      rows.AppendBytes("\x01\x02", 2);
    } else if (i % 1000 == 9) {
      rows.AppendNull();
    } else {
      const std::string text = CellText(i);
      rows.AppendCell(text.data(), text.size());
    }
  }
  rows.Finish();
  for (std::size_t i = 0; i < cells; ++i) {
    const bool cut = i % 1000 == 7;
    ASSERT_EQ(rows.IsCut(i), cut) << i;
    ASSERT_EQ(rows.IsBytes(i), cut || i % 1000 == 8) << i;
    ASSERT_EQ(rows.IsNull(i), i % 1000 == 9) << i;
    if (cut) {
      ASSERT_EQ(rows.cell(i), "BM6") << i;
      ASSERT_EQ(rows.StoredSize(i), size_of(i)) << i;
    } else if (i % 1000 == 8) {
      ASSERT_EQ(rows.StoredSize(i), 2u) << i;
    } else if (i % 1000 != 9) {
      ASSERT_EQ(rows.cell(i), CellText(i)) << i;
      ASSERT_EQ(rows.StoredSize(i), CellText(i).size()) << i;
    }
  }
  // The cut cells cost their start and their size, not the gigabytes they stand for.
  TextRows none({"a", "b", "c"});
  for (std::size_t i = 0; i < cells; ++i) {
    if (i % 1000 == 7) {
      none.AppendBytes("BM6", 3);
    } else if (i % 1000 == 8) {
      none.AppendBytes("\x01\x02", 2);
    } else if (i % 1000 == 9) {
      none.AppendNull();
    } else {
      const std::string text = CellText(i);
      none.AppendCell(text.data(), text.size());
    }
  }
  none.Finish();
  EXPECT_LE(rows.HeldBytes(), none.HeldBytes() + cells / 8 + 1024);
}

}  // namespace
}  // namespace torvane
