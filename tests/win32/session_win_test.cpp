// The session's reading of a file's rights: what a security descriptor holds
// and the verdict the folder rights give on it, for written lists and a real
// folder.
#include "platform/session_win.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "scheduler/folder_rights.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

class Win32SessionSecurity : public ::testing::Test {
 protected:
  void TearDown() override { RemoveScratchFolder(folder); }
  WideString folder = MakeScratchFolder(L"velmaro 权限 security");
};

// What a descriptor written as `sddl` holds.
FileSecurity SecurityOfText(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
    ADD_FAILURE() << "not a descriptor";
    return FileSecurity();
  }
  FileSecurity security = SecurityFromDescriptor(descriptor);
  LocalFree(descriptor);
  return security;
}

TEST_F(Win32SessionSecurity, ReadsWhoMayChangeAFolder) {
  // The list an installer gives its folder outside Program Files.
  const FileSecurity closed = SecurityOfText(L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
  EXPECT_EQ(closed.ownerSid, "S-1-5-32-544");
  ASSERT_EQ(closed.entries.size(), 3u);
  EXPECT_EQ(closed.entries[0].sid, "S-1-5-18");
  EXPECT_EQ(closed.entries[2].sid, "S-1-5-32-545");
  EXPECT_EQ(closed.entries[2].mask, 0x1200A9u);
  EXPECT_FALSE(OpenToStandardUsers(closed));

  // Users allowed to modify, after a deny entry and one for folders made later.
  const FileSecurity open = SecurityOfText(L"O:BAD:P(D;;FA;;;WD)(A;OICIIO;FA;;;CO)(A;;0x1301bf;;;AU)");
  ASSERT_EQ(open.entries.size(), 3u);
  EXPECT_FALSE(open.entries[0].allows);
  EXPECT_TRUE(open.entries[1].allows && open.entries[1].inheritOnly);
  EXPECT_EQ(open.entries[2].sid, "S-1-5-11");
  EXPECT_EQ(open.entries[2].mask, 0x1301BFu);
  EXPECT_TRUE(OpenToStandardUsers(open));

  // No list at all: everyone may do everything.
  EXPECT_FALSE(SecurityOfText(L"O:BA").hasDacl);
  EXPECT_TRUE(SecurityOfText(L"O:BAD:").hasDacl) << "an empty list lets nobody in";

  // A real folder. Wine makes the list up from the file's owner and modes,
  // and says so; Windows shows a folder the signed-in user made as theirs.
  Win32Session session;
  const std::string path = FromWide(folder.substr(0, folder.size() - 1));
  const FileSecurity scratch = session.SecurityOf(path);
  EXPECT_TRUE(scratch.known);
  EXPECT_FALSE(scratch.ownerSid.empty());
  if (!scratch.fromUnixModes) {
    EXPECT_TRUE(OpenToStandardUsers(scratch)) << "a folder the signed-in user made is the user's";
  }
  EXPECT_FALSE(session.SecurityOf(path + "\\no such file").known);
}

}  // namespace
}  // namespace velmaro
