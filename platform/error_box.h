// The general error box: a failure that aborts a handler is shown in one
// modal box, and the program goes on. It is shown through the shell service,
// so the core's handlers and the windows' share it.
#pragma once

#include <new>
#include <string>

#include "base/error.h"
#include "platform/shell.h"

namespace velmaro {

extern const char kAppTitle[];  // "Velmaro"

// The longest failure text a box shows, in columns (see CutToColumns).
constexpr std::size_t kErrorBoxColumns = 1024;

// The failure text, cut to kErrorBoxColumns, with a full stop appended when
// its last character sorts after "." (letters, digits, Chinese characters),
// so "x'" or "x." stay as they are.
std::string ErrorBoxText(const std::string& failure);

void ShowErrorBox(ShellService& shell, const std::string& failure);

// The handler boundary: runs `handler` and shows a failure it raises.
template <class Handler>
void Guarded(ShellService& shell, Handler&& handler) {
  try {
    handler();
  } catch (const AppError& error) {
    ShowErrorBox(shell, error.what());
  } catch (const std::bad_alloc&) {
    ShowErrorBox(shell, "Out of memory");
  }
}

}  // namespace velmaro
