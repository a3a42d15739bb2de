#include "platform/desktop_integration.h"

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

std::string FileText(const std::string& path) { return BytesToText(ReadFile(path)); }

TEST(DesktopIntegration, WritesMimePackageAndDesktopEntry) {
  TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", dir.system_path() + "/share");
  ASSERT_TRUE(InstallDesktopIntegration("/opt/torvane/torvane", "/opt/torvane/ZuveviRE.ico"));
  const std::string entry = FileText(DesktopEntryPath());
  EXPECT_NE(entry.find("Exec=/opt/torvane/torvane %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Icon=/opt/torvane/ZuveviRE.ico\n"), std::string::npos);
  EXPECT_NE(entry.find(std::string("MimeType=") + kDatabaseMimeType + ";"), std::string::npos);
  const std::string mime = FileText(MimePackagePath());
  EXPECT_NE(mime.find("<glob pattern=\"*.sdb\""), std::string::npos);
  EXPECT_NE(mime.find(kDatabaseMimeType), std::string::npos);
  // A second start with the same program writes nothing new and still succeeds.
  EXPECT_TRUE(InstallDesktopIntegration("/opt/torvane/torvane", "/opt/torvane/ZuveviRE.ico"));
}

TEST(DesktopIntegration, ExecLineQuotesPathsThatNeedIt) {
  static const struct {
    const char* executable;
    const char* exec_line;  // UTF-8
  } cases[] = {
      {"/opt/torvane/torvane", "Exec=/opt/torvane/torvane %f\n"},
      {"/home/u/my apps/torvane", "Exec=\"/home/u/my apps/torvane\" %f\n"},
      {"/a/100%/t", "Exec=\"/a/100%%/t\" %f\n"},
      {"/a/$x\"y/t", "Exec=\"/a/\\\\$x\\\\\"y/t\" %f\n"},
      {"/a/b\\c/t", "Exec=\"/a/b\\\\\\\\c/t\" %f\n"},
  };
  for (const auto& c : cases) {
    const std::string entry = DesktopEntryText(c.executable, "/i.ico");
    EXPECT_NE(entry.find(c.exec_line), std::string::npos) << c.executable << "\n" << entry;
  }
  // Chinese folder names stay as they are (UTF-8 on disk).
  const std::string entry = DesktopEntryText("/opt/程序/torvane", "/i.ico");
  EXPECT_NE(entry.find("Exec=" + ToUtf8("/opt/程序/torvane") + " %f\n"), std::string::npos);
}

TEST(DesktopIntegration, UnwritableDataHomeFails) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.Path("file"), Bytes{1}));
  ScopedEnv data("XDG_DATA_HOME", dir.system_path() + "/file");
  EXPECT_FALSE(InstallDesktopIntegration("/opt/torvane/torvane", "/i.ico"));
}

}  // namespace
}  // namespace torvane
