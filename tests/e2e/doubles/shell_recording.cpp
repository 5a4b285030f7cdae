#include "tests/e2e/doubles/shell_recording.h"

#include <cstdio>
#include <cstring>

namespace velmaro {

namespace {

const char* const kOpNames[] = {"Add", "Modify", "Delete"};
const char* const kIconNames[] = {"MAINICON", "ENASHUT", "DISSHUT"};

}  // namespace

void RecordingTrayShell::Append(const std::string& line) {
  if (FILE* log = std::fopen(logPath_.c_str(), "ab")) {
    std::fputs((line + "\r\n").c_str(), log);
    std::fclose(log);
  }
}

bool RecordingTrayShell::NotifyIcon(NotifyOp op, const NotifyIconData& data) {
  Append(std::string(kOpNames[static_cast<int>(op)]) + ' ' + kIconNames[static_cast<int>(data.hIcon)] + ' ' +
         std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)));
  return inner_->NotifyIcon(op, data);
}

bool RecordingTrayShell::ShowBalloon(const NotifyIconData& icon, const std::string& text) {
  const bool shown = inner_->ShowBalloon(icon, text);
  Append((shown ? "Balloon " : "Balloon not shown ") + text);
  return shown;
}

}  // namespace velmaro
