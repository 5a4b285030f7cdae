// The exported task file: every task with its options, and the settings, as
// UTF-8 text a person can read and edit, one task a line, for moving the
// tasks to another computer or deploying them to many.
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

// The file's text for the tasks and settings stored now. Throws AppError
// when the store cannot be read.
std::string WriteTaskFile(TaskStore& store, const TaskOptions& options, const Settings& settings, TextCodec& codec);

struct TaskFileResult {
  bool ok = false;
  std::int32_t line = 0;  // the first line refused, from 1; 0 for the file as a whole
  std::string why;        // code page 936, as the task editor would say it where it applies
  std::int32_t tasks = 0; // tasks stored, when ok
};
// Checks every line of `utf8` first; on the first bad one changes nothing
// and says which and why. Otherwise appends its tasks to the stored ones,
// or with `replace` puts them in their place, and takes its settings; the
// slots stay numbered 1 to TaskNum, as an older install reads them. Throws
// AppError when the store cannot be written.
TaskFileResult ReadTaskFile(const std::string& utf8, bool replace, TaskStore& store, TaskOptions& options,
                            Settings& settings, TextCodec& codec, ClockService& clock);

}  // namespace velmaro
