// Whole text files and the UTF-8 codec, on Wine's own file system and tables.
#include "platform/text_files_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

std::u16string U16(const WideString& text) { return U16Of(text.data(), text.size()); }

class TextFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { folder = MakeScratchFolder(L"text files"); }
  void TearDown() override {
    RemoveDirectoryW((folder + L"任务导出.txt.tmp").c_str());
    RemoveScratchFolder(folder);
  }
  WideString folder;
  Win32TextFiles files;
};

TEST_F(TextFilesTest, WrittenFileReadsBackUnderANonAsciiNameAndReplacesTheOldOne) {
  const WideString path = folder + L"任务导出.txt";
  ASSERT_EQ(files.WriteFile(U16(path), "old"), std::nullopt);
  const std::string bytes = std::string("\xEF\xBB\xBF") + "1\r\n\0\xFF" + std::string(3u << 20, 'x');
  ASSERT_EQ(files.WriteFile(U16(path), bytes), std::nullopt);
  const TextFileService::Read read = files.ReadFile(U16(path), bytes.size());
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.bytes, bytes);
  EXPECT_FALSE(FileExists(path + L".tmp"));
  EXPECT_EQ(files.PathText(U16(path)).substr(files.PathText(U16(folder)).size()), "任务导出.txt");
}

TEST_F(TextFilesTest, FileAboveTheLimitIsRefusedUnread) {
  const WideString path = folder + L"big.txt";
  ASSERT_EQ(files.WriteFile(U16(path), "0123456789"), std::nullopt);
  const TextFileService::Read over = files.ReadFile(U16(path), 9);
  EXPECT_FALSE(over.ok);
  EXPECT_TRUE(over.tooLarge);
  EXPECT_TRUE(over.bytes.empty());
  EXPECT_TRUE(files.ReadFile(U16(path), 10).ok);
  const TextFileService::Read missing = files.ReadFile(U16(folder + L"none.txt"), 10);
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.tooLarge);
  EXPECT_FALSE(missing.error.empty());
}

TEST_F(TextFilesTest, FailedWriteLeavesTheOldFileAsItWas) {
  const WideString path = folder + L"任务导出.txt";
  ASSERT_EQ(files.WriteFile(U16(path), "good"), std::nullopt);
  // Where the temporary file should go stands a folder.
  ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
  EXPECT_NE(files.WriteFile(U16(path), "half"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(path), "good");
  EXPECT_NE(files.WriteFile(U16(folder + L"no folder\\x.txt"), "x"), std::nullopt);
  EXPECT_NE(files.WriteFile(std::u16string(u"a\0b", 3), "x"), std::nullopt);
}

TEST(TextCodecTest, RefusesInvalidUtf8AndCharactersOutsideCodePage936) {
  const struct {
    const char* utf8;
    std::optional<std::string> gbk;
  } kCases[] = {
      {"", std::string()},
      {u8"每天22时30分", std::string("每天22时30分")},
      {u8"\u00e9t\u00e9", std::string("été")},  // in code page 936 by its pinyin letters
      {"\xC3\x28", std::nullopt},               // a lead byte without its trail
      {"\xED\xA0\x80", std::nullopt},           // a surrogate, encoded
      {"\xC0\xAF", std::nullopt},               // "/" in two bytes
      {"\xF0\x9F\x98\x80", std::nullopt},       // U+1F600
      {"\xED\x95\x9C", std::nullopt},           // U+D55C, a Korean syllable
  };
  Win32TextCodec codec;
  for (const auto& c : kCases) {
    EXPECT_EQ(codec.Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    if (c.gbk) {
      EXPECT_EQ(codec.GbkToUtf8(*c.gbk), c.utf8);
    }
  }
}

}  // namespace
}  // namespace velmaro
