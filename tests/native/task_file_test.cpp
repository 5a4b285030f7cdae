// The exported task file: what it says of a store, what reading it back
// stores, and every kind of line it refuses without changing the store.
#include "store/task_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "scheduler/tick_window.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_text_codec.h"
#include "tests/fakes/memory_registry.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

constexpr RegRoot kHklm = RegRoot::LocalMachine;
const char* const kOptionsPath = kTaskOptionsKey + 1;

// One computer's store, its copies and its options, as the program holds them.
struct Machine {
  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  TaskOptions options{registry};

  Machine() { store.LoadSettings(); }
  // As the task editor adds one.
  void Add(const std::string& trigger, const std::string& action, const std::string& argument,
           TaskOptionSet set = TaskOptionSet()) {
    const TaskSlot task{trigger, action, argument};
    const TaskKey key = KeyOfNewTask(store, task);
    store.WriteSlot(store.AllocateSlot(), task);
    if (!set.Empty()) options.Inserted(key, set);
  }
  // Every value of the store key and of the options key, and the copies.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> values;
    for (const char* path : {kStorePath, kOptionsPath}) {
      for (const auto& value : registry.Key(kHklm, path)) {
        values[std::string(path) + "|" + value.first] = std::to_string(value.second.type) + ":" + value.second.data;
      }
    }
    values["copies"] = std::to_string(settings.ShutApp) + "|" + settings.SoundPath + "|" +
                       std::to_string(settings.Tishi) + "|" + std::to_string(settings.Tiqian) + "|" +
                       std::to_string(settings.LastTaskNum);
    return values;
  }
};

class TaskFileTest : public ::testing::Test {
 protected:
  FakeClock clock;
  FakeTextCodec codec;
  const TaskOptionSet wake{true, false, std::nullopt};

  TaskFileTest() { clock.SetLocalTime(2026, 12, 10, 9, 30); }

  std::string Export(Machine& m) { return WriteTaskFile(m.store, m.options, m.settings, codec); }
  TaskFileResult Import(Machine& m, const std::string& utf8, bool replace) {
    m.options.Load(m.store);
    return ReadTaskFile(utf8, replace, m.store, m.options, m.settings, codec, clock);
  }
  // A store with a bit of everything: odd texts, identical tasks with
  // different options, a catch-up task that has run.
  void Arrange(Machine& m) {
    m.store.WriteShutApp(m.settings.ShutApp = 1);
    m.store.WriteTishi(m.settings.Tishi = 90);
    m.store.WriteTiqian(m.settings.Tiqian = 10);
    m.store.WriteSoundPath(m.settings.SoundPath = "C:\\声音\\ding, dong.wav");
    m.Add("每天8时0分", "提醒", "该开会了, 带上\"电脑\"", TaskOptionSet{false, true, 29000000});
    m.Add("每天8时0分", "提醒", "该开会了, 带上\"电脑\"");
    m.Add("每天8时0分", "提醒", "该开会了, 带上\"电脑\"", wake);
    m.Add("每周7日22时30分", "关闭计算机", "关闭计算机", wake);
    m.Add("一次2009-1-18日10时30分", "打开文件", " #C:\\a.mp3 ");
    m.Add("空闲05分钟", "清理系统垃圾", "");
    m.Add("程序结束下载工具.exe", "关闭计算机", "[关闭计算机]");
  }
};

TEST_F(TaskFileTest, ExportThenImportGivesTheSameStore) {
  Machine source;
  Arrange(source);
  const std::string file = Export(source);
  EXPECT_EQ(file, std::string("\xEF\xBB\xBF") +
                      u8"# Velmaro 任务和设置 (UTF-8)。每行一个任务：触发, 动作, 参数, 选项\r\n"
                      u8"[settings]\r\nshutapp=1\r\ntishi=90\r\ntiqian=10\r\nsoundpath=C:\\声音\\ding, dong.wav\r\n"
                      u8"[tasks]\r\n"
                      u8"每天8时0分,提醒,\"该开会了, 带上\"\"电脑\"\"\",catchup\r\n"
                      u8"每天8时0分,提醒,\"该开会了, 带上\"\"电脑\"\"\",\r\n"
                      u8"每天8时0分,提醒,\"该开会了, 带上\"\"电脑\"\"\",wake\r\n"
                      u8"每周7日22时30分,关闭计算机,关闭计算机,wake\r\n"
                      u8"一次2009-1-18日10时30分,打开文件,\" #C:\\a.mp3 \",\r\n"
                      u8"空闲05分钟,清理系统垃圾,,\r\n"
                      u8"程序结束下载工具.exe,关闭计算机,\"[关闭计算机]\",\r\n");

  // Into the same store: nothing changes, not even the catch-up's last run.
  const auto before = source.Snapshot();
  TaskFileResult same = Import(source, file, true);
  ASSERT_TRUE(same.ok) << same.line << " " << same.why;
  EXPECT_EQ(same.tasks, 7);
  EXPECT_EQ(source.Snapshot(), before);

  // Into an empty store, and into a fuller one with values above TaskNum:
  // the same slots and options, the catch-up task as new since now.
  Machine empty, full;
  for (int i = 0; i < 12; ++i) full.Add("每天9时0分", "提醒", std::to_string(i), wake);
  StoreArranger(full.registry).PutSlot(20, "每天9时0分", "提醒", "stale");
  for (Machine* target : {&empty, &full}) {
    ASSERT_TRUE(Import(*target, file, true).ok);
    auto got = target->Snapshot(), want = before;
    const std::string catchUpName = std::string(kOptionsPath) + "|" +
                                    OptionsValueName(TaskKey{"每天8时0分", "提醒", "该开会了, 带上\"电脑\"", 0});
    EXPECT_EQ(got[catchUpName], "1:C " + LocalMinuteText(LocalMinuteOf(clock.LocalTime())));
    got.erase(catchUpName);
    want.erase(catchUpName);
    EXPECT_EQ(got, want);
  }
}

TEST_F(TaskFileTest, AppendsAfterTheStoredTasksOrReplacesThem) {
  const std::string file = u8"[tasks]\n每天8时0分,提醒,早会,wake\n每天9时0分,提醒,午会\n";
  Machine m;
  m.Add("每天8时0分", "提醒", "早会", wake);
  m.Add("每天7时0分", "提醒", "起床", wake);
  ASSERT_TRUE(Import(m, file, false).ok);
  StoreArranger stored(m.registry);
  EXPECT_EQ(stored.Dword("TaskNum"), 4u);
  EXPECT_EQ(stored.Text("A3"), "每天8时0分");
  EXPECT_EQ(stored.Text("C4"), "午会");
  // The second identical task takes the second place among them.
  EXPECT_TRUE(m.options.Of(TaskKey{"每天8时0分", "提醒", "早会", 1}).wake);
  EXPECT_TRUE(m.options.Of(TaskKey{"每天8时0分", "提醒", "早会", 0}).wake);

  ASSERT_TRUE(Import(m, file, true).ok);
  EXPECT_EQ(stored.Dword("TaskNum"), 2u);
  EXPECT_EQ(stored.Text("A2"), "每天9时0分");
  for (const char* gone : {"A3", "B3", "C3", "A4", "B4", "C4"}) EXPECT_EQ(stored.Text(gone), "(none)");
  EXPECT_EQ(m.options.All().size(), 1u);  // the 07:00 task's and the copy's went with them
  EXPECT_EQ(m.registry.Key(kHklm, kOptionsPath).size(), 1u);

  // A settings-only file leaves the tasks; with replace it leaves none.
  ASSERT_TRUE(Import(m, u8"[settings]\ntishi=30\n", false).ok);
  EXPECT_EQ(stored.Dword("TaskNum"), 2u);
  EXPECT_EQ(stored.Dword("tishi"), 30u);
  EXPECT_EQ(m.settings.Tishi, 30);
  EXPECT_EQ(stored.Dword("shutapp"), 0u);
  ASSERT_TRUE(Import(m, u8"[tasks]\n", true).ok);
  EXPECT_EQ(stored.Dword("TaskNum"), 0u);
  EXPECT_EQ(stored.Text("A1"), "(none)");
}

TEST_F(TaskFileTest, TakesABomCrlfBlanksCommentsAndQuotesAsThePlainFile) {
  const std::string plain = u8"每天8时0分,提醒,\"a, \"\"b\"\"\",wake catchup\n";
  const std::string dressed = std::string("\xEF\xBB\xBF") +
                              u8"# 注释\r\n\r\n  [Tasks]  \r\n   # 又一个\r\n"
                              u8"  每天8时0分 , 提醒 ,  \"a, \"\"b\"\"\"  , CATCHUP  wake\r\n";
  Machine a, b;
  ASSERT_TRUE(Import(a, plain, true).ok);
  ASSERT_TRUE(Import(b, dressed, true).ok);
  EXPECT_EQ(a.Snapshot(), b.Snapshot());
  EXPECT_EQ(StoreArranger(a.registry).Text("C1"), "a, \"b\"");
}

TEST_F(TaskFileTest, RefusesEveryKindOfBadLineByItsNumberAndChangesNothing) {
  const std::string good = u8"[settings]\n# 注释\nsoundpath=D:\\x.wav\n[tasks]\n每天8时0分,提醒,早会,wake\n";
  struct Case {
    std::string lines;  // after the good ones, from line 6
    std::int32_t line;
    const char* why;
  } const cases[] = {
      {"\xFF\n", 6, "不是 UTF-8 文本，或有简体中文（GBK）里没有的字"},
      {u8"# 한\n", 6, "不是 UTF-8 文本，或有简体中文（GBK）里没有的字"},
      {"a\x01,b,c\n", 6, "有控制字符（行尾只能是 LF 或 CRLF）"},
      {u8"每天8时0分,提醒,a\rb\n", 6, "有控制字符（行尾只能是 LF 或 CRLF）"},
      {u8"\n每天8时0分,提醒,\"a\n", 7, "引号没有配对：加引号的字段应以引号结束"},
      {u8"每天8时0分,提醒,\"a\"b\n", 6, "引号后只能是逗号：字段中的引号应写成两个"},
      {u8"每天8时0分,提醒,a\"b\n", 6, "不加引号的字段中不能有引号：整个字段应加上引号，其中的引号写成两个"},
      {u8"每天8时0分,提醒\n", 6, "应有3或4个字段（触发时间, 任务类型, 参数, 选项），这里有 2 个"},
      {u8"每天8时0分,提醒,a,wake sleep\n", 6, "'sleep'不是选项：只有 wake 和 catchup"},
      {u8"[options]\n", 6, "'[options]'不是节名：只有 [settings] 和 [tasks]"},
      {u8"[settings]\ntishi\n", 7, "应写作 名称=值，如 tishi=60"},
      {u8"[settings]\nTaskNum=3\n", 7, "'TaskNum'不是设置：只有 shutapp、tishi、tiqian 和 soundpath"},
      {u8"[settings]\nSoundPath=D:\\y.wav\n", 7, "设置 SoundPath 已在第 3 行给出"},
      {u8"[settings]\nshutapp=2\n", 7, "shutapp应是0或1（1：待机和休眠前关闭所有程序）"},
      {u8"[settings]\ntishi=2147483648\n", 7, "tishi应是0到2147483647之间的整数（倒计时的秒数）"},
      {u8"[settings]\ntiqian=61\n", 7, "tiqian应是0到60之间的整数（提前提醒的分钟数）"},
      // The editor's own refusals, and what the store would never hold.
      {u8"每天x时0分,提醒,a\n", 6, "'x' is not a valid integer value"},
      {u8"每天08时00分,提醒,a\n", 6, "'每天08时00分'应写作'每天8时0分'"},
      {u8"每天8时0分,关机,a\n", 6, nullptr},
      {u8"空闲5分钟,提醒,a,wake\n", 6, "“唤醒计算机运行”只能用于一次、每天、每周、每月或每年的任务"},
  };
  Machine m;
  Arrange(m);
  m.options.Load(m.store);
  const auto before = m.Snapshot();
  for (const Case& c : cases) {
    for (bool replace : {false, true}) {
      const TaskFileResult result = Import(m, good + c.lines, replace);
      EXPECT_FALSE(result.ok) << c.lines;
      EXPECT_EQ(result.line, c.line) << c.lines;
      if (c.why) {
        EXPECT_EQ(result.why, c.why) << c.lines;
      }
      EXPECT_EQ(m.Snapshot(), before) << c.lines;
    }
  }

  // The file as a whole.
  EXPECT_EQ(TaskFileMessage(Import(m, std::string(kTaskFileLimitBytes + 1, '#'), true)), "文件太大：最多 1048576 字节");
  EXPECT_EQ(TaskFileMessage(Import(m, u8"\xEF\xBB\xBF# 只有注释\n\n", true)), "文件中没有任务，也没有设置");
  std::string many = "[tasks]\n";
  for (int i = 0; i <= kTaskFileTasksMax; ++i) many += u8"每天8时0分,提醒,a\n";
  EXPECT_EQ(TaskFileMessage(Import(m, many, true)), "第 10002 行：任务太多：一个文件最多 10000 个任务");
  many.resize(many.size() - std::string(u8"每天8时0分,提醒,a\n").size() * 7);
  EXPECT_EQ(TaskFileMessage(Import(m, many, false)), "已有 7 个任务，再加上文件中的 9994 个就超过了 10000 个的上限");
  EXPECT_EQ(m.Snapshot(), before);
}

}  // namespace
}  // namespace velmaro
