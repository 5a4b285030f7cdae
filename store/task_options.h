// What a task carries besides its three slot values: whether the computer is
// woken for it, whether it is caught up once when its minute passed with the
// computer off or asleep, and the occurrence a caught-up task last ran for.
//
// They live under a key of their own below the store key, one value per
// task, named by the task's trigger text, action name and place among the
// identical tasks, never by its slot number: an older install reads only the
// slots and the settings, and its Delete moves later slots down by their
// three values alone, so options kept by slot number would land on another
// task. Kept by the task, they stay with it however its slot moves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/registry_object.h"
#include "store/task_store.h"

namespace velmaro {

extern const char kTaskOptionsKey[];  // \Software\Drennik\Velmaro\TaskOptions

// A task as its options know it. `duplicate` counts the tasks with the same
// trigger text and action name in lower slots.
struct TaskKey {
  std::string trigger;
  std::string action;
  int duplicate = 0;
  bool operator==(const TaskKey& other) const {
    return duplicate == other.duplicate && trigger == other.trigger && action == other.action;
  }
};

struct TaskOptionSet {
  bool wake = false;     // "唤醒计算机运行"
  bool catchUp = false;  // "错过后补做"
  // The local minute (LocalMinuteOf) of the occurrence the task last ran
  // for, kept for a catch-up task only.
  std::optional<std::int64_t> lastRun;
  bool Empty() const { return !wake && !catchUp; }
};

// "每天8时0分|提醒|0": the three parts joined by "|", a "|" or "%" inside a
// text written as %7C or %25, so that no two tasks share a name.
std::string OptionsValueName(const TaskKey& key);
std::optional<TaskKey> TaskKeyOf(const std::string& valueName);
// "W", "C" or "WC", then for a catch-up task its last run: "C 2026-12-01 09:00".
std::string OptionsText(const TaskOptionSet& options);
// None for a text this program did not write.
std::optional<TaskOptionSet> ReadOptionsText(const std::string& text);
// "2026-12-01 09:00"
std::string LocalMinuteText(std::int64_t minute);

class TaskOptions {
 public:
  // With a store object of its own: the options are read and written while
  // the tick holds the store key open.
  explicit TaskOptions(RegistryService& registry) : reg_(registry) {}

  // Reads every entry, then drops those of tasks the store no longer holds
  // (deleted or edited by an older install). A store that cannot be read
  // drops nothing. Walks the store only when there are entries.
  void Load(TaskStore& store);

  struct Entry {
    TaskKey key;
    TaskOptionSet options;
  };
  // The options of `key`; all off for a task without an entry.
  TaskOptionSet Of(const TaskKey& key) const;
  bool Any() const { return !entries_.empty(); }
  // Each task with options, in no particular order. Recording a run
  // changes an entry in its place; Set, Removed and Inserted may move them.
  const std::vector<Entry>& All() const { return entries_; }

  // Stores the options of `key`, removing its entry when they are all off.
  void Set(const TaskKey& key, const TaskOptionSet& options);
  // A catch-up task ran for `occurrence`: remembered across restarts.
  void RecordRun(const TaskKey& key, std::int64_t occurrence);

  // `key` left the store (deleted, or rewritten as another task): its entry
  // goes, and the identical tasks above it, now one place lower among
  // their kind, take their options along.
  void Removed(const TaskKey& key);
  // A task took the place `key` among its identical tasks: those from that
  // place up move one place higher, and it gets `options`.
  void Inserted(const TaskKey& key, const TaskOptionSet& options);

 private:
  Entry* Find(const TaskKey& key);
  void Write(const TaskKey& key, const TaskOptionSet& options);
  void Erase(const TaskKey& key);
  // Moves the entries of the identical tasks of `key` from `from` upwards by `step`.
  void Shift(const TaskKey& key, int from, int step);

  RegistryObject reg_;
  // A handful at most: looked through one by one.
  std::vector<Entry> entries_;
};

// The key of the task in `slot`: its trigger and action and how many
// identical tasks lie below it. Reads the store.
TaskKey KeyOfSlot(TaskStore& store, std::int32_t slot);
// The slot that holds `key` now, or 0.
std::int32_t FindSlot(TaskStore& store, const TaskKey& key);
// The key the task gets when stored above every slot.
TaskKey KeyOfNewTask(TaskStore& store, const std::string& trigger, const std::string& action);

}  // namespace velmaro
