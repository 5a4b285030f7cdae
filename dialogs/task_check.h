// The task editor's checks for a task given as its stored texts rather than
// typed into the editor (the command line's /add, an imported task file):
// the same refusals in the same words.
#pragma once

#include <string>

#include "platform/clock.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

// What the task editor's OK would say of `task` with `options` filled into
// it, or "" when it would store it. The trigger text is one as stored
// ("每天8时0分", "空闲30分钟"), the action a stored action name.
std::string TaskRefusal(const TaskSlot& task, const TaskOptionSet& options, ClockService& clock);

}  // namespace velmaro
