// Record files in memory. A file holds the texts appended to it as they came
// (code page 936); its size is what the UTF-8 file would measure: the
// byte-order mark, one byte per ASCII character and three per double-byte
// character, which is what every Chinese character takes in UTF-8. Every
// folder exists, closed to standard users, unless named in `missingFolders`
// (Append into one fails, as on the system) or given facts of its own.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "platform/record_file.h"

namespace velmaro {

class FakeRecordFiles : public RecordFileService {
 public:
  std::int64_t Size(const std::string& path) override {
    auto found = files.find(path);
    if (found == files.end()) return -1;
    std::int64_t size = 3;
    for (std::size_t i = 0; i < found->second.size(); ++i) {
      if (static_cast<unsigned char>(found->second[i]) >= 0x81 && i + 1 < found->second.size()) {
        size += 3;
        ++i;
      } else {
        size += 1;
      }
    }
    return size;
  }
  bool Append(const std::string& path, const std::string& text) override {
    if (failAppend || missingFolders.count(FolderOf(path)) != 0) return false;
    files[path] += text;
    return true;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    auto found = files.find(from);
    if (failReplace || found == files.end()) return false;
    files[to] = found->second;
    files.erase(from);
    return true;
  }
  std::string CommonDataFolder() override { return commonData; }
  PathFacts Facts(const std::string& path) override {
    auto found = facts.find(path);
    if (found != facts.end()) return found->second;
    if (files.count(path) != 0) return PathFacts{true, false, false, closed};
    // The record's names have a dot, its folders none.
    const bool folder = path.find('.') == std::string::npos && missingFolders.count(path) == 0;
    return folder ? PathFacts{true, true, false, closed} : PathFacts{};
  }
  bool MakeClosedFolder(const std::string& path) override {
    made.push_back(path);
    if (failMakeFolder || missingFolders.erase(path) == 0) return false;
    return true;
  }

  static std::string FolderOf(const std::string& path) {
    const std::string folder = DirectoryPart(path);
    return folder.substr(0, folder.empty() ? 0 : folder.size() - 1);
  }

  // What the administrators' own folders and files show.
  FileSecurity closed{true, true, "S-1-5-32-544",
                      {{"S-1-5-18", 0x1F01FF}, {"S-1-5-32-544", 0x1F01FF}, {"S-1-5-32-545", 0x1200A9}}};
  std::map<std::string, PathFacts> facts;
  std::set<std::string> missingFolders;
  std::vector<std::string> made;  // MakeClosedFolder's folders, in order
  bool failMakeFolder = false;
  std::map<std::string, std::string> files;
  std::string commonData = "C:\\ProgramData\\";
  bool failAppend = false;
  bool failReplace = false;
};

}  // namespace velmaro
