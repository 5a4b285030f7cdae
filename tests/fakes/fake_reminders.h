// Reminder windows as a list of the texts they would show.
#pragma once

#include <string>
#include <vector>

#include "actions/reminder.h"

namespace velmaro {

class FakeReminders : public ReminderService {
 public:
  std::vector<std::string> shown;

  void ShowReminder(const std::string& text) override { shown.push_back(text); }
};

}  // namespace velmaro
