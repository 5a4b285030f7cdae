// Reminder windows as a list of the texts they would show.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "actions/reminder.h"

namespace velmaro {

class FakeReminders : public ReminderService {
 public:
  std::vector<std::string> shown;
  // Runs inside ShowReminder, as a nested message loop of the real window could.
  std::function<void()> whileShowing;

  void ShowReminder(const std::string& text) override {
    shown.push_back(text);
    if (whileShowing) whileShowing();
  }
};

}  // namespace velmaro
