#include "support/file_io.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/temp_folder.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using testing::readFileBytes;
using testing::TempFolder;

TEST(FileIo, GbkPathsMeetTheFileSystemAsUtf8) {
  TempFolder temp;
  const std::string folder = temp.path() + gbk("/宝贝/图片");
  const std::string file = folder + gbk("/数据包.csv");
  ASSERT_TRUE(makeDirectories(folder));
  ASSERT_TRUE(writeWholeFileAtomically(file, "a,b\r\n").ok);

  EXPECT_EQ(readFileBytes(fs::path(temp.path()) / "宝贝" / "图片" / "数据包.csv"), "a,b\r\n");
  EXPECT_EQ(readWholeFile(file), "a,b\r\n");
  EXPECT_TRUE(fileExists(file));
  EXPECT_EQ(parentFolder(file), folder);
}

TEST(FileIo, AtomicReplaceKeepsPermissionsAndLeavesNoTemporaryFile) {
  TempFolder temp;
  const std::string file = temp.path() + "/list.txt";
  ASSERT_TRUE(writeWholeFile(file, "old contents that are longer").ok);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

  ASSERT_TRUE(writeWholeFileAtomically(file, "new").ok);

  EXPECT_EQ(readWholeFile(file), "new");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

TEST(FileIo, FailedWritesSayWhyAndKeepWhatWasThere) {
  TempFolder temp;
  const std::string folderAsTarget = temp.path() + "/folder";
  ASSERT_TRUE(makeDirectories(folderAsTarget + "/inner"));
  const std::string file = temp.path() + "/kept.txt";
  ASSERT_TRUE(writeWholeFile(file, "kept").ok);

  for (const std::string& target : {temp.path() + "/missing/file.txt", folderAsTarget,
                                    file + "/under-a-file.txt", std::string()}) {
    SCOPED_TRACE(target);
    for (const WriteResult& result :
         {writeWholeFileAtomically(target, "x"), writeWholeFile(target, "x")}) {
      EXPECT_FALSE(result.ok);
      EXPECT_NE(result.error.find(target), std::string::npos);
      EXPECT_GT(result.error.size(), target.size() + 2);
    }
  }
  EXPECT_EQ(readWholeFile(file), "kept");
  EXPECT_FALSE(makeDirectories(file + "/sub"));
  EXPECT_EQ(readWholeFile(temp.path() + "/missing.txt"), std::nullopt);
  EXPECT_EQ(readWholeFile(folderAsTarget), std::nullopt);
}

}  // namespace
}  // namespace tessaly
