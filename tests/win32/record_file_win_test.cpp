#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "platform/record_file.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

class Win32RecordFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    RemoveScratchFolder(folder + L"Velmaro\\");
    RemoveScratchFolder(folder);
  }
  WideString folder = MakeScratchFolder(L"velmaro 记录");
  std::unique_ptr<RecordFileService> files = MakeSystemRecordFiles();
};

TEST_F(Win32RecordFiles, AppendsUtf8WithOneByteOrderMarkAndMovesTheFileAside) {
  // In a folder not made yet, as on the first run.
  const std::string path = FromWide(folder) + "Velmaro\\运行记录.log";
  EXPECT_EQ(files->Size(path), -1);
  ASSERT_TRUE(files->Append(path, "任务 1\r\n"));
  ASSERT_TRUE(files->Append(path, "关机\r\n"));
  const std::string expected = "\xEF\xBB\xBF\xE4\xBB\xBB\xE5\x8A\xA1 1\r\n\xE5\x85\xB3\xE6\x9C\xBA\r\n";
  EXPECT_EQ(ReadWholeFile(ToWide(path)), expected);
  EXPECT_EQ(files->Size(path), static_cast<std::int64_t>(expected.size()));

  const std::string old = FromWide(folder) + "Velmaro\\运行记录.old.log";
  ASSERT_TRUE(files->Append(old, "older\r\n"));
  ASSERT_TRUE(files->Replace(path, old));
  EXPECT_EQ(ReadWholeFile(ToWide(old)), expected);
  EXPECT_EQ(files->Size(path), -1);
  EXPECT_FALSE(files->Replace(path, old)) << "nothing left to move";

  const std::string common = files->CommonDataFolder();
  ASSERT_FALSE(common.empty());
  EXPECT_EQ(common.back(), '\\');
  EXPECT_NE(GetFileAttributesW(ToWide(common).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace velmaro
