// The record kept where only administrators can change it. The program runs
// elevated; a record folder that a standard user made first, or may write
// to, would let them forge the record, or, as a link to elsewhere, have the
// program write and move files wherever they chose. These record files write
// only into a real folder closed to standard users, made so where it is
// missing, and only to files there that are neither links nor open to them;
// otherwise nothing is written, and the error box says so once.
#pragma once

#include <string>

#include "platform/record_file.h"
#include "platform/shell.h"

namespace velmaro {

// Shown, followed by the folder, the first time the record is refused.
extern const char kRecordRefused[];

class ClosedRecordFiles : public RecordFileService {
 public:
  ClosedRecordFiles(RecordFileService& files, ShellService& shell) : files_(files), shell_(shell) {}

  // Makes the folder of the record at `path` where it is missing, so that
  // it exists with its rights before anything is written; says so when the
  // record there is refused. True when it may be written.
  bool Prepare(const std::string& path);

  std::int64_t Size(const std::string& path) override;
  bool Append(const std::string& path, const std::string& text) override;
  // Only within one closed folder: never a move out of or into another.
  bool Replace(const std::string& from, const std::string& to) override;
  std::string CommonDataFolder() override { return files_.CommonDataFolder(); }
  PathFacts Facts(const std::string& path) override { return files_.Facts(path); }
  bool MakeClosedFolder(const std::string& path) override { return files_.MakeClosedFolder(path); }

 private:
  // The folder of `path`, without its "\"; empty for a path without one.
  static std::string FolderOf(const std::string& path);
  bool FolderClosed(const std::string& folder);
  bool FileClosed(const std::string& path);
  bool Writable(const std::string& path);
  void Refuse(const std::string& folder);

  RecordFileService& files_;
  ShellService& shell_;
  bool refusalShown_ = false;
};

}  // namespace velmaro
