#include "platform/registry.h"

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/files.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

TEST(Registry, KeepsDefaultValuesUnderTheConfigHome) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.system_path() + ToUtf8("/配置/深"));  // made on demand
  EXPECT_EQ(ReadRegistryDefault(".sdb"), "");
  EXPECT_TRUE(WriteRegistryDefault(".sdb\\", "ZuveviREFile"));
  EXPECT_TRUE(WriteRegistryDefault("ZuveviREFile\\", "Sqlite数据库文件"));
  EXPECT_TRUE(WriteRegistryDefault("ZuveviREFile\\shell\\open\\command\\", "/opt/t v/torvane %1"));
  EXPECT_TRUE(WriteRegistryDefault(".sdb\\", "ZuveviREFile"));  // written again: still one key
  EXPECT_EQ(ReadRegistryDefault(".sdb"), "ZuveviREFile");
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile"), "Sqlite数据库文件");
  EXPECT_EQ(ReadRegistryDefault("ZuveviREFile\\shell\\open\\command"), "/opt/t v/torvane %1");
  EXPECT_EQ(RegistryFilePath(), dir.path() + "/配置/深/torvane/registry.txt");
  EXPECT_TRUE(FileExists(RegistryFilePath()));
}

TEST(Registry, RefusesTargetsThatNameNoDefaultValue) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.system_path());
  EXPECT_FALSE(WriteRegistryDefault("no-backslash", "x"));
  EXPECT_FALSE(WriteRegistryDefault("key\\named", "x"));
  EXPECT_FALSE(WriteRegistryDefault("\\", "x"));
  EXPECT_FALSE(WriteRegistryDefault("key\\", "two\nlines"));
  EXPECT_FALSE(FileExists(RegistryFilePath()));
}

TEST(Registry, UnwritablePlaceFailsQuietly) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.Path("file"), Bytes{1}));
  ScopedEnv config("XDG_CONFIG_HOME",
                   dir.system_path() + "/file");  // a file where a folder should be
  EXPECT_FALSE(WriteRegistryDefault(".sdb\\", "ZuveviREFile"));
  EXPECT_EQ(ReadRegistryDefault(".sdb"), "");
}

}  // namespace
}  // namespace torvane
