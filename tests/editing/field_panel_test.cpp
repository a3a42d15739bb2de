#include "editing/field_panel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/long_work.h"
#include "app/record_grid.h"
#include "app/transactions.h"
#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "db/table_browse.h"
#include "editing/insert_record.h"
#include "support/app_fixture.h"
#include "support/hex.h"
#include "ui/insert_dialog.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::Hex;
using testing::MakeDatabase;
using testing::QueryBytes;
using testing::QueryText;
using testing::RawDb;

// An uncompressed 24-bit BMP picture of width x height pixels, a colour gradient.
Bytes MakeBmp(int width, int height) {
  const int row = (width * 3 + 3) / 4 * 4;
  const std::uint32_t size = 54 + static_cast<std::uint32_t>(row * height);
  Bytes b(size, 0);
  auto put32 = [&b](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = 24;
  put32(34, static_cast<std::uint32_t>(row * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>(y * row + x * 3);
      b[at] = static_cast<std::uint8_t>(x);
      b[at + 1] = static_cast<std::uint8_t>(y);
      b[at + 2] = static_cast<std::uint8_t>(x ^ y);
    }
  }
  return b;
}

class FieldPanelTest : public AppTest {
 protected:
  // A table of one record with a column of each kind, shown in the grid.
  void SetUp() override {
    path_ = MakeDb(
        "CREATE TABLE 值(文本 TEXT, 整数 INTEGER, 小数 REAL, 任意, 字节 BLOB);"
        "INSERT INTO 值 VALUES('旧文本', 1, 1.5, 'x', x'0102');");
    Start({path_});
    SelectTreeItem("值");
  }

  // Chooses record 1 and field `field` (1-based) on page `page`, as clicking a grid cell does.
  void Choose(int field, int page) {
    window_.field_tabs().SetCurrentPage(page);
    window_.grid().SetCurrentCell(1, field);
  }

  std::string Stored(const std::string& column) {
    return QueryText(path_,
                     "SELECT typeof(" + column + ") || ':' || quote(" + column + ") FROM 值");
  }

  std::string path_;
};

TEST_F(FieldPanelTest, WritesTextAndNumbersByKind) {
  static const struct {
    int field;
    int page;
    const char* typed;
    const char* column;
    const char* stored;
  } cases[] = {
      {1, 0, "中文\r\n第二行", "文本", "text:'中文\r\n第二行'"},
      {2, 1, "12", "整数", "integer:12"},
      {4, 1, "12", "任意", "real:12.0"},  // a double: the column's own type decides
      {2, 1, "9007199254740993", "整数", "integer:9007199254740993"},
      {4, 1, "9007199254740993", "任意", "integer:9007199254740993"},
      {4, 1, "-9007199254740993", "任意", "integer:-9007199254740993"},
      {4, 1, "9007199254740992", "任意", "real:9.00719925474099199994e+15"},  // 2^53 is exact
      {2, 1, "", "整数", "integer:0"},
      {2, 1, "-7", "整数", "integer:-7"},
      {3, 2, "3.25", "小数", "real:3.25"},
      {3, 2, "-.5", "小数", "real:-0.5"},
      {4, 2, "2", "任意", "real:2.0"},
  };
  for (const auto& c : cases) {
    Choose(c.field, c.page);
    EditBox& box = c.page == 0   ? window_.text_value_box()
                   : c.page == 1 ? window_.integer_value_box()
                                 : window_.decimal_value_box();
    box.SetContent(c.typed);
    services_.ClearRecords();
    Button& write = c.page == 0   ? window_.write_text_button()
                    : c.page == 1 ? window_.write_integer_button()
                                  : window_.write_decimal_button();
    write.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入字段值！"}) << c.typed;
    EXPECT_EQ(Stored(c.column), c.stored) << c.typed;
  }
  // The grid shows what each write stored, and the log names it.
  EXPECT_EQ(window_.grid().CellText(1, 1), "中文\r\n第二行");
  EXPECT_EQ(window_.grid().CellText(1, 3), "-0.5");
  EXPECT_NE(window_.log_box().Content().find("已写入第1条记录的 "), std::string::npos);
}

TEST_F(FieldPanelTest, BytesRoundTripThroughFilesExactly) {
  Bytes picture = MakeBmp(1200, 1400);  // about 5 MB
  const std::vector<Bytes> values = {
      Bytes(),
      Bytes{'a', 0, 'b', 0, 0, 0xFF},
      picture,
  };
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string in = dir_.Path("入" + IntToText(static_cast<int>(i)) + ".bin");
    const std::string out = dir_.Path("出" + IntToText(static_cast<int>(i)) + ".bin");
    ASSERT_TRUE(WriteFile(in, values[i]));
    Choose(5, 3);
    services_.ClearRecords();
    services_.QueueFileDialogAnswer(in);
    window_.read_bytes_from_file_button().Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入字段值！"});
    EXPECT_EQ(QueryText(path_, "SELECT typeof(字节) FROM 值"), "blob");
    EXPECT_EQ(QueryBytes(path_, "SELECT 字节 FROM 值"), values[i]);

    services_.ClearRecords();
    services_.QueueFileDialogAnswer(out);
    window_.write_bytes_to_file_button().Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入文件 " + out});
    Bytes exported;
    ASSERT_TRUE(ReadWholeFile(out, exported));
    EXPECT_EQ(exported, values[i]) << i;
  }
  // The last value read is a picture, and the preview shows it.
  EXPECT_EQ(window_.picture_box().Picture(), picture);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
}

TEST_F(FieldPanelTest, PreviewShowsOnlyPictures) {
  Choose(5, 3);
  EXPECT_EQ(window_.picture_box().Picture(), (Bytes{1, 2}));
  EXPECT_FALSE(window_.picture_box().ShowsImage());
  const Bytes bmp = MakeBmp(4, 3);
  ASSERT_TRUE(WriteFile(dir_.Path("p.bmp"), bmp));
  services_.QueueFileDialogAnswer(dir_.Path("p.bmp"));
  window_.read_bytes_from_file_button().Click();
  // The picture written shows at once, and again when the field is chosen anew.
  EXPECT_EQ(window_.picture_box().Picture(), bmp);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
  window_.grid().SetCurrentCell(1, 1);
  EXPECT_FALSE(window_.picture_box().ShowsImage());
  window_.grid().SetCurrentCell(1, 5);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.clear_bytes_button().Click();
  EXPECT_FALSE(window_.picture_box().ShowsImage());
}

TEST_F(FieldPanelTest, ByteFailuresWriteNothing) {
  Choose(5, 3);
  // The file dialog cancelled.
  services_.QueueFileDialogAnswer(std::nullopt);
  window_.read_bytes_from_file_button().Click();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text, "写字段值失败！");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOk);
  // A file that cannot be read (a folder, a missing file) is not empty bytes.
  for (const std::string& bad : {dir_.path(), dir_.Path("没有这个文件.png")}) {
    services_.ClearRecords();
    services_.QueueFileDialogAnswer(bad);
    window_.read_bytes_from_file_button().Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"写字段值失败！无法读取文件：" + bad});
  }
  // Clearing asks first, naming the field; only Yes clears.
  for (int answer : {kIdNo, kIdCancel}) {
    services_.ClearRecords();
    services_.QueueMessageBoxAnswer(answer);
    window_.clear_bytes_button().Click();
    ASSERT_EQ(services_.message_boxes().size(), 1u);
    EXPECT_EQ(services_.message_boxes()[0].text,
              "本操作将清除字段 [字节] 中的现有数据，确认要继续吗？");
    EXPECT_EQ(services_.message_boxes()[0].flags, kMbYesNoCancelAsk);
  }
  EXPECT_EQ(QueryBytes(path_, "SELECT 字节 FROM 值"), (Bytes{1, 2}));

  services_.ClearRecords();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.clear_bytes_button().Click();
  EXPECT_EQ(services_.message_boxes().back().text, "已成功写入字段值！");
  EXPECT_EQ(Stored("字节"), "blob:X''");

  // Export to a file that cannot be written.
  services_.ClearRecords();
  services_.QueueFileDialogAnswer(dir_.Path("没有的目录/x.bin"));
  window_.write_bytes_to_file_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"写文件失败！"});
}

TEST_F(FieldPanelTest, NothingChosenDoesNothing) {
  // The grid's current cell has not been set: no record and no field chosen.
  window_.text_value_box().SetContent("x");
  window_.write_text_button().Click();
  window_.read_text_button().Click();
  services_.QueueMessageBoxAnswer(kIdYes);
  window_.clear_bytes_button().Click();
  EXPECT_TRUE(services_.message_boxes().empty());
  EXPECT_EQ(services_.PendingAnswers(), 1);
  EXPECT_EQ(Stored("文本"), "text:'旧文本'");
}

TEST_F(FieldPanelTest, TextFilesLoadAndSave) {
  Choose(1, 0);
  const std::string saved = dir_.Path("导出.txt");
  services_.QueueFileDialogAnswer(saved);
  window_.text_value_box().SetContent("第一行\r\n第二行");
  window_.write_text_to_file_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入文件 " + saved});
  EXPECT_EQ(services_.shell_edits(), std::vector<std::string>{saved});
  EXPECT_EQ(ReadFile(saved), TextToBytes("第一行\r\n第二行"));

  // Loading cuts at the first zero byte and writes nothing to the database.
  const std::string loaded = dir_.Path("导入.txt");
  Bytes content = TextToBytes("载入\xD6");  // ends inside a character
  content.push_back(0);
  content.push_back('z');
  ASSERT_TRUE(WriteFile(loaded, content));
  services_.QueueFileDialogAnswer(loaded);
  window_.read_text_from_file_button().Click();
  EXPECT_EQ(window_.text_value_box().Content(), "载入\xD6");
  EXPECT_EQ(Stored("文本"), "text:'旧文本'");
  window_.write_text_button().Click();
  EXPECT_EQ(QueryBytes(path_, "SELECT CAST(文本 AS BLOB) FROM 值"), TextToBytes("载入\xD6"));

  // An unreadable file keeps the box as it was.
  services_.ClearRecords();
  services_.QueueFileDialogAnswer(dir_.Path("没有.txt"));
  window_.read_text_from_file_button().Click();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"读文件失败！无法读取文件：" + dir_.Path("没有.txt")});
  EXPECT_EQ(window_.text_value_box().Content(), "载入\xD6");
}

TEST_F(FieldPanelTest, AVanishedRecordFailsCleanly) {
  MakeDatabase(path_, "INSERT INTO 值(文本) VALUES('第二条');");
  SelectTreeItem("表 (1)");
  SelectTreeItem("值");
  RawDb other(path_);
  other.Run("DELETE FROM 值 WHERE 文本 = '第二条'");
  window_.field_tabs().SetCurrentPage(0);
  services_.ClearRecords();
  window_.grid().SetCurrentCell(2, 1);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                "读字段值失败！错误信息如下：\r\n\r\n记录已不存在（_ROWID_ = 2）"});
  services_.ClearRecords();
  window_.text_value_box().SetContent("写到别处？");
  window_.write_text_button().Click();
  // The failure says why.
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                "写字段值失败！错误信息如下：\r\n\r\n记录已不存在（_ROWID_ = 2）"});
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(文本) FROM 值"), "旧文本");
}

// A write the engine refuses keeps the typed value in the panel, to be put right, while the grid
// goes on showing what the file holds; the log has the refusal with its reason.
TEST_F(AppTest, ARefusedPanelWriteKeepsTheTypedValueAndTheGridShowsTheFile) {
  Start({MakeDb("CREATE TABLE t(a TEXT CHECK(length(a) < 4)); INSERT INTO t VALUES('旧');")});
  SelectTreeItem("t");
  window_.field_tabs().SetCurrentPage(0);
  window_.grid().SetCurrentCell(1, 1);
  window_.text_value_box().SetContent("太长的文本");
  window_.write_text_button().Click();
  EXPECT_EQ(MessageTexts().back(),
            "写字段值失败！错误信息如下：\r\n\r\nCHECK constraint failed: length(a) < 4");
  EXPECT_EQ(window_.text_value_box().Content(), "太长的文本");
  EXPECT_EQ(window_.grid().CellText(1, 1), "旧");
  EXPECT_EQ(window_.record_number_box().SelectedIndex(), 0);
  EXPECT_EQ(window_.field_name_box().SelectedIndex(), 0);
  EXPECT_EQ(LastLogLine(), "[×]写字段值失败！（CHECK constraint failed: length(a) < 4）");
}

TEST_F(AppTest, EveryByteComesBackThroughTreeGridPanelAndDialog) {
  // A table named in UTF-8 ("中" is E4 B8 AD, not GB18030 text) holding every single byte value as
  // text, and a value cut inside a character.
  std::string sql = "CREATE TABLE \"\xE4\xB8\xAD\"(v TEXT, w TEXT);";
  for (int b = 1; b <= 0xFF; ++b) {
    sql += "INSERT INTO \"\xE4\xB8\xAD\" VALUES(CAST(x'" +
           Hex(std::string(1, static_cast<char>(b))) + "' AS TEXT), 'w');";
  }
  sql += "INSERT INTO \"\xE4\xB8\xAD\" VALUES(CAST(x'D6D0CE' AS TEXT), 'w');";
  const std::string path = MakeDb(sql);
  Start({path});
  SelectTreeItem("\xE4\xB8\xAD");
  ASSERT_TRUE(services_.message_boxes().empty()) << services_.message_boxes()[0].text;
  Grid& grid = window_.grid();
  ASSERT_EQ(grid.RowCount(), 257);
  for (int b = 1; b <= 0xFF; ++b) {
    const std::string value(1, static_cast<char>(b));
    EXPECT_EQ(grid.CellText(b, 1), value) << b;
    // Read into the text page and written back untouched: the same byte.
    grid.SetCurrentCell(b, 1);
    ASSERT_EQ(window_.text_value_box().Content(), value) << b;
    window_.write_text_button().Click();
  }
  EXPECT_EQ(QueryText(path,
                      "SELECT count(*) FROM \"\xE4\xB8\xAD\" WHERE rowid <= 255 AND "
                      "hex(CAST(v AS BLOB)) = printf('%02X', rowid)"),
            "255");
  // Appending to a value cut inside a character changes only what was typed.
  EditCell(256, 1, grid.CellText(256, 1) + "X");
  EXPECT_EQ(QueryBytes(path, "SELECT CAST(v AS BLOB) FROM \"\xE4\xB8\xAD\" WHERE rowid = 256"),
            (Bytes{0xD6, 0xD0, 0xCE, 'X'}));

  // The insert dialog's text page takes a value unchanged too.
  InsertState insert;
  InsertDialog dialog;
  ConnectInsertDialog(app_, insert, dialog);
  dialog.on_created();
  dialog.text_value_box().SetContent("\x80\xA2\xE3\xFF\xD6");
  dialog.write_text_button().Click();
  dialog.ok_button().Click();
  EXPECT_EQ(QueryBytes(path, "SELECT CAST(v AS BLOB) FROM \"\xE4\xB8\xAD\" WHERE rowid = 257"),
            (Bytes{0x80, 0xA2, 0xE3, 0xFF, 0xD6}));
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// After a cell of the grid is edited, the panel shows the value now in the database.
TEST_F(FieldPanelTest, FollowsAnEditInTheGrid) {
  Choose(1, 0);
  EXPECT_EQ(window_.text_value_box().Content(), "旧文本");
  EditCell(1, 1, "新文本");
  EXPECT_EQ(Stored("文本"), "text:'新文本'");
  EXPECT_EQ(window_.text_value_box().Content(), "新文本");
}

// Bytes as an SQL blob literal.
std::string BlobLiteral(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string literal = "x'";
  for (std::uint8_t byte : bytes) {
    literal += kDigits[byte >> 4];
    literal += kDigits[byte & 15];
  }
  return literal + "'";
}

// Rows holding BLOBs of megabytes, in a file that keeps its texts as GBK and in one that keeps
// them as UTF-8, in a table with row ids, one without and a view: the browse keeps a long BLOB as
// its size and first bytes where the table has row ids (the whole value elsewhere), and the field
// panel reads and writes every value whole and exactly. A long value that is no picture is not read
// for the preview; the export reads it.
TEST_F(AppTest, LongBlobsBrowseAsSizeAndStartAndThePanelReadsAndWritesThemWhole) {
  // A black picture of 800 x 700 pixels, made in SQL from its header, and a long value that is
  // no picture.
  const Bytes bmp = MakeBmp(800, 700);
  Bytes picture(bmp.begin(), bmp.begin() + 54);
  picture.resize(bmp.size(), 0);
  const std::string picture_sql = "CAST(" + BlobLiteral(Bytes(bmp.begin(), bmp.begin() + 54)) +
                                  " || zeroblob(" + IntToText(static_cast<int>(bmp.size()) - 54) +
                                  ") AS BLOB)";
  Bytes archive{'P', 'K', 3, 4};
  archive.resize(1'200'000, 0);
  const std::string archive_sql = "CAST(x'504B0304' || zeroblob(1199996) AS BLOB)";
  Bytes written(1'000'000);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i * 7);
  const std::string written_file = dir_.Path("写入.bin");
  ASSERT_TRUE(WriteFile(written_file, written));

  static const struct {
    bool utf8;
    const char* table;
    const char* create;
    bool by_row_id;
  } cases[] = {
      {false, "图片", "CREATE TABLE 图片(编号 INTEGER PRIMARY KEY, 名称 TEXT, 数据 BLOB)", true},
      {true, "图片", "CREATE TABLE 图片(编号 INTEGER PRIMARY KEY, 名称 TEXT, 数据 BLOB)", true},
      {false, "无行号", "CREATE TABLE 无行号(编号 PRIMARY KEY, 名称 TEXT, 数据 BLOB) WITHOUT ROWID",
       false},
      {true, "无行号", "CREATE TABLE 无行号(编号 PRIMARY KEY, 名称 TEXT, 数据 BLOB) WITHOUT ROWID",
       false},
  };
  Start();
  int made = 0;
  for (const auto& c : cases) {
    const std::string what = std::string(c.table) + (c.utf8 ? " UTF-8" : " GBK");
    // The file's names and texts as GBK, or as UTF-8 written by another program.
    auto as_file = [&](const std::string& internal) {
      return c.utf8 ? ToUtf8(internal) : internal;
    };
    const std::string path =
        MakeDb(as_file(std::string(c.create) + "; INSERT INTO " + c.table + " VALUES (1, '图', " +
                       picture_sql + "), (2, '包', " + archive_sql +
                       "), (3, '空', x''), (4, '无', NULL), (5, '短', '文字');"
                       "CREATE VIEW 视图 AS SELECT * FROM " +
                       c.table),
               "长值" + IntToText(++made));
    OpenDatabase(app_, path, false);
    ASSERT_EQ(state_.Connection.GetTextMode(), c.utf8 ? TextMode::kUtf8 : TextMode::kGbk) << what;
    auto stored = [&](int id) {
      return QueryBytes(path, as_file(std::string("SELECT 数据 FROM ") + c.table +
                                      " WHERE 编号 = " + IntToText(id)));
    };

    // The grid's rows: the two long values as their size and first bytes, or whole.
    SelectTreeItem(c.table);
    Grid& grid = window_.grid();
    ASSERT_EQ(grid.RowCount(), 6) << what;
    const TextTable shown = state_.RecordSet.GetAll(true);
    for (const auto& [row, value] : {std::pair{1, &picture}, {2, &archive}}) {
      const std::optional<BytesCell> cell = shown.Bytes(row, 2, std::string_view::npos);
      ASSERT_TRUE(cell) << what << row;
      EXPECT_EQ(cell->size, value->size()) << what << row;
      const std::size_t kept = c.by_row_id ? kBlobStartKept : value->size();
      EXPECT_TRUE(cell->start ==
                  std::string_view(reinterpret_cast<const char*>(value->data()), kept))
          << what << row;
      if (!c.utf8) EXPECT_EQ(grid.CellText(row, 3).size(), kept) << what << row;
    }
    EXPECT_EQ(shown.Bytes(3, 2, 8)->size, 0u) << what;
    EXPECT_TRUE(shown.IsNull(4, 2)) << what;
    EXPECT_EQ(grid.CellText(5, 3), "文字") << what;
    EXPECT_EQ(grid.CellText(1, 2), "图") << what;
    if (c.by_row_id) EXPECT_LT(shown.HeldBytes(), std::size_t{64} << 10) << what;

    // The panel previews the picture, read whole, and does not read the long value that is none.
    window_.field_tabs().SetCurrentPage(3);
    grid.SetCurrentCell(1, 3);
    // A picture of megabytes is read on a worker thread where the table has row ids.
    EXPECT_EQ(state_.PendingPanelRead != nullptr, c.by_row_id) << what;
    WaitForPanelRead();
    EXPECT_TRUE(window_.picture_box().ShowsImage()) << what;
    EXPECT_TRUE(window_.picture_box().Picture() == picture) << what;
    grid.SetCurrentCell(2, 3);
    EXPECT_FALSE(window_.picture_box().ShowsImage()) << what;
    EXPECT_EQ(window_.picture_box().Picture().empty(), c.by_row_id) << what;
    // Its export and a write from a file are exact.
    services_.ClearRecords();
    const std::string out = dir_.Path("导出" + IntToText(made) + ".bin");
    services_.QueueFileDialogAnswer(out);
    window_.write_bytes_to_file_button().Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入文件 " + out}) << what;
    Bytes exported;
    ASSERT_TRUE(ReadWholeFile(out, exported));
    EXPECT_TRUE(exported == archive) << what << ": " << exported.size() << " bytes";
    grid.SetCurrentCell(3, 3);
    services_.ClearRecords();
    services_.QueueFileDialogAnswer(written_file);
    window_.read_bytes_from_file_button().Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入字段值！"}) << what;
    EXPECT_TRUE(stored(3) == written) << what;
    EXPECT_EQ(state_.RecordSet.GetAll(true).StoredSize(3, 2), written.size()) << what;
    // What the grid showed was never taken for the value: the others are as they were.
    EXPECT_TRUE(stored(1) == picture) << what;
    EXPECT_TRUE(stored(2) == archive) << what;

    // A view shows every value whole; the panel stays hidden.
    SelectTreeItem("视图");
    EXPECT_EQ(state_.RecordSet.GetAll(true).Bytes(1, 2, std::string_view::npos)->start.size(),
              picture.size())
        << what;
    EXPECT_FALSE(window_.field_panel().IsVisible()) << what;
  }
}

// A table of two pictures and a short value that is none, with the field panel on its bytes page
// and pictures from 1000 bytes on read on a worker thread.
class PanelReadAsideTest : public AppTest {
 protected:
  void SetUp() override {
    path_ = MakeDb(
        "CREATE TABLE 图片(编号 INTEGER PRIMARY KEY, 数据 BLOB);"
        "INSERT INTO 图片 VALUES (1, " +
        BlobLiteral(first_) + "), (2, " + BlobLiteral(second_) + "), (3, x'0102');");
    Start({path_});
    state_.PanelReadAsideBytes = 1000;
    SelectTreeItem("图片");
    window_.field_tabs().SetCurrentPage(3);
  }

  // Chooses record `record`'s picture field, as clicking its grid cell does.
  void Choose(int record) { window_.grid().SetCurrentCell(record, 2); }

  // What the panel shows for record `record` when it reads while the user waits.
  void ExpectShownAsReadHere(int record, const Bytes& value) {
    const std::uint64_t aside = state_.PanelReadAsideBytes;
    state_.PanelReadAsideBytes = UINT64_MAX;
    Choose(3);
    Choose(record);
    EXPECT_FALSE(state_.PendingPanelRead);
    EXPECT_TRUE(window_.picture_box().Picture() == value);
    EXPECT_TRUE(window_.picture_box().ShowsImage());
    state_.PanelReadAsideBytes = aside;
  }

  const Bytes first_ = MakeBmp(200, 150);
  const Bytes second_ = MakeBmp(150, 200);
  std::string path_;
};

// The panel answers at once with an empty preview that says the picture is being read; the
// picture arrives once events are handled, as the panel shows it when it reads while the user
// waits. A short value that is no picture is read at once, as ever.
TEST_F(PanelReadAsideTest, ThePictureArrivesAfterEventsAsItWouldShowAtOnce) {
  PictureBox& box = window_.picture_box();
  for (const auto& [record, value] : {std::pair{1, &first_}, {2, &second_}}) {
    Choose(record);
    ASSERT_TRUE(state_.PendingPanelRead) << record;
    EXPECT_FALSE(box.ShowsImage()) << record;
    EXPECT_TRUE(box.Picture().empty()) << record;
    EXPECT_EQ(box.Note(), "正在读取图片……") << record;
    WaitForPanelRead();
    EXPECT_TRUE(box.ShowsImage()) << record;
    EXPECT_TRUE(box.Picture() == *value) << record;
    EXPECT_EQ(box.Note(), "") << record;
    ExpectShownAsReadHere(record, *value);
  }
  Choose(3);
  EXPECT_FALSE(state_.PendingPanelRead);
  EXPECT_EQ(box.Picture(), (Bytes{1, 2}));
  EXPECT_FALSE(box.ShowsImage());
  EXPECT_EQ(box.Note(), "");
  EXPECT_TRUE(MessageTexts().empty());
}

// Another choice, a write, a browse, long work and the close stop a picture being read: its
// picture never lands in the panel, and the note goes.
TEST_F(PanelReadAsideTest, AStoppedReadNeverArrives) {
  const struct {
    const char* what;
    std::function<void()> stop;
  } cases[] = {
      {"another record", [this] { Choose(3); }},
      {"another page",
       [this] {
         window_.field_tabs().SetCurrentPage(0);
         window_.field_tabs().on_page_changed();
       }},
      {"a write",
       [this] {
         ASSERT_TRUE(state_.Connection.Execute("UPDATE 图片 SET 数据 = x'0304' WHERE 编号 = 3"));
       }},
      {"a browse", [this] { BrowseObject(app_, "图片", ItemKind::kTable); }},
      {"long work", [this] { LongWork work(app_, "工作", "进行中"); }},
      {"the close", [this] { ASSERT_TRUE(CloseDatabase(app_)); }},
  };
  PictureBox& box = window_.picture_box();
  for (const auto& c : cases) {
    window_.field_tabs().SetCurrentPage(3);
    Choose(3);
    Choose(1);
    ASSERT_TRUE(state_.PendingPanelRead) << c.what;
    c.stop();
    EXPECT_FALSE(state_.PendingPanelRead) << c.what;
    EXPECT_EQ(box.Note(), "") << c.what;
    HandleEventsAWhile();
    EXPECT_FALSE(box.ShowsImage()) << c.what;
    EXPECT_FALSE(box.Picture() == first_) << c.what;
  }
  EXPECT_TRUE(MessageTexts().empty());
}

// Inside the user's transaction that has written, another connection would see the file's value,
// not the transaction's: the panel reads the value on the program's connection, while the user
// waits, and shows what the transaction wrote. Once it is rolled back the file's value shows.
TEST_F(PanelReadAsideTest, InsideAWriteTransactionThePanelShowsTheTransactionsValue) {
  BeginTransactionCommand(app_);
  ASSERT_TRUE(
      state_.Connection.Execute("UPDATE 图片 SET 数据 = (SELECT 数据 FROM 图片 WHERE "
                                "编号 = 2) WHERE 编号 = 1"));
  Choose(1);
  EXPECT_FALSE(state_.PendingPanelRead);
  EXPECT_TRUE(window_.picture_box().Picture() == second_);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
  EXPECT_TRUE(QueryBytes(path_, "SELECT 数据 FROM 图片 WHERE 编号 = 1") == first_);

  ASSERT_TRUE(RollbackUserTransaction(app_));
  Choose(2);
  Choose(1);
  ASSERT_TRUE(state_.PendingPanelRead);
  WaitForPanelRead();
  EXPECT_TRUE(window_.picture_box().Picture() == first_);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
}

// A write from the panel and an export go to the table itself, never to the preview's copy, and
// a picture still being read does not land over what was written.
TEST_F(PanelReadAsideTest, WritesAndExportsUseTheTableNotThePreview) {
  Choose(1);
  ASSERT_TRUE(state_.PendingPanelRead);
  const std::string out = dir_.Path("导出.bmp");
  services_.QueueFileDialogAnswer(out);
  window_.write_bytes_to_file_button().Click();
  EXPECT_FALSE(state_.PendingPanelRead);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入文件 " + out});
  Bytes exported;
  ASSERT_TRUE(ReadWholeFile(out, exported));
  EXPECT_TRUE(exported == first_);

  const std::string in = dir_.Path("写入.bmp");
  ASSERT_TRUE(WriteFile(in, second_));
  Choose(2);
  Choose(1);
  ASSERT_TRUE(state_.PendingPanelRead);
  services_.ClearRecords();
  services_.QueueFileDialogAnswer(in);
  window_.read_bytes_from_file_button().Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功写入字段值！"});
  HandleEventsAWhile();
  EXPECT_TRUE(QueryBytes(path_, "SELECT 数据 FROM 图片 WHERE 编号 = 1") == second_);
  EXPECT_TRUE(window_.picture_box().Picture() == second_);
  EXPECT_TRUE(window_.picture_box().ShowsImage());
}

}  // namespace
}  // namespace torvane
