// Record files in memory. A file holds the texts appended to it as they came
// (code page 936); its size is what the UTF-8 file would measure: the
// byte-order mark, one byte per ASCII character and three per double-byte
// character, which is what every Chinese character takes in UTF-8.
#pragma once

#include <cstdint>
#include <map>
#include <string>

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
    if (failAppend) return false;
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

  std::map<std::string, std::string> files;
  std::string commonData = "C:\\ProgramData\\";
  bool failAppend = false;
  bool failReplace = false;
};

}  // namespace velmaro
