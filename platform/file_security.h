// Who may change a file or folder, as its security descriptor says: the
// facts the system reports. Whether that leaves it open to standard users is
// decided in scheduler/folder_rights.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmaro {

struct AccessEntry {
  std::string sid;  // as text, "S-1-5-32-544"
  std::uint32_t mask = 0;
  bool allows = true;        // an allow entry; false: deny or another kind
  bool inheritOnly = false;  // applies to children only
};

struct FileSecurity {
  // False where the file system keeps no security (FAT) or it cannot be read.
  bool known = false;
  bool hasDacl = false;  // no list at all grants everyone everything
  std::string ownerSid;
  std::vector<AccessEntry> entries;
  // True where the system keeps no owner or list of its own but makes both up
  // from a Unix file's owner and modes (Wine): every file then reads as the
  // signed-in user's, with an entry for that user, and only the entries for
  // everyone else say who else may change it.
  bool fromUnixModes = false;
};

}  // namespace velmaro
