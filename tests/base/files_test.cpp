#include "base/files.h"

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::TempDir;

TEST(Files, WriteReadCopyDeleteWithChinesePaths) {
  TempDir dir;
  const std::string path = dir.Path("数据 文件.bin");
  const Bytes content{0, 1, 2, 0xFF, 0, 'x'};
  ASSERT_TRUE(WriteFile(path, content));
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(CanOpenForReading(path));
  EXPECT_EQ(ReadFile(path), content);
  // On disk the name is UTF-8.
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(path)));

  const std::string copy = dir.Path("副本");
  ASSERT_TRUE(WriteFile(copy, Bytes{'o', 'l', 'd', '!', '!', '!', '!', '!'}));
  ASSERT_TRUE(CopyFile(path, copy));  // replaces, and truncates the longer old content
  EXPECT_EQ(ReadFile(copy), content);

  ASSERT_TRUE(WriteFile(path, Bytes{}));
  EXPECT_TRUE(ReadFile(path).empty());
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(DeleteFile(path));
}

TEST(Files, FailuresReturnTheirFailureValue) {
  TempDir dir;
  EXPECT_TRUE(ReadFile("").empty());
  EXPECT_FALSE(WriteFile("", Bytes{1}));
  EXPECT_TRUE(ReadFile(dir.Path("missing")).empty());
  EXPECT_FALSE(FileExists(dir.Path("missing")));
  EXPECT_FALSE(CanOpenForReading(dir.Path("missing")));
  EXPECT_FALSE(CopyFile(dir.Path("missing"), dir.Path("target")));
  EXPECT_FALSE(FileExists(dir.Path("target")));
  EXPECT_FALSE(WriteFile(dir.Path("no/such/folder/file"), Bytes{1}));

  const std::string sub = dir.Path("子目录");
  EXPECT_TRUE(CreateDirectory(sub));
  EXPECT_FALSE(CreateDirectory(sub));
  EXPECT_FALSE(FileExists(sub));  // a directory is not a file
  EXPECT_TRUE(ReadFile(sub).empty());
  EXPECT_FALSE(WriteFile(sub, Bytes{1}));
}

TEST(Files, RunDirectoryHoldsTheExecutable) {
  const std::string dir = RunDirectory();
  const std::string name = ExecutableFileName();
  EXPECT_EQ(name, "base_tests");
  EXPECT_TRUE(FileExists(dir + "/" + name));
  EXPECT_NE(dir.back(), '/');
}

}  // namespace
}  // namespace torvane
