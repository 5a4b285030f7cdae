// One evaluation tick over N stored tasks, none of them due, beside the floor
// of the same work: a bare loop that reads the same N values straight from
// the registry. Both are measured in turns in the same run and the best of
// each is kept, so the ratio says what the tick adds to the reads it cannot
// avoid. Built twice: natively against the in-memory registry, and for
// Windows against the real registry (run under Wine).
//
// Then the tick over 100 tasks of which 10 are condition tasks, watched with
// the system's counters and process list, beside the same tick by an
// evaluator that watches no conditions (it reads the same 100 texts and
// skips the 10): the ratio is what watching them costs.
//
// Last, what each measure costs one tick on its own: one condition task of
// each kind, watched with the system's counters and process list.
//
// Prints one line per figure, last: "bench <name> <value> <unit>".
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/system_load.h"
#include "scheduler/task_evaluator.h"
#include "tests/bench/bench_support.h"
#ifndef _WIN32
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_system_load.h"
#endif

namespace velmaro {
namespace {

// A clock that always says Monday 7 December 2026, 12:34: the stored tasks
// are due at 3:17, so no tick ever runs one.
class StillClock : public ClockService {
 public:
  ClockSnapshot LocalTime() override { return ClockSnapshot{2026, 12, 1, 7, 12, 34, 0, 0}; }
  std::uint32_t TickCount() override { return 5000; }
  std::uint32_t LastInputTick() override { return 0; }
  std::string ShortDateFormat() override { return "yyyy/M/d"; }
  std::string DateSeparator() override { return "/"; }
  std::string DecimalSeparator() override { return "."; }
};

// The same calendar, but the millisecond counter moves on a tick per call,
// as it does between real ticks: a reading in the same millisecond as the
// last one is not measured.
class TickingClock : public StillClock {
 public:
  std::uint32_t TickCount() override { return tick_ += 10000; }

 private:
  std::uint32_t tick_ = 5000;
};

using Registry = BenchRegistry;
#ifdef _WIN32
const char kWhere[] = "wine";

// The floor: open the key as the tick does, read each trigger value once
// into a buffer, close it.
void BareReads(Registry&, int tasks) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Drennik\\Velmaro", 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  wchar_t name[16];
  BYTE data[512];
  for (int n = 1; n <= tasks; ++n) {
    swprintf(name, 16, L"A%d", n);
    DWORD size = sizeof data;
    DWORD type = 0;
    RegQueryValueExW(key, name, nullptr, &type, data, &size);
  }
  RegCloseKey(key);
}
#else
const char kWhere[] = "native";

void BareReads(Registry& registry, int tasks) {
  RegKeyHandle key = registry.CreateKey(RegRoot::LocalMachine, kStoreKey + 1);
  RegValue value;
  for (int n = 1; n <= tasks; ++n) registry.QueryValue(key, "A" + std::to_string(n), &value);
  registry.CloseKey(key);
}
#endif

// Every tenth of `tasks` reminders becomes a condition task that never
// fires: network, processor and program tasks by turns.
void AddConditionTasks(Registry& registry, int tasks) {
  RegistryObject reg(registry);
  reg.SelectRoot(RegRoot::LocalMachine);
  reg.OpenKey(kStoreKey);
  const char* const kConditions[] = {"网络空闲10分钟1KB", "处理器空闲10分钟1%", "程序结束downloader.exe"};
  for (int n = 10, i = 0; n <= tasks; n += 10, ++i) reg.WriteString(SlotValueName('A', n), kConditions[i % 3]);
#ifdef _WIN32
  RegFlushKey(HKEY_LOCAL_MACHINE);
#endif
}

// The system's load and process services, or on the host fakes of a
// system of 60 processes, as a desktop has.
struct SystemServices {
#ifdef _WIN32
  std::unique_ptr<SystemLoadService> load = MakeSystemLoad();
  std::unique_ptr<ProcessService> processes = MakeSystemProcesses();
#else
  std::unique_ptr<SystemLoadService> load = std::make_unique<FakeSystemLoad>();
  std::unique_ptr<ProcessService> processes = [] {
    auto fake = std::make_unique<FakeProcesses>();
    for (std::uint32_t id = 1; id <= 60; ++id) {
      fake->processes.push_back({id * 4, u"process" + std::u16string(1, u'a' + id % 26) + u".exe"});
    }
    return fake;
  }();
#endif
};

// The ratio of the tick that watches 10 condition tasks among 100 to the
// one that does not.
std::string ConditionsRatio() {
  constexpr int kTasks = 100;
  Registry registry;
  FillStore(registry, kTasks);
  AddConditionTasks(registry, kTasks);
  RegistryObject reg(registry);
  Settings settings;
  settings.LastTaskNum = kTasks;
  TaskStore store(reg, settings);
  TickingClock clock;
  SystemServices system;
  TaskEvaluator watching(*system.load, *system.processes);
  TaskEvaluator plain;
  int ran = 0;
  auto run = [&](const DueTask&) { return ++ran, true; };
  double bestWatching = 1e9, bestPlain = 1e9;
  for (int round = 0; round < 15; ++round) {
    bestWatching = std::min(bestWatching, SecondsPerCall([&] { watching.Tick(store, clock, run); }));
    bestPlain = std::min(bestPlain, SecondsPerCall([&] { plain.Tick(store, clock, run); }));
  }
  if (ran != 0 || watching.Watched() != 10) std::fprintf(stderr, "a condition task fired or went unwatched: void\n");
  std::printf("%s: %5d tasks: tick with 10 condition tasks %10.1f us, without watching them %10.1f us\n", kWhere,
              kTasks, bestWatching * 1e6, bestPlain * 1e6);
  char line[128];
  std::snprintf(line, sizeof line, "bench tick_conditions_ratio%s %.2f x", kBenchSuffix, bestWatching / bestPlain);
  return line;
}

// Microseconds per tick of each measure: one condition task of the kind
// examined by a ConditionWatch over the system's services.
std::vector<std::string> MeasureCosts() {
  SystemServices system;
  struct Measure {
    const char* name;
    const char* trigger;
  };
  const Measure measures[] = {{"network", "网络空闲10分钟1KB"}, {"processor", "处理器空闲10分钟1%"},
                              {"processes", "程序结束downloader.exe"}};
  std::vector<std::string> lines;
  for (const Measure& measure : measures) {
    ConditionWatch watch(*system.load, *system.processes);
    const std::string trigger = measure.trigger;
    const ParsedTrigger parsed = *ParseTrigger(trigger);
    std::uint32_t tick = 0;
    auto once = [&] {
      watch.BeginTick(tick += 10000);
      watch.Fires(trigger, parsed, "提醒");
      watch.EndTick();
    };
    double best = 1e9;
    for (int round = 0; round < 15; ++round) best = std::min(best, SecondsPerCall(once));
    std::printf("%s: one %s task: %10.1f us a tick\n", kWhere, measure.name, best * 1e6);
    char line[128];
    std::snprintf(line, sizeof line, "bench measure_%s_us%s %.1f us", measure.name, kBenchSuffix, best * 1e6);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace
}  // namespace velmaro

int main() {
  using namespace velmaro;
  std::vector<std::string> lines;
  for (int tasks : {10, 100, 1000, 10000}) {
    Registry registry;
    FillStore(registry, tasks);
    RegistryObject reg(registry);
    Settings settings;
    settings.LastTaskNum = tasks;
    TaskStore store(reg, settings);
    StillClock clock;
    TaskEvaluator evaluator;
    int ran = 0;
    auto tick = [&] { evaluator.Tick(store, clock, [&](const DueTask&) { return ++ran, true; }); };
    auto floor = [&] { BareReads(registry, tasks); };

    double bestTick = 1e9, bestFloor = 1e9;
    for (int round = 0; round < 15; ++round) {
      bestTick = std::min(bestTick, SecondsPerCall(tick));
      bestFloor = std::min(bestFloor, SecondsPerCall(floor));
    }
    if (tasks == 10000) {
      // The tick that catches up ten minutes beside the one that looks at its own
      // minute only, on the same store: the window is matched in one pass.
      const TickMoment now = MomentOf(clock.LocalTime(), clock.TickCount());
      const TickMoment before{now.localMs - 9 * 60000 - 30000, now.tickCount - 9 * 60000 - 30000};
      const TickWindow wide = WindowBetween(before, now);
      const TickWindow narrow = WindowBetween(std::nullopt, now);
      auto run = [&](const DueTask&) { return ++ran, true; };
      double bestWide = 1e9, bestNarrow = 1e9;
      for (int round = 0; round < 15; ++round) {
        bestWide = std::min(bestWide, SecondsPerCall([&] { evaluator.Tick(store, wide, clock, run); }));
        bestNarrow = std::min(bestNarrow, SecondsPerCall([&] { evaluator.Tick(store, narrow, clock, run); }));
      }
      std::printf("%s: %5d tasks: tick over %zu minutes %10.1f us, over one minute %10.1f us\n", kWhere, tasks,
                  wide.localMinutes.size(), bestWide * 1e6, bestNarrow * 1e6);
      char line[128];
      std::snprintf(line, sizeof line, "bench tick_window_ratio_%d%s %.2f x", tasks, kBenchSuffix,
                    bestWide / bestNarrow);
      lines.push_back(line);
    }
    if (ran != 0) std::fprintf(stderr, "a task was due: the measurement is void\n");
    std::printf("%s: %5d tasks: tick %10.1f us, bare reads %10.1f us\n", kWhere, tasks, bestTick * 1e6,
                bestFloor * 1e6);
    char line[128];
    std::snprintf(line, sizeof line, "bench tick_us_%d%s %.1f us", tasks, kBenchSuffix, bestTick * 1e6);
    lines.push_back(line);
    std::snprintf(line, sizeof line, "bench tick_ratio_%d%s %.2f x", tasks, kBenchSuffix, bestTick / bestFloor);
    lines.push_back(line);
  }
  lines.push_back(ConditionsRatio());
  for (const std::string& line : MeasureCosts()) lines.push_back(line);
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  return 0;
}
