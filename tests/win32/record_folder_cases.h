// The record's files on the running system, kept where standard users cannot
// steer them. Included by a test file under each locale the tests run in
// (tests/win32/ and tests/win32/zh_CN/): the paths are Chinese, and the
// program converts them with code page 936 named, whatever the system's.
#pragma once

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "platform/record_file.h"
#include "scheduler/folder_rights.h"
#include "scheduler/record_folder.h"
#include "scheduler/run_record.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/folder_links.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

// The system's record files, with a scratch folder as the common data folder.
class ScratchCommonFolder : public RecordFileService {
 public:
  explicit ScratchCommonFolder(const WideString& common) : common_(FromWide(common)) {}
  std::int64_t Size(const std::string& path) override { return files_->Size(path); }
  bool Append(const std::string& path, const std::string& text) override { return files_->Append(path, text); }
  bool Replace(const std::string& from, const std::string& to) override { return files_->Replace(from, to); }
  std::string CommonDataFolder() override { return common_; }
  PathFacts Facts(const std::string& path) override { return files_->Facts(path); }
  bool MakeClosedFolder(const std::string& path) override { return files_->MakeClosedFolder(path); }

 private:
  std::unique_ptr<RecordFileService> files_ = MakeSystemRecordFiles();
  std::string common_;
};

// The record's folder and files under a scratch folder, as the program names them.
class Win32RecordFolder : public ::testing::Test {
 protected:
  void TearDown() override { RemoveTree(common.substr(0, common.size() - 1)); }

  // Nothing at all in `path`, a folder.
  bool NothingWrittenIn(const WideString& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
      const WideString name = found.cFileName;
      if (name != L"." && name != L"..") empty = false;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return empty;
  }

  // Two lines through the program's own record, each refused or written.
  void WriteTwoLines() {
    RunRecord record(closed, clock);
    record.Write(RecordEntry{1, "每天08:00", "关闭计算机", RecordOutcome::Ran, 0, {}});
    record.Write(RecordEntry{2, "每天08:05", "提醒", RecordOutcome::Skipped, 0, {}});
  }

  WideString common = MakeScratchFolder(L"velmaro record");
  WideString folder = common + L"Velmaro";
  std::string path = FromWide(folder) + "\\运行记录.log";
  ScratchCommonFolder files{common};
  FakeShell shell;
  FakeClock clock;
  ClosedRecordFiles closed{files, shell};
};

TEST_F(Win32RecordFolder, MadeWithItsRightsBeforeTheFirstLineThenWrittenAndMovedAside) {
  ASSERT_EQ(RunRecord(closed, clock).Path(), path);
  ASSERT_TRUE(closed.Prepare(path));
  const PathFacts made = files.Facts(FromWide(folder));
  EXPECT_TRUE(made.exists && made.directory && !made.redirected);
  EXPECT_FALSE(OpenToStandardUsers(made.security));
  if (!made.security.fromUnixModes) {
    // Windows keeps what the program asked for; Wine keeps Unix modes only.
    EXPECT_EQ(made.security.ownerSid, "S-1-5-32-544");
  }
  EXPECT_FALSE(FileExists(ToWide(path))) << "the folder only";

  WriteTwoLines();
  const std::string record = ReadWholeFile(ToWide(path));
  ASSERT_EQ(record.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with one byte-order mark";
  EXPECT_NE(record.find("\t\xE5\x85\xB3\xE9\x97\xAD\xE8\xAE\xA1\xE7\xAE\x97\xE6\x9C\xBA\t"), std::string::npos)
      << "关闭计算机 in UTF-8";
  EXPECT_EQ(record.find("\xEF\xBB\xBF", 3), std::string::npos);
  EXPECT_EQ(files.Size(path), static_cast<std::int64_t>(record.size()));
  EXPECT_FALSE(OpenToStandardUsers(files.Facts(path).security)) << "the file takes the folder's rights";

  const std::string old = FromWide(folder) + "\\运行记录.old.log";
  ASSERT_TRUE(closed.Replace(path, old));
  EXPECT_EQ(ReadWholeFile(ToWide(old)), record);
  EXPECT_EQ(files.Size(path), -1);
  EXPECT_TRUE(shell.boxes.empty());

  // The system's own common data folder, as the program asks for it.
  const std::string system = MakeSystemRecordFiles()->CommonDataFolder();
  ASSERT_FALSE(system.empty());
  EXPECT_EQ(system.back(), '\\');
  EXPECT_TRUE(FileExists(ToWide(system)));
}

TEST_F(Win32RecordFolder, APreMadeFolderOpenToUsersIsRefusedWithNothingWritten) {
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  // Everyone may do everything, as a standard user who made it could set.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  WideString name = folder;
  ASSERT_EQ(SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  dacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(descriptor);

  EXPECT_FALSE(closed.Prepare(path));
  WriteTwoLines();
  EXPECT_TRUE(NothingWrittenIn(folder));
  ASSERT_EQ(shell.boxes.size(), 1u) << "said once";
  EXPECT_EQ(shell.boxes[0].text.rfind(kRecordRefused, 0), 0u);
}

TEST_F(Win32RecordFolder, ALinkInThePlaceOfTheFolderIsRefusedWithNothingWritten) {
  // The link points to a folder as closed as the program's own: the link
  // alone is refused.
  const WideString target = common + L"target";
  ASSERT_TRUE(files.MakeClosedFolder(FromWide(target)));
  ASSERT_FALSE(OpenToStandardUsers(files.Facts(FromWide(target)).security));
  ASSERT_TRUE(LinkFolder(folder, target)) << "no link could be made here";
  EXPECT_TRUE(files.Facts(FromWide(folder)).redirected);

  EXPECT_FALSE(closed.Prepare(path));
  WriteTwoLines();
  EXPECT_TRUE(NothingWrittenIn(target));
  EXPECT_EQ(shell.boxes.size(), 1u);
}

TEST_F(Win32RecordFolder, ARecordFileWithASecondNameIsNotWritten) {
  ASSERT_TRUE(closed.Prepare(path));
  // A file elsewhere, and the record as a second name of it.
  const WideString elsewhere = common + L"elsewhere.txt";
  ASSERT_TRUE(files.Append(FromWide(elsewhere), "mine"));
  const std::string before = ReadWholeFile(elsewhere);
  ASSERT_TRUE(CreateHardLinkW(ToWide(path).c_str(), elsewhere.c_str(), nullptr));
  EXPECT_TRUE(files.Facts(path).redirected);

  WriteTwoLines();
  EXPECT_EQ(ReadWholeFile(elsewhere), before);
  EXPECT_FALSE(files.Append(path, "x")) << "not even past the check";
  EXPECT_EQ(ReadWholeFile(elsewhere), before);
  EXPECT_EQ(shell.boxes.size(), 1u);
}

}  // namespace
}  // namespace velmaro
