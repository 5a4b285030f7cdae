// The one failure type of the program. A failure aborts the handler that is
// running; the handler boundary shows its text in the general error box.
#pragma once

#include <exception>
#include <string>

#include "base/gbk.h"

namespace velmaro {

// Carries a code page 936 text, exactly as it is shown to the user. Not a
// std::runtime_error: that one keeps its text in a string type of its own,
// which would link a second copy of the string code into the program.
class AppError : public std::exception {
 public:
  explicit AppError(std::string text) : text_(std::move(text)) {}
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string text_;
};

// How much of a quoted value a failure text shows: a message box does not
// wrap a run without blanks, so a value of 100 000 digits would push the box
// and its button off the screen.
constexpr std::size_t kQuotedColumns = 64;

// Builds "<prefix>'<subject>'<suffix>" texts such as "Failed to set data for 'A1'";
// a long subject is cut with "…".
inline std::string QuotedMessage(const char* prefix, const std::string& subject, const char* suffix = "") {
  return std::string(prefix) + "'" + CutToColumns(subject, kQuotedColumns) + "'" + suffix;
}

}  // namespace velmaro
