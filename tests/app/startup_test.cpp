#include "app/startup.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "console/sql_templates.h"
#include "platform/program_places.h"
#include "platform/xdg.h"

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
  // The window shows the file while its backup is written: the open's line comes first.
  EXPECT_EQ(window_.log_box().Content(), "\r\n打开数据库：" + path + "（文本编码：GBK）" +
                                             "\r\n已将数据库文件备份到：" + backups[0]);
  EXPECT_EQ(window_.tree().ItemText(0), "表 (1)");
  EXPECT_EQ(window_.tree().ItemText(1), "商品");
  for (int i = 0; i < window_.toolbar().ButtonCount(); ++i) {
    EXPECT_TRUE(window_.toolbar().IsButtonEnabled(i)) << i;
  }
  EXPECT_TRUE(window_.menu_item("执行SQL语句")->IsChoosable());
  EXPECT_TRUE(window_.menu_item("备份数据库")->IsChoosable());
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");  // nothing shown until a selection
}

// The window is on the screen before the database the command line names is touched: the backup
// and the open wait for its first paint.
TEST_F(AppTest, TheWindowShowsBeforeTheDatabaseIsOpened) {
  const std::string path = MakeDb("CREATE TABLE 商品(名称 TEXT);");
  ConnectMainWindow(app_, ParseCommandLine({path}));
  window_.Show();
  EXPECT_TRUE(window_.window().IsVisible());
  EXPECT_FALSE(state_.Connection.IsOpen());
  EXPECT_EQ(window_.window().Title(), "Torvane v1.0");
  EXPECT_TRUE(backups_made().empty());
  WaitForFirstShow();
  EXPECT_TRUE(state_.Connection.IsOpen());
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(backups_made().size(), 1u);
}

TEST_F(AppTest, StartWithAMissingPathReportsAndCreatesNothing) {
  const std::string path = dir_.Path("没有 这个.sdb");
  Start({path});
  ExpectNoDatabaseState(window_);
  EXPECT_FALSE(FileExists(path));
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "不能打开数据库 [" + path + "]！错误信息如下：\r\n\r\nNo such file or directory");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(services_.message_boxes()[0].caption, "信息：");
  EXPECT_EQ(window_.log_box().Content(),
            "\r\n[×]打开数据库失败！[" + path + "]（No such file or directory）");
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
  EXPECT_EQ(services_.web_addresses()[0], FileUrl(RunDirectory() + "/README.md"));
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

using testing::AppTest;

TEST_F(AppTest, TableOptionShowsTheTableOrViewAtOnce) {
  const std::string path = MakeDb(
      "CREATE TABLE 商品(名称 TEXT); INSERT INTO 商品 VALUES('苹果'); CREATE VIEW v AS "
      "SELECT 名称 || '!' AS x FROM 商品;");
  Start({path, "--table=v"});
  EXPECT_EQ(window_.tree().ItemText(window_.tree().SelectedIndex()), "v");
  EXPECT_EQ(window_.grid().CellText(1, 1), "苹果!");
  EXPECT_TRUE(services_.message_boxes().empty());
}

TEST_F(AppTest, TableOptionNamingNothingSaysSo) {
  const std::string path = MakeDb("CREATE TABLE 商品(名称 TEXT);");
  Start({path, "-t", "没有"});
  EXPECT_EQ(state_.DatabasePath, path);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"数据库中没有名为 [没有] 的表或视图。"});
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
}

// A program standing in an installed layout: <prefix>/bin/torvane beside <prefix>/share/torvane.
class InstalledTest : public AppTest {
 protected:
  void SetUp() override {
    prefix_ = dir_.Path("pre fix");
    for (const char* folder : {"", "/bin", "/share", "/share/torvane", "/share/applications",
                               "/share/doc", "/share/doc/torvane"}) {
      ASSERT_TRUE(CreateDirectory(prefix_ + folder));
    }
    ASSERT_TRUE(WriteFile(prefix_ + "/share/torvane/SQL模板.txt", TextToBytes("SELECT 1\r\n")));
    ASSERT_TRUE(WriteFile(prefix_ + "/share/torvane/ZuveviRE.ico", EmbeddedIcon()));
    ASSERT_TRUE(WriteFile(prefix_ + "/share/applications/torvane.desktop",
                          TextToBytes("[Desktop Entry]\nName=Torvane\n")));
    ASSERT_TRUE(WriteFile(prefix_ + "/share/doc/torvane/README.md", TextToBytes("# Torvane\n")));
    SetExecutablePathForTesting(prefix_ + "/bin/torvane");
  }
  void TearDown() override { SetExecutablePathForTesting(""); }

  // Every file under the prefix with its size, to see that nothing was written there.
  std::string Listing() {
    std::string listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ToUtf8(prefix_))) {
      listing += entry.path().string() + ":" +
                 (entry.is_regular_file() ? std::to_string(entry.file_size()) : "dir") + "\n";
    }
    return listing;
  }

  std::string prefix_;
};

TEST_F(InstalledTest, BacksUpIntoTheUsersDataFolderAndWritesNothingIntoTheInstall) {
  const std::string data = dir_.path() + "/data";
  // An entry a build tree registered earlier would stand in front of the install's.
  ASSERT_TRUE(CreateDirectories(data + "/applications"));
  ASSERT_TRUE(WriteFile(data + "/applications/torvane.desktop",
                        TextToBytes(DesktopEntryText("/old/torvane", "/old/ZuveviRE.ico"))));
  const std::string before = Listing();
  const std::string path = MakeDb("CREATE TABLE 商品(名称 TEXT);");
  Start({path});

  const std::vector<std::string> backups = backups_made();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].rfind(data + "/torvane/数据库备份/", 0), 0u) << backups[0];
  EXPECT_EQ(ReadFile(backups[0]), ReadFile(path));
  EXPECT_FALSE(FileExists(data + "/applications/torvane.desktop"));
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\DefaultIcon"),
            prefix_ + "/share/torvane/ZuveviRE.ico");
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\shell\\open\\command"), prefix_ + "/bin/torvane %1");
  EXPECT_EQ(TemplateFilePath(), prefix_ + "/share/torvane/SQL模板.txt");
  EXPECT_EQ(ManualAddress(),
            "file://" + ToUtf8(dir_.path()).substr(0) + "/pre%20fix/share/doc/torvane/README.md");
  EXPECT_EQ(Listing(), before);
}

TEST_F(InstalledTest, KeepsAnEntryTheUserWroteAndWritesAMissingIconToTheDataFolder) {
  const std::string data = dir_.path() + "/data";
  ASSERT_TRUE(CreateDirectories(data + "/applications"));
  const Bytes own = TextToBytes("[Desktop Entry]\nType=Application\nName=My Torvane\n");
  ASSERT_TRUE(WriteFile(data + "/applications/torvane.desktop", own));
  ASSERT_TRUE(DeleteFile(prefix_ + "/share/torvane/ZuveviRE.ico"));
  Start();
  EXPECT_EQ(ReadFile(data + "/applications/torvane.desktop"), own);
  EXPECT_EQ(ReadFile(data + "/torvane/ZuveviRE.ico"), EmbeddedIcon());
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\DefaultIcon"), data + "/torvane/ZuveviRE.ico");
}

TEST_F(InstalledTest, ABackupFolderThatCannotBeMadeIsReportedAndTheDatabaseOpens) {
  // The data folder lies under a plain file, so nothing can be made there (root included).
  ASSERT_TRUE(WriteFile(dir_.Path("file"), Bytes{1}));
  testing::ScopedEnv data("XDG_DATA_HOME", dir_.system_path() + "/file/data");
  const std::string path = MakeDb("CREATE TABLE t(a);");
  Start({path});
  EXPECT_EQ(state_.DatabasePath, path);
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind(
                "未能将数据库文件备份到：" + dir_.path() + "/file/data/torvane/数据库备份/", 0),
            0u);
  EXPECT_NE(window_.log_box().Content().find("[×]备份数据库失败！"), std::string::npos);
}

TEST(ProgramPlaces, DecidedByLayout) {
  testing::TempDir dir;
  testing::ScopedEnv data("XDG_DATA_HOME", dir.system_path() + "/data");
  ASSERT_TRUE(CreateDirectories(dir.path() + "/usr/bin"));
  ASSERT_TRUE(CreateDirectories(dir.path() + "/usr/share/torvane"));
  ASSERT_TRUE(CreateDirectories(dir.path() + "/loose/bin"));
  ASSERT_TRUE(CreateDirectories(dir.path() + "/build/src/program"));

  const ProgramPlaces installed = PlacesFor(dir.path() + "/usr/bin");
  EXPECT_TRUE(installed.installed);
  EXPECT_EQ(installed.prefix, dir.path() + "/usr");
  EXPECT_EQ(installed.backup_directory, dir.path() + "/data/torvane/数据库备份");
  EXPECT_EQ(installed.template_file, dir.path() + "/usr/share/torvane/SQL模板.txt");
  EXPECT_EQ(installed.manual_file, dir.path() + "/usr/share/doc/torvane/README.md");

  // A bin folder without the install's share folder, and a build tree: everything beside the
  // executable, as always.
  for (const char* run : {"/loose/bin", "/build/src/program"}) {
    const ProgramPlaces places = PlacesFor(dir.path() + run);
    EXPECT_FALSE(places.installed) << run;
    EXPECT_EQ(places.backup_directory, dir.path() + run + "/数据库备份");
    EXPECT_EQ(places.template_file, dir.path() + run + "/SQL模板.txt");
    EXPECT_EQ(places.icon_file, dir.path() + run + "/ZuveviRE.ico");
  }

  // Without XDG_DATA_HOME (or with a relative one), backups go under ~/.local/share.
  testing::ScopedEnv home("HOME", dir.system_path() + "/home");
  for (const char* value : {"", "relative/data"}) {
    testing::ScopedEnv unset("XDG_DATA_HOME", value);
    EXPECT_EQ(PlacesFor(dir.path() + "/usr/bin").backup_directory,
              dir.path() + "/home/.local/share/torvane/数据库备份")
        << value;
  }
}

}  // namespace
}  // namespace torvane
