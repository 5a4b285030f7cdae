// The main window's logic on fakes, started on a store as an older install
// would have left it, for the tests that drive the scheduler on simulated time.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/fake_app.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {

inline constexpr std::uint64_t kSecond = 1000;
inline constexpr std::uint64_t kMinute = 60 * kSecond;
inline constexpr std::uint64_t kHour = 60 * kMinute;

struct Task {
  const char* trigger;
  const char* action;
  const char* argument;
};

// Everything the main window's logic works with, faked, on a store as an
// older install would have left it.
struct Rig : FakeApp {
  StoreArranger stored{registry};

  void Put(std::int32_t slot, const Task& task) { stored.PutSlot(slot, task.trigger, task.action, task.argument); }

  // Starts the program at 07:59:55 on Monday 7 December 2026: the first tick
  // comes at 08:00:05.
  void Start(const std::vector<Task>& tasks, std::int32_t tishi = 60, const char* soundPath = "",
             std::uint32_t shutApp = 0) {
    Arrange(tasks, tishi, soundPath, shutApp);
    Launch();
  }
  // The two halves of Start, for a store that holds more than its tasks
  // (odd values, a larger TaskNum) when the program starts.
  void Arrange(const std::vector<Task>& tasks, std::int32_t tishi = 60, const char* soundPath = "",
               std::uint32_t shutApp = 0) {
    stored.PutDword(kTishiValue, static_cast<std::uint32_t>(tishi));
    stored.PutDword(kShutAppValue, shutApp);
    stored.PutString(kSoundPathValue, soundPath);
    stored.PutTaskNum(static_cast<std::uint32_t>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) Put(static_cast<std::int32_t>(i + 1), tasks[i]);
  }
  void Launch() {
    clock.SetLocalTime(2026, 12, 7, 7, 59, 55);
    unit.FormCreate();
  }

  // The settings dialog opened from the menu, and closed as its window closes.
  SettingsDialog& OpenSettings() {
    unit.MenuCommand(MenuItem::n4);
    return *dialogWindows.settingsModels.back();
  }

  // The record of what ran, one entry per line.
  std::vector<std::string> RecordedLines() const {
    std::vector<std::string> lines;
    auto found = records.files.find(records.commonData + "Velmaro\\运行记录.log");
    if (found == records.files.end()) return lines;
    std::size_t start = 0;
    for (std::size_t end; (end = found->second.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(found->second.substr(start, end - start));
    }
    return lines;
  }

  std::string Tip() const { return std::string(unit.NotifyData().szTip, strnlen(unit.NotifyData().szTip, 64)); }
  // Monitoring off as the user sees it: unchecked, no evaluation, the
  // disabled icon and tip shown.
  bool ShowsMonitoringOff() const {
    const FakeShell::Notify& last = shell.notifications.back();
    return !view.n1Checked && !view.on[1] && last.op == NotifyOp::Modify && last.data.hIcon == AppIcon::DISSHUT &&
           Tip() == kTipDisabled;
  }
};

}  // namespace velmaro
