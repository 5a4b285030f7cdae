// The exported task file: every task with its options, and the settings, as
// UTF-8 text a person can read and edit, one task a line, for moving the
// tasks to another computer or deploying them to many.
//
//   # Velmaro 任务和设置 (UTF-8)。每行一个任务：触发, 动作, 参数, 选项
//   [settings]
//   shutapp=0
//   tishi=60
//   tiqian=5
//   soundpath=C:\Windows\Media\ding.wav
//   [tasks]
//   每天8时0分,提醒,"该开会了, 带上电脑",
//   每周1日22时30分,关闭计算机,关闭计算机,wake
//
// - UTF-8, with or without a byte order mark (written with one, so that
//   Notepad on Windows XP takes it for UTF-8); lines end in CRLF or LF.
//   Every line, comments too, must convert to code page 936, in which the
//   store keeps its texts; no control characters but the tab.
// - Blank lines, and lines whose first character other than a blank is
//   "#", are ignored.
// - "[settings]" and "[tasks]" (letter case aside) begin their sections;
//   lines before the first are tasks.
// - A setting is NAME=VALUE, named as the store names its value: shutapp 0
//   or 1 (close the other programs before stand-by and hibernation), tishi
//   the countdown in seconds (0 to 2147483647), tiqian the minutes of warning
//   ahead (0 to 60), soundpath the warning sound's file, as it stands after
//   "=" (empty: none). Each at most once; one the file leaves out stays as
//   stored.
// - A task is four fields, comma-separated: trigger text, action name,
//   argument and options, the last of which may be left out. A field holding
//   a comma or a quote, beginning with "#" or "[", or with blanks at either
//   end, is put in double quotes, a quote inside it doubled (RFC 4180);
//   blanks around a field are dropped. A field never spans lines. The options
//   are the words wake ("唤醒计算机运行") and catchup ("错过后补做"),
//   separated by blanks.
// - Each task must be one the task editor would store, in the form it stores
//   it (TaskRefusal). A caught-up task's last run is this computer's own and
//   not written: a task read from a file has missed nothing before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/text_files.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

// Larger files are refused unread.
constexpr std::size_t kTaskFileLimitBytes = 1024 * 1024;
// The most tasks a file, and the store after it is read, may hold. The tick
// reads every slot every ten seconds and the settings list shows each one;
// ten thousand is far past any list a person keeps, and reading and storing
// them stays within seconds. A file within kTaskFileLimitBytes holds up to
// about fifty thousand of the shortest lines.
constexpr std::int32_t kTaskFileTasksMax = 10000;

// The file's text for the tasks and settings stored now. Throws AppError
// when the store cannot be read.
std::string WriteTaskFile(TaskStore& store, const TaskOptions& options, const Settings& settings, TextCodec& codec);

struct TaskFileResult {
  bool ok = false;
  std::int32_t line = 0;  // the first line refused, from 1; 0 for the file as a whole
  std::string why;        // code page 936, as the task editor would say it where it applies; without the line number
  std::int32_t tasks = 0; // tasks stored, when ok
};
// Checks every line of `utf8` first; on the first bad one changes nothing
// and says which and why. Otherwise appends its tasks to the stored ones,
// or with `replace` puts them in their place, and takes its settings; the
// slots stay numbered 1 to TaskNum, as an older install reads them, and the
// options are read afresh from the store first, so that those of replaced
// tasks go with them. A task replaced by the same task keeps its last run.
// Throws AppError when the store cannot be read or written; what was written
// before then stays written.
TaskFileResult ReadTaskFile(const std::string& utf8, bool replace, TaskStore& store, TaskOptions& options,
                            Settings& settings, TextCodec& codec, ClockService& clock);

// "第 3 行：…", or the why alone for the file as a whole.
std::string TaskFileMessage(const TaskFileResult& result);

}  // namespace velmaro
