// A stored task known by what it is rather than by its slot: its trigger
// text, action name and argument, and its place among the identical tasks
// (the same three texts) in lower slots. An older install's Delete moves
// later slots down by their three values alone, and a deletion here does the
// same, so a slot number names another task after either; the key still
// names this one. Every part of the program that must find a task again (the
// options, the postponements, the warnings, the catch-up, the record's slot
// numbers) finds it by its key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "store/task_store.h"

namespace velmaro {

struct TaskKey {
  std::string trigger;
  std::string action;
  std::string argument;
  int duplicate = 0;
  bool SameTexts(const TaskKey& other) const {
    return trigger == other.trigger && action == other.action && argument == other.argument;
  }
  bool operator==(const TaskKey& other) const { return duplicate == other.duplicate && SameTexts(other); }
};

// The key of the task in `slot`. Reads the store.
TaskKey KeyOfSlot(TaskStore& store, std::int32_t slot);
// The key the task gets when stored above every slot.
TaskKey KeyOfNewTask(TaskStore& store, const TaskSlot& task);
// The slot that holds `key` now, or 0; a store that cannot be read holds
// nothing. Closes the store.
std::int32_t FindTask(TaskStore& store, const TaskKey& key);
// The same through a store view of its own: callers that run inside the
// tick's or a dialog's message loop must leave those views as they are.
std::int32_t FindStoredTask(RegistryService& registry, Settings& settings, const TaskKey& key);

}  // namespace velmaro
