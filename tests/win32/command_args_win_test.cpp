// The command line's way in and out: the arguments as the system splits
// them, and the text printed for the console they came from.
#include "app/command_args_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "platform/console_win.h"

namespace velmaro {
namespace {

TEST(CommandArgsTest, SplitsAsTheSystemDoesAndMarksWhatCodePage936Lacks) {
  std::vector<CommandArg> args;
  std::string error;
  ASSERT_TRUE(SplitCommandLine(L"\"C:\\Program Files\\Velmaro.exe\" /remind \"a b\" 提醒 \"\" x\uD55Cy.txt", &args,
                               &error));
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[0].text, "/remind");
  EXPECT_EQ(args[1].text, "a b");
  EXPECT_EQ(args[2].text, "提醒");
  EXPECT_FALSE(args[2].lossy);
  EXPECT_EQ(args[3].text, "");
  EXPECT_TRUE(args[4].lossy);
  EXPECT_EQ(args[4].text, "x?y.txt");
  EXPECT_EQ(args[4].wide, u"x\uD55Cy.txt");

  ASSERT_TRUE(SplitCommandLine(L"Velmaro.exe", &args, &error));
  EXPECT_TRUE(args.empty());
  WideString many = L"Velmaro.exe";
  for (std::size_t i = 0; i <= kMaxCommandArgs; ++i) many += L" x";
  EXPECT_FALSE(SplitCommandLine(many.c_str(), &args, &error));
  EXPECT_TRUE(args.empty());
  EXPECT_FALSE(error.empty());
}

// Standard output redirected to a pipe gets the text in the console's code
// page, or without a console (as under Wine here) in the OEM code page.
TEST(ConsoleTest, RedirectedOutputIsInTheConsolesCodePage) {
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16));
  HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, write);
  const UINT savedPage = GetConsoleOutputCP();
  // Without a console of its own the test cannot choose the code page.
  const bool chosen = savedPage != 0 && SetConsoleOutputCP(CP_UTF8);
  const bool printed = PrintToConsole(ConsoleStream::Output, "任务 1\r\n");
  if (chosen) SetConsoleOutputCP(savedPage);
  SetStdHandle(STD_OUTPUT_HANDLE, saved);
  CloseHandle(write);
  std::string bytes(64, '\0');
  DWORD got = 0;
  ReadFile(read, &bytes[0], 64, &got, nullptr);
  CloseHandle(read);
  bytes.resize(got);
  EXPECT_TRUE(printed);
  if (chosen) {
    EXPECT_EQ(bytes, "\xE4\xBB\xBB\xE5\x8A\xA1 1\r\n");
  } else {
    char oem[16] = {};
    const int size = WideCharToMultiByte(GetOEMCP(), 0, L"任务 1\r\n", 6, oem, sizeof oem, nullptr, nullptr);
    EXPECT_EQ(bytes, std::string(oem, size > 0 ? size : 0));
  }
  ReleaseConsole();
}

}  // namespace
}  // namespace velmaro
