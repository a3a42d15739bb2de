#include "app/startup.h"

#include <gtest/gtest.h>

#include "base/files.h"
#include "base/text.h"
#include "platform/app_icon.h"
#include "platform/desktop_integration.h"
#include "platform/registry.h"
#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;

// The no-database look: only new, open, exit and about can be used.
void ExpectNoDatabaseState(MainWindow& w) {
  EXPECT_EQ(w.window().Title(), "Torvane v1.0");
  EXPECT_EQ(w.grid().RowCount(), 1);
  EXPECT_EQ(w.grid().ColumnCount(), 1);
  EXPECT_EQ(w.grid().CellText(0, 0), "无数据");
  EXPECT_EQ(w.tree().ItemCount(), 0);
  EXPECT_FALSE(w.field_panel().IsVisible());
  for (int i = 0; i < w.toolbar().ButtonCount(); ++i) {
    EXPECT_EQ(w.toolbar().IsButtonEnabled(i), i < 2) << "toolbar button " << i;
  }
  for (const char* caption : {"新建数据库...", "打开数据库...", "退出", "关于"}) {
    EXPECT_TRUE(w.menu_item(caption)->IsChoosable()) << caption;
  }
  for (const char* caption : {"关闭数据库", "备份数据库", "新建表...", "删除当前记录", "新建视图",
                              "执行SQL语句", "开始事务", "取最新插入ID"}) {
    EXPECT_FALSE(w.menu_item(caption)->IsChoosable()) << caption;
  }
  EXPECT_FALSE(w.menu(MainMenu::kTable).PopUp());
}

TEST_F(AppTest, StartsEmptyWithoutArguments) {
  Start();
  ExpectNoDatabaseState(window_);
  EXPECT_EQ(window_.log_box().Content(), "");
  EXPECT_EQ(state_.RowLimit, 1000);
  EXPECT_EQ(state_.DatabasePath, "");
  EXPECT_TRUE(services_.message_boxes().empty());
}

TEST_F(AppTest, StartRegistersTheFileType) {
  Start();
  const std::string icon = RunDirectory() + "/ZuveviRE.ico";
  const std::string program = RunDirectory() + "/" + ExecutableFileName();
  ASSERT_TRUE(FileExists(icon));
  EXPECT_EQ(ReadRegistryDefault(".sdb"), "ZuveviREFile");
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile"), "Sqlite数据库文件");
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\DefaultIcon"), icon);
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\shell\\open\\command"), program + " %1");
  const std::string entry = BytesToText(ReadFile(DesktopEntryPath()));
  EXPECT_NE(entry.find(kDatabaseMimeType), std::string::npos);
  EXPECT_TRUE(FileExists(MimePackagePath()));
}

TEST_F(AppTest, StartWithAPathBacksItUpAndOpensIt) {
  const std::string path = MakeDb("CREATE TABLE 商品(名称 TEXT); INSERT INTO 商品 VALUES('苹果');");
  const Bytes original = ReadFile(path);
  Start({path, "ignored second argument"});

  EXPECT_EQ(window_.window().Title(), "Torvane v1.0 - " + path);
  EXPECT_EQ(state_.DatabasePath, path);
  const std::vector<std::string> backups = backups_made();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(ReadFile(backups[0]), original);
  EXPECT_EQ(window_.log_box().Content(),
            "\r\n已将数据库文件备份到：" + backups[0] + "\r\n打开数据库：" + path + "（文本编码：GBK）");
  EXPECT_EQ(window_.tree().ItemText(0), "表 (1)");
  EXPECT_EQ(window_.tree().ItemText(1), "商品");
  for (int i = 0; i < window_.toolbar().ButtonCount(); ++i) {
    EXPECT_TRUE(window_.toolbar().IsButtonEnabled(i)) << i;
  }
  EXPECT_TRUE(window_.menu_item("执行SQL语句")->IsChoosable());
  EXPECT_TRUE(window_.menu_item("备份数据库")->IsChoosable());
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");  // nothing shown until a selection
}

TEST_F(AppTest, StartWithAMissingPathReportsAndCreatesNothing) {
  const std::string path = dir_.Path("没有 这个.sdb");
  Start({path});
  ExpectNoDatabaseState(window_);
  EXPECT_FALSE(FileExists(path));
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text, "不能打开数据库 [" + path + "]！");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(services_.message_boxes()[0].caption, "信息：");
  EXPECT_EQ(window_.log_box().Content(), "\r\n[×]打开数据库失败！[" + path + "]");
}

TEST_F(AppTest, ExitClosesTheDatabaseAndTheWindow) {
  const std::string path = MakeDb("CREATE TABLE t(a);");
  Start({path});
  SelectTreeItem("t");
  ASSERT_TRUE(window_.menu_item("退出")->Choose());
  EXPECT_FALSE(state_.Connection.IsOpen());
  EXPECT_TRUE(services_.message_boxes().empty());  // the close worked at once
  Runtime::ProcessEvents();
  EXPECT_FALSE(window_.window().IsOpen());
}

TEST_F(AppTest, AboutShowsTheTitleThenTheDocumentation) {
  Start();
  ASSERT_TRUE(window_.menu_item("关于")->Choose());
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind("Torvane v1.0\r\n\r\n", 0), 0u);
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOk);
  ASSERT_EQ(services_.web_addresses().size(), 1u);
  EXPECT_EQ(services_.web_addresses()[0], window_.manual_address());
}

}  // namespace
}  // namespace torvane
