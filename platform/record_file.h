// The program's own record files: appended line by line, kept as UTF-8 with a
// byte-order mark whatever the code page of the texts, so any editor shows
// them as they were written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmaro {

class RecordFileService {
 public:
  virtual ~RecordFileService() = default;
  // The size in bytes of the file at `path`; -1 when there is none.
  virtual std::int64_t Size(const std::string& path) = 0;
  // Appends `text` (code page 936) as UTF-8, making the file's folder when it
  // is missing; a new file starts with the byte-order mark. False when
  // nothing could be written.
  virtual bool Append(const std::string& path, const std::string& text) = 0;
  // Moves `from` to `to`, replacing a file already there.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // The folder for data shared by every user of the computer, ending with
  // "\"; empty when the system does not say.
  virtual std::string CommonDataFolder() = 0;
};

// Files on the running system (Windows builds only).
std::unique_ptr<RecordFileService> MakeSystemRecordFiles();

}  // namespace velmaro
