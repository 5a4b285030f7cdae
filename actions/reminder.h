// Showing a text to the user in a reminder window of its own.
#pragma once

#include <cstddef>
#include <string>

namespace velmaro {

// How much of a reminder text the window is given, in columns (see
// CutToColumns): far more than its 400 pixels show, but a label of 100 000
// characters would be tens of thousands of pixels wide.
constexpr std::size_t kReminderColumns = 256;

class ReminderService {
 public:
  virtual ~ReminderService() = default;
  // A new topmost window with `text` (code page 936) on one line; earlier
  // reminder windows stay as they are.
  virtual void ShowReminder(const std::string& text) = 0;
};

}  // namespace velmaro
