// What a command from the command line prints, to the console it was typed
// in. The program is a windows program: it has no console of its own, and
// borrows the one of the process that started it only for the moment it
// writes.
#pragma once

#include <string>

namespace velmaro {

enum class ConsoleStream { Output, Error };

// Prints `text` (code page 936) to standard output or standard error.
// Redirected to a file or a pipe, the bytes are in the console's output
// code page, or the OEM code page where the starter has no console, so that
// "type", "more" and "findstr" in that console read them as the console's
// own programs' output; the console itself gets UTF-16, which shows every
// character whatever its code page. Started from a shortcut, with neither,
// nothing is shown. False when nothing could be written.
bool PrintToConsole(ConsoleStream stream, const std::string& text);

// Lets go of the console borrowed for printing, if any.
void ReleaseConsole();

}  // namespace velmaro
