#include "store/task_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "tests/fakes/memory_registry.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

const char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegRoot kHklm = RegRoot::LocalMachine;

class TaskStoreTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  StoreArranger stored{registry};

  MemoryRegistry::Values& Stored() { return stored.Values(); }
  std::string Text(const std::string& name) { return Stored().at(name).data; }
  std::uint32_t Dword(const std::string& name) { return stored.Dword(name); }
  void PutSlots(int count) {
    for (int n = 1; n <= count; ++n) {
      const std::string number = std::to_string(n);
      stored.PutSlot(n, "A" + number + "-text", "B" + number + "-text", "C" + number + "-text");
    }
    stored.PutTaskNum(static_cast<std::uint32_t>(count));
    store.LoadSettings();
    registry.journal.clear();
  }
  std::string Failure(const std::function<void()>& operation) {
    try {
      operation();
    } catch (const AppError& error) {
      return error.what();
    }
    return "(no failure)";
  }
};

TEST_F(TaskStoreTest, FirstStartCreatesTheKeyWithDefaultsInOrder) {
  store.LoadSettings();
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"set shutapp", "set soundpath", "set tishi", "set TaskNum"}));
  EXPECT_EQ(Dword("shutapp"), 0u);
  EXPECT_EQ(Stored().at("soundpath").type, kRegSz);
  EXPECT_EQ(Text("soundpath"), "");
  EXPECT_EQ(Dword("tishi"), 60u);
  EXPECT_EQ(Dword("TaskNum"), 0u);
  EXPECT_EQ(Stored().size(), 4u);
  EXPECT_EQ(settings.Tishi, 60);
  EXPECT_EQ(settings.LastTaskNum, 0);
}

TEST_F(TaskStoreTest, PresentSettingsAreReadAndNeverOverwritten) {
  stored.PutDword("tishi", 0);
  stored.PutString("soundpath", "C:\\声音\\警告.wav");
  stored.PutDword("shutapp", 7);                 // not 0 or 1, kept anyway
  stored.PutTaskNum(0xFFFFFFF6u);       // -10
  store.LoadSettings();
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_EQ(settings.Tishi, 0);
  EXPECT_EQ(settings.SoundPath, "C:\\声音\\警告.wav");
  EXPECT_EQ(settings.ShutApp, 7);
  EXPECT_EQ(settings.LastTaskNum, -10);

  MemoryRegistry partial;
  RegistryObject partialReg{partial};
  Settings partialSettings;
  partial.PutDword(kHklm, kStorePath, "tishi", 30);
  TaskStore(partialReg, partialSettings).LoadSettings();
  EXPECT_EQ(partial.journal, (std::vector<std::string>{"set shutapp", "set soundpath", "set TaskNum"}));
  EXPECT_EQ(partialSettings.Tishi, 30);
}

// One setting of the wrong type used to end the load there, so TaskNum
// stayed 0 and no task ran.
TEST_F(TaskStoreTest, ABadSettingTakesItsDefaultWhileTheOthersLoad) {
  struct Case {
    const char* name;
    RegValue value;
  };
  const Case cases[] = {
      {"shutapp", {kRegSz, "1"}},
      {"soundpath", {kRegDword, std::string(4, '\0')}},
      {"tishi", {kRegBinary, std::string(4, '\0')}},
      {"TaskNum", {kRegDword, std::string(2, '\0')}},
  };
  for (const Case& c : cases) {
    MemoryRegistry fresh;
    RegistryObject freshReg{fresh};
    Settings loaded;
    fresh.PutDword(kHklm, kStorePath, "shutapp", 1);
    fresh.PutString(kHklm, kStorePath, "soundpath", "ding.wav");
    fresh.PutDword(kHklm, kStorePath, "tishi", 30);
    fresh.PutDword(kHklm, kStorePath, "TaskNum", 4);
    fresh.Key(kHklm, kStorePath)[c.name] = c.value;
    const std::optional<std::string> report = TaskStore(freshReg, loaded).LoadSettings();
    EXPECT_EQ(report, std::string(kSettingsDefaultedHeader) + "\nInvalid data type for '" + c.name + "'");
    const std::string name = c.name;
    EXPECT_EQ(loaded.ShutApp, name == "shutapp" ? 0 : 1) << name;
    EXPECT_EQ(loaded.SoundPath, name == "soundpath" ? "" : "ding.wav") << name;
    EXPECT_EQ(loaded.Tishi, name == "tishi" ? 60 : 30) << name;
    EXPECT_EQ(loaded.LastTaskNum, name == "TaskNum" ? 0 : 4) << name;
    EXPECT_EQ(fresh.Key(kHklm, kStorePath).at(c.name).type, c.value.type) << "the bad value is kept: " << name;
    EXPECT_TRUE(fresh.journal.empty()) << name;
  }

  // Every setting that failed is named, each on its line, in the load's order.
  MemoryRegistry fresh;
  RegistryObject freshReg{fresh};
  Settings loaded;
  fresh.PutString(kHklm, kStorePath, "tishi", "60");
  fresh.failSetAt = 1;  // writing the missing shutapp
  EXPECT_EQ(TaskStore(freshReg, loaded).LoadSettings(),
            std::string(kSettingsDefaultedHeader) +
                "\nFailed to set data for 'shutapp'\nInvalid data type for 'tishi'");
  EXPECT_EQ(fresh.journal, (std::vector<std::string>{"set soundpath", "set TaskNum"}));
}

TEST_F(TaskStoreTest, ValuesOfTheWrongTypeFailWithTheirName) {
  PutSlots(3);
  Stored()["A3"] = RegValue{kRegDword, std::string(4, '\0')};
  std::vector<int> visited;
  EXPECT_EQ(Failure([&] { store.ForEachTask([&](int n, const std::string&) { visited.push_back(n); }); }),
            "Invalid data type for 'A3'");
  EXPECT_EQ(visited, (std::vector<int>{1, 2}));
}

TEST_F(TaskStoreTest, MissingIntegerAndFailedOpenFailWithTheirTexts) {
  reg.SelectRoot(kHklm);
  reg.OpenKey(kStoreKey);
  EXPECT_EQ(Failure([&] { reg.ReadInteger("tishi"); }), "Failed to get data for 'tishi'");
  EXPECT_EQ(reg.ReadString("soundpath"), "");

  registry.failCreate = true;
  EXPECT_FALSE(reg.OpenKey("\\Software\\Other"));
  EXPECT_EQ(reg.ReadString("soundpath"), "");
  EXPECT_EQ(Failure([&] { reg.WriteString("A1", "x"); }), "Failed to set data for 'A1'");
  EXPECT_EQ(Failure([&] { reg.WriteInteger("TaskNum", 1); }), "Failed to set data for 'TaskNum'");
  EXPECT_EQ(registry.openKeys, 0);
}

TEST_F(TaskStoreTest, AddingRaisesTaskNumThenWritesTheNewSlot) {
  PutSlots(9);
  const std::int32_t slot = store.AllocateSlot();
  store.WriteSlot(slot, {"每天8时5分", "提醒", "喝水"});
  EXPECT_EQ(slot, 10);
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"set TaskNum", "set A10", "set B10", "set C10"}));
  EXPECT_EQ(Dword("TaskNum"), 10u);
  EXPECT_EQ(Text("A10"), "每天8时5分");
  EXPECT_EQ(settings.LastTaskNum, 10);
}

TEST_F(TaskStoreTest, DeleteShiftsHigherSlotsDown) {
  PutSlots(5);
  store.DeleteSlot(2);
  EXPECT_EQ(Text("A2"), "A3-text");
  EXPECT_EQ(Text("C4"), "C5-text");
  EXPECT_EQ(Text("A1"), "A1-text");
  EXPECT_FALSE(Stored().count("A5") || Stored().count("B5") || Stored().count("C5"));
  EXPECT_EQ(Dword("TaskNum"), 4u);
  EXPECT_EQ(settings.LastTaskNum, 4);
  EXPECT_EQ(registry.journal.front(), "set A2");
  EXPECT_EQ(registry.journal.back(), "set TaskNum");
}

TEST_F(TaskStoreTest, DeletingTheTopOrOnlySlotCopiesNothing) {
  PutSlots(3);
  store.DeleteSlot(3);
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"delete A3", "delete B3", "delete C3", "set TaskNum"}));
  store.DeleteSlot(1);
  store.DeleteSlot(1);
  EXPECT_EQ(Stored().size(), 4u);  // the four settings only
  EXPECT_EQ(Dword("TaskNum"), 0u);

  registry.journal.clear();
  registry.queryCalls = registry.setCalls = 0;
  store.DeleteSlot(1);  // nothing left: no change at all
  store.DeleteSlot(-1);
  EXPECT_TRUE(registry.journal.empty());
}

TEST_F(TaskStoreTest, EmptySlotIsSkippedButShiftsLikeAnyOther) {
  PutSlots(4);
  Stored().erase("A2");  // missing trigger text
  Stored()["A3"] = RegValue{kRegSz, ""};
  std::vector<int> visited;
  store.ForEachTask([&](int n, const std::string&) { visited.push_back(n); });
  EXPECT_EQ(visited, (std::vector<int>{1, 4}));

  store.DeleteSlot(1);
  EXPECT_EQ(Text("A1"), "");  // the missing A2 moved down as an empty value
  EXPECT_EQ(Text("B1"), "B2-text");
  EXPECT_EQ(Text("A2"), "");
  EXPECT_EQ(Text("A3"), "A4-text");
}

// What an older install's Delete leaves, one value at a time: each slot
// number from `slot` to TaskNum - 1 takes the texts of the one above as
// REG_SZ (a missing one as the empty text; where both are missing it writes
// an empty value, which reads as the missing one and is left out here), the
// top slot's values go, and TaskNum is one less. A value above of another
// type fails the read; a write to `failAt` fails and ends it there. Returns
// the failure text, or "".
std::string OlderInstallsDelete(MemoryRegistry::Values& values, std::int32_t slot, const std::string& failAt = "") {
  const std::int32_t last = static_cast<std::int32_t>(StoreArranger::DwordOf(values.at("TaskNum")));
  for (std::int32_t to = slot; to < last; ++to) {
    for (char letter : {'A', 'B', 'C'}) {
      const std::string from = SlotValueName(letter, to + 1), onto = SlotValueName(letter, to);
      const auto above = values.find(from);
      if (above != values.end() && above->second.type != kRegSz && above->second.type != kRegExpandSz) {
        return "Invalid data type for '" + from + "'";
      }
      if (above == values.end() && values.find(onto) == values.end()) continue;
      if (onto == failAt) return "Failed to set data for '" + onto + "'";
      values[onto] = RegValue{kRegSz, above == values.end() ? "" : above->second.data};
    }
  }
  for (char letter : {'A', 'B', 'C'}) values.erase(SlotValueName(letter, last));
  if (failAt == "TaskNum") return "Failed to set data for 'TaskNum'";
  values["TaskNum"] = StoreArranger::DwordValue(static_cast<std::uint32_t>(last - 1));
  return "";
}

// Each value as "name=type:text", the UTF-16 form too where it was written.
std::vector<std::string> Listed(const MemoryRegistry::Values& values) {
  std::vector<std::string> lines;
  for (const auto& [name, value] : values) {
    std::string line = name + "=" + std::to_string(value.type) + ":" + value.data;
    if (value.hasUtf16) line += " utf16:" + std::string(value.utf16.begin(), value.utf16.end());
    lines.push_back(line);
  }
  return lines;
}

// The older install's Delete is what users' stores were made with, and what
// reads a store after ours moved it: the result must be theirs, whatever the
// store holds, and a write that fails must leave what theirs leaves when it
// fails at the same value.
TEST(TaskStoreDelete, LeavesWhatAnOlderInstallsDeleteLeavesAtEveryFailure) {
  auto sz = [](const char* text) { return RegValue{kRegSz, text}; };
  RegValue wide{kRegSz, "?"};  // a text with no code page 936 form
  wide.utf16 = u"\uD55C";
  wide.hasUtf16 = true;
  struct Case {
    const char* label;
    std::vector<std::pair<std::string, RegValue>> values;
    std::uint32_t taskNum;
    std::int32_t slot;
  };
  const std::vector<Case> cases = {
      {"equal neighbours",
       {{"A1", sz("每天8时0分")}, {"B1", sz("提醒")}, {"C1", sz("同")},
        {"A2", sz("每天9时0分")}, {"B2", sz("提醒")}, {"C2", sz("同")},
        {"A3", sz("每天9时0分")}, {"B3", sz("提醒")}, {"C3", sz("同")},
        {"A4", sz("每天9时0分")}, {"B4", sz("关机")}, {"C4", sz("")},
        {"A5", sz("每天9时0分")}, {"B5", sz("提醒")}, {"C5", sz("")}},
       5, 1},
      {"sparse, with values it does not know",
       {{"A2", sz("a2")}, {"B2", sz("b2")}, {"A5", sz("a5")}, {"C5", sz("c5")}, {"B6", sz("b6")},
        {"A9", sz("a9")}, {"B9", sz("b9")}, {"C9", sz("c9")}, {"A0", sz("a0")}, {"A01", sz("a01")},
        {"D3", sz("d3")}, {"A20", sz("above TaskNum")}, {"soundpath", sz("ding.wav")}},
       12, 1},
      {"sparse, deleting a stored slot", {{"A5", sz("a5")}, {"A6", sz("a6")}, {"C7", sz("c7")}, {"B9", sz("b9")}}, 12, 5},
      {"sparse, deleting an empty top", {{"A5", sz("a5")}, {"B9", sz("b9")}}, 12, 12},
      {"TaskNum above the stored slots",
       {{"A1", sz("a1")}, {"B1", sz("b1")}, {"A2", sz("a2")}, {"B2", sz("b2")}, {"A3", sz("a3")}, {"C3", sz("c3")}}, 6, 2},
      {"names in another letter case",
       {{"a1", sz("a1")}, {"b1", sz("b1")}, {"a2", sz("a2")}, {"B2", sz("b2")}, {"c3", sz("c3")}}, 3, 1},
      {"empty and missing values",
       {{"A1", sz("a1")}, {"A2", sz("")}, {"B2", sz("b2")}, {"C2", sz("")}, {"A3", sz("")}, {"C3", sz("c3")}}, 4, 1},
      {"values of other types",
       {{"A1", sz("a1")}, {"A2", RegValue{kRegExpandSz, "same"}}, {"A3", sz("same")}, {"B2", RegValue{kRegDword, "1234"}},
        {"C2", sz("c2")}, {"C3", RegValue{kRegExpandSz, "%TEMP%"}}, {"B4", RegValue{kRegBinary, "xy"}}},
       4, 2},
      {"a value above that does not read", {{"A2", sz("a2")}, {"A3", sz("a3")}, {"B4", RegValue{kRegDword, "1234"}}}, 4, 1},
      {"texts alike in code page 936 only", {{"A1", wide}, {"A2", sz("?")}, {"A3", wide}, {"A4", sz("?")}}, 4, 1},
  };
  for (const Case& c : cases) {
    auto arrange = [&c](MemoryRegistry& registry) {
      for (const auto& [name, value] : c.values) registry.Key(kHklm, kStorePath)[name] = value;
      registry.PutDword(kHklm, kStorePath, "TaskNum", c.taskNum);
      registry.PutDword(kHklm, kStorePath, "shutapp", 0);
      registry.PutString(kHklm, kStorePath, "soundpath", "");
      registry.PutDword(kHklm, kStorePath, "tishi", 60);
    };
    // The write numbered `failAt` (from 1; 0: none), to `failedName`, fails.
    auto run = [&](int failAt, const std::string& failedName) {
      MemoryRegistry registry;
      arrange(registry);
      RegistryObject reg{registry};
      Settings settings;
      TaskStore store{reg, settings};
      store.LoadSettings();
      const MemoryRegistry::Values before = registry.Key(kHklm, kStorePath);
      registry.journal.clear();
      registry.setCalls = registry.queryCalls = 0;
      registry.failSetAt = failAt;
      std::string failure;
      try {
        store.DeleteSlot(c.slot);
      } catch (const AppError& error) {
        failure = error.what();
      }
      const std::string label = std::string(c.label) + (failAt ? ", write " + std::to_string(failAt) + " fails" : "");
      EXPECT_LE(registry.queryCalls, 3 * (static_cast<int>(c.taskNum) - c.slot + 1)) << label << ": none read twice";

      MemoryRegistry::Values expected = before;
      EXPECT_EQ(failure, OlderInstallsDelete(expected, c.slot, failedName)) << label;
      EXPECT_EQ(Listed(registry.Key(kHklm, kStorePath)), Listed(expected)) << label;
      EXPECT_EQ(settings.LastTaskNum, failure.empty() ? static_cast<std::int32_t>(c.taskNum) - 1
                                                      : static_cast<std::int32_t>(c.taskNum))
          << label << ": the copy follows the store";
      return registry.journal;
    };
    std::vector<std::string> writes;
    for (const std::string& entry : run(0, "")) {
      if (entry.rfind("set ", 0) == 0) writes.push_back(entry.substr(4));
    }
    for (std::size_t i = 0; i < writes.size(); ++i) run(static_cast<int>(i + 1), writes[i]);
  }
}

// At 2 000 tasks a Delete made some 18 000 registry calls under Wine and
// took up to 0.6 s; most actions and many arguments repeat from one task to
// the next. Values above TaskNum (left by another program) are not read.
TEST(TaskStoreDelete, ReadsEachValueOnceAndWritesOnlyTheValuesThatChange) {
  MemoryRegistry registry;
  StoreArranger stored(registry);
  constexpr int kSlots = 200;
  for (int n = 1; n <= kSlots; ++n) {
    stored.PutSlot(n, n % 2 ? "每天3时17分" : "每周3日3时17分", "提醒", n % 10 ? "下班时间到。" : "周报");
  }
  for (int n = kSlots + 1; n <= 3 * kSlots; ++n) stored.PutSlot(n, "above", "above", "above");
  stored.PutTaskNum(kSlots);
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  store.LoadSettings();
  registry.journal.clear();
  registry.setCalls = registry.queryCalls = 0;
  registry.enumCalls = 0;
  registry.namesListed = 0;

  store.DeleteSlot(1);
  // Every trigger changes, no action, and an argument only next to a "周报".
  int argumentWrites = 0;
  for (int to = 1; to < kSlots; ++to) argumentWrites += (to % 10 == 0) != ((to + 1) % 10 == 0);
  EXPECT_EQ(registry.setCalls, (kSlots - 1) + argumentWrites + 1);
  EXPECT_EQ(registry.queryCalls + registry.namesListed, 3 * kSlots);
  EXPECT_EQ(stored.Text("C9"), "周报");
  EXPECT_EQ(stored.Text("C10"), "下班时间到。");
  EXPECT_EQ(stored.Text("A200"), "(none)");
  EXPECT_EQ(stored.Text("A201"), "above");
  EXPECT_EQ(stored.Dword("TaskNum"), static_cast<std::uint32_t>(kSlots - 1));

  // A key that cannot be counted, or listed where it must be, moves nothing.
  for (bool countFails : {true, false}) {
    registry.journal.clear();
    registry.failCount = countFails;
    registry.failEnum = !countFails;
    if (!countFails) settings.LastTaskNum = 0x7FFFFFFF;
    std::string failure;
    try {
      store.DeleteSlot(1);
    } catch (const AppError& error) {
      failure = error.what();
    }
    EXPECT_EQ(failure, countFails ? "Failed to get the number of the values" : "Failed to get the values");
    EXPECT_TRUE(registry.journal.empty());
  }
}

TEST(SlotNumberOf, OnlyTheNamesTheProgramWritesNameASlot) {
  struct Case {
    const char* name;
    const char* letters;
    std::int32_t slot;
  } const cases[] = {
      {"A1", "A", 1},          {"a12", "A", 12},        {"B3", "ABC", 3},  {"B3", "A", 0},
      {"A0", "A", 0},          {"A01", "A", 0},         {"A+1", "A", 0},   {"A-1", "A", 0},
      {"A", "A", 0},           {"A1x", "A", 0},         {"TaskNum", "ABC", 0},
      {"A2147483647", "A", 2147483647}, {"A2147483648", "A", 0}, {"A99999999999", "A", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SlotNumberOf(c.name, c.letters), c.slot) << c.name << " " << c.letters;
}

// A TaskNum of 2^31-1 made every reader walk two billion slot numbers: the
// program hung for good. The limit turns such a walk into a failed test.
TEST_F(TaskStoreTest, ATaskNumFarAboveTheSlotsCostsOnlyTheSlotsStored) {
  PutSlots(3);
  stored.PutTaskNum(0x7FFFFFFFu);
  store.LoadSettings();
  registry.queryCalls = registry.setCalls = 0;
  registry.callLimit = 20;

  std::vector<int> visited;
  store.ForEachTask([&](int n, const std::string&) { visited.push_back(n); });
  EXPECT_EQ(visited, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(registry.queryCalls, 3);

  registry.journal.clear();
  registry.queryCalls = registry.setCalls = 0;
  store.DeleteSlot(1);
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"set A1", "set B1", "set C1", "set A2", "set B2", "set C2",
                                                        "set A3", "set B3", "set C3", "set TaskNum"}));
  EXPECT_EQ(Text("A1"), "A2-text");
  EXPECT_EQ(Text("C2"), "C3-text");
  EXPECT_EQ(Text("A3"), "") << "the slot above moved down: nothing";
  EXPECT_EQ(Dword("TaskNum"), 0x7FFFFFFEu);
  EXPECT_EQ(settings.LastTaskNum, 0x7FFFFFFE);
}

TEST_F(TaskStoreTest, SlotsAreWalkedInSlotOrderUpToTaskNum) {
  for (const char* name : {"A10", "A2", "a3", "A01", "A0", "A2147483647", "B7", "soundpath"}) {
    stored.PutString(name, "x");
  }
  stored.PutTaskNum(10);
  store.LoadSettings();
  auto walked = [&] {
    std::vector<std::int32_t> slots;
    store.ForEachTask([&](std::int32_t n, const std::string&) { slots.push_back(n); });
    return slots;
  };
  // Ten slot numbers, eleven values: walked by number, no name listed.
  registry.enumCalls = 0;
  EXPECT_EQ(walked(), (std::vector<std::int32_t>{2, 3, 10}));
  EXPECT_EQ(registry.enumCalls, 0);
  // More slot numbers than values: found by name.
  settings.LastTaskNum = 0x7FFFFFFF;
  EXPECT_EQ(walked(), (std::vector<std::int32_t>{2, 3, 10, 0x7FFFFFFF}));
  EXPECT_EQ(registry.enumCalls, 1);

  registry.failEnum = true;
  EXPECT_EQ(Failure([&] { walked(); }), "Failed to get the names of the values");
  registry.failCount = true;
  EXPECT_EQ(Failure([&] { walked(); }), "Failed to get the number of the values");
}

// A negative or unreadable TaskNum made the next task slot 1, over the task
// stored there.
TEST_F(TaskStoreTest, ANewTaskNeverOverwritesAStoredSlot) {
  struct Case {
    const char* label;
    RegValue taskNum;
    const char* stray;  // a value above the slots, or none
    std::int32_t slot;
  };
  auto dword = StoreArranger::DwordValue;
  const Case cases[] = {
      {"negative", dword(0xFFFFFFFDu), nullptr, 3},
      {"most negative", dword(0x80000000u), nullptr, 3},
      {"of the wrong type", RegValue{kRegSz, "2"}, nullptr, 3},
      {"below the slots", dword(1), nullptr, 3},
      {"below a stray value", dword(2), "C5", 6},
      {"as it should be", dword(2), nullptr, 3},
  };
  for (const Case& c : cases) {
    MemoryRegistry fresh;
    RegistryObject freshReg{fresh};
    Settings copies;
    TaskStore freshStore{freshReg, copies};
    StoreArranger arranged(fresh);
    for (int n = 1; n <= 2; ++n) arranged.PutSlot(n, "old", "old", "old");
    if (c.stray) fresh.PutString(kHklm, kStorePath, c.stray, "stray");
    fresh.Key(kHklm, kStorePath)["TaskNum"] = c.taskNum;
    freshStore.LoadSettings();
    fresh.journal.clear();

    const std::int32_t slot = freshStore.AllocateSlot();
    freshStore.WriteSlot(slot, {"new", "new", "new"});
    EXPECT_EQ(slot, c.slot) << c.label;
    EXPECT_EQ(copies.LastTaskNum, c.slot) << c.label;
    const std::string n = std::to_string(c.slot);
    EXPECT_EQ(fresh.journal, (std::vector<std::string>{"set TaskNum", "set A" + n, "set B" + n, "set C" + n}))
        << c.label;
    MemoryRegistry::Values& freshValues = fresh.Key(kHklm, kStorePath);
    EXPECT_EQ(freshValues.at("TaskNum").type, kRegDword) << c.label;
    for (const char* name : {"A1", "B1", "C1", "A2", "B2", "C2"}) EXPECT_EQ(freshValues.at(name).data, "old") << c.label;
  }
}

TEST_F(TaskStoreTest, StartWithWindowsComparesThePathExactly) {
  const std::u16string exe = u"C:\\Program Files\\Velmaro\\Velmaro.exe";
  EXPECT_FALSE(store.StartWithWindows(exe));
  for (const std::string& other : {std::string("c:\\program files\\velmaro\\velmaro.exe"),
                                   std::string("\"C:\\Program Files\\Velmaro\\Velmaro.exe\"")}) {
    registry.PutString(kHklm, kRunPath, "Zedevi", other);
    EXPECT_FALSE(store.StartWithWindows(exe)) << other;
  }
  store.SetStartWithWindows(true, exe);
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"delete Zedevi", "set Zedevi"}));
  EXPECT_EQ(registry.Key(kHklm, kRunPath).at("Zedevi").utf16, exe);
  EXPECT_TRUE(store.StartWithWindows(exe));
  // A path with no code page 936 form (Hangul) is kept whole.
  const std::u16string korean = u"C:\\\uD504\uB85C\uADF8\uB7A8\\Velmaro.exe";
  store.SetStartWithWindows(true, korean);
  EXPECT_TRUE(store.StartWithWindows(korean));
  EXPECT_FALSE(store.StartWithWindows(exe));
  store.SetStartWithWindows(false, exe);
  EXPECT_EQ(registry.Key(kHklm, kRunPath).count("Zedevi"), 0u);
  EXPECT_EQ(registry.openKeys, 0);
}

// A write that fails part-way leaves exactly the writes before it, reports
// the value it failed on and leaves the copies in step with the store.
TEST_F(TaskStoreTest, FailureAtEachWriteLeavesWhatWasWrittenAndNothingElse) {
  struct Operation {
    const char* label;
    int slots;  // stored beforehand
    std::function<void(TaskStore&)> run;
    std::vector<std::string> writes;
  };
  const std::vector<Operation> operations = {
      {"add", 2,
       [](TaskStore& s) { s.WriteSlot(s.AllocateSlot(), {"a", "b", "c"}); },
       {"TaskNum", "A3", "B3", "C3"}},
      {"delete", 3, [](TaskStore& s) { s.DeleteSlot(2); }, {"A2", "B2", "C2", "TaskNum"}},
  };
  for (const Operation& op : operations) {
    for (std::size_t failing = 1; failing <= op.writes.size(); ++failing) {
      MemoryRegistry fresh;
      RegistryObject freshReg{fresh};
      Settings copies;
      TaskStore freshStore{freshReg, copies};
      // Texts of their own: a value that already holds the text moving onto
      // it is not written.
      for (int n = 1; n <= op.slots; ++n) {
        for (char letter : {'A', 'B', 'C'}) {
          fresh.PutString(kHklm, kStorePath, SlotValueName(letter, n), SlotValueName(letter, n) + "-text");
        }
      }
      fresh.PutDword(kHklm, kStorePath, "TaskNum", static_cast<std::uint32_t>(op.slots));
      freshStore.LoadSettings();
      fresh.journal.clear();
      const std::int32_t before = copies.LastTaskNum;
      fresh.setCalls = 0;
      fresh.failSetAt = static_cast<int>(failing);
      std::string failure = "(no failure)";
      try {
        op.run(freshStore);
      } catch (const AppError& error) {
        failure = error.what();
      }
      const std::string& name = op.writes[failing - 1];
      EXPECT_EQ(failure, "Failed to set data for '" + name + "'") << op.label << " #" << failing;
      std::vector<std::string> expected;
      for (std::size_t i = 0; i + 1 < failing; ++i) expected.push_back("set " + op.writes[i]);
      if (std::string(op.label) == "delete" && name == "TaskNum") {
        expected.insert(expected.end(), {"delete A3", "delete B3", "delete C3"});
      }
      EXPECT_EQ(fresh.journal, expected) << op.label << " #" << failing;
      if (name == "TaskNum") {
        EXPECT_EQ(copies.LastTaskNum, before) << op.label;
      }
    }
  }
}

}  // namespace
}  // namespace velmaro
