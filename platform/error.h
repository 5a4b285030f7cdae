// The one failure type of the program. A failure aborts the handler that is
// running; the handler boundary shows its text in the general error box.
#pragma once

#include <exception>
#include <string>

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

// Builds "<prefix>'<subject>'<suffix>" texts such as "Failed to set data for 'A1'".
inline std::string QuotedMessage(const char* prefix, const std::string& subject, const char* suffix = "") {
  return std::string(prefix) + "'" + subject + "'" + suffix;
}

}  // namespace velmaro
