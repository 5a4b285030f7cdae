// The one failure type of the program. A failure aborts the handler that is
// running; the handler boundary shows its text in the general error box.
#pragma once

#include <stdexcept>
#include <string>

namespace velmaro {

// Carries a code page 936 text, exactly as it is shown to the user.
class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& text) : std::runtime_error(text) {}
};

// Builds "<prefix>'<subject>'<suffix>" texts such as "Failed to set data for 'A1'".
inline std::string QuotedMessage(const char* prefix, const std::string& subject, const char* suffix = "") {
  return std::string(prefix) + "'" + subject + "'" + suffix;
}

}  // namespace velmaro
