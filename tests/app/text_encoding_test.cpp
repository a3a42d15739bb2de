#include "app/text_encoding.h"

#include <dirent.h>

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/files.h"
#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;
using testing::QueryText;

// u8 literals stay UTF-8 whatever the execution character set is.
std::string U8(std::u8string_view utf8) { return std::string(utf8.begin(), utf8.end()); }

class TextEncodingTest : public AppTest {
 protected:
  // A database written by another program in UTF-8: Chinese names, text and a BLOB.
  void OpenUtf8Database() {
    path_ =
        MakeDb(U8(u8"CREATE TABLE 学生 (姓名 TEXT, 照片 BLOB); INSERT INTO 学生 VALUES "
                  u8"('张三', x'0102'); CREATE VIEW 名单 AS SELECT 姓名 FROM 学生;"));
    Start({path_});
  }
  std::string Hex(const std::string& column) {
    return QueryText(path_, U8(u8"SELECT hex(") + column + U8(u8") FROM 学生"));
  }
  MenuItem& ModeItem() { return window_.command_item(MainCommand::kSwitchTextMode); }

  std::string path_;
};

TEST_F(TextEncodingTest, AUtf8DatabaseReadsAndWritesUtf8) {
  OpenUtf8Database();
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
  EXPECT_TRUE(LogHas("打开数据库：" + path_ + "（文本编码：UTF-8）"));
  EXPECT_EQ(ModeItem().Text(), "文本编码：UTF-8...");
  EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"表 (1)", "学生", "视图 (1)", "名单"}));

  SelectTreeItem("学生");
  EXPECT_EQ(window_.grid().CellText(0, 1), "姓名");
  EXPECT_EQ(window_.grid().CellText(1, 1), "张三");
  EXPECT_EQ(window_.definition_box().Content(), "CREATE TABLE 学生 (姓名 TEXT, 照片 BLOB)");
  window_.field_tabs().SetCurrentPage(0);
  window_.grid().SetCurrentCell(1, 1);
  window_.read_text_button().Click();
  EXPECT_EQ(window_.text_value_box().Content(), "张三");

  // The field panel writes UTF-8; bytes are written as they are.
  window_.text_value_box().SetContent("李四");
  window_.write_text_button().Click();
  EXPECT_EQ(Hex(U8(u8"姓名")), "E69D8EE59B9B");
  const std::string file = dir_.Path("gbk.bin");
  ASSERT_TRUE(WriteFile(file, Bytes{0xD6, 0xD0}));
  window_.field_tabs().SetCurrentPage(3);
  window_.grid().SetCurrentCell(1, 2);
  services_.QueueFileDialogAnswer(file);
  window_.read_bytes_from_file_button().Click();
  EXPECT_EQ(Hex(U8(u8"照片")), "D6D0");

  // An edit in the grid, an emoji included, is written as UTF-8.
  SelectTreeItem("学生");
  EditCell(1, 1, FromUtf16(u"王五\U0001F600"));
  EXPECT_EQ(Hex(U8(u8"姓名")), "E78E8BE4BA94F09F9880");
  EXPECT_EQ(window_.grid().CellText(1, 1), FromUtf16(u"王五\U0001F600"));
}

TEST_F(TextEncodingTest, AGbkDatabaseStaysGbk) {
  path_ = MakeDb("CREATE TABLE 学生 (姓名 TEXT); INSERT INTO 学生 VALUES ('张三');");
  Start({path_});
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kGbk);
  EXPECT_EQ(ModeItem().Text(), "文本编码：GBK...");
  SelectTreeItem("学生");
  EXPECT_EQ(window_.grid().CellText(1, 1), "张三");
  EditCell(1, 1, FromUtf16(u"王五\U0001F600\u20AC"));
  // GB18030 for the emoji, and the euro sign as the single byte the GBK code page has for it.
  EXPECT_EQ(QueryText(path_, "SELECT hex(姓名) FROM 学生"), "CDF5CEE59439FC3680");
}

TEST_F(TextEncodingTest, SwitchingReadsTheTreeAgainAndKeepsTheTransaction) {
  OpenUtf8Database();
  SelectTreeItem("学生");
  ASSERT_TRUE(state_.Connection.BeginTransaction());
  ASSERT_TRUE(state_.Connection.Execute("INSERT INTO 学生 VALUES ('赵六', NULL)"));

  // Answered No: nothing changes.
  services_.QueueMessageBoxAnswer(kIdNo);
  ASSERT_TRUE(ModeItem().Choose());
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbYesNoAsk);
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);

  services_.QueueMessageBoxAnswer(kIdYes);
  ASSERT_TRUE(ModeItem().Choose());
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kGbk);
  EXPECT_EQ(ModeItem().Text(), "文本编码：GBK...");
  // Read as GBK, the UTF-8 names are other bytes; the tree and grid show exactly those bytes.
  EXPECT_EQ(TreeTexts(),
            (std::vector<std::string>{"表 (1)", U8(u8"学生"), "视图 (1)", U8(u8"名单")}));
  EXPECT_EQ(window_.tree().ItemText(window_.tree().SelectedIndex()), U8(u8"学生"));
  EXPECT_EQ(window_.grid().CellText(1, 1), U8(u8"张三"));
  EXPECT_TRUE(state_.Connection.IsInTransaction());

  // And back: the transaction's row is still there to commit.
  services_.QueueMessageBoxAnswer(kIdYes);
  ASSERT_TRUE(ModeItem().Choose());
  EXPECT_EQ(window_.grid().CellText(2, 1), "赵六");
  const std::string log = window_.log_box().Content();
  EXPECT_NE(log.find("数据库文本编码改为：GBK\r\n"), std::string::npos);
  EXPECT_NE(log.find("数据库文本编码改为：UTF-8\r\n"), std::string::npos);
  ASSERT_TRUE(state_.Connection.CommitTransaction());
  EXPECT_EQ(QueryText(path_, U8(u8"SELECT hex(姓名) FROM 学生 WHERE rowid = 2")), "E8B5B5E585AD");
}

TEST_F(TextEncodingTest, AUtf16DatabaseIsNeverReadAsGbk) {
  path_ = MakeDb(U8(u8"PRAGMA encoding = 'UTF-16le'; CREATE TABLE 表一 (a);"));
  Start({path_});
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
  EXPECT_EQ(TreeTexts()[1], "表一");
  ASSERT_TRUE(ModeItem().Choose());
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkExclamation);
  EXPECT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
}

// A file name that is not UTF-8 is opened, backed up and logged under its own bytes.
TEST_F(TextEncodingTest, AFileNameThatIsNotUtf8Opens) {
  const std::string unique = dir_.path().substr(dir_.path().rfind('/') + 1);
  const std::string raw_name = "gbk-\xD6\xD0-" + ToUtf8(unique) + ".sdb";  // 中 in GBK bytes
  const std::string path = dir_.path() + "/" + FromUtf8(raw_name);
  testing::MakeDatabase(path, "CREATE TABLE t (a);");
  Start({path});
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(TreeTexts()[1], "t");
  const std::vector<std::string> backups = backups_made();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(FileExists(backups[0]));
  // On disk, both names hold the original bytes.
  const std::string folder = ToUtf8(backups[0].substr(0, backups[0].rfind('/')));
  bool found = false;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* entry = readdir(d)) {
      if (std::string(entry->d_name).rfind(raw_name + "__", 0) == 0) found = true;
    }
    closedir(d);
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(ToUtf8(path).substr(ToUtf8(path).rfind('/') + 1), raw_name);
}

}  // namespace
}  // namespace torvane
