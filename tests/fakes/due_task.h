// A due task as the tick would hand it over, for the tests of the classes
// that take one.
#pragma once

#include <cstdint>
#include <string>

#include "scheduler/task_evaluator.h"

namespace velmaro {

inline DueTask Due(std::int32_t slot, const std::string& trigger, const std::string& action,
                   std::uint64_t occurrence = 0, const std::string& argument = std::string()) {
  DueTask task;
  task.trigger = trigger;
  task.action = action;
  task.argument = argument;
  task.slot = slot;
  task.occurrence = occurrence;
  return task;
}

}  // namespace velmaro
