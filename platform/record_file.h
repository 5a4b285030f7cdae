// The program's own record files: appended line by line, kept as UTF-8 with a
// byte-order mark whatever the code page of the texts, so any editor shows
// them as they were written. Nothing here follows a link or junction, and
// nothing makes a folder but MakeClosedFolder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_security.h"

namespace velmaro {

// What the system says of a file or folder, never of what a link there
// points to.
struct PathFacts {
  bool exists = false;
  bool directory = false;
  // A reparse point (a junction or a link) or a file with more than one
  // name: what is written there is written elsewhere too.
  bool redirected = false;
  FileSecurity security;
};

class RecordFileService {
 public:
  virtual ~RecordFileService() = default;
  // The size in bytes of the file at `path`; -1 when there is none.
  virtual std::int64_t Size(const std::string& path) = 0;
  // Appends `text` (code page 936) as UTF-8 to the file in an existing
  // folder; a new file starts with the byte-order mark. False when nothing
  // could be written, also when the file turns out to be a link.
  virtual bool Append(const std::string& path, const std::string& text) = 0;
  // Moves `from` to `to`, replacing a file already there.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // The folder for data shared by every user of the computer, ending with
  // "\"; empty when the system does not say.
  virtual std::string CommonDataFolder() = 0;
  virtual PathFacts Facts(const std::string& path) = 0;
  // Makes the folder `path` (no trailing "\") owned by the administrators,
  // whom and SYSTEM alone it lets change it; users may read it. False when
  // it could not be made, also when something is there already.
  virtual bool MakeClosedFolder(const std::string& path) = 0;
};

// Files on the running system (Windows builds only).
std::unique_ptr<RecordFileService> MakeSystemRecordFiles();

}  // namespace velmaro
