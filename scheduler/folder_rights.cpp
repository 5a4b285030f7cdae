#include "scheduler/folder_rights.h"

#include <algorithm>
#include <iterator>

namespace velmaro {

namespace {

bool Trusted(const std::string& sid) {
  static const char* const kTrusted[] = {
      "S-1-5-18",      // SYSTEM
      "S-1-5-32-544",  // Administrators
      "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
      "S-1-3-0",  // CREATOR OWNER: stands for the owner, which is checked itself
  };
  return std::any_of(std::begin(kTrusted), std::end(kTrusted), [&](const char* trusted) { return sid == trusted; });
}

// Writing or appending data, adding files or folders, deleting, changing
// the list or the owner, and the generic rights that include them.
constexpr std::uint32_t kChangeRights = 0x00000002 | 0x00000004 | 0x00000040 | 0x00010000 | 0x00040000 |
                                        0x00080000 | 0x10000000 | 0x40000000 | 0x02000000;

}  // namespace

bool OpenToStandardUsers(const FileSecurity& security) {
  if (!security.known || !security.hasDacl) return true;
  // The owner may always change the list; where the owner is made up it is
  // always the signed-in user, whom no test could tell from anyone else.
  if (!security.fromUnixModes && !Trusted(security.ownerSid)) return true;
  return std::any_of(security.entries.begin(), security.entries.end(), [&](const AccessEntry& entry) {
    if (security.fromUnixModes && entry.sid == security.ownerSid) return false;
    return entry.allows && !entry.inheritOnly && (entry.mask & kChangeRights) != 0 && !Trusted(entry.sid);
  });
}

}  // namespace velmaro
