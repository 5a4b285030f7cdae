// The actions of a due task that act on programs, files and the dial-up
// connection. A file that does not open fails like a store read, for the
// general error box; the hang-up tells its outcome in a reminder window and
// to the record; the others report nothing.
#pragma once

#include <cstdint>
#include <string>

#include "actions/action_run.h"
#include "actions/reminder.h"
#include "platform/dialup.h"
#include "platform/processes.h"
#include "platform/shell.h"

namespace velmaro {

// Hands `path` to the shell to open: a document, a program or a web address.
// Fails, naming the path and the shell's reason, when the shell opened nothing.
void OpenTaskFile(ShellService& shell, const std::string& path);
// The shell's reason for a failed open, in words, from ShellExecute's result.
std::string ShellFailureReason(std::intptr_t result);

// Whether a process's executable entry names `name`: its file-name part (the
// text after the last "\" or ":") or, failing that, the whole entry equals
// it, ASCII letters folded. Both are compared in UTF-16, so a name matches only
// the processes that really carry it.
bool ProcessNameMatches(const std::u16string& exeFile, const std::u16string& name);

// Ends every running process that matches `name` (code page 936; this program
// too, if named). A name that is empty or no valid code page 936 names none.
void KillProcessByName(ProcessService& processes, const std::string& name);

// Asks the system to dial its default Internet connection without asking the user.
void DialDefaultConnection(DialUpService& dialUp, WindowHandle mainWindow);

// Hangs up the first active connection and shows the outcome, which it
// returns for the record: not done without a connection, failed with the
// system's error (an enumeration failure is recorded, not shown).
ActionResult HangUpDialUp(DialUpService& dialUp, ReminderService& reminders);

}  // namespace velmaro
