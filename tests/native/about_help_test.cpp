// The About window's texts and the help and download commands.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "app/about.h"
#include "app/help.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"

namespace velmaro {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(AboutTexts, VersionAndReleaseDateFollowTheirLabels) {
  const std::string version = AboutTexts().label2;
  const std::string versionLabel = "\xB0\xE6\xB1\xBE:    ";  // 版本:
  ASSERT_TRUE(StartsWith(version, versionLabel)) << version;
  unsigned major, minor, patch;
  char rest;
  EXPECT_EQ(std::sscanf(version.c_str() + versionLabel.size(), "%u.%u.%u%c", &major, &minor, &patch, &rest), 3)
      << version;

  const std::string date = AboutTexts().label5;
  const std::string dateLabel = "\xCA\xB1\xBC\xE4:    ";  // 时间:
  ASSERT_TRUE(StartsWith(date, dateLabel)) << date;
  unsigned year, month, day;
  EXPECT_EQ(std::sscanf(date.c_str() + dateLabel.size(), "%4u-%2u-%2u%c", &year, &month, &day, &rest), 3) << date;
  EXPECT_EQ(date.size(), dateLabel.size() + 10) << date;
  EXPECT_TRUE(year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31) << date;
}

TEST(HelpCommand, OpensTheHelpFileBesideTheExeWithTheDefaultVerb) {
  struct Case {
    const char* exePath;
    const char* helpPath;
  } const cases[] = {
      {"C:\\Program Files\\Velmaro\\Velmaro.exe", "C:\\Program Files\\Velmaro\\Velmaro.CHM"},
      {"D:\\工具\\Velmaro.exe", "D:\\工具\\Velmaro.CHM"},
      // A renamed exe whose name's last byte, that of 淺, is 5C: no path separator.
      {"C:\\Tools\\\x9C\x5C.exe", "C:\\Tools\\Velmaro.CHM"},
      {"E:Velmaro.exe", "E:Velmaro.CHM"},
  };
  for (const Case& c : cases) {
    FakeShell shell;
    FakeSession session;
    session.path = c.exePath;
    OpenHelpFile(shell, session, 0x1234);
    ASSERT_EQ(shell.executed.size(), 1u);
    const FakeShell::Executed& call = shell.executed[0];
    EXPECT_EQ(call.file, c.helpPath);
    EXPECT_EQ(call.owner, 0x1234u);
    EXPECT_TRUE(call.verbNull);
    EXPECT_FALSE(call.parametersNull);
    EXPECT_EQ(call.parameters, "");
    EXPECT_FALSE(call.directoryNull);
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showCommand, kSwShowNormal);
    EXPECT_TRUE(shell.boxes.empty());
  }
}

TEST(DownloadCommand, OpensTheReleasePageWithNoWindow) {
  FakeShell shell;
  OpenDownloadPage(shell);
  ASSERT_EQ(shell.executed.size(), 1u);
  const FakeShell::Executed& call = shell.executed[0];
  EXPECT_EQ(call.owner, 0u);
  EXPECT_FALSE(call.verbNull);
  EXPECT_EQ(call.verb, "open");
  EXPECT_EQ(call.file, kDownloadPageUrl);
  EXPECT_TRUE(StartsWith(call.file, "https://")) << call.file;
  EXPECT_TRUE(call.parametersNull);
  EXPECT_TRUE(call.directoryNull);
  EXPECT_EQ(call.showCommand, kSwShowNormal);
}

}  // namespace
}  // namespace velmaro
