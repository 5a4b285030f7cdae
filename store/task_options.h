// What a task carries besides its three slot values: whether the computer is
// woken for it, whether it is caught up once when its minute passed with the
// computer off or asleep, and the occurrence a caught-up task last ran for.
//
// They live under a key of their own below the store key, one value per
// task, named by the task's key (task_key.h), never by its slot number: an
// older install reads only the slots and the settings, and its Delete moves
// later slots down by their three values alone, so options kept by slot
// number would land on another task.
//
// The first versions with options named a task without its argument, under
// kOldTaskOptionsKey, so that two reminders at one minute shared a name and
// one could inherit the other's options. Those entries are moved once to the
// key of the task they named; the key of today's entries is another one,
// which those versions never read, since they would drop every name they
// cannot parse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/registry_object.h"
#include "store/task_key.h"
#include "store/task_store.h"

namespace velmaro {

extern const char kTaskOptionsKey[];     // \Software\Drennik\Velmaro\WakeAndCatchUp
extern const char kOldTaskOptionsKey[];  // \Software\Drennik\Velmaro\TaskOptions

struct TaskOptionSet {
  bool wake = false;     // "唤醒计算机运行"
  bool catchUp = false;  // "错过后补做"
  // The local minute (LocalMinuteOf) of the occurrence the task last ran
  // for, kept for a catch-up task only.
  std::optional<std::int64_t> lastRun;
  bool Empty() const { return !wake && !catchUp; }
};

// "每天8时0分|提醒|早会|0": the key's parts joined by "|", a "|" or "%" inside
// a text written as %7C or %25, so that no two tasks share a name.
std::string OptionsValueName(const TaskKey& key);
std::optional<TaskKey> TaskKeyOf(const std::string& valueName);
// The older names, "每天8时0分|提醒|0": the argument left out.
struct OldTaskKey {
  std::string trigger;
  std::string action;
  int duplicate = 0;  // among the tasks of this trigger and action
};
std::optional<OldTaskKey> OldTaskKeyOf(const std::string& valueName);
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

  // Reads every entry, moves the older entries to their tasks' keys, then
  // drops the entries of tasks the store no longer holds (deleted or edited
  // by an older install), walking the values and the slots once each. A
  // store that cannot be read drops and moves nothing. Walks the store only
  // when there are entries; creates no key.
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
  // A handful at most, once those of tasks no longer stored are dropped:
  // looked through one by one.
  std::vector<Entry> entries_;
};

// Start-up's reading of the store: the settings (TaskStore::LoadSettings),
// then the options. The settings that could not be loaded run at their
// defaults and the others, and so the tasks, are as stored; the text for the
// one error box that says so, or the first failure.
std::optional<std::string> LoadStore(TaskStore& store, TaskOptions& options);

}  // namespace velmaro
