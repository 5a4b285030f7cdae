// The editor's checks for a task given as its stored texts: the editor's own
// words where the editor refuses, and what only text can get wrong.
#include "dialogs/task_check.h"

#include "platform/error_box.h"
#include "tests/native/dialogs_fixture.h"

namespace velmaro {
namespace {

using TaskCheckTest = DialogsTest;

// What the editor shows for a stored task once Modify filled it and OK was
// pressed: the general error box's text, a refusal's, or "" when it stored it.
struct EditorSaid {
  std::string text;
  bool errorBox = false;
};

TEST_F(TaskCheckTest, RefusesInTheEditorsWordsWhatModifyAndOkRefuse) {
  const char* const triggers[] = {
      "每天x时0分",          // the fill's conversion
      "每天25时0分",         // the time pickers' range
      "每年1月x日8时0分",
      "空闲-5分钟",          // converts, but OK wants digits
      "空闲99999999999分钟",
      "网络空闲0分钟50KB",   // the condition's own reading
      "处理器空闲5分钟100%",
      "程序结束C:\\a.exe",
      "每天8时0分",          // stored
      "每周7日22时0分",
      "一次2009-1-18日10时30分",
      "开机01时90分",
      "网络空闲15分钟60KB",
  };
  int slot = 0;
  for (const char* trigger : triggers) PutTask(++slot, trigger, "提醒");
  stored.PutTaskNum(static_cast<std::uint32_t>(slot));
  SettingsDialog& dialog = Open();
  int errorBoxes = 0, refused = 0;
  for (int n = 1; n <= slot; ++n) {
    const std::string trigger = triggers[n - 1];
    shell.boxes.clear();
    Select(dialog, std::to_string(n));
    EditorSaid said;
    said.text = Boundary([&] { dialog.Button5Click(); });
    said.errorBox = !said.text.empty();
    if (!said.errorBox) {
      dialogs.Form5()->Button2Click();
      if (!shell.boxes.empty()) said.text = shell.boxes.back().text;
    }
    const std::string refusal = TaskRefusal(TaskSlot{trigger, "提醒", "c"}, TaskOptionSet(), clock);
    EXPECT_EQ(said.errorBox ? ErrorBoxText(refusal) : refusal, said.text) << trigger;
    errorBoxes += said.errorBox;
    refused += !said.errorBox && !said.text.empty();
  }
  EXPECT_EQ(errorBoxes, 7);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(TaskRefusal(TaskSlot{"空闲-5分钟", "提醒", ""}, TaskOptionSet(), clock),
            "空闲分钟数应是0到2147483647之间的整数");
}

TEST(TaskCheck, RefusesWhatOnlyATaskGivenAsTextCanGetWrong) {
  FakeClock clock;
  const TaskOptionSet none, wake{true, false, std::nullopt}, catchUp{false, true, std::nullopt};
  struct Case {
    TaskSlot task;
    TaskOptionSet options;
    std::string refusal;
  } const cases[] = {
      {{"", "提醒", ""}, none, "请填写触发时间，如每天8时0分"},
      {{"明天8时0分", "提醒", ""}, none,
       "'明天8时0分'不是触发时间：应以空闲、一次、每天、每周、每月、每年、开机、网络空闲、处理器空闲或程序结束开头"},
      // The editor would store another text than the one given.
      {{"每天08时05分", "提醒", ""}, none, "'每天08时05分'应写作'每天8时5分'"},
      {{"每天8时0分以后", "提醒", ""}, none, "'每天8时0分以后'应写作'每天8时0分'"},
      {{"一次2009/1/18日8时0分", "提醒", ""}, none, "'2009/1/18' is not a valid date"},
      {{"每天8时0分", "关机", ""}, none,
       "'关机'不是任务类型：应是提醒、打开文件、关闭程序、断开拨号、拨号连接、注销计算机、待机计算机、休眠计算机、"
       "重启计算机、关闭计算机、快速重启、快速关机或清理系统垃圾"},
      {{"每天8时0分", "提醒", "第一行\r\n第二行"}, none, "“参数”中有控制字符（如换行），无法保存"},
      // The options the editor greys out.
      {{"空闲10分钟", "提醒", ""}, wake, "“唤醒计算机运行”只能用于一次、每天、每周、每月或每年的任务"},
      {{"开机0时5分", "提醒", ""}, catchUp, "“错过后补做”只能用于一次、每天、每周、每月或每年的任务"},
      {{"每天8时0分", "关闭计算机", ""}, catchUp, "“错过后补做”只能用于提醒、打开文件或清理系统垃圾：别的任务晚做会出人意料"},
      // Stored as given: Sunday as 7, a tab, any argument.
      {{"每周7日22时0分", "关闭计算机", "关闭计算机"}, wake, ""},
      {{"每天8时0分", "提醒", "a\tb, \"c\""}, catchUp, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TaskRefusal(c.task, c.options, clock), c.refusal) << c.task.trigger << " " << c.task.action;
  }
}

}  // namespace
}  // namespace velmaro
