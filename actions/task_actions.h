// The actions of a due task that act on programs, files and the dial-up
// connection. None reports a failure except the hang-up, which tells its
// outcome in a reminder window.
#pragma once

#include <string>

#include "actions/reminder.h"
#include "platform/dialup.h"
#include "platform/processes.h"
#include "platform/shell.h"

namespace velmaro {

// Hands `path` to the shell to open: a document, a program or a web address.
void OpenTaskFile(ShellService& shell, const std::string& path);

// "a" to "z" become "A" to "Z"; both bytes of every double-byte character
// stay as they are, even where a second byte has the value of a small letter.
std::string FoldAsciiUpper(const std::string& text);

// Whether a process's executable entry names `name`: its file-name part or,
// failing that, the whole entry equals it, ASCII letters folded.
bool ProcessNameMatches(const std::string& exeFile, const std::string& name);

// Ends every running process that matches `name` (this program too, if named).
void KillProcessByName(ProcessService& processes, const std::string& name);

// Asks the system to dial its default Internet connection without asking the user.
void DialDefaultConnection(DialUpService& dialUp, WindowHandle mainWindow);

// Hangs up the first active connection and shows the outcome; an enumeration
// failure shows nothing.
void HangUpDialUp(DialUpService& dialUp, ReminderService& reminders);

}  // namespace velmaro
