// Who may change a file or folder, as its security descriptor says, and
// whether that leaves it open to standard users: the program runs elevated,
// so a batch or library it runs from such a place runs whatever they put there.
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
};

// True unless only administrators, SYSTEM and the system's installer own
// the object and may write to it, add to it, delete in it or change who may.
// Deny entries are not weighed against allow ones: a place that needs them
// to keep users out is treated as open.
bool OpenToStandardUsers(const FileSecurity& security);

}  // namespace velmaro
