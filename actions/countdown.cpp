#include "actions/countdown.h"

#include <algorithm>

#include "actions/power_actions.h"
#include "actions/task_actions.h"

namespace velmaro {

void Countdown::MyChangeCaption(const std::string& verb) {
  const std::string cancel = "取消" + verb;
  view_.SetCountdownText(CountdownText::BitBtn1, "立即" + verb);
  view_.SetCountdownText(CountdownText::BitBtn2, cancel);
  view_.SetCountdownText(CountdownText::Label1, "要想" + cancel + "，请按下<" + cancel + ">按钮:剩余");
  view_.SetCountdownText(CountdownText::Caption, "Windows 正在准备" + verb + "...");
}

void Countdown::Show(const std::string& soundPath, WindowHandle window) {
  showing_ = true;
  view_.ShowCountdown();
  if (soundPath.empty()) return;
  sound_.PlaySound(soundPath, window, kSndFilename | kSndLoop | kSndAsync | kSndNoDefault);
  soundPlaying_ = true;
}

bool Countdown::Tick(std::int32_t tishi) {
  // A negative length gives the bar no room: it stays at 0.
  position_ = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{position_} + 1, std::max(tishi, 0)));
  view_.SetProgress(position_);
  view_.SetCountdownText(CountdownText::Label2, std::to_string(std::int64_t{tishi} - position_) + " 秒");
  return position_ >= tishi;
}

void Countdown::End() {
  // Stopping is immediate; replaying the file synchronously would freeze the
  // program for its length.
  if (soundPlaying_) sound_.StopSound();
  soundPlaying_ = false;
  position_ = 0;
  view_.SetProgress(0);
  showing_ = false;
  view_.HideCountdown();
}

void RunPendingAction(const std::string& verb, PowerService& power, DialUpService& dialUp, ReminderService& reminders) {
  if (const std::optional<PowerOperation> operation = PowerOperationOfVerb(verb)) {
    RunPowerOperation(power, *operation);
  } else if (verb == "断开拨号") {
    HangUpDialUp(dialUp, reminders);
  }
}

}  // namespace velmaro
