// The countdown and confirmation window: before a power or hang-up action
// runs, the window counts `Tishi` seconds down with a progress bar and offers
// to run the action now or to cancel it. This is its logic; the timers around
// it belong to the main window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/power.h"
#include "platform/sound.h"

namespace velmaro {

enum class CountdownText { Caption, BitBtn1, BitBtn2, Label1, Label2 };

class CountdownView {
 public:
  virtual ~CountdownView() = default;
  virtual void SetCountdownText(CountdownText which, const std::string& text) = 0;
  virtual void SetProgress(std::int32_t position) = 0;
  // Centred on the screen above all other windows, with the application's
  // taskbar button.
  virtual void ShowCountdown() = 0;
  virtual void HideCountdown() = 0;
};

class Countdown {
 public:
  Countdown(CountdownView& view, SoundService& sound) : view_(view), sound_(sound) {}

  // The window's caption, prompt and button captions for `verb` ("关机":
  // "Windows 正在准备关机...", "要想取消关机，请按下<取消关机>按钮:剩余",
  // "立即关机", "取消关机"). The count and the bar are left alone.
  void MyChangeCaption(const std::string& verb);
  // Shows the window; a non-empty `soundPath` loops until End.
  void Show(const std::string& soundPath, WindowHandle window);
  // One second of the count: the bar one step on, never past max(tishi, 0),
  // and the seconds left in Label2 ("59 秒" ... "0 秒"). True when the count
  // has reached `tishi`.
  bool Tick(std::int32_t tishi);
  // Ends the count however it ends: the sound stops at once, the bar goes
  // back to 0 and the window hides.
  void End();

  bool Showing() const { return showing_; }

 private:
  CountdownView& view_;
  SoundService& sound_;
  std::int32_t position_ = 0;
  bool showing_ = false;
  bool soundPlaying_ = false;
};

}  // namespace velmaro
