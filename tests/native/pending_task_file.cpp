// TEMPORARY: stand-ins for TaskRefusal, WriteTaskFile and ReadTaskFile,
// which are being written on another branch, so that the command tests link
// meanwhile. Remove this file when those land; the tests that depend on
// their behaviour are then run against the real ones.
#include <cstddef>
#include <vector>

#include "dialogs/task_check.h"
#include "store/task_file.h"
#include "store/trigger_text.h"

namespace velmaro {

// Only the two refusals the command tests meet.
std::string TaskRefusal(const TaskSlot& task, const TaskOptionSet&, ClockService&) {
  const std::optional<ParsedTrigger> trigger = ParseTrigger(task.trigger);
  if (!trigger) return "请选择时间";
  if (trigger->kind == TriggerKind::Idle && (trigger->fields.empty() || trigger->fields[0].empty())) {
    return "请输入空闲分钟数";
  }
  return "";
}

// One task a line, its three texts separated by tabs; no settings, no options.
std::string WriteTaskFile(TaskStore& store, const TaskOptions&, const Settings&, TextCodec& codec) {
  std::string text;
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    text += codec.GbkToUtf8(trigger + "\t" + store.ReadAction(slot) + "\t" + store.ReadArgument(slot)) + "\n";
  });
  store.CloseStore();
  return text;
}

TaskFileResult ReadTaskFile(const std::string& utf8, bool replace, TaskStore& store, TaskOptions&, Settings&,
                            TextCodec& codec, ClockService&) {
  TaskFileResult result;
  std::vector<TaskSlot> tasks;
  std::size_t start = 0;
  while (start < utf8.size()) {
    std::size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    ++result.line;
    const std::optional<std::string> line = codec.Utf8ToGbk(utf8.substr(start, end - start));
    const std::size_t tab1 = line ? line->find('\t') : std::string::npos;
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line->find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
      result.why = "不是任务";
      return result;
    }
    tasks.push_back(TaskSlot{line->substr(0, tab1), line->substr(tab1 + 1, tab2 - tab1 - 1), line->substr(tab2 + 1)});
    start = end + 1;
  }
  if (replace) {
    while (store.LastTaskNum() > 0) store.DeleteSlot(store.LastTaskNum());
  }
  for (const TaskSlot& task : tasks) store.WriteSlot(store.AllocateSlot(), task);
  store.CloseStore();
  result.ok = true;
  result.line = 0;
  result.tasks = static_cast<std::int32_t>(tasks.size());
  return result;
}

}  // namespace velmaro
