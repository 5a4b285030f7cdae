// The system junk cleanup: the batch "QLLJ.bat" beside the executable decides
// what goes; the program runs it hidden, keeps its output as a log named
// after the moment it started, and opens the log when the user asked for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/session.h"
#include "platform/shell.h"

namespace velmaro {

// Shown, followed by the folder, instead of a cleanup from a folder or batch
// that standard users could change.
extern const char kJunkCleanupRefused[];

// A batch that never ends must not hold the program for good.
constexpr std::uint32_t kJunkCleanupWaitMs = 10 * 60 * 1000;

// "清理系统垃圾列表" + year month day "_" hour minute second + ".txt", each
// number without leading zeros, so distinct moments can share a name.
std::string JunkCleanupLogName(const ClockSnapshot& now);

// Runs "QLLJ.bat" in `programDirectory` (ending with "\") through the command
// interpreter at `interpreterPath` with its output appended to `logPath` as
// UTF-16 text; every path quoted, no AutoRun commands, delayed expansion off.
std::string JunkCleanupCommandLine(const std::string& interpreterPath, const std::string& programDirectory,
                                   const std::string& logPath);

// Starts the log as UTF-16 text, so that every file name the batch writes is
// kept as the system spells it, also names outside code page 936; then runs
// the batch and returns when it has ended; a non-zero `showLog` then
// opens the log through the shell with `owner`. A batch still running after
// kJunkCleanupWaitMs is left to finish: its log is not opened, and no further
// cleanup starts while it runs. Nothing is reported, not even a batch that
// could not be started. From a folder, or with a batch, open to standard
// users (see OpenToStandardUsers) nothing runs: kJunkCleanupRefused is shown.
// Returns nothing when the batch ran (to its end, or on past the wait), or
// why it did not run, for the record of what ran.
std::optional<std::string> RunJunkCleanup(std::int32_t showLog, WindowHandle owner, ClockService& clock, SessionService& session,
                    ProcessService& processes, ShellService& shell);

}  // namespace velmaro
