#include "actions/countdown.h"

#include <algorithm>


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
  // A negative length counts as none: the bar stays at 0 and no negative
  // count of seconds shows.
  const std::int32_t length = std::max<std::int32_t>(tishi, 0);
  position_ = std::min(position_ < length ? position_ + 1 : position_, length);
  view_.SetProgress(position_);
  view_.SetCountdownText(CountdownText::Label2, std::to_string(length - position_) + " 秒");
  return position_ >= length;
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

}  // namespace velmaro
