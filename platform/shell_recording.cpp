#include "platform/shell_recording.h"

#include <cstdio>
#include <cstring>

namespace velmaro {

namespace {

const char* const kOpNames[] = {"Add", "Modify", "Delete"};
const char* const kIconNames[] = {"MAINICON", "ENASHUT", "DISSHUT"};

}  // namespace

bool RecordingTrayShell::NotifyIcon(NotifyOp op, const NotifyIconData& data) {
  const std::string line = std::string(kOpNames[static_cast<int>(op)]) + ' ' + kIconNames[static_cast<int>(data.hIcon)] +
                           ' ' + std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)) + "\r\n";
  if (FILE* log = std::fopen(logPath_.c_str(), "ab")) {
    std::fputs(line.c_str(), log);
    std::fclose(log);
  }
  return inner_.NotifyIcon(op, data);
}

}  // namespace velmaro
