#include "platform/shell_recording.h"

#include <cstring>
#include <fstream>

namespace velmaro {

namespace {

const char* const kOpNames[] = {"Add", "Modify", "Delete"};
const char* const kIconNames[] = {"MAINICON", "ENASHUT", "DISSHUT"};

}  // namespace

bool RecordingTrayShell::NotifyIcon(NotifyOp op, const NotifyIconData& data) {
  std::ofstream log(logPath_, std::ios::app | std::ios::binary);
  log << kOpNames[static_cast<int>(op)] << ' ' << kIconNames[static_cast<int>(data.hIcon)] << ' '
      << std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)) << "\r\n";
  return inner_.NotifyIcon(op, data);
}

}  // namespace velmaro
