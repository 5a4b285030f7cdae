// The command line: what the parser makes of each line, and what each
// command does to the store and the running copy.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "app/commands.h"
#include "actions/action_table.h"
#include "base/gbk.h"
#include "lang/stored_words.h"
#include "lang/texts.h"
#include "store/task_file.h"
#include "store/task_options.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_text_files.h"
#include "tests/fakes/memory_registry.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

// An argument as the Win32 side hands it over: the code page 936 text and
// the UTF-16 it came from.
CommandArg Arg(const std::string& gbk, bool lossy = false) {
  CommandArg arg;
  arg.text = gbk;
  arg.lossy = lossy;
  const std::string units = *IconvConvert("UTF-16LE", "GBK", gbk, "?", 1);
  arg.wide.resize(units.size() / 2);
  std::memcpy(&arg.wide[0], units.data(), arg.wide.size() * 2);
  return arg;
}

std::vector<CommandArg> Args(const std::vector<std::string>& texts) {
  std::vector<CommandArg> args;
  for (const std::string& text : texts) args.push_back(Arg(text));
  return args;
}

std::string Summary(const ParsedCommand& parsed) {
  if (!parsed.command) return "error: " + parsed.error;
  const Command& c = *parsed.command;
  switch (c.kind) {
    case CommandKind::None: return "none";
    case CommandKind::Help: return "help";
    case CommandKind::SetTimer: {
      const QuickTimerRequest& t = c.timer;
      std::string text = "timer " + t.action;
      text += t.when == QuickTimerRequest::When::In
                  ? " in " + std::to_string(t.minutes)
                  : " at " + std::to_string(t.hour) + ":" + std::to_string(t.minute);
      return t.text.empty() ? text : text + " text=" + t.text;
    }
    case CommandKind::Cancel: return "cancel";
    case CommandKind::Status: return "status";
    case CommandKind::List: return c.csv ? "list csv" : "list";
    case CommandKind::Add:
      return "add " + c.trigger + "|" + c.action + "|" + c.argument + (c.wake ? " wake" : "") +
             (c.catchUp ? " catchup" : "");
    case CommandKind::Delete: return "delete " + std::to_string(c.number);
    case CommandKind::Export: return "export " + Utf16ToGbkShown(c.file);
    case CommandKind::Import: return "import " + Utf16ToGbkShown(c.file) + (c.replace ? " replace" : "");
  }
  return "?";
}

std::string Parse(const std::vector<std::string>& args) { return Summary(ParseCommandLine(Args(args))); }

// The language in force for one test; the others see Simplified again.
class InLanguage {
 public:
  explicit InLanguage(Language language) : before_(CurrentLanguage()) { SetLanguage(language); }
  ~InLanguage() { SetLanguage(before_); }

 private:
  Language before_;
};

// What an English console shows: ASCII, with "…" where a long value was cut.
bool EnglishConsoleText(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    if (text.compare(i, 2, "…") != 0) return false;
    ++i;
  }
  return true;
}

bool PlaceholderLeft(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') return true;
  }
  return false;
}

TEST(CommandLineTest, EveryTimerActionByEachOfItsNames) {
  const std::pair<const char*, const char*> names[] = {
      {"/shutdown", "关闭计算机"}, {"-RESTART", "重启计算机"}, {"/logoff", "注销计算机"}, {"/StandBy", "待机计算机"},
      {"/hibernate", "休眠计算机"}, {"/fastshutdown", "快速关机"}, {"/FastRestart", "快速重启"},
      {"/关机", "关闭计算机"}, {"/重启", "重启计算机"}, {"/注销", "注销计算机"}, {"-待机", "待机计算机"},
      {"/休眠", "休眠计算机"}, {"/快速关机", "快速关机"}, {"/快速重启", "快速重启"}, {"/关闭计算机", "关闭计算机"},
      {"/重启计算机", "重启计算机"}, {"/注销计算机", "注销计算机"}, {"/待机计算机", "待机计算机"},
      {"/休眠计算机", "休眠计算机"}};
  for (const auto& [name, stored] : names) EXPECT_EQ(Parse({name, "/in", "5"}), "timer " + std::string(stored) + " in 5");
  EXPECT_EQ(Parse({"/remind", "该休息了，\"真的\"", "-AT", "7:05"}), "timer 提醒 at 7:5 text=该休息了，\"真的\"");
  EXPECT_EQ(Parse({"/提醒", "开会", "/in", "1440"}), "timer 提醒 in 1440 text=开会");
  EXPECT_EQ(Parse({"/in", "0005", "/shutdown"}), "timer 关闭计算机 in 5");
  EXPECT_EQ(Parse({"/shutdown", "/at", "0:00"}), "timer 关闭计算机 at 0:0");
  EXPECT_EQ(Parse({"/shutdown", "/at", "23:59"}), "timer 关闭计算机 at 23:59");
  for (const char* v : {"0", "-5", "1000000000000", "5x", "", "1441", "+5"}) {
    EXPECT_EQ(Parse({"/shutdown", "/in", v}), std::string("error: 分钟数须为 1 到 1440 之间的整数：") + v);
  }
  for (const char* v : {"25:61", "7:5", "24:00", "12:00:00", "7:60", ":30", "123:00", "1230"}) {
    EXPECT_EQ(Parse({"/shutdown", "/at", v}), std::string("error: 时间须为 时:分，从 0:00 到 23:59：") + v);
  }
  for (const char* v : {"0", "-1", "2147483648", "1e3"}) {
    EXPECT_EQ(Parse({"/delete", v}), std::string("error: 任务编号须为 1 到 2147483647 之间的整数：") + v);
  }
}

TEST(CommandLineTest, EachOtherLineParsesToItsCommandOrNamesWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  } const cases[] = {
      {{}, "none"}, {{"/cancel"}, "cancel"}, {{"-Status"}, "status"}, {{"/list"}, "list"}, {{"/LIST", "-CSV"}, "list csv"},
      {{"/?"}, "help"}, {{"-?"}, "help"}, {{"/Help"}, "help"}, {{"-h"}, "help"},
      {{"/add", "每天8时0分", "提醒", "早会", "/wake", "/catchup"}, "add 每天8时0分|提醒|早会 wake catchup"},
      {{"/add", "每天22时30分", "SHUTDOWN"}, "add 每天22时30分|关闭计算机|"},
      {{"/add", "每天8时0分", "提醒", "-_-"}, "add 每天8时0分|提醒|-_-"},
      {{"/delete", "2147483647"}, "delete 2147483647"},
      {{"/export", "D:\\任务.txt"}, "export D:\\任务.txt"},
      {{"/import", "-tasks.txt", "/replace"}, "import -tasks.txt replace"},
      {{"/foo"}, "error: 未知的开关：/foo"},
      {{"/open", "/in", "5"}, "error: 未知的开关：/open"},
      {{"/断开拨号", "/in", "5"}, "error: 未知的开关：/断开拨号"},
      {{"/add", "每天8时0分", "提醒", "/wak"}, "error: 未知的开关：/wak"},
      {{"later"}, "error: 多余的参数：later"},
      {{"/delete", "1", "2"}, "error: 多余的参数：2"},
      {{"/list", "/status"}, "error: 一次只能给一个命令：/list 和 /status"},
      {{"/shutdown", "/in", "5", "/restart"}, "error: 一次只能给一个命令：/shutdown 和 /restart"},
      {{"/shutdown"}, "error: /shutdown 须带 /in 分钟数 或 /at 时:分"},
      {{"/shutdown", "/in", "5", "/at", "7:00"}, "error: /in 和 /at 只能用一个"},
      {{"/shutdown", "/in", "5", "/in", "6"}, "error: 开关重复了：/in"},
      {{"/shutdown", "/in"}, "error: /in 后面缺少分钟数"},
      {{"/shutdown", "/in", "/at", "7:00"}, "error: /in 后面缺少分钟数"},
      {{"/remind", "/in", "5"}, "error: /remind 后面缺少提醒的文字"},
      {{"/remind", "", "/in", "5"}, "error: 提醒的文字不能为空"},
      {{"/add", "每天8时0分"}, "error: /add 后面缺少动作"},
      {{"/add", "", "提醒"}, "error: 触发条件不能为空"},
      {{"/add", "每天8时0分", "reboot"}, "error: 未知的动作：reboot"},
      {{"/delete"}, "error: /delete 后面缺少任务编号"},
      {{"/import", ""}, "error: /import 的文件名不能为空"},
      {{"/csv"}, "error: /csv 只能与 /list 一起用"},
      {{"/list", "/in", "5"}, "error: /in 只能与定时的动作（/shutdown、/remind 等）一起用"},
      {{"/import", "a.txt", "/wake"}, "error: /wake 只能与 /add 一起用"},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.args), c.expected) << ::testing::PrintToString(c.args);
}

TEST(CommandLineTest, TextsPathsAndTheLineItselfAreBounded) {
  const std::string longText(100000, 'x');
  const std::string tooLong = "太长：最多 1024 字节，这里有 100000 字节：" + std::string(62, 'x') + "…";
  const std::string unstorable = "含有简体中文（GBK）里没有的字符，无法保存：";
  std::vector<CommandArg> tooMany = Args({"/list"});
  tooMany.resize(65, Arg("/csv"));
  struct Case {
    std::vector<CommandArg> args;
    std::string expected;
  } const cases[] = {
      {Args({"/remind", std::string(1024, 'x'), "/in", "5"}), "timer 提醒 in 5 text=" + std::string(1024, 'x')},
      {Args({"/remind", longText, "/in", "5"}), "error: 提醒的文字" + tooLong},
      {Args({"/add", longText, "提醒"}), "error: 触发条件" + tooLong},
      {Args({"/add", "每天8时0分", "提醒", longText}), "error: 参数" + tooLong},
      // A character code page 936 has not came through as "?".
      {{Arg("/remind"), Arg("a?b", true), Arg("/in"), Arg("5")}, "error: 提醒的文字" + unstorable + "a?b"},
      {{Arg("/add"), Arg("每天?时0分", true), Arg("提醒")}, "error: 触发条件" + unstorable + "每天?时0分"},
      {{Arg("/add"), Arg("每天8时0分"), Arg("提醒"), Arg("?", true)}, "error: 参数" + unstorable + "?"},
      // A path is taken as given, even where code page 936 has no form for it.
      {{Arg("/export"), Arg("?.txt", true)}, "export ?.txt"},
      {Args({"/export", std::string(32767, 'f')}), "export " + std::string(32767, 'f')},
      {Args({"/export", std::string(32768, 'f')}), "error: 文件名太长：最多 32767 个字符：" + std::string(62, 'f') + "…"},
      {tooMany, "error: 参数太多：最多 64 个，这里有 65 个"},
  };
  for (const Case& c : cases) EXPECT_EQ(Summary(ParseCommandLine(c.args)), c.expected) << c.expected.substr(0, 80);
}

TEST(CommandLineTest, HelpShowsEverySwitchTheExitCodesAndTheElevation) {
  const std::string help = CommandLineHelp();
  for (const char* part : {"/shutdown", "/restart", "/logoff", "/standby", "/hibernate", "/fastshutdown",
                           "/fastrestart", "/remind", "/in", "/at", "/cancel", "/status", "/list", "/csv", "/add",
                           "/wake", "/catchup", "/delete", "/export", "/import", "/replace", "/?", "/关机",
                           "0  完成", "1  命令行有误", "2  没有要取消", "3  任务或文件被拒绝", "4  无法读写",
                           "错误 740", "清理系统垃圾（cleanup）"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
}

TEST(CommandLineTest, TheSameLineParsesToTheSameCommandInEveryLanguage) {
  const std::vector<std::string> lines[] = {
      {"/shutdown", "/in", "30"}, {"/关机", "/at", "23:15"}, {"/Remind", "早会", "/in", "5"},
      {"/add", "每天8时0分", "提醒", "早会", "/wake", "/catchup"}, {"/add", "每天22时30分", "shutdown"},
      {"/list", "/csv"}, {"/import", "D:\\任务.txt", "/replace"}, {"/delete", "3"},
      {"/foo"}, {"/shutdown"}, {"/csv"}, {"/list", "/in", "5"}, {"/add", "每天8时0分", "reboot"}, {"/delete", "0"},
  };
  for (const std::vector<std::string>& line : lines) {
    const ParsedCommand simplified = ParseCommandLine(Args(line));
    for (Language language : {Language::English, Language::Traditional}) {
      InLanguage in(language);
      const ParsedCommand parsed = ParseCommandLine(Args(line));
      EXPECT_EQ(parsed.command.has_value(), simplified.command.has_value()) << line[0];
      EXPECT_EQ(parsed.error.empty(), simplified.error.empty()) << line[0];
      if (simplified.command) EXPECT_EQ(Summary(parsed), Summary(simplified)) << line[0];
    }
  }
}

TEST(CommandLineTest, EnglishHelpAndErrorsShowOnAnEnglishConsoleWithTheirValuesInPlace) {
  InLanguage english(Language::English);
  std::string help = CommandLineHelp();
  // The actions' shown names are the stored words' business, not the help's.
  for (std::size_t i = 0; i < kActionCount; ++i) {
    const std::string shown = ShownAction(kActionTable[i].name);
    for (std::size_t at; (at = help.find(shown)) != std::string::npos;) help.erase(at, shown.size());
  }
  EXPECT_TRUE(EnglishConsoleText(help)) << help;
  EXPECT_FALSE(PlaceholderLeft(help));
  EXPECT_NE(help.find("cleanup ("), std::string::npos);

  struct Case {
    std::vector<CommandArg> args;
    std::vector<std::string> inOrder;  // the values the message names, in the order it names them
  } const cases[] = {
      {Args({"/shutdown"}), {"/shutdown", "/in", "/at"}},
      {Args({"/list", "/status"}), {"/list", "/status"}},
      {Args({"/remind", std::string(2000, 'x'), "/in", "5"}), {"1024", "2000", "xxx"}},
      {Args({"/csv"}), {"/csv", "/list"}},
      {Args({"/delete", "0"}), {"2147483647", ": 0"}},
      {{Arg("/remind"), Arg("a?b", true), Arg("/in"), Arg("5")}, {"a?b"}},
  };
  for (const Case& c : cases) {
    const std::string error = ParseCommandLine(c.args).error;
    EXPECT_TRUE(EnglishConsoleText(error)) << error;
    EXPECT_FALSE(PlaceholderLeft(error)) << error;
    std::size_t from = 0;
    for (const std::string& part : c.inOrder) {
      const std::size_t at = error.find(part, from);
      EXPECT_NE(at, std::string::npos) << part << " in " << error;
      if (at != std::string::npos) from = at + part.size();
    }
  }
}

// The running copy as a command sees it: its quick timer, its status, and
// whether the settings dialog holds the tasks.
class FakeHost : public CommandHost {
 public:
  bool runsTimers = true;
  bool tasksInUse = false;
  bool timerSet = false;
  std::vector<QuickTimerRequest> timers;
  StatusReport status;
  int tasksChanged = 0;

  bool RunsTimers() const override { return runsTimers; }
  std::string SetQuickTimer(const QuickTimerRequest& request) override {
    timers.push_back(request);
    timerSet = true;
    return std::to_string(request.hour) + ":" + TwoDigits(static_cast<unsigned>(request.minute)) + " " +
           request.action;
  }
  bool CancelQuickTimer() override { return std::exchange(timerSet, false); }
  StatusReport Status() override { return status; }
  bool TasksInUse() const override { return tasksInUse; }
  void TasksChanged() override { ++tasksChanged; }
};

const char* const kOptionsPath = kTaskOptionsKey + 1;
const char kCsvHeader[] = "编号,触发条件,动作,参数,选项\r\n";

class CommandsTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  StoreArranger stored{registry};
  FakeClock clock;
  FakeTextFiles files;
  IconvCodec codec;
  FakeHost host;
  CommandServices services{registry, clock, files, codec};

  CommandsTest() { clock.SetLocalTime(2026, 12, 10, 9, 15); }

  // The settings as a program that ran once left them, and tasks, so that
  // reading the store writes nothing.
  void PutStore(const std::vector<TaskSlot>& tasks) {
    stored.PutDword("shutapp", 0);
    stored.PutString("soundpath", "");
    stored.PutDword("tishi", 60);
    stored.PutTaskNum(static_cast<std::uint32_t>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      stored.PutSlot(static_cast<std::int32_t>(i + 1), tasks[i].trigger, tasks[i].action, tasks[i].argument);
    }
  }
  void PutOptions(const TaskKey& key, const TaskOptionSet& options) {
    registry.PutString(RegRoot::LocalMachine, kOptionsPath, OptionsValueName(key), OptionsText(options));
  }
  CommandReply Run(const std::vector<std::string>& args, RegistryService* on = nullptr) {
    const ParsedCommand parsed = ParseCommandLine(Args(args));
    EXPECT_TRUE(parsed.command) << parsed.error;
    if (!parsed.command) return CommandReply{ExitCode::BadCommandLine, parsed.error};
    return RunCommand(*parsed.command, CommandServices{on ? *on : registry, clock, files, codec}, host);
  }
  void ExpectReply(const std::vector<std::string>& args, ExitCode code, const std::string& text) {
    const CommandReply reply = Run(args);
    EXPECT_EQ(reply.code, code) << args[0];
    EXPECT_EQ(reply.text, text + "\r\n") << args[0];
  }
  std::string Csv() { return Run({"/list", "/csv"}).text; }
};

TEST_F(CommandsTest, ListShowsTheTasksBySlotWithTheirOptions) {
  ExpectReply({"/list"}, ExitCode::Done, "没有任务。");
  PutStore({{"每天8时0分", "提醒", "早会, 带\"本子\""}, {"", "提醒", "skipped, as every reader skips it"},
            {"每天22时30分", "关闭计算机", "关闭计算机"}, {"空闲30分钟", "提醒", "第一行\r\n第二行"}});
  PutOptions(TaskKey{"每天8时0分", "提醒", "早会, 带\"本子\"", 0}, TaskOptionSet{false, true, 29000000});
  PutOptions(TaskKey{"每天22时30分", "关闭计算机", "关闭计算机", 0}, TaskOptionSet{true, false, std::nullopt});
  registry.journal.clear();

  EXPECT_EQ(Csv(), std::string(kCsvHeader) +
                       "1,每天8时0分,提醒,\"早会, 带\"\"本子\"\"\",补做\r\n"
                       "3,每天22时30分,关闭计算机,关闭计算机,唤醒\r\n"
                       "4,空闲30分钟,提醒,\"第一行\r\n第二行\",\r\n");
  // For people: one line a task, each column where its header is.
  const std::string table = Run({"/list"}).text;
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = table.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(table.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 4u) << table;
  EXPECT_EQ(lines[1].find("每天8时0分"), lines[0].find("触发条件"));
  EXPECT_EQ(lines[2].find("关闭计算机"), lines[0].find("动作"));
  EXPECT_EQ(lines[2].find("唤醒"), lines[0].find("选项"));
  EXPECT_EQ(lines[1].find("早会, 带\"本子\""), lines[0].find("参数"));
  EXPECT_EQ(lines[3].find("第一行  第二行"), lines[0].find("参数"));
  EXPECT_EQ(lines[3].substr(0, 2), "4 ");
  EXPECT_TRUE(registry.journal.empty());
}

TEST_F(CommandsTest, AddStoresANewTaskAboveTheOthersWithItsOptions) {
  PutStore({{"每天7时0分", "提醒", "起床"}});
  ExpectReply({"/add", "每天8时0分", "remind", "早会", "/wake", "/catchup"}, ExitCode::Done,
              "已添加任务 2：每天8时0分 提醒 早会");
  EXPECT_EQ(host.tasksChanged, 1);
  EXPECT_EQ(stored.Dword("TaskNum"), 2u);
  EXPECT_EQ(stored.Text("B2"), "提醒");
  // A task just given the catch-up has missed nothing before now.
  EXPECT_EQ(registry.Key(RegRoot::LocalMachine, kOptionsPath)
                .at(OptionsValueName(TaskKey{"每天8时0分", "提醒", "早会", 0})).data,
            "WC 2026-12-10 09:15");
  // A power action's argument is its name, as the editor fills it in.
  ExpectReply({"/add", "每天22时30分", "Shutdown"}, ExitCode::Done, "已添加任务 3：每天22时30分 关闭计算机 关闭计算机");
  EXPECT_EQ(Csv(), std::string(kCsvHeader) +
                       "1,每天7时0分,提醒,起床,\r\n2,每天8时0分,提醒,早会,唤醒 补做\r\n"
                       "3,每天22时30分,关闭计算机,关闭计算机,\r\n");
}

TEST_F(CommandsTest, AddRefusesWhatTheEditorWouldRefuseAndStoresNothing) {
  PutStore({});
  // The editor's own words: what it says filling in a stored text, and
  // the boxes it would have greyed out.
  ExpectReply({"/add", "空闲分钟", "提醒", "x"}, ExitCode::Refused, "'' is not a valid integer value");
  ExpectReply({"/add", "空闲30分钟", "提醒", "x", "/wake"}, ExitCode::Refused,
              "“唤醒计算机运行”只能用于一次、每天、每周、每月或每年的任务");
  ExpectReply({"/add", "每天8时0分", "shutdown", "/catchup"}, ExitCode::Refused,
              "“错过后补做”只能用于提醒、打开文件或清理系统垃圾：别的任务晚做会出人意料");
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_EQ(host.tasksChanged, 0);
}

TEST_F(CommandsTest, DeleteMovesTheLaterSlotsDownAndTheirOptionsFollow) {
  // Two identical tasks: the second one's options are its own, by its place among them.
  PutStore({{"每天8时0分", "提醒", "早会"}, {"", "提醒", "empty"}, {"每天8时0分", "提醒", "早会"},
            {"每周1日9时0分", "提醒", "周会"}});
  stored.PutSlot(5, "每天9时0分", "提醒", "above TaskNum");
  PutOptions(TaskKey{"每天8时0分", "提醒", "早会", 1}, TaskOptionSet{true, false, std::nullopt});
  registry.journal.clear();
  for (const char* number : {"2", "5", "2147483647"}) {
    ExpectReply({"/delete", number}, ExitCode::Refused, "没有任务 " + std::string(number) + "。");
  }
  EXPECT_TRUE(registry.journal.empty());

  ExpectReply({"/delete", "1"}, ExitCode::Done, "已删除任务 1：每天8时0分 提醒 早会");
  EXPECT_EQ(host.tasksChanged, 1);
  EXPECT_EQ(stored.Dword("TaskNum"), 3u);
  EXPECT_EQ(stored.Text("A4"), "(none)");
  EXPECT_EQ(Csv(), std::string(kCsvHeader) + "2,每天8时0分,提醒,早会,唤醒\r\n3,每周1日9时0分,提醒,周会,\r\n");
}

TEST_F(CommandsTest, WhileTheSettingsDialogIsOpenChangesAreRefusedAndNothingChanges) {
  PutStore({{"每天8时0分", "提醒", "早会"}});
  files.files[u"tasks.txt"] = "每天9时0分\t提醒\t喝水\n";
  host.tasksInUse = true;
  for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
           {"/add", "每天9时0分", "提醒", "喝水"}, {"/delete", "1"}, {"/import", "tasks.txt", "/replace"}}) {
    ExpectReply(line, ExitCode::Refused, "设置窗口已打开，请先关闭它。");
  }
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_EQ(host.tasksChanged, 0);
  // Reading is no change.
  EXPECT_EQ(Run({"/list"}).code, ExitCode::Done);
  EXPECT_EQ(Run({"/export", "out.txt"}).code, ExitCode::Done);
}

TEST_F(CommandsTest, AStoreThatCannotBeWrittenEndsWithItsFailureAndTheProgramRereads) {
  PutStore({});
  registry.failSetAt = 2;  // TaskNum is raised, then A1 fails
  const CommandReply reply = Run({"/add", "每天8时0分", "提醒", "早会"});
  EXPECT_EQ(reply.code, ExitCode::StoreFailed);
  EXPECT_NE(reply.text.find("A1"), std::string::npos) << reply.text;
  EXPECT_EQ(host.tasksChanged, 1);
}

TEST_F(CommandsTest, TheQuickTimerAndTheStatusAreTheRunningCopys) {
  ExpectReply({"/关机", "/at", "23:15"}, ExitCode::Done, "已设置定时：23:15 关闭计算机");
  ASSERT_EQ(host.timers.size(), 1u);
  EXPECT_EQ(host.timers[0].when, QuickTimerRequest::When::At);
  ExpectReply({"/cancel"}, ExitCode::Done, "已取消定时。");
  ExpectReply({"/cancel"}, ExitCode::NothingToCancel, "没有要取消的定时或倒计时。");

  host.status = StatusReport{true, std::string("23:15 关机"), std::string("关机，还剩 25 秒"), true,
                             std::string("2026-12-10 22:30 任务 3")};
  ExpectReply({"/status"}, ExitCode::Done,
              "Velmaro 正在运行。\r\n定时：23:15 关机\r\n倒计时：关机，还剩 25 秒\r\n监控：启用\r\n"
              "下一个任务：2026-12-10 22:30 任务 3");
  host.status = StatusReport{true, std::nullopt, std::nullopt, false, std::nullopt};
  ExpectReply({"/status"}, ExitCode::Done, "Velmaro 正在运行。\r\n没有定时\r\n监控：停用\r\n下一个任务：没有");

  host.runsTimers = false;
  ExpectReply({"/status"}, ExitCode::Done, "Velmaro 没有运行。");
  EXPECT_EQ(Run({"/shutdown", "/in", "5"}).code, ExitCode::Refused);
  EXPECT_EQ(host.timers.size(), 1u);
}

TEST_F(CommandsTest, AFileThatCannotBeWrittenReadOrIsTooLargeIsNamedAndChangesNothing) {
  PutStore({{"每天8时0分", "提醒", "早会"}});
  files.failWrite = true;
  ExpectReply({"/export", "D:\\任务.txt"}, ExitCode::StoreFailed, "无法写入文件 D:\\任务.txt：磁盘空间不足。");
  files.files[u"big.txt"] = std::string(kTaskFileLimitBytes + 1, '\n');
  ExpectReply({"/import", "big.txt"}, ExitCode::Refused, "文件太大：big.txt 超过 1024 KB，没有读入。");
  ExpectReply({"/import", "missing.txt"}, ExitCode::StoreFailed, "无法读取文件 missing.txt：系统找不到指定的文件。");
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_EQ(host.tasksChanged, 0);
}

TEST_F(CommandsTest, AnExportedFileImportedElsewhereGivesTheSameTasks) {
  PutStore({{"每天8时0分", "提醒", "早会, 带\"本子\""}, {"每天22时30分", "关闭计算机", "关闭计算机"}});
  ExpectReply({"/export", "D:\\任务.txt"}, ExitCode::Done, "已把 2 个任务写入 D:\\任务.txt。");
  MemoryRegistry other;
  StoreArranger(other).PutSlot(1, "每天7时0分", "提醒", "起床");
  StoreArranger(other).PutTaskNum(1);
  const CommandReply reply = Run({"/import", "D:\\任务.txt", "/replace"}, &other);
  EXPECT_EQ(reply.code, ExitCode::Done) << reply.text;
  EXPECT_EQ(reply.text, "已从 D:\\任务.txt 导入 2 个任务，取代了原有的任务。\r\n");
  EXPECT_EQ(host.tasksChanged, 1);
  EXPECT_EQ(Run({"/list", "/csv"}, &other).text, Csv());
}

TEST_F(CommandsTest, InEnglishTheCsvCarriesTheStoredBytesAndRepliesPutTheirValuesInPlace) {
  PutStore({{"每天8时0分", "提醒", "早会, 带\"本子\""}, {"每天22时30分", "关闭计算机", "关闭计算机"}});
  PutOptions(TaskKey{"每天22时30分", "关闭计算机", "关闭计算机", 0}, TaskOptionSet{true, false, std::nullopt});
  const std::string simplified = Csv();
  InLanguage english(Language::English);
  const std::string csv = Csv();
  const std::size_t header = csv.find("\r\n");
  ASSERT_NE(header, std::string::npos);
  EXPECT_TRUE(EnglishConsoleText(csv.substr(0, header)));
  // The rows but their options, which are words of the reader's language.
  const std::size_t options = csv.rfind(',');
  EXPECT_EQ(csv.substr(header, options - header), simplified.substr(simplified.find("\r\n"), options - header));
  EXPECT_TRUE(EnglishConsoleText(csv.substr(options)));

  const std::string exported = Run({"/export", "D:\\tasks.txt"}).text;
  EXPECT_TRUE(EnglishConsoleText(exported)) << exported;
  EXPECT_LT(exported.find("D:\\tasks.txt"), exported.find('2')) << exported;
  const std::string status = Run({"/status"}).text;
  EXPECT_TRUE(EnglishConsoleText(status)) << status;
  EXPECT_FALSE(PlaceholderLeft(status + exported));
}

}  // namespace
}  // namespace velmaro
