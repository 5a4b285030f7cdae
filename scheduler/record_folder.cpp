#include "scheduler/record_folder.h"

#include "base/gbk.h"
#include "platform/error_box.h"
#include "scheduler/folder_rights.h"

namespace velmaro {

const char kRecordRefused[] =
    "运行记录没有写入：记录所在的文件夹或其中的记录文件不只有管理员能改动，"
    "也可能是指向别处的链接，其中的记录可能已被改过。"
    "请以管理员身份删除这个文件夹，再重新启动 Velmaro，它会重新建立。文件夹：";

bool ClosedRecordFiles::Prepare(const std::string& path) { return Writable(path); }

std::int64_t ClosedRecordFiles::Size(const std::string& path) { return Writable(path) ? files_.Size(path) : -1; }

bool ClosedRecordFiles::Append(const std::string& path, const std::string& text) {
  return Writable(path) && files_.Append(path, text);
}

bool ClosedRecordFiles::Replace(const std::string& from, const std::string& to) {
  if (FolderOf(from) != FolderOf(to)) return false;
  return Writable(from) && Writable(to) && files_.Replace(from, to);
}

std::string ClosedRecordFiles::FolderOf(const std::string& path) {
  const std::string folder = DirectoryPart(path);
  return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

bool ClosedRecordFiles::FolderClosed(const std::string& folder) {
  PathFacts facts = files_.Facts(folder);
  if (!facts.exists) {
    files_.MakeClosedFolder(folder);
    // What was made is checked like any other folder: a file system that
    // keeps no rights leaves it open.
    facts = files_.Facts(folder);
  }
  return facts.exists && facts.directory && !facts.redirected && !OpenToStandardUsers(facts.security);
}

bool ClosedRecordFiles::FileClosed(const std::string& path) {
  const PathFacts facts = files_.Facts(path);
  return !facts.exists || (!facts.directory && !facts.redirected && !OpenToStandardUsers(facts.security));
}

bool ClosedRecordFiles::Writable(const std::string& path) {
  const std::string folder = FolderOf(path);
  if (folder.empty()) return false;
  if (FolderClosed(folder) && FileClosed(path)) return true;
  Refuse(folder);
  return false;
}

void ClosedRecordFiles::Refuse(const std::string& folder) {
  if (refusalShown_) return;
  refusalShown_ = true;
  ShowErrorBox(shell_, std::string(kRecordRefused) + folder);
}

}  // namespace velmaro
