// Showing a text to the user in a reminder window of its own.
#pragma once

#include <string>

namespace velmaro {

class ReminderService {
 public:
  virtual ~ReminderService() = default;
  // A new topmost window with `text` (code page 936) on one line; earlier
  // reminder windows stay as they are.
  virtual void ShowReminder(const std::string& text) = 0;
};

}  // namespace velmaro
