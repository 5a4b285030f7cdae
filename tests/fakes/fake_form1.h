// The main window as the logic sees it, with its timers run on simulated
// time: RunFor moves the fake clock from one timer's expiry to the next and
// calls the handler, as the message loop would. What the logic did to the
// window is kept in `log`, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/main_unit.h"
#include "tests/fakes/fake_clock.h"

namespace velmaro {

class FakeForm1 : public Form1View {
 public:
  explicit FakeForm1(FakeClock& clock) : clock_(clock) {}
  void Attach(MainUnit& unit) { unit_ = &unit; }

  WindowHandle Handle() override { return 0x1234; }
  WindowHandle ApplicationHandle() override { return 0x1200; }
  void SetTimer(TimerId timer, bool enabled) override {
    const auto id = static_cast<unsigned>(timer);
    log.push_back(std::string(enabled ? "on " : "off ") + std::to_string(id));
    if (on[id] == enabled) return;  // a running timer is not restarted
    on[id] = enabled;
    due_[id] = elapsed_ + Interval(id);
  }
  void SetProgressMax(std::int32_t maximum) override { log.push_back("max " + std::to_string(maximum)); }
  void SetMenuCaption(MenuItem item, const std::string& text) override {
    if (item == MenuItem::n6) caption = text;
    menuCaptions[item] = text;
  }
  std::map<MenuItem, std::string> menuCaptions;
  void SetMenuChecked(MenuItem, bool checked) override {
    n1Checked = checked;
    log.push_back(checked ? "check n1" : "uncheck n1");
  }
  void MakeTopmost() override { log.push_back("topmost"); }
  void EvaluateSoon() override { evaluateSoon = true; }
  void Close() override {
    log.push_back("close");
    if (unit_) unit_->FormClose();
  }
  void SetCountdownText(CountdownText which, const std::string& text) override {
    texts[which] = text;
    if (which == CountdownText::Label2) label2History.push_back(text);
    if (which == CountdownText::Caption) log.push_back("caption " + text);
  }
  void SetProgress(std::int32_t position) override { progress = position; }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  void ExpireWarning(const std::string& text) override { expiredWarnings.push_back(text); }
  // The dialog opened, with the description of the timer set then.
  void ShowQuickTimer(const std::string& current) override { quickTimerDialogs.push_back(current); }
  std::vector<std::string> quickTimerDialogs;
  void SetMenuEnabled(MenuItem item, bool enabled) override { menuEnabled[item] = enabled; }
  // The menu's modal loop: `whileChoosing` runs inside it (a timer, a
  // suspend), then the scripted choice is returned.
  std::int32_t ChoosePostponement() override {
    log.push_back("postpone menu");
    if (whileChoosing) whileChoosing();
    return postponeChoice;
  }
  void ShowCountdown() override {
    shown = true;
    log.push_back("show");
    windowEvents.push_back({clock_.tickCount, texts[CountdownText::Caption]});
  }
  void HideCountdown() override {
    shown = false;
    log.push_back("hide");
    windowEvents.push_back({clock_.tickCount, ""});
  }

  // Runs the timers for `ms` of simulated time.
  void RunFor(std::uint64_t ms) {
    const std::uint64_t end = elapsed_ + ms;
    for (;;) {
      if (evaluateSoon) {  // a posted message comes before the timers' next expiry
        evaluateSoon = false;
        unit_->Timer1Timer();
        continue;
      }
      unsigned next = 0;
      for (unsigned id = 1; id < kTimers; ++id) {
        if (on[id] && due_[id] <= end && (next == 0 || due_[id] < due_[next])) next = id;
      }
      if (next == 0) break;
      clock_.Advance(due_[next] - elapsed_);
      elapsed_ = due_[next];
      due_[next] += Interval(next);
      if (next == 1) unit_->Timer1Timer();
      if (next == 2) unit_->Timer2Timer();
      if (next == 3) unit_->Timer3Timer();
      if (next == 4) unit_->Timer4Timer();
      if (next == 5) unit_->Timer5Timer();
    }
    // A nested run (inside a modal box) may have gone past `end` already.
    if (end > elapsed_) {
      clock_.Advance(end - elapsed_);
      elapsed_ = end;
    }
  }

  static constexpr unsigned kTimers = 6;  // by TimerId, 0 unused
  bool on[kTimers] = {};
  bool n1Checked = false;  // the menu is built without check marks
  bool shown = false;
  bool evaluateSoon = false;
  std::int32_t progress = 0;
  std::map<CountdownText, std::string> texts;
  std::vector<std::string> label2History;
  std::vector<std::string> log;
  std::string caption;
  std::map<MenuItem, bool> menuEnabled;
  std::int32_t postponeChoice = 0;
  std::vector<std::string> warnings;         // the warning windows opened
  std::vector<std::string> expiredWarnings;  // and told their task's time has passed
  std::function<void()> whileChoosing;
  // The countdown window shown (with its caption) and hidden (""), at the
  // counter's time.
  struct WindowEvent {
    std::uint32_t tickCount;
    std::string caption;
  };
  std::vector<WindowEvent> windowEvents;

 private:
  static std::uint64_t Interval(unsigned id) {
    const std::uint32_t intervals[kTimers] = {0, kTimer1Interval, kTimer2Interval, kTimer3Interval, kTimer4Interval,
                                              kTimer5Interval};
    return intervals[id];
  }

  FakeClock& clock_;
  MainUnit* unit_ = nullptr;
  std::uint64_t elapsed_ = 0;
  std::uint64_t due_[kTimers] = {};
};

}  // namespace velmaro
