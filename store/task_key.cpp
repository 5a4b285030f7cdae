#include "store/task_key.h"

#include "base/error.h"

namespace velmaro {

namespace {

// Whether `slot` holds `texts`: the action and argument are read only for a
// slot whose trigger already matches, as they are at almost every slot.
bool Holds(TaskStore& store, std::int32_t slot, const std::string& trigger, const TaskKey& texts) {
  return trigger == texts.trigger && store.ReadAction(slot) == texts.action &&
         store.ReadArgument(slot) == texts.argument;
}

}  // namespace

TaskKey KeyOfSlot(TaskStore& store, std::int32_t slot) {
  store.OpenStore();
  TaskKey key{store.ReadTrigger(slot), store.ReadAction(slot), store.ReadArgument(slot), 0};
  store.ForEachTask([&](std::int32_t lower, const std::string& trigger) {
    if (lower < slot && Holds(store, lower, trigger, key)) ++key.duplicate;
  });
  return key;
}

TaskKey KeyOfNewTask(TaskStore& store, const TaskSlot& task) {
  TaskKey key{task.trigger, task.action, task.argument, 0};
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    if (Holds(store, slot, trigger, key)) ++key.duplicate;
  });
  return key;
}

std::int32_t FindTask(TaskStore& store, const TaskKey& key) {
  std::int32_t found = 0;
  int place = 0;
  try {
    store.ForEachSlot([&](std::int32_t slot) {
      if (Holds(store, slot, store.ReadTrigger(slot), key) && place++ == key.duplicate) {
        found = slot;
        return false;
      }
      return true;
    });
  } catch (const AppError&) {
    found = 0;
  }
  store.CloseStore();
  return found;
}

std::int32_t FindStoredTask(RegistryService& registry, Settings& settings, const TaskKey& key) {
  RegistryObject reg(registry);
  TaskStore store(reg, settings);
  return FindTask(store, key);
}

}  // namespace velmaro
