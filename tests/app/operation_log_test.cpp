#include "app/operation_log.h"
#include "app/messages.h"

#include <gtest/gtest.h>

#include "base/files.h"
#include "base/text.h"
#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;

// A quoted value stays on one line and, when long, is cut between two characters (never inside a
// two- or four-byte one) and says how long it was.
TEST(LogExcerpt, OneLineAndCutBetweenCharacters) {
  EXPECT_EQ(LogExcerpt("a\r\nb\tc\nd\re"), "a b c d e");
  EXPECT_EQ(LogExcerpt(std::string(kLogTextLimit, 'x')), std::string(kLogTextLimit, 'x'));
  const std::string ascii(kLogTextLimit + 1, 'x');
  EXPECT_EQ(LogExcerpt(ascii), std::string(kLogTextLimit, 'x') + "…（共201字节）");
  // One byte, then two-byte characters: the last whole one ends at byte 199.
  std::string wide = "x";
  for (int i = 0; i < 150; ++i) wide += "汉";
  EXPECT_EQ(LogExcerpt(wide), wide.substr(0, 199) + "…（共301字节）");
  // A four-byte character (GB18030 0x81 0x30 0x81 0x30) across the limit is left out whole.
  std::string four(kLogTextLimit - 2, 'y');
  four += "\x81\x30\x81\x30";
  EXPECT_EQ(LogExcerpt(four), std::string(kLogTextLimit - 2, 'y') + "…（共202字节）");
}

TEST_F(AppTest, LogSavesAsItsOwnBytesWithCrLf) {
  Start();
  AppendLog(app_, "第一行");
  AppendLog(app_, "[×]第二行");
  EXPECT_EQ(window_.log_box().Content(), "\r\n第一行\r\n[×]第二行");

  const std::string path = dir_.Path("日志.txt");
  services_.QueueFileDialogAnswer(path);
  window_.save_log_button().Click();
  ASSERT_EQ(services_.file_dialogs().size(), 1u);
  EXPECT_EQ(services_.file_dialogs()[0].kind, FileDialogKind::kSave);
  EXPECT_EQ(services_.file_dialogs()[0].default_extension, "txt");
  EXPECT_EQ(ReadFile(path), TextToBytes("\r\n第一行\r\n[×]第二行"));
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text, "已成功写入文件 " + path);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOk);
  EXPECT_EQ(services_.shell_edits(), std::vector<std::string>{path});
}

TEST_F(AppTest, EmptyLogSavesAnEmptyFileAndClearEmpties) {
  Start();
  AppendLog(app_, "x");
  window_.clear_log_button().Click();
  EXPECT_EQ(window_.log_box().Content(), "");
  const std::string path = dir_.Path("empty.txt");
  ASSERT_TRUE(WriteFile(path, Bytes{'o', 'l', 'd'}));
  services_.QueueFileDialogAnswer(path);
  SaveLogCommand(app_);
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(ReadFile(path).empty());
}

TEST_F(AppTest, LogSaveToAnUnwritablePlaceKeepsTheLog) {
  Start();
  AppendLog(app_, "保留");
  services_.QueueFileDialogAnswer(dir_.Path("no/such/folder/log.txt"));
  SaveLogCommand(app_);
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text, "写文件失败！");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOk);
  EXPECT_TRUE(services_.shell_edits().empty());
  EXPECT_EQ(window_.log_box().Content(), "\r\n保留");
  // A cancelled dialog does nothing at all.
  SaveLogCommand(app_);
  EXPECT_EQ(services_.message_boxes().size(), 1u);
}

}  // namespace
}  // namespace torvane
