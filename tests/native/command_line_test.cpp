// The command line: what the parser makes of each line.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/fake_text_files.h"

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

}  // namespace
}  // namespace velmaro
