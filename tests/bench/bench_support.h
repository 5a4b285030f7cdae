// What the benchmarks share: the registry they run against (the memory
// registry natively, the real one under Wine), a store of N tasks written
// into it, and the clock that times them.
#pragma once

#include <chrono>
#include <string>

#include "store/registry_object.h"
#include "store/task_store.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/registry_win.h"
#else
#include "tests/fakes/memory_registry.h"
#endif

namespace velmaro {

#ifdef _WIN32
using BenchRegistry = Win32Registry;
inline const char kBenchSuffix[] = "";  // the figures that matter
#else
using BenchRegistry = MemoryRegistry;
inline const char kBenchSuffix[] = "_native";
#endif

// `tasks` reminders due at 3:17, daily and weekly by turns, and TaskNum.
inline void FillStore(BenchRegistry& registry, int tasks) {
  RegistryObject reg(registry);
  reg.SelectRoot(RegRoot::LocalMachine);
  reg.OpenKey(kStoreKey);
  for (int n = 1; n <= tasks; ++n) {
    reg.WriteString(SlotValueName('A', n), n % 2 ? "每天3时17分" : "每周3日3时17分");
    reg.WriteString(SlotValueName('B', n), "提醒");
    reg.WriteString(SlotValueName('C', n), "下班时间到。" + std::to_string(n));
  }
  reg.WriteInteger(kTaskNumValue, tasks);
#ifdef _WIN32
  // Wine saves a changed registry to disk a while later, stalling every
  // registry call while it does; have that happen before measuring.
  RegFlushKey(HKEY_LOCAL_MACHINE);
#endif
}

// Seconds per call of `work`, called `calls` times, or, with no count,
// again and again until the sample lasts 50 ms.
template <class Work>
double SecondsPerCall(Work&& work, int calls = 0) {
  using Clock = std::chrono::steady_clock;
  int done = 0;
  const Clock::time_point start = Clock::now();
  Clock::duration spent{};
  do {
    work();
    ++done;
    spent = Clock::now() - start;
  } while (calls > 0 ? done < calls : spent < std::chrono::milliseconds(50));
  return std::chrono::duration<double>(spent).count() / done;
}

}  // namespace velmaro
