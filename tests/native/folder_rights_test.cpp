#include "scheduler/folder_rights.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

constexpr char kAdministrators[] = "S-1-5-32-544";
constexpr char kSystem[] = "S-1-5-18";
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kSignedInUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

// Lists as Windows gives them to a folder under Program Files, in Downloads,
// on a memory stick and where an installer was pointed outside Program Files.
TEST(FolderSecurity, OnlyAdministratorsAndTheSystemKeepAFolderClosed) {
  const std::uint32_t kFull = 0x1F01FF, kReadRun = 0x1200A9, kModify = 0x1301BF;
  struct Case {
    const char* what;
    FileSecurity security;
    bool open;
  };
  const Case cases[] = {
      {"Program Files",
       {true, true, "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
        {{kSystem, kFull}, {kAdministrators, kFull}, {kUsers, kReadRun}, {"S-1-3-0", 0x10000000, true, true}}},
       false},
      {"Downloads, owned by the user", {true, true, kSignedInUser, {{kSystem, kFull}, {kSignedInUser, kFull}}}, true},
      {"owned by Administrators, users may modify",
       {true, true, kAdministrators, {{kAdministrators, kFull}, {"S-1-5-11", kModify}}}, true},
      {"users may only append", {true, true, kAdministrators, {{kAdministrators, kFull}, {kUsers, 0x4}}}, true},
      {"users with the generic write right",
       {true, true, kAdministrators, {{kAdministrators, kFull}, {"S-1-1-0", 0x40000000}}}, true},
      {"users may write only in folders made later",
       {true, true, kAdministrators, {{kAdministrators, kFull}, {kUsers, kModify, true, true}}}, false},
      {"a deny entry does not count as closing it",
       {true, true, kAdministrators, {{kUsers, kModify, false}, {kUsers, kModify}}}, true},
      {"a denied write is no write", {true, true, kAdministrators, {{kUsers, kModify, false}}}, false},
      {"no access list at all", {true, false, kAdministrators, {}}, true},
      {"a file system without security", {}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(OpenToStandardUsers(c.security), c.open) << c.what;
}

// Lists as Wine makes them up from a Unix owner and modes: the owner is
// always the signed-in user, with full rights; the rest say who else may.
TEST(FolderSecurity, FromUnixModesOnlyOthersCount) {
  const std::uint32_t kFull = 0x1F01FF, kReadRun = 0x1200A9;
  constexpr char kWineUser[] = "S-1-5-21-0-0-0-1000";
  constexpr char kWineGroup[] = "S-1-5-21-0-0-0-513";
  constexpr char kEveryone[] = "S-1-1-0";
  struct Case {
    const char* what;
    std::vector<AccessEntry> entries;
    bool open;
  };
  const Case cases[] = {
      {"rwxr-xr-x", {{kSystem, kFull}, {kWineUser, kFull}, {kEveryone, kReadRun}}, false},
      {"rwxrwxrwx", {{kSystem, kFull}, {kWineUser, kFull}, {kEveryone, 0x1301FF}}, true},
      {"rwxrwxr-x", {{kSystem, kFull}, {kWineUser, kFull}, {kWineGroup, 0x1301BF}, {kEveryone, kReadRun}}, true},
  };
  for (const Case& c : cases) {
    FileSecurity security{true, true, kWineUser, c.entries, true};
    EXPECT_EQ(OpenToStandardUsers(security), c.open) << c.what;
    // The same list read from a system that keeps owners: the user's own.
    security.fromUnixModes = false;
    EXPECT_TRUE(OpenToStandardUsers(security)) << c.what;
  }
}

}  // namespace
}  // namespace velmaro
